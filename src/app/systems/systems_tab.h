#pragma once
// The "Системы" page: the wheeling systems `lvSystems` (the catalogue's entries, or the systems on
// disk when no catalogue is set), their download, the user's own systems (add, properties, delete),
// a new wheel made by the generator, and system play from the combination list. The page is
// shown and hidden by "Системная игра" (key SystemsEnabled); showing it loads the list and makes
// it current, hiding it empties the list and hides the page's menu and the two play commands.
#include <QAbstractTableModel>
#include <memory>
#include <vector>

#include "app/tab.h"
#include "stakes/systems.h"
#include "stakes/systems_catalogue.h"

class QTableView;

namespace tavlora {
class PageFetcher;
}

namespace tavlora::app {

class RatingsTab;
class StakesTab;

// The eleven columns of the systems list over its rows.
class SystemsModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit SystemsModel(QObject* parent = nullptr) : QAbstractTableModel(parent) {}
    void setRows(std::vector<TSystemRow> rows);
    const std::vector<TSystemRow>& rows() const { return rows_; }
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    std::vector<TSystemRow> rows_;
};

class SystemsTab : public Tab {
    Q_OBJECT
public:
    SystemsTab(TabHost& host, StakesTab* stakes, RatingsTab* ratings, QWidget* parent = nullptr);

    QTableView* list() const { return lvSystems_; }
    SystemsModel* model() const { return model_; }

    // The catalogue client: the real HTTP client unless a test gives another one.
    void setFetcher(PageFetcher* fetcher) { fetcher_ = fetcher; }

    // --- commands ----------------------------------------------------------------------------
    // Reads the list again (catalogue or disk), keeping the selected row.
    void loadList();
    void downloadSelected();
    void addSystem();
    void editFocused();
    void deleteFocused();
    void createWheel();
    void play(TSystemPlayMode mode);

    void buildCommands() override;
    std::optional<TabMenu> menu() const override;
    void sessionOpened() override;
    void shownChanged(bool shown) override;
    // A new catalogue address or e-mail reads the shown list again.
    void settingsChanged() override;
    std::vector<QTableView*> columnLists() const override { return {lvSystems_}; }

private:
    bool shown() const { return host_.formSettings().systemsEnabled; }
    bool catalogueSet() const;
    // The row under the cursor when it is a real system (not the placeholder).
    const TSystemRow* focusedRow() const;
    std::vector<int> selectedRows() const;
    bool canPlay() const;
    PageFetcher& fetcher();
    // Reads one system's combinations: from its file when downloaded, else from the catalogue.
    std::optional<TSystemData> systemData(const TSystemRow& row);
    void showPlayCommands(bool on);
    // Shows the system dialog and saves an accepted own system in the catalogue.
    void editAndSave(TSystemData data, bool editable);

    StakesTab* stakes_;
    RatingsTab* ratings_;
    QTableView* lvSystems_ = nullptr;
    SystemsModel* model_ = nullptr;
    PageFetcher* fetcher_ = nullptr;
    std::unique_ptr<PageFetcher> ownFetcher_;
    // The catalogue settings the shown list was read with.
    TSystemsSettings listedWith_;
};

}  // namespace tavlora::app
