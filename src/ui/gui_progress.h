#pragma once
// The window's implementation of the engine's Progress: the status text goes to the last status
// bar panel, the gauge and the stop request to the progress window when one is open, and pump()
// runs the event loop so that the window repaints and "Отмена" can be pressed during long work.
#include <QString>
#include <functional>

#include "core/progress.h"

namespace tavlora::ui {

class GuiProgress : public Progress {
public:
    using TextSink = std::function<void(const QString&)>;
    explicit GuiProgress(TextSink sink = {}) : sink_(std::move(sink)) {}

    void setTextSink(TextSink sink) { sink_ = std::move(sink); }
    void setText(const std::string& text) override;
    void setMaximum(int64_t maximum) override;
    void setPosition(int64_t position) override;
    void pump() override;
    bool stopRequested() const override;
    // A stop request raised from elsewhere ("Стоп"); cleared by resetStop().
    void requestStop() { stop_ = true; }
    void resetStop() { stop_ = false; }

private:
    TextSink sink_;
    bool stop_ = false;
};

// The engine's status-text guard, under the name the window's code uses.
using tavlora::StatusScope;

}  // namespace tavlora::ui
