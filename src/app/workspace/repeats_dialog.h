#pragma once
// The dialog "Количество повторов в зависимости от тиража": for each of the last `edDrawsLen` draws
// of the archive, how many numbers it shares with each of the `edDeep` draws before it (the table
// `lvList`) and one chart line per number of shared numbers. It keeps its placement, the list's
// column widths, the chart's height and both parameters in its own section TFormRepeats.
#include <QDialog>

#include <filesystem>

class QSpinBox;
class QSplitter;
class QTableWidget;

namespace tavlora::ui {
class ChartPanel;
}

namespace tavlora::app {

class TabHost;

inline constexpr const char* kRepeatsSection = "TFormRepeats";

class RepeatsDialog : public QDialog {
    Q_OBJECT
public:
    RepeatsDialog(TabHost& host, QWidget* parent = nullptr);

    QSpinBox* lengthEdit() const { return edDrawsLen_; }
    QSpinBox* deepEdit() const { return edDeep_; }
    QTableWidget* list() const { return lvList_; }
    ui::ChartPanel* chart() const { return chart_; }

    // Collects the table under the progress window and draws the chart.
    void calculate();

    void done(int result) override;

private:
    void restoreSettings();
    void saveSettings() const;

    TabHost& host_;
    std::filesystem::path frm_;
    bool computing_ = false;
    QSpinBox* edDrawsLen_ = nullptr;
    QSpinBox* edDeep_ = nullptr;
    QSplitter* splitter_ = nullptr;
    QTableWidget* lvList_ = nullptr;
    ui::ChartPanel* chart_ = nullptr;
};

}  // namespace tavlora::app
