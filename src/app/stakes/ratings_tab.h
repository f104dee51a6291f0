#pragma once
// The "Рейтинг" page: the rating list `lvRatings` (18 columns, sorted by the rating itself on a
// header click), the three efficiency modes, the refresh, CSV and spreadsheet exports, the
// graphs and "Добавить в сценарий". Status panel 5 follows the number of rows.
#include <QPointer>
#include <string>
#include <vector>

#include "app/tab.h"
#include "stakes/ratings.h"

class QActionGroup;

namespace tavlora::ui {
class ChartWindow;
}

namespace tavlora::app {

class RatingsModel;

class RatingsTab : public Tab {
    Q_OBJECT
public:
    explicit RatingsTab(TabHost& host, QWidget* parent = nullptr);

    QTableView* list() const { return lvRatings_; }
    TRatingsEffMode effMode() const { return mode_; }
    void setEffMode(TRatingsEffMode mode);

    // Redraws the list from the rating (after stakes were checked), status panel 5 included.
    void reload();
    // Header click: the same column again reverses the order, another one sorts ascending.
    void sortByColumn(int column);

    // --- commands ----------------------------------------------------------------------------
    void refreshRatings();
    bool exportCsv(const QString& fileName);
    void addToScenario();
    void showStakesGraph(bool profit);
    void showDistribution();

    // The keys of the selected rows, in list order.
    std::vector<std::string> selectedKeys() const;

    void sessionOpened() override { reload(); }
    void buildCommands() override;
    std::optional<TabMenu> menu() const override;
    void restoreSettings(const TFormMainSettings& s) override;
    std::vector<QTableView*> columnLists() const override { return {lvRatings_}; }
    // New draws check stakes elsewhere (the download): the list follows with the view chain.
    bool isView() const override { return true; }

protected:
    void recompute(bool) override { reload(); }

private:
    TRatings* ratings() const;
    bool hasSelection() const;

    QTableView* lvRatings_ = nullptr;
    RatingsModel* model_ = nullptr;
    QActionGroup* modes_ = nullptr;
    TRatingsEffMode mode_ = TRatingsEffMode::Absolute;
    QPointer<ui::ChartWindow> graph_;
};

}  // namespace tavlora::app
