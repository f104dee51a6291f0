#pragma once
// The virtual list of draws over the session's archive: newest first (list position p is
// archive index high() - p), columns "Тираж", "1".."5", "E", "S", "Дата тиража".
#include <QAbstractTableModel>

namespace tavlora {
class Session;
}

namespace tavlora::app {

inline constexpr uint32_t kOffsetRowColor = 0xFFAAAA;  // the row at the offset

class DrawsModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit DrawsModel(QObject* parent = nullptr) : QAbstractTableModel(parent) {}

    void setSession(Session* session);
    void setColorDraws(bool on);
    bool colorDraws() const { return colorDraws_; }
    // Resets the rows when forced or when the archive length differs from the rows shown.
    void refresh(bool force);
    // Repaints every cell (after a change of colours, order or offset).
    void repaint();

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    Session* session_ = nullptr;
    int rows_ = 0;
    bool colorDraws_ = true;
};

}  // namespace tavlora::app
