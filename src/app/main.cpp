// The desktop program: one window over the data folder (--data DIR; else the program's folder
// when it is a build tree or a portable copy, else the user's data folder).
#include <QApplication>
#include <QMessageBox>
#include <QTranslator>
#include <filesystem>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/data_folder.h"
#include "app/main_window.h"
#include "app/translations.h"
#include "ui/text.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    tavlora::app::setApplicationIdentity();
    // Qt's own texts (file dialogs, standard buttons) in Russian like the rest of the program.
    QTranslator qtTexts;
    tavlora::app::installRussianQtTexts(qtTexts);
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);

    tavlora::app::MainWindowOptions options;
    const std::filesystem::path exeDir(QCoreApplication::applicationDirPath().toStdString());
    try {
        options.startup = tavlora::app::parseStartupOptions(args, exeDir);
    } catch (const std::exception& e) {
        QMessageBox::critical(nullptr, QStringLiteral("Ошибка"), tavlora::ui::displayText(e.what()));
        return 2;
    }
    if (!options.startup.dataGiven) {
        const auto folder = tavlora::app::openDefaultDataFolder(exeDir);
        options.startup.dataDir = folder.dir;
        // A failed seeding is reported; the window still opens the folder with what it holds.
        if (!folder.error.empty())
            QMessageBox::critical(nullptr, QStringLiteral("Ошибка"), tavlora::ui::displayText(folder.error));
    }
    options.helpOnFirstStart = true;
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
