#pragma once
// The "Графики" page: the graph methods `cbDrawsGraphType`, the window length `edDrawsGraphLen`
// (key DrawsGraphLen), the marks switch and the chart `crtDrawsGraph` with the method's numbers of
// each draw, their mean and their most frequent value. It is a view of the view chain. It also
// holds the two chart commands of the workspace: the repeats dialog (`AnalyzeRepeats`) and the
// sum distribution (`TotalSumCombs`). Its command keeps the historical name TabGraps; its key is
// TabGraphs.
#include <QPointer>

#include "app/tab.h"
#include "app/workspace/repeats_dialog.h"
#include "ui/chart_window.h"
#include "workspace/stat_table.h"

class QCheckBox;
class QComboBox;
class QSpinBox;

namespace tavlora::app {

inline constexpr const char* kTotalSumCombsCaption = "Распределение сумм тиражей и всех возможных комбинаций";
// The section of the window settings file that keeps the chart window's placement.
inline constexpr const char* kChartWindowSection = "TFormGraph";

class GraphsTab : public Tab {
    Q_OBJECT
public:
    explicit GraphsTab(TabHost& host, QWidget* parent = nullptr);

    QComboBox* methodBox() const { return cbDrawsGraphType_; }
    QSpinBox* lengthEdit() const { return edDrawsGraphLen_; }
    QCheckBox* marksBox() const { return cbMarks_; }
    ui::ChartPanel* chart() const { return crtDrawsGraph_; }
    // The dialogs while they are open.
    RepeatsDialog* repeatsDialog() const { return repeats_; }
    ui::ChartWindow* sumsWindow() const { return sums_; }

    // Registry index of the selected method, -1 when none.
    int selectedMethod() const;
    void fillMethodList(bool keepSelection);
    void recompute(bool force) override;
    // Opens (or raises) the repeats dialog and computes it.
    void analyzeRepeats();
    // Computes the sum distribution and opens it in the chart window.
    void totalSumCombs();

    void buildCommands() override;
    std::optional<TabMenu> menu() const override;
    void sessionOpened() override { gate_.reset(); }
    void restoreSettings(const TFormMainSettings& s) override;
    void saveSettings(TFormMainSettings& s) const override;
    void enableControls(bool on) override;
    void methodListsChanged() override { fillMethodList(true); }
    bool isView() const override { return true; }

private:
    TStatRecomputeGate gate_;
    bool computing_ = false;
    QComboBox* cbDrawsGraphType_ = nullptr;
    QSpinBox* edDrawsGraphLen_ = nullptr;
    QCheckBox* cbMarks_ = nullptr;
    ui::ChartPanel* crtDrawsGraph_ = nullptr;
    QPointer<RepeatsDialog> repeats_;
    QPointer<ui::ChartWindow> sums_;
};

}  // namespace tavlora::app
