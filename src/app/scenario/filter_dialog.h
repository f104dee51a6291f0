#pragma once
// The filter editor TFormFilter "Фильтр": one filter of a scenario line with the choices of the
// statistics tab (method, sample lengths, sort column, direction, keep or remove), the row
// selection, the stop of the walk and the weight coefficients. OK runs the engine's filter
// checks in order; the first failure is shown, its control gets the focus and the editor stays.
#include <QDialog>
#include <QString>
#include <optional>
#include <vector>

#include "core/settings.h"
#include "scenario/filter_check.h"
#include "scenario/scenario_line.h"

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QGroupBox;
class QLineEdit;
class QSpinBox;

namespace tavlora {
class Interaction;
class TStatList;
}  // namespace tavlora

namespace tavlora::app {

inline constexpr const char* kFilterEditorCaption = "Фильтр";

// What the filter editor offers: the statistics-type list as the statistics tab shows it
// (captions and the registry indices they are bound to, and the row it has selected), the
// statistics tab's sample length and the weight coefficients of the settings.
struct FilterEditorContext {
    const TStatList* registry = nullptr;
    std::vector<std::pair<QString, int>> methods;
    int presetRow = 0;
    int drawsLen = 1000;
    TWeights weights;
};

class TFormFilter : public QDialog {
    Q_OBJECT
public:
    // Opens on a filter text (empty: a new filter). A filter whose method is not registered is
    // warned about through interaction; it keeps its text unless a statistics type is chosen.
    TFormFilter(const FilterEditorContext& context, const QString& filterText, Interaction& interaction,
                QWidget* parent = nullptr);

    // The canonical text of the edited filter (valid after OK).
    const QString& filterText() const { return result_; }
    // The checks of the controls as they are now, without showing anything.
    TFilterCheckResult check() const;

    QComboBox* statType() const { return cbDrawsStatType_; }
    QLineEdit* drawsLen() const { return edDrawsLen_; }
    QCheckBox* multiSelect() const { return cbMultiSelect_; }
    QComboBox* levelMode() const { return cbLevelMode_; }
    QLineEdit* levelValue() const { return edLevelValue_; }
    QComboBox* stopMode() const { return cbStopMode_; }
    QSpinBox* stopValue() const { return edStopValue_; }
    QCheckBox* cdlOverride() const { return cbCDLOverride_; }
    QDoubleSpinBox* coefCount() const { return edCoefCount_; }
    QCheckBox* coefPercents() const { return cbCoefPercents_; }
    QComboBox* sortOrder() const { return cbDrawsSortOrder_; }
    QComboBox* direction() const { return cbDirection_; }
    QComboBox* filterMode() const { return cbFilterMode_; }

    void accept() override;

private:
    void load(const TFilterItem& item);
    TFilterItem item() const;
    void updateEnabled();
    QWidget* focusTarget(TFilterFocus focus) const;

    FilterEditorContext context_;
    Interaction& interaction_;
    QString original_;
    bool unknownMethod_ = false;  // the filter names a method that is not registered
    QString result_;

    QComboBox* cbDrawsStatType_ = nullptr;
    QLineEdit* edDrawsLen_ = nullptr;
    QCheckBox* cbMultiSelect_ = nullptr;
    QComboBox* cbLevelMode_ = nullptr;
    QLineEdit* edLevelValue_ = nullptr;
    QComboBox* cbStopMode_ = nullptr;
    QSpinBox* edStopValue_ = nullptr;
    QCheckBox* cbCDLOverride_ = nullptr;
    QDoubleSpinBox* edCoefCount_ = nullptr;
    QDoubleSpinBox* edCoefDeviation_ = nullptr;
    QDoubleSpinBox* edCoefLevel_ = nullptr;
    QCheckBox* cbCoefPercents_ = nullptr;
    QCheckBox* cbCoefAbs_ = nullptr;
    QComboBox* cbDrawsSortOrder_ = nullptr;
    QComboBox* cbDirection_ = nullptr;
    QComboBox* cbFilterMode_ = nullptr;
};

}  // namespace tavlora::app
