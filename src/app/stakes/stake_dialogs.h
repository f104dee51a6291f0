#pragma once
// The stake dialogs, shared by every tab that stakes: "Добавление ставки" (one stake typed or
// prefilled from a combination), "Добавление мультиставки" (one stake per chosen combination) and
// "Удаление по условию" (deleting checked stakes by their number of matches).
#include <QDialog>
#include <optional>
#include <string>

#include "stakes/stake_record.h"
#include "stakes/stakes_store.h"

class QComboBox;
class QLineEdit;
class QSpinBox;

namespace tavlora {
class Interaction;
}

namespace tavlora::app {

// The stake with draw number, numbers and comment as typed, and the number of draws it is for.
struct StakeDialogResult {
    TStakeRecord record;
    int count = 1;
};

class TFormStake : public QDialog {
    Q_OBJECT
public:
    TFormStake(const TStakeRecord& initial, Interaction& interaction, QWidget* parent = nullptr);

    // Shows the dialog for the stake; nothing when it was cancelled.
    static std::optional<StakeDialogResult> ask(QWidget* parent, const TStakeRecord& initial,
                                                Interaction& interaction);
    // The stake as typed (valid once the dialog was accepted).
    const StakeDialogResult& stake() const { return result_; }

    void accept() override;

private:
    void updateSum();

    Interaction& interaction_;
    StakeDialogResult result_;
    QSpinBox* edDrawNumber_ = nullptr;
    QSpinBox* edDrawsCount_ = nullptr;
    QLineEdit* edStakeData_ = nullptr;
    QLineEdit* edStakeSum_ = nullptr;
    QLineEdit* edComment_ = nullptr;
};

// What the multi-stake dialog returns: the first draw, the number of draws and the comment.
struct MultiStakeResult {
    int32_t drawNumber = 1;
    int count = 1;
    std::string comment;
};

class TFormMulti : public QDialog {
    Q_OBJECT
public:
    // comment: the comment the dialog starts with (empty: the manual stake's comment).
    TFormMulti(int32_t nextDraw, Interaction& interaction, QWidget* parent = nullptr, const std::string& comment = {});
    static std::optional<MultiStakeResult> ask(QWidget* parent, int32_t nextDraw, Interaction& interaction,
                                               const std::string& comment = {});
    const MultiStakeResult& values() const { return result_; }
    void accept() override;

private:
    Interaction& interaction_;
    MultiStakeResult result_;
    QSpinBox* edDrawNumber_ = nullptr;
    QSpinBox* edDrawsCount_ = nullptr;
    QLineEdit* edComment_ = nullptr;
};

// The condition of "Удаление по условию" and its number of matches.
struct StakeFilterResult {
    TStakeCondition condition = TStakeCondition::Equal;
    int value = 0;
};

class TFormStakeFilter : public QDialog {
    Q_OBJECT
public:
    explicit TFormStakeFilter(QWidget* parent = nullptr);
    static std::optional<StakeFilterResult> ask(QWidget* parent);
    StakeFilterResult values() const;

private:
    QComboBox* cbCondition_ = nullptr;
    QSpinBox* edValue_ = nullptr;
};

}  // namespace tavlora::app
