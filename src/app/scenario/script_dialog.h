#pragma once
// The line editor TFormScript "Элемент сценария": the options of a command line (start list with
// the exclude count, result mode, the two stake switches), its seven filters (each with a "..."
// button, or a double-click on the field, that opens the filter editor on it) and the comment.
#include <QDialog>
#include <QString>
#include <array>

#include "app/scenario/filter_dialog.h"
#include "scenario/scenario_line.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QSpinBox;
class QToolButton;

namespace tavlora::app {

inline constexpr const char* kLineEditorCaption = "Элемент сценария";

class TFormScript : public QDialog {
    Q_OBJECT
public:
    // title: the heading of the editor ("Создание новой строки", "Редактирование строки");
    // lineText: the line to edit (empty: a new line, whose exclude count is excludePreset).
    TFormScript(const QString& title, const QString& lineText, int excludePreset, FilterEditorContext context,
                Interaction& interaction, QWidget* parent = nullptr);

    // The line written from the controls (valid after OK).
    const QString& lineText() const { return result_; }
    // Opens the filter editor on filter field `index` (0..6) and, on OK, writes its canonical
    // text back into that field.
    void editFilter(int index);

    QLineEdit* comments() const { return edComments_; }
    QComboBox* startCombsType() const { return cbStartCombsType_; }
    QSpinBox* drawsExclude() const { return edDrawsExclude_; }
    QComboBox* resultCombsMode() const { return cbResultCombsMode_; }
    QCheckBox* clearStakes() const { return cbClearStakes_; }
    QCheckBox* newOnly() const { return cbNewOnly_; }
    QLineEdit* filterEdit(int index) const { return edFilters_.at(static_cast<std::size_t>(index)); }
    QToolButton* filterButton(int index) const { return btnFilters_.at(static_cast<std::size_t>(index)); }

    void accept() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void load(const ScenarioLine& line);

    FilterEditorContext context_;
    Interaction& interaction_;
    QString result_;

    QLineEdit* edComments_ = nullptr;
    QComboBox* cbStartCombsType_ = nullptr;
    QSpinBox* edDrawsExclude_ = nullptr;
    QComboBox* cbResultCombsMode_ = nullptr;
    QCheckBox* cbClearStakes_ = nullptr;
    QCheckBox* cbNewOnly_ = nullptr;
    std::array<QLineEdit*, kScenarioFilterCount> edFilters_{};
    std::array<QToolButton*, kScenarioFilterCount> btnFilters_{};
};

}  // namespace tavlora::app
