#pragma once
// The wait window: a borderless window with one text line centred in its panel. Created on first
// use, updated in place (each update lets the event loop run), freed when the operation ends.
#include <QString>

class QWidget;

namespace tavlora::ui {

class WaitWindow {
public:
    // Shows the text, creating the window when it does not exist yet.
    static void show(const QString& text, QWidget* parent = nullptr);
    // Frees the window.
    static void hide();
    static bool visible();
    static QString text();
};

// Shows the wait window for the lifetime of the object.
class WaitScope {
public:
    explicit WaitScope(const QString& text, QWidget* parent = nullptr) { WaitWindow::show(text, parent); }
    ~WaitScope() { WaitWindow::hide(); }
    WaitScope(const WaitScope&) = delete;
    WaitScope& operator=(const WaitScope&) = delete;
};

}  // namespace tavlora::ui
