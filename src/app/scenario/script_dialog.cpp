#include "app/scenario/script_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QEvent>
#include <QFormLayout>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>
#include <limits>

#include "core/format.h"
#include "core/interaction.h"
#include "scenario/filter_check.h"
#include "ui/text.h"
#include "ui/window_settings.h"

namespace tavlora::app {

using ui::qs;
using ui::us;

TFormScript::TFormScript(const QString& title, const QString& lineText, int excludePreset,
                         FilterEditorContext context, Interaction& interaction, QWidget* parent)
    : QDialog(parent), context_(std::move(context)), interaction_(interaction) {
    setObjectName(QStringLiteral("TFormScript"));
    setWindowTitle(QString::fromUtf8(kLineEditorCaption));
    auto* layout = new QVBoxLayout(this);
    auto* heading = new QLabel(title, this);
    heading->setObjectName(QStringLiteral("lblTitle"));
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);
    layout->addWidget(heading);

    edComments_ = new QLineEdit(this);
    edComments_->setObjectName(QStringLiteral("edComments"));
    edComments_->setPlaceholderText(QStringLiteral("Комментарии (можно оставить пустым)"));
    edComments_->setToolTip(edComments_->placeholderText());
    layout->addWidget(edComments_);

    auto* form = new QFormLayout;
    layout->addLayout(form);
    cbStartCombsType_ = new QComboBox(this);
    cbStartCombsType_->setObjectName(QStringLiteral("cbStartCombsType"));
    for (int i = 0; i < kScenarioSourceCount; ++i) cbStartCombsType_->addItem(qs(sourceCaption(i)));
    edDrawsExclude_ = new QSpinBox(this);
    edDrawsExclude_->setObjectName(QStringLiteral("edDrawsExclude"));
    edDrawsExclude_->setRange(0, std::numeric_limits<int>::max());
    edDrawsExclude_->setValue(std::max(0, excludePreset));
    auto* start = new QHBoxLayout;
    start->addWidget(cbStartCombsType_, 1);
    start->addWidget(new QLabel(QStringLiteral("Кол-во тиражей:"), this));
    start->addWidget(edDrawsExclude_);
    form->addRow(start);
    cbResultCombsMode_ = new QComboBox(this);
    cbResultCombsMode_->setObjectName(QStringLiteral("cbResultCombsMode"));
    for (int i = 0; i < kScenarioResultCount; ++i) cbResultCombsMode_->addItem(qs(resultCaption(i)));
    form->addRow(new QLabel(QStringLiteral("В случае неоднозначного результата после применения фильтров:"), this));
    form->addRow(cbResultCombsMode_);
    cbClearStakes_ = new QCheckBox(QStringLiteral("Удалить все ставки перед выполнением (накопление только рейтинга)"), this);
    cbClearStakes_->setObjectName(QStringLiteral("cbClearStakes"));
    cbNewOnly_ = new QCheckBox(
        QStringLiteral("Только новые ставки (пропускать те ставки, которые уже есть в списке)"), this);
    cbNewOnly_->setObjectName(QStringLiteral("cbNewOnly"));
    form->addRow(cbClearStakes_);
    form->addRow(cbNewOnly_);

    auto* filters = new QGridLayout;
    for (int i = 0; i < kScenarioFilterCount; ++i) {
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QStringLiteral("edFilter%1").arg(i + 1));
        edit->setMinimumWidth(420);
        edit->installEventFilter(this);
        auto* button = new QToolButton(this);
        button->setObjectName(QStringLiteral("btnFilter%1").arg(i + 1));
        button->setText(QStringLiteral("..."));
        connect(button, &QToolButton::clicked, this, [this, i] { editFilter(i); });
        filters->addWidget(new QLabel(QStringLiteral("Фильтр %1:").arg(i + 1), this), i, 0);
        filters->addWidget(edit, i, 1);
        filters->addWidget(button, i, 2);
        edFilters_[static_cast<std::size_t>(i)] = edit;
        btnFilters_[static_cast<std::size_t>(i)] = button;
    }
    layout->addLayout(filters);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &TFormScript::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);

    load(ScenarioLine::parse(us(lineText), context_.registry));
    ui::keepPlacement(*this, "TFormScript");
}

void TFormScript::load(const ScenarioLine& line) {
    if (line.separator) {
        // A new line: empty texts and switches, both lists at their first item; the exclude
        // count keeps its preset.
        cbStartCombsType_->setCurrentIndex(0);
        cbResultCombsMode_->setCurrentIndex(0);
        return;
    }
    edComments_->setText(qs(line.comment));
    cbStartCombsType_->setCurrentIndex(line.options.source);
    edDrawsExclude_->setValue(std::max(0, line.options.excludeCount));
    cbResultCombsMode_->setCurrentIndex(line.options.resultMode);
    cbClearStakes_->setChecked(line.options.clearStakes);
    cbNewOnly_->setChecked(line.options.newOnly);
    for (int i = 0; i < kScenarioFilterCount; ++i)
        edFilters_[static_cast<std::size_t>(i)]->setText(qs(line.filters[static_cast<std::size_t>(i)].text()));
}

void TFormScript::editFilter(int index) {
    QLineEdit* field = edFilters_.at(static_cast<std::size_t>(index));
    TFormFilter editor(context_, field->text(), interaction_, this);
    if (editor.exec() == QDialog::Accepted) field->setText(editor.filterText());
}

bool TFormScript::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonDblClick)
        for (int i = 0; i < kScenarioFilterCount; ++i)
            if (watched == edFilters_[static_cast<std::size_t>(i)]) {
                editFilter(i);
                return true;
            }
    return QDialog::eventFilter(watched, event);
}

void TFormScript::accept() {
    // A filter typed into its field passes the same checks as one made in the filter editor.
    std::array<std::string, kScenarioFilterCount> filters;
    for (int i = 0; i < kScenarioFilterCount; ++i) {
        filters[static_cast<std::size_t>(i)] = us(edFilters_[static_cast<std::size_t>(i)]->text());
        const TFilterCheckResult check =
            checkFilterItem(TFilterItem::parse(filters[static_cast<std::size_t>(i)], context_.registry));
        if (!check.ok()) {
            interaction_.error(fmt("Фильтр %d: %s", i + 1, check.message));
            edFilters_[static_cast<std::size_t>(i)]->setFocus();
            return;
        }
    }
    ScenarioOptions options;
    options.source = static_cast<uint8_t>(std::max(0, cbStartCombsType_->currentIndex()));
    // The count matters only to the source that removes the latest draws; the others write 0.
    options.excludeCount = options.source == ssExcl ? edDrawsExclude_->value() : 0;
    options.resultMode = static_cast<uint8_t>(std::max(0, cbResultCombsMode_->currentIndex()));
    options.clearStakes = cbClearStakes_->isChecked();
    options.newOnly = cbNewOnly_->isChecked();
    result_ = qs(joinScenarioLine(options.text(), filters, us(edComments_->text())));
    QDialog::accept();
}

}  // namespace tavlora::app
