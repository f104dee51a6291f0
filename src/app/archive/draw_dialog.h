#pragma once
// The draw dialog "Данные тиража": the draw number, the drawn numbers as text (five numbers and
// the extra number separated by ";" or ","), and the date and time. It never closes with OK on
// invalid input: it warns "Введена некорректная комбинация!" and puts the focus back on the
// numbers field, keeping the text for correction. A draw number that another draw already
// carries is refused the same way, with the focus on the number.
#include <QDialog>
#include <functional>
#include <optional>

#include "core/interaction.h"
#include "core/records.h"

class QDateTimeEdit;
class QLineEdit;
class QSpinBox;

namespace tavlora::app {

// The dialog's caption when a draw is added or edited.
inline constexpr const char* kAddDrawCaption = "Введите данные следующего тиража";
// A draw number that another draw of the archive already carries.
inline constexpr const char* kDrawNumberTaken = "Тираж с номером %d уже есть в архиве тиражей!";
// What the numbers field expects.
inline constexpr const char* kDrawNumbersHint =
    "Шесть чисел: пять основных (от 1 до 69) и дополнительное (от 1 до 26), например 5;12;33;41;69;7";

class TDrawDialog : public QDialog {
    Q_OBJECT
public:
    // True when the draw number is already taken by another draw.
    using NumberCheck = std::function<bool(int)>;

    TDrawDialog(QWidget* parent, const QString& caption, const TDraw& draw, Interaction& interaction,
                NumberCheck numberTaken = {});

    // The record built from the fields (valid after an accepted dialog).
    const TDraw& draw() const { return result_; }

    QSpinBox* numberEdit() const { return edNumber_; }
    QLineEdit* numbersEdit() const { return edNumbers_; }
    QDateTimeEdit* dateEdit() const { return edDate_; }

    // Opens the dialog modally; the edited record on OK, nothing on cancel.
    static std::optional<TDraw> edit(QWidget* parent, const QString& caption, const TDraw& draw,
                                     Interaction& interaction, NumberCheck numberTaken = {});

public slots:
    void accept() override;

private:
    Interaction& interaction_;
    NumberCheck numberTaken_;
    QSpinBox* edNumber_;
    QLineEdit* edNumbers_;
    QDateTimeEdit* edDate_;
    TDraw result_;
};

}  // namespace tavlora::app
