#include "app/scenario/filter_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QSpinBox>
#include <QVBoxLayout>
#include <limits>

#include "core/format.h"
#include "core/interaction.h"
#include "scenario/scenario_run.h"
#include "stats/stat_list.h"
#include "ui/text.h"
#include "ui/window_settings.h"
#include "workspace/stat_table.h"

namespace tavlora::app {

using ui::qs;
using ui::us;

namespace {

// The value-list fields take digits, ",", "-" and ";" only (control keys keep working).
QLineEdit* valueListEdit(const char* name, QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9,;\\-]*")), edit));
    return edit;
}

QDoubleSpinBox* coefficientEdit(const char* name, QWidget* parent) {
    auto* edit = new QDoubleSpinBox(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setDecimals(3);
    edit->setRange(-1e9, 1e9);
    return edit;
}

QComboBox* comboBox(const char* name, const QStringList& items, QWidget* parent) {
    auto* box = new QComboBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->addItems(items);
    return box;
}

bool overridesWeights(int selectionMode) { return selectionMode >= 19 && selectionMode <= 21; }

}  // namespace

TFormFilter::TFormFilter(const FilterEditorContext& context, const QString& filterText, Interaction& interaction,
                         QWidget* parent)
    : QDialog(parent), context_(context), interaction_(interaction), original_(filterText) {
    setObjectName(QStringLiteral("TFormFilter"));
    setWindowTitle(QString::fromUtf8(kFilterEditorCaption));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    layout->addLayout(form);

    cbDrawsStatType_ = new QComboBox(this);
    cbDrawsStatType_->setObjectName(QStringLiteral("cbDrawsStatType"));
    for (const auto& [caption, index] : context_.methods) cbDrawsStatType_->addItem(caption, index);
    form->addRow(QStringLiteral("Тип фильтра:"), cbDrawsStatType_);
    edDrawsLen_ = valueListEdit("edDrawsLen", this);
    form->addRow(QStringLiteral("Количество тиражей:"), edDrawsLen_);
    cbMultiSelect_ = new QCheckBox(
        QStringLiteral("Использовать режим одновременного выделения нескольких значений в списке"), this);
    cbMultiSelect_->setObjectName(QStringLiteral("cbMultiSelect"));
    form->addRow(cbMultiSelect_);

    QStringList levels, stops, columns;
    for (int i = 0; i < kSelectionModeCount; ++i) levels << qs(selectionModeCaption(i));
    for (int i = 0; i < kScenarioStopCount; ++i) stops << qs(stopModeCaption(i));
    for (const std::string& c : statColumnCaptions()) columns << qs(c);
    cbLevelMode_ = comboBox("cbLevelMode", levels, this);
    form->addRow(QStringLiteral("Режим выделения значений в списке статистики:"), cbLevelMode_);
    edLevelValue_ = valueListEdit("edLevelValue", this);
    form->addRow(QStringLiteral("Значения:"), edLevelValue_);
    cbStopMode_ = comboBox("cbStopMode", stops, this);
    form->addRow(QStringLiteral("Остановка по:"), cbStopMode_);
    edStopValue_ = new QSpinBox(this);
    edStopValue_->setObjectName(QStringLiteral("edStopValue"));
    edStopValue_->setRange(1, std::numeric_limits<int>::max());
    form->addRow(QStringLiteral("Значение:"), edStopValue_);

    auto* group = new QGroupBox(QStringLiteral("Коэффициенты для расчета значений \"Вес\""), this);
    group->setObjectName(QStringLiteral("gbCoefficients"));
    auto* grid = new QGridLayout(group);
    cbCDLOverride_ = new QCheckBox(QStringLiteral("Использовать собственные коэффициенты"), group);
    cbCDLOverride_->setObjectName(QStringLiteral("cbCDLOverride"));
    edCoefCount_ = coefficientEdit("edCoefCount", group);
    edCoefDeviation_ = coefficientEdit("edCoefDeviation", group);
    edCoefLevel_ = coefficientEdit("edCoefLevel", group);
    cbCoefPercents_ = new QCheckBox(QStringLiteral("Использовать значения в %"), group);
    cbCoefPercents_->setObjectName(QStringLiteral("cbCoefPercents"));
    cbCoefAbs_ = new QCheckBox(QStringLiteral("Использовать абсолютные значения"), group);
    cbCoefAbs_->setObjectName(QStringLiteral("cbCoefAbs"));
    grid->addWidget(cbCDLOverride_, 0, 0, 1, 3);
    grid->addWidget(new QLabel(QStringLiteral("Количество:"), group), 1, 0);
    grid->addWidget(new QLabel(QStringLiteral("Отклонение:"), group), 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("Глубина:"), group), 1, 2);
    grid->addWidget(edCoefCount_, 2, 0);
    grid->addWidget(edCoefDeviation_, 2, 1);
    grid->addWidget(edCoefLevel_, 2, 2);
    grid->addWidget(cbCoefPercents_, 3, 0, 1, 3);
    grid->addWidget(cbCoefAbs_, 4, 0, 1, 3);
    layout->addWidget(group);

    auto* order = new QFormLayout;
    cbDrawsSortOrder_ = comboBox("cbDrawsSortOrder", columns, this);
    order->addRow(QStringLiteral("Сортировать по столбцу:"), cbDrawsSortOrder_);
    cbDirection_ = comboBox("cbDirection", {QStringLiteral("Сверху-вниз"), QStringLiteral("Снизу-вверх")}, this);
    order->addRow(QStringLiteral("Направление:"), cbDirection_);
    cbFilterMode_ = comboBox("cbFilterMode", {QStringLiteral("Удалить выделенные"), QStringLiteral("Оставить выделенные")},
                             this);
    order->addRow(QStringLiteral("Режим фильтра:"), cbFilterMode_);
    layout->addLayout(order);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &TFormFilter::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);

    connect(cbLevelMode_, &QComboBox::currentIndexChanged, this, &TFormFilter::updateEnabled);
    connect(cbCDLOverride_, &QCheckBox::toggled, this, &TFormFilter::updateEnabled);
    connect(cbDrawsStatType_, &QComboBox::activated, this, [this] { unknownMethod_ = false; });

    load(TFilterItem::parse(us(filterText), context_.registry));
    ui::keepPlacement(*this, "TFormFilter");
}

void TFormFilter::load(const TFilterItem& item) {
    // The statistics type bound to the filter's method, else the one the statistics tab shows.
    int row = -1;
    for (std::size_t r = 0; r < context_.methods.size(); ++r)
        if (item.method && context_.methods[r].second == item.methodIndex) row = static_cast<int>(r);
    unknownMethod_ = item.used && !item.method;
    if (row < 0 && !item.used) row = context_.presetRow;
    if (row < 0 && !unknownMethod_) row = 0;
    // An unregistered method is never replaced behind the user's back: no type is chosen until
    // the user picks one, and until then OK keeps the filter text as it was.
    cbDrawsStatType_->setCurrentIndex(row < cbDrawsStatType_->count() ? row : -1);
    if (unknownMethod_) interaction_.warning(fmt(kScriptUnknownMethod, item.methodText));

    QString draws = item.used ? qs(item.drawsText) : QString::number(context_.drawsLen);
    // An unresolved method keeps its sample lengths as written after the code.
    if (unknownMethod_) draws = qs(item.methodText).section(QLatin1Char(':'), 1).trimmed();
    edDrawsLen_->setText(draws);
    cbMultiSelect_->setChecked(item.multiSelect);
    cbLevelMode_->setCurrentIndex(item.selectionMode < kSelectionModeCount ? item.selectionMode : 0);
    edLevelValue_->setText(qs(item.selectionText));
    cbStopMode_->setCurrentIndex(item.stopMode < kScenarioStopCount ? item.stopMode : 0);
    edStopValue_->setValue(item.used ? std::max(1, item.stopValue) : 1);
    cbCDLOverride_->setChecked(item.weightOverride);
    const TWeights& w = item.weightOverride ? item.weights : context_.weights;
    edCoefCount_->setValue(static_cast<double>(w.count));
    edCoefDeviation_->setValue(static_cast<double>(w.deviation));
    edCoefLevel_->setValue(static_cast<double>(w.level));
    cbCoefPercents_->setChecked(w.usePercents);
    cbCoefAbs_->setChecked(w.useAbsValues);
    const int sort = item.used ? item.sortColumn : 1;
    cbDrawsSortOrder_->setCurrentIndex(sort >= 0 && sort < cbDrawsSortOrder_->count() ? sort : 1);
    cbDirection_->setCurrentIndex(item.bottomUp ? 1 : 0);
    cbFilterMode_->setCurrentIndex(item.keepSelected ? 1 : 0);
    updateEnabled();
}

void TFormFilter::updateEnabled() {
    cbCDLOverride_->setEnabled(overridesWeights(cbLevelMode_->currentIndex()));
    const bool own = cbCDLOverride_->isEnabled() && cbCDLOverride_->isChecked();
    for (QWidget* w : std::initializer_list<QWidget*>{edCoefCount_, edCoefDeviation_, edCoefLevel_, cbCoefPercents_,
                                                      cbCoefAbs_})
        w->setEnabled(own);
}

TFilterItem TFormFilter::item() const {
    TFilterItem f;
    f.used = true;
    const QVariant bound = cbDrawsStatType_->currentData();
    if (bound.isValid() && context_.registry) {
        f.methodIndex = bound.toInt();
        f.method = &context_.registry->item(f.methodIndex);
    }
    f.drawsText = us(edDrawsLen_->text());
    f.methodText = (f.method ? f.method->code() : std::string()) + ":" + f.drawsText;
    f.sortColumn = cbDrawsSortOrder_->currentIndex();
    f.bottomUp = cbDirection_->currentIndex() == 1;
    f.multiSelect = cbMultiSelect_->isChecked();
    f.keepSelected = cbFilterMode_->currentIndex() == 1;
    f.selectionMode = static_cast<uint8_t>(cbLevelMode_->currentIndex());
    f.selectionText = us(edLevelValue_->text());
    f.weightOverride = cbCDLOverride_->isChecked();
    f.weights.count = edCoefCount_->value();
    f.weights.deviation = edCoefDeviation_->value();
    f.weights.level = edCoefLevel_->value();
    f.weights.usePercents = cbCoefPercents_->isChecked();
    f.weights.useAbsValues = cbCoefAbs_->isChecked();
    f.stopMode = static_cast<uint8_t>(cbStopMode_->currentIndex());
    f.stopValue = edStopValue_->value();
    return f;
}

TFilterCheckResult TFormFilter::check() const { return checkFilterItem(item()); }

QWidget* TFormFilter::focusTarget(TFilterFocus focus) const {
    switch (focus) {
        case TFilterFocus::StatType: return cbDrawsStatType_;
        case TFilterFocus::DrawsLen: return edDrawsLen_;
        case TFilterFocus::LevelMode: return cbLevelMode_;
        case TFilterFocus::LevelValue: return edLevelValue_;
        case TFilterFocus::StopMode: return cbStopMode_;
        case TFilterFocus::None: break;
    }
    return nullptr;
}

void TFormFilter::accept() {
    if (unknownMethod_ && cbDrawsStatType_->currentIndex() < 0) {
        result_ = original_;  // no type chosen: the filter stays as it was written
        QDialog::accept();
        return;
    }
    const TFilterCheckResult result = check();
    if (!result.ok()) {
        interaction_.error(result.message);
        if (QWidget* target = focusTarget(result.focus)) target->setFocus();
        return;
    }
    result_ = qs(item().text());
    QDialog::accept();
}

}  // namespace tavlora::app
