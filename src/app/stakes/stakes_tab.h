#pragma once
// The "Ставки" page: the stakes grid `sgStakes` over the stakes file and the stake commands
// (stake by hand, at random, for the selected or all combinations, check, delete, logs, the
// spreadsheet export and the profit graph). Status panel 4 follows the number of records.
#include <QPointer>
#include <optional>

#include "app/tab.h"
#include "core/records.h"

namespace tavlora::ui {
class ChartWindow;
}

namespace tavlora::app {

class CombsTab;
class RatingsTab;
class StakesModel;

class StakesTab : public Tab {
    Q_OBJECT
public:
    StakesTab(TabHost& host, CombsTab* combs, RatingsTab* ratings, QWidget* parent = nullptr);

    QTableView* grid() const { return sgStakes_; }
    StakesModel* model() const { return model_; }

    // --- commands ----------------------------------------------------------------------------
    // The stake dialog for the combination (none: empty numbers); on OK the stake is added for
    // the chosen draws, all stakes are checked and the grid scrolls to the end.
    void addStake(const std::optional<TComb>& combination);
    // The multi-stake dialog, then one manual stake per combination.
    void addStakes(const TCombsArray& combinations);
    void deleteSelected();
    void deleteByCondition();
    void clearStakes();
    void checkStakes();
    void showProfitGraph();

    // Reads the file again: row count, status panel 4, and the last row made current when asked.
    void refresh(bool scrollToEnd);

    void sessionOpened() override;
    void buildCommands() override;
    std::optional<TabMenu> menu() const override;
    void restoreSettings(const TFormMainSettings& s) override;
    std::vector<QTableView*> columnLists() const override { return {sgStakes_}; }
    bool isView() const override { return true; }

protected:
    void recompute(bool) override { refresh(false); }

private:
    bool fileOpen() const;
    bool hasRecords() const;
    // After the stakes were checked: the rating list follows.
    void ratingsChanged();

    CombsTab* combs_;
    RatingsTab* ratings_;
    QTableView* sgStakes_ = nullptr;
    StakesModel* model_ = nullptr;
    QPointer<ui::ChartWindow> graph_;
};

}  // namespace tavlora::app
