#include "app/stakes/stake_dialogs.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>
#include <limits>

#include "core/interaction.h"
#include "core/text_forms.h"
#include "stakes/stake_actions.h"
#include "ui/text.h"
#include "ui/window_settings.h"

namespace tavlora::app {

using ui::qs;
using ui::us;

namespace {

QSpinBox* spin(QWidget* parent, const char* name, int min, int max, int value, const char* hint = nullptr) {
    auto* e = new QSpinBox(parent);
    e->setObjectName(QString::fromLatin1(name));
    e->setRange(min, max);
    e->setValue(std::clamp(value, min, max));
    if (hint) e->setToolTip(QString::fromUtf8(hint));
    return e;
}

QLineEdit* line(QWidget* parent, const char* name, const QString& text) {
    auto* e = new QLineEdit(text, parent);
    e->setObjectName(QString::fromLatin1(name));
    return e;
}

QDialogButtonBox* buttons(QDialog* d, const QString& okHint = {}) {
    auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, d);
    box->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    box->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Отмена"));
    if (!okHint.isEmpty()) box->button(QDialogButtonBox::Ok)->setToolTip(okHint);
    QObject::connect(box, &QDialogButtonBox::accepted, d, &QDialog::accept);
    QObject::connect(box, &QDialogButtonBox::rejected, d, &QDialog::reject);
    return box;
}

QString numbersText(const TShema& s) {
    QStringList parts;
    for (int i = 0; i < std::clamp(s.count, 0, 8); ++i) parts << QString::number(s.nums[static_cast<size_t>(i)]);
    return parts.join(QLatin1Char(';'));
}

}  // namespace

// --- "Добавление ставки" ------------------------------------------------------------------------

TFormStake::TFormStake(const TStakeRecord& initial, Interaction& interaction, QWidget* parent)
    : QDialog(parent), interaction_(interaction) {
    setObjectName(QStringLiteral("TFormStake"));
    setWindowTitle(QStringLiteral("Добавление ставки"));
    result_.record = initial;
    auto* form = new QFormLayout;
    edDrawNumber_ = spin(this, "edDrawNumber", 1, std::numeric_limits<int32_t>::max(), initial.drawNumber,
                         "Номер первого тиража");
    edDrawsCount_ = spin(this, "edDrawsCount", 1, 65535, 1,
                         "Количество тиражей, на которые нужно сделать ставку (начиная с указанного)");
    edStakeData_ = line(this, "edStakeData", numbersText(initial.numbers));
    edStakeSum_ = line(this, "edStakeSum", {});
    edStakeSum_->setReadOnly(true);
    edComment_ = line(this, "edComment", qs(initial.comment));
    edComment_->setMaxLength(kStakeCommentMaxChars);
    form->addRow(QStringLiteral("Номер тиража:"), edDrawNumber_);
    form->addRow(QStringLiteral("Кол-во тиражей:"), edDrawsCount_);
    form->addRow(QStringLiteral("Ставка:"), edStakeData_);
    form->addRow(QStringLiteral("Сумма:"), edStakeSum_);
    form->addRow(QStringLiteral("Комментарий к ставке:"), edComment_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons(this));
    connect(edStakeData_, &QLineEdit::textChanged, this, &TFormStake::updateSum);
    updateSum();
    ui::keepPlacement(*this, "TFormStake");
}

void TFormStake::updateSum() { edStakeSum_->setText(QString::number(stakeInputSum(us(edStakeData_->text())))); }

void TFormStake::accept() {
    const TStakeInput input = validateStakeInput(us(edStakeData_->text()), us(edComment_->text()));
    if (!input.ok) {
        interaction_.warning(input.warning);
        (input.focus == TStakeInput::Field::Comment ? edComment_ : edStakeData_)->setFocus();
        return;
    }
    TStakeRecord& r = result_.record;
    r.drawNumber = edDrawNumber_->value();
    r.comment = us(edComment_->text());
    r.numbers = TShema{};
    r.numbers.count = 5;
    std::copy(input.numbers.n.begin(), input.numbers.n.end(), r.numbers.nums.begin());
    result_.count = edDrawsCount_->value();
    QDialog::accept();
}

std::optional<StakeDialogResult> TFormStake::ask(QWidget* parent, const TStakeRecord& initial,
                                                 Interaction& interaction) {
    TFormStake dialog(initial, interaction, parent);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.stake();
}

// --- "Добавление мультиставки" ------------------------------------------------------------------

TFormMulti::TFormMulti(int32_t nextDraw, Interaction& interaction, QWidget* parent, const std::string& comment)
    : QDialog(parent), interaction_(interaction) {
    setObjectName(QStringLiteral("TFormMulti"));
    setWindowTitle(QStringLiteral("Добавление мультиставки"));
    auto* form = new QFormLayout;
    edDrawNumber_ = spin(this, "edDrawNumber", 1, std::numeric_limits<int32_t>::max(), nextDraw,
                         "Номер первого тиража");
    edDrawsCount_ = spin(this, "edDrawsCount", 1, 65535, 1,
                         "Количество тиражей, на которые нужно сделать ставку (начиная с указанного)");
    edComment_ = line(this, "edComment", qs(comment.empty() ? std::string(kManualStakeComment) : comment));
    edComment_->setMaxLength(kStakeCommentMaxChars);
    form->addRow(QStringLiteral("Номер тиража:"), edDrawNumber_);
    form->addRow(QStringLiteral("Кол-во тиражей:"), edDrawsCount_);
    form->addRow(QStringLiteral("Комментарий к ставке:"), edComment_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons(this));
    ui::keepPlacement(*this, "TFormMulti");
}

void TFormMulti::accept() {
    if (edComment_->text().trimmed().isEmpty()) {
        interaction_.warning(kStakeCommentMissing);
        edComment_->setFocus();
        return;
    }
    result_ = {edDrawNumber_->value(), edDrawsCount_->value(), us(edComment_->text())};
    QDialog::accept();
}

std::optional<MultiStakeResult> TFormMulti::ask(QWidget* parent, int32_t nextDraw, Interaction& interaction,
                                                const std::string& comment) {
    TFormMulti dialog(nextDraw, interaction, parent, comment);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.values();
}

// --- "Удаление по условию" ----------------------------------------------------------------------

TFormStakeFilter::TFormStakeFilter(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("TFormStakeFilter"));
    setWindowTitle(QStringLiteral("Удаление по условию"));
    cbCondition_ = new QComboBox(this);
    cbCondition_->setObjectName(QStringLiteral("cbCondition"));
    for (const std::string& c : stakeConditionCaptions()) cbCondition_->addItem(qs(c));
    cbCondition_->setCurrentIndex(0);
    edValue_ = spin(this, "edValue", 0, 5, 0);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Выберите условие:"), cbCondition_);
    form->addRow(QStringLiteral("Совпадений:"), edValue_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons(this, QStringLiteral("Удалить ставки")));
    ui::keepPlacement(*this, "TFormStakeFilter");
}

StakeFilterResult TFormStakeFilter::values() const {
    return {static_cast<TStakeCondition>(std::clamp(cbCondition_->currentIndex(), 0, 4)), edValue_->value()};
}

std::optional<StakeFilterResult> TFormStakeFilter::ask(QWidget* parent) {
    TFormStakeFilter dialog(parent);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.values();
}

}  // namespace tavlora::app
