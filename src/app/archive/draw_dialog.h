#pragma once
// The draw dialog "Данные тиража": the draw number, the drawn numbers as text (five numbers and
// the extra number separated by ";" or ","), and the date and time. It never closes with OK on
// invalid input: it warns "Введена некорректная комбинация!" and puts the focus back on the
// numbers field, keeping the text for correction.
#include <QDialog>
#include <optional>

#include "core/interaction.h"
#include "core/records.h"

class QDateTimeEdit;
class QLineEdit;
class QSpinBox;

namespace tavlora::app {

// The dialog's caption when a draw is added or edited.
inline constexpr const char* kAddDrawCaption = "Введите данные следующего тиража";

class TDrawDialog : public QDialog {
    Q_OBJECT
public:
    TDrawDialog(QWidget* parent, const QString& caption, const TDraw& draw, Interaction& interaction);

    // The record built from the fields (valid after an accepted dialog).
    const TDraw& draw() const { return result_; }

    QSpinBox* numberEdit() const { return edNumber_; }
    QLineEdit* numbersEdit() const { return edNumbers_; }
    QDateTimeEdit* dateEdit() const { return edDate_; }

    // Opens the dialog modally; the edited record on OK, nothing on cancel.
    static std::optional<TDraw> edit(QWidget* parent, const QString& caption, const TDraw& draw,
                                     Interaction& interaction);

public slots:
    void accept() override;

private:
    Interaction& interaction_;
    QSpinBox* edNumber_;
    QLineEdit* edNumbers_;
    QDateTimeEdit* edDate_;
    TDraw result_;
};

}  // namespace tavlora::app
