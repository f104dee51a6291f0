#include "cli/cmd_help.h"

#include <exception>
#include <ostream>

#include "cli/cli.h"
#include "help/help_pages.h"
#include "help/html_text.h"
#include "session/session.h"
#include "stats/stat_list.h"

namespace tavlora::cli {

namespace {

int printPage(const std::string& code, const std::filesystem::path& dataDir, std::ostream& out, std::ostream& err) {
    Session session(dataDir);
    const TStatList& registry = session.statList();
    const int index = registry.methodWithCode(code);
    if (index < 0) {
        err << "Метод расчета статистики с кодом \"" << code << "\" не найден!\n";
        return 1;
    }
    const std::string file = methodHelpFile(registry.item(index));
    const auto page = helpPage(file);
    if (!page) {
        err << "Описание метода " << registry.item(index).code() << " не найдено (нет страницы " << file << ").\n";
        return 1;
    }
    out << htmlToText(*page);
    return 0;
}

}  // namespace

int printMethodHelp(const std::string& code, const std::filesystem::path& dataDir, std::ostream& out,
                    std::ostream& err) {
    try {
        return printPage(code, dataDir, out, err);
    } catch (const std::exception& e) {
        // Opening the data folder failed (it could not be created, its settings are unreadable).
        err << terminalText(e.what()) << "\n";
        return 1;
    }
}

}  // namespace tavlora::cli
