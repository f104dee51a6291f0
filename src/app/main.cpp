// The desktop program: one window over the data folder (--data DIR, else the program's folder).
#include <QApplication>
#include <QMessageBox>
#include <filesystem>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/main_window.h"
#include "ui/text.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tavlora 5/69"));
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);

    tavlora::app::MainWindowOptions options;
    try {
        options.startup = tavlora::app::parseStartupOptions(
            args, std::filesystem::path(QCoreApplication::applicationDirPath().toStdString()));
    } catch (const std::exception& e) {
        QMessageBox::critical(nullptr, QStringLiteral("Ошибка"), tavlora::ui::displayText(e.what()));
        return 2;
    }
    tavlora::app::TFormMain window(options);
    if (window.state() == tavlora::app::TFormMain::State::Ended) return window.exitCode();
    int endCode = -1;
    QObject::connect(&window, &tavlora::app::TFormMain::programEnded, &app, [&](int code) {
        endCode = code;
        QCoreApplication::exit(code);
    });
    window.show();
    const int rc = app.exec();
    return endCode >= 0 ? endCode : rc;
}
