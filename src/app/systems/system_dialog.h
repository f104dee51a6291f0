#pragma once
// The system dialog "Система": the fields of one own system (title, author, description, link,
// numbers K, combination length, block length) and its combination list with copy, paste, select
// all, load from and save to a file. Leaving the list normalises it (one combination "01 02 03 04 05"
// per line, K and the count taken from the lines); OK runs the checks in order and shows the first
// failing message, keeping the dialog open. A system of another owner is shown read only.
#include <QDialog>
#include <optional>

#include "stakes/systems_catalogue.h"

class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;

namespace tavlora {
class Interaction;
}

namespace tavlora::app {

class TFormSystem : public QDialog {
    Q_OBJECT
public:
    TFormSystem(const TSystemData& initial, bool editable, Interaction& interaction, QWidget* parent = nullptr);

    // Shows the dialog; the edited system after OK, nothing when cancelled (or read only).
    static std::optional<TSystemData> ask(QWidget* parent, const TSystemData& initial, bool editable,
                                          Interaction& interaction);

    // The system as the fields hold it now.
    TSystemData system() const;
    // Rewrites the combination list in its normal form and sets K and the count from it.
    void normaliseList();

    void accept() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void loadFromFile();
    void saveToFile();

    Interaction& interaction_;
    TSystemData initial_;
    QLineEdit* edTitle_ = nullptr;
    QLineEdit* edAuthor_ = nullptr;
    QPlainTextEdit* mmDescr_ = nullptr;
    QLineEdit* edUrl_ = nullptr;
    QPushButton* btUrl_ = nullptr;
    QSpinBox* edNums_ = nullptr;
    QSpinBox* edCombLen_ = nullptr;
    QSpinBox* edBlock_ = nullptr;
    QSpinBox* edCount_ = nullptr;
    QPlainTextEdit* mmCombs_ = nullptr;
};

// The new-wheel dialog "Создать систему": numbers K, guarantee t and the search's time limit.
struct WheelDialogResult {
    int numbers = 0;
    int guarantee = 0;
    int seconds = 0;
};

class TFormWheel : public QDialog {
    Q_OBJECT
public:
    explicit TFormWheel(QWidget* parent = nullptr);
    static std::optional<WheelDialogResult> ask(QWidget* parent);
    WheelDialogResult values() const;

private:
    QSpinBox* edNums_ = nullptr;
    QSpinBox* edGuarantee_ = nullptr;
    QSpinBox* edSeconds_ = nullptr;
};

}  // namespace tavlora::app
