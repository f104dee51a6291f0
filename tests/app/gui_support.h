#pragma once
// Shared pieces of the window tests: the main window started on a data folder (without its
// start-up timer, initialised at once), a small stored generation so that the start-up does not
// build the full combination list, and an answer to the next modal dialog.
#include <QAction>
#include <QApplication>
#include <QTimer>
#include <array>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/main_window.h"
#include "core/records.h"

namespace tavlora::test {

inline std::unique_ptr<app::TFormMain> startWindow(const std::filesystem::path& dir, Interaction& interaction,
                                                   const std::vector<std::string>& args = {},
                                                   bool helpOnFirstStart = false) {
    app::MainWindowOptions o;
    o.startup = app::parseStartupOptions(args, dir);
    o.interaction = &interaction;
    o.startTimer = false;
    o.helpOnFirstStart = helpOnFirstStart;
    auto w = std::make_unique<app::TFormMain>(o);
    w->initialise();
    return w;
}

// A draw of the test archives, dated 01/07/2009.
inline TDraw makeDraw(int number, std::array<uint8_t, 5> nums, uint8_t extra) {
    TDraw d;
    d.number = number;
    d.nums = nums;
    d.extra = extra;
    d.setDateText("01/07/2009");
    return d;
}

// A stored generation of the 21 combinations of the numbers 1..7.
inline void writeSmallGeneration(const std::filesystem::path& dir) {
    std::ofstream ini(dir / "Tavlora_5d69.ini", std::ios::binary);
    ini << "[GLOBAL]\r\nCombsGenerateMode=2\r\nCombsGenerateParameters=1;2;3;4;5;6;7\r\n";
}

// Whether the window's command is enabled after the enabling rules ran.
inline bool enabled(app::TFormMain& w, const char* name) {
    w.updateActions();
    return w.action(QString::fromLatin1(name))->isEnabled();
}

// Runs handle on the next modal dialog once it is open (the event loop may run earlier, while
// the code under test is still working towards the dialog).
inline void whenModal(std::function<void(QWidget*)> handle) {
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer, handle] {
        if (QWidget* w = QApplication::activeModalWidget()) {
            timer->stop();
            timer->deleteLater();
            handle(w);
        }
    });
    timer->start(10);
}

}  // namespace tavlora::test
