#include "app/stakes/regular_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "core/text_forms.h"
#include "ui/text.h"
#include "ui/window_settings.h"

namespace tavlora::app {

TFormTable::TFormTable(std::vector<TSelectedComb> selected, const std::vector<TRegular>& existing,
                       Interaction& interaction, QWidget* parent)
    : QDialog(parent), selected_(std::move(selected)), existing_(existing), interaction_(interaction) {
    setObjectName(QStringLiteral("TFormTable"));
    setWindowTitle(QStringLiteral("Добавление регулярной ставки"));
    auto* layout = new QVBoxLayout(this);

    layout->addWidget(new QLabel(QStringLiteral("Комментарий к ставке:"), this));
    edComment_ = new QLineEdit(ui::qs(kRegularDefaultComment), this);
    edComment_->setObjectName(QStringLiteral("edComment"));
    edComment_->setMaxLength(kRegularCommentMaxChars);
    layout->addWidget(edComment_);

    rbUseMyComb_ = new QRadioButton(QStringLiteral("Использовать постоянную стартовую комбинацию:"), this);
    rbUseMyComb_->setObjectName(QStringLiteral("rbUseMyComb"));
    rbUseMyComb_->setChecked(true);
    layout->addWidget(rbUseMyComb_);
    edCombStart_ = new QLineEdit(this);
    edCombStart_->setObjectName(QStringLiteral("edCombStart"));
    edCombStart_->setText(selected_.size() == 1 ? ui::qs(joinedForm(shemaOf(selected_.front().second), ";"))
                                                : ui::qs(kRegularSelectedCombsText));
    layout->addWidget(edCombStart_);
    rbUseLastDraw_ = new QRadioButton(QStringLiteral("Использовать данные предыдущего тиража"), this);
    rbUseLastDraw_->setObjectName(QStringLiteral("rbUseLastDraw"));
    layout->addWidget(rbUseLastDraw_);

    auto* stepRow = new QFormLayout;
    edStep_ = new QSpinBox(this);
    edStep_->setObjectName(QStringLiteral("edStep"));
    edStep_->setRange(-kRegularStepLimit, kRegularStepLimit);
    edStep_->setValue(1);
    edStep_->setToolTip(QStringLiteral("Шаг изменения элементов комбинации"));
    stepRow->addRow(QStringLiteral("Шаг:"), edStep_);
    layout->addLayout(stepRow);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Отмена"));
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &TFormTable::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(rbUseMyComb_, &QRadioButton::toggled, this, &TFormTable::updateEnabled);
    updateEnabled();
    setMinimumWidth(380);
    ui::keepPlacement(*this, "TFormTable");
    edComment_->setFocus();
    edComment_->selectAll();
}

void TFormTable::updateEnabled() {
    // The start is typed only for a constant start from one chosen combination.
    edCombStart_->setEnabled(rbUseMyComb_->isChecked() && selected_.size() == 1);
}

void TFormTable::accept() {
    const TRegularInput input{ui::us(edComment_->text()), rbUseLastDraw_->isChecked(), ui::us(edCombStart_->text()),
                              edStep_->value()};
    TRegularsCheck check = checkRegularInput(input, selected_, existing_);
    if (!check.ok) {
        interaction_.warning(check.warning);
        QWidget* focus = check.focus == TRegularsCheck::Field::Start  ? static_cast<QWidget*>(edCombStart_)
                         : check.focus == TRegularsCheck::Field::Step ? static_cast<QWidget*>(edStep_)
                                                                      : static_cast<QWidget*>(edComment_);
        focus->setFocus();
        return;
    }
    created_ = std::move(check.created);
    QDialog::accept();
}

std::optional<std::vector<TRegular>> TFormTable::ask(QWidget* parent, std::vector<TSelectedComb> selected,
                                                     const std::vector<TRegular>& existing, Interaction& interaction) {
    TFormTable dialog(std::move(selected), existing, interaction, parent);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.created();
}

}  // namespace tavlora::app
