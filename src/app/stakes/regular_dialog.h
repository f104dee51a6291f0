#pragma once
// The dialog "Добавление регулярной ставки": the comment, the base of the stakes (a constant start
// combination or the numbers of the previous draw) and the step. With exactly one combination
// selected in the combination list the start field holds it and may be edited; with several it
// reads "{...Выделенные комбинации...}" and one regular is made per selected combination. OK runs
// the engine's checks in order and puts the focus on the field at fault.
#include <QDialog>
#include <optional>
#include <vector>

#include "core/interaction.h"
#include "stakes/regulars.h"

class QLineEdit;
class QRadioButton;
class QSpinBox;

namespace tavlora::app {

class TFormTable : public QDialog {
    Q_OBJECT
public:
    TFormTable(std::vector<TSelectedComb> selected, const std::vector<TRegular>& existing, Interaction& interaction,
               QWidget* parent = nullptr);

    // The regulars to append (valid after an accepted dialog).
    const std::vector<TRegular>& created() const { return created_; }

    QLineEdit* commentEdit() const { return edComment_; }
    QLineEdit* startEdit() const { return edCombStart_; }
    QRadioButton* myCombButton() const { return rbUseMyComb_; }
    QRadioButton* lastDrawButton() const { return rbUseLastDraw_; }
    QSpinBox* stepEdit() const { return edStep_; }

    // Opens the dialog modally; the regulars made on OK, nothing on cancel.
    static std::optional<std::vector<TRegular>> ask(QWidget* parent, std::vector<TSelectedComb> selected,
                                                    const std::vector<TRegular>& existing, Interaction& interaction);

public slots:
    void accept() override;

private:
    void updateEnabled();

    std::vector<TSelectedComb> selected_;
    const std::vector<TRegular>& existing_;
    Interaction& interaction_;
    std::vector<TRegular> created_;
    QLineEdit* edComment_;
    QRadioButton* rbUseMyComb_;
    QRadioButton* rbUseLastDraw_;
    QLineEdit* edCombStart_;
    QSpinBox* edStep_;
};

}  // namespace tavlora::app
