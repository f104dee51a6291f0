#include "app/archive/draw_dialog.h"

#include <QDateTime>
#include <QDateTimeEdit>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <limits>

#include "core/date.h"
#include "core/error.h"
#include "core/format.h"
#include "core/text_forms.h"
#include "ui/message_boxes.h"
#include "ui/text.h"
#include "ui/window_settings.h"

namespace tavlora::app {

TDrawDialog::TDrawDialog(QWidget* parent, const QString& caption, const TDraw& draw, Interaction& interaction,
                         NumberCheck numberTaken)
    : QDialog(parent), interaction_(interaction), numberTaken_(std::move(numberTaken)), result_(draw) {
    setObjectName(QStringLiteral("TDrawDialog"));
    setWindowTitle(caption);
    auto* layout = new QVBoxLayout(this);
    auto* box = new QGroupBox(QStringLiteral("Данные тиража"), this);
    auto* form = new QFormLayout(box);

    edNumber_ = new QSpinBox(box);
    edNumber_->setObjectName(QStringLiteral("edDrawNumber"));
    edNumber_->setRange(1, std::numeric_limits<int>::max());
    edNumber_->setValue(std::max(1, draw.number));
    form->addRow(QStringLiteral("Номер тиража:"), edNumber_);

    auto* numbersLabel = new QLabel(QStringLiteral("Выпавшие числа, разделенные точкой с запятой или запятой:"), box);
    edNumbers_ = new QLineEdit(box);
    edNumbers_->setObjectName(QStringLiteral("edDrawNumbers"));
    // A zeroed record (a new draw) opens with an empty field rather than "0;0;0;0;0;0".
    const bool hasNumbers = draw.extra != 0 || draw.nums != std::array<uint8_t, 5>{};
    if (hasNumbers) edNumbers_->setText(ui::qs(drawInputText(draw)));
    edNumbers_->setPlaceholderText(QStringLiteral("5;12;33;41;69;7"));
    edNumbers_->setToolTip(QString::fromUtf8(kDrawNumbersHint));
    auto* numbersHint = new QLabel(QString::fromUtf8(kDrawNumbersHint), box);
    numbersHint->setObjectName(QStringLiteral("lbDrawNumbersHint"));
    numbersHint->setWordWrap(true);
    form->addRow(numbersLabel);
    form->addRow(edNumbers_);
    form->addRow(numbersHint);

    edDate_ = new QDateTimeEdit(box);
    edDate_->setObjectName(QStringLiteral("edDrawDate"));
    // The date in the form the draws list shows it (month/day/year).
    edDate_->setDisplayFormat(QStringLiteral("MM/dd/yyyy HH:mm"));
    edDate_->setCalendarPopup(true);
    QDateTime when = QDateTime::currentDateTime();
    try {
        if (auto d = readDateText(draw.dateText())) when = QDateTime(QDate(d->year, d->month, d->day), QTime(0, 0));
    } catch (const EError&) {
        // An unreadable stored date opens as today; the user sees and can correct it.
    }
    edDate_->setDateTime(when);
    form->addRow(QStringLiteral("Дата и время тиража:"), edDate_);

    layout->addWidget(box);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Отмена"));
    connect(buttons, &QDialogButtonBox::accepted, this, &TDrawDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &TDrawDialog::reject);
    layout->addWidget(buttons);
    resize(440, sizeHint().height());
    edNumbers_->setFocus();
    // Opens where and at the size it was last closed.
    ui::keepPlacement(*this, "TDrawDialog");
}

void TDrawDialog::accept() {
    const QDate day = edDate_->date();
    const CivilDate date{day.year(), day.month(), day.day()};
    const DrawInputResult r = validateDrawInput(edNumber_->value(), ui::us(edNumbers_->text()), date);
    if (!r.ok) {
        interaction_.warning(r.warning.empty() ? std::string(kBadCombinationWarning) : r.warning);
        edNumbers_->setFocus();
        return;
    }
    if (numberTaken_ && numberTaken_(r.draw.number)) {
        interaction_.warning(fmt(kDrawNumberTaken, r.draw.number));
        edNumber_->setFocus();
        edNumber_->selectAll();
        return;
    }
    result_ = r.draw;
    QDialog::accept();
}

std::optional<TDraw> TDrawDialog::edit(QWidget* parent, const QString& caption, const TDraw& draw,
                                       Interaction& interaction, NumberCheck numberTaken) {
    TDrawDialog dialog(parent, caption, draw, interaction, std::move(numberTaken));
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.draw();
}

}  // namespace tavlora::app
