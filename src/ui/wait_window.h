#pragma once
// The wait window: a borderless window with one text line centred in its panel. Created on first
// use, updated in place (each update lets the event loop run), freed when the operation ends.
// Work that can be stopped (a download waiting on the network) gives it a "Стоп" button.
#include <QString>
#include <functional>

class QPushButton;
class QWidget;

namespace tavlora::ui {

inline constexpr const char* kWaitStopCaption = "Стоп";

class WaitWindow {
public:
    // Shows the text, creating the window when it does not exist yet.
    static void show(const QString& text, QWidget* parent = nullptr);
    // Gives the window (created when needed) a "Стоп" button that calls onStop once and is then
    // disabled; an empty function removes the button.
    static void setStopHandler(std::function<void()> onStop, QWidget* parent = nullptr);
    // Frees the window.
    static void hide();
    static bool visible();
    static QString text();
    // The "Стоп" button, or null when the window has none.
    static QPushButton* stopButton();
};

// Shows the wait window for the lifetime of the object; with onStop it carries a "Стоп" button.
class WaitScope {
public:
    explicit WaitScope(const QString& text, QWidget* parent = nullptr, std::function<void()> onStop = {}) {
        WaitWindow::show(text, parent);
        if (onStop) WaitWindow::setStopHandler(std::move(onStop), parent);
    }
    ~WaitScope() { WaitWindow::hide(); }
    WaitScope(const WaitScope&) = delete;
    WaitScope& operator=(const WaitScope&) = delete;
};

}  // namespace tavlora::ui
