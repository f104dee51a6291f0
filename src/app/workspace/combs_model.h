#pragma once
// The virtual list of combinations over the session's combination list: columns "№ п.п.",
// "1".."5", "S". Rows are read from the engine's array on demand, so that the full list of
// C(69,5) rows opens and scrolls without copying anything.
#include <QAbstractTableModel>

namespace tavlora {
class TCombList;
class TSettings;
}

namespace tavlora::app {

class CombsModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit CombsModel(QObject* parent = nullptr) : QAbstractTableModel(parent) {}

    // The list and the settings that give the channel width of the colours (both may be null).
    void setList(const TCombList* list, const TSettings* settings);
    void setColorCombs(bool on);
    bool colorCombs() const { return colorCombs_; }
    // Resets the rows after the list changed.
    void refresh();
    // Repaints every cell (colours or the channel width changed).
    void repaint();

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    const TCombList* list_ = nullptr;
    const TSettings* settings_ = nullptr;
    int rows_ = 0;
    bool colorCombs_ = true;
};

}  // namespace tavlora::app
