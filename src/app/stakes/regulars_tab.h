#pragma once
// The "Регуляры" page: the regular table stakes `lvTables` and their commands (add, delete, the
// next stake of the focused regular through the stake dialog, and the test over past draws of the
// selected ones). The regulars are read only while the page is shown; hiding it empties the list.
#include <QAbstractTableModel>

#include "app/tab.h"

class QTableView;

namespace tavlora {
class TRegulars;
}

namespace tavlora::app {

class CombsTab;
class RatingsTab;
class StakesTab;

// The five columns of the regulars over the session's list.
class RegularsModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit RegularsModel(QObject* parent = nullptr) : QAbstractTableModel(parent) {}
    void setList(const TRegulars* list);
    // Rereads the list (rows added, removed or changed).
    void refresh();
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    const TRegulars* list_ = nullptr;
};

class RegularsTab : public Tab {
    Q_OBJECT
public:
    RegularsTab(TabHost& host, CombsTab* combs, StakesTab* stakes, RatingsTab* ratings, QWidget* parent = nullptr);

    QTableView* list() const { return lvTables_; }
    RegularsModel* model() const { return model_; }

    // --- commands ----------------------------------------------------------------------------
    void addRegulars();
    void deleteRegulars();
    void stakeFocused();
    void testSelected();

    void buildCommands() override;
    std::optional<TabMenu> menu() const override;
    void sessionOpened() override;
    void shownChanged(bool shown) override;
    std::vector<QTableView*> columnLists() const override { return {lvTables_}; }

private:
    TRegulars* regulars() const;
    // Whether the page is shown (its per-window key).
    bool shown() const { return host_.formSettings().tabTables; }
    std::vector<int> selectedRows() const;
    int focusedRow() const;
    void load();
    void unload();
    // The list size written into stakes: the combination list's length.
    int32_t listSize() const;

    CombsTab* combs_;
    StakesTab* stakes_;
    RatingsTab* ratings_;
    QTableView* lvTables_ = nullptr;
    RegularsModel* model_ = nullptr;
};

}  // namespace tavlora::app
