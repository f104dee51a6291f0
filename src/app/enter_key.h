#pragma once
// Runs a command when Enter is pressed in a spin edit whose text is an acceptable value (a value
// within the edit's range); other texts leave the command alone.
#include <QKeyEvent>
#include <QSpinBox>
#include <functional>

namespace tavlora::app {

class SpinEnterFilter : public QObject {
public:
    SpinEnterFilter(QSpinBox* box, std::function<void()> run) : QObject(box), box_(box), run_(std::move(run)) {
        box_->installEventFilter(this);
    }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == box_ && event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                if (box_->hasAcceptableInput()) {
                    box_->interpretText();
                    run_();
                }
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QSpinBox* box_;
    std::function<void()> run_;
};

// A spin edit that runs a command after its arrows (the buttons, the Up/Down and Page keys, the
// wheel) changed the value: a step applies at once, as a typed value does with Enter.
class StepSpinBox : public QSpinBox {
public:
    using QSpinBox::QSpinBox;
    void setOnStep(std::function<void()> run) { onStep_ = std::move(run); }
    void stepBy(int steps) override {
        const int before = value();
        QSpinBox::stepBy(steps);
        if (onStep_ && value() != before) onStep_();
    }

private:
    std::function<void()> onStep_;
};

}  // namespace tavlora::app
