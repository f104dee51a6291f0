// tavlora-cli: the headless front end over the engine.
#include <charconv>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "cli/cmd_help.h"
#include "core/error.h"

using namespace tavlora;
using namespace tavlora::cli;

namespace {

const char* kUsage =
    "Использование: tavlora-cli [--data DIR] [--offset K] [--sorted] [--yes] COMMAND [ARGS...]\n"
    "  --data DIR   папка данных (по умолчанию текущая; создаётся, если её нет)\n"
    "  --offset K   смещение назад для этой команды (по умолчанию 0)\n"
    "  --sorted     анализировать тиражи с числами по возрастанию (Упорядочить MIN->MAX)\n"
    "  --yes        отвечать \"да\" на вопросы программы\n"
    "  --help       эта справка; tavlora-cli help COMMAND - справка по команде;\n"
    "               tavlora-cli help method CODE - описание метода расчета статистики\n"
    "  --version    версия программы\n";

void printUsage(std::ostream& out) {
    out << kUsage << "\nКоманды:\n";
    for (const auto& c : commandTable()) out << "  " << c.name << "\t" << c.summary << "\n";
}

const Command* findCommand(const std::string& name) {
    for (const auto& c : commandTable())
        if (c.name == name) return &c;
    return nullptr;
}

int usageError(const std::string& message, const Command* cmd) {
    std::cerr << "tavlora-cli: " << message << "\n";
    if (cmd)
        std::cerr << cmd->usage << "\n";
    else
        printUsage(std::cerr);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    GlobalOptions options;
    size_t i = 0;
    for (; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto needValue = [&](const char* name) -> const std::string* {
            if (i + 1 >= args.size()) return nullptr;
            (void)name;
            return &args[++i];
        };
        if (a == "--help" || a == "-h") {
            printUsage(std::cout);
            return 0;
        } else if (a == "--version") {
            std::cout << "tavlora-cli " << TAVLORA_VERSION << "\n";
            return 0;
        } else if (a == "--data") {
            const std::string* v = needValue("--data");
            if (!v) return usageError("параметру --data нужно значение", nullptr);
            options.data = *v;
        } else if (a == "--offset") {
            const std::string* v = needValue("--offset");
            int k = 0;
            if (!v) return usageError("параметру --offset нужно значение", nullptr);
            auto [p, ec] = std::from_chars(v->data(), v->data() + v->size(), k);
            if (ec != std::errc() || p != v->data() + v->size() || k < 0)
                return usageError("параметру --offset нужно целое число >= 0", nullptr);
            options.offset = k;
        } else if (a == "--sorted") {
            options.sorted = true;
        } else if (a == "--yes") {
            options.yes = true;
        } else if (a.rfind("--", 0) == 0) {
            return usageError("неизвестный параметр " + a, nullptr);
        } else {
            break;
        }
    }
    if (i >= args.size()) return usageError("не указана команда", nullptr);
    std::string name = args[i++];
    if (name == "help") {
        if (i >= args.size()) {
            printUsage(std::cout);
            return 0;
        }
        if (args[i] == "method") {
            if (i + 2 != args.size()) return usageError("использование: tavlora-cli help method КОД", nullptr);
            return printMethodHelp(args[i + 1], options.data, std::cout, std::cerr);
        }
        const Command* c = findCommand(args[i]);
        if (!c) return usageError("неизвестная команда " + args[i], nullptr);
        std::cout << c->usage << "\n";
        return 0;
    }
    const Command* cmd = findCommand(name);
    if (!cmd) return usageError("неизвестная команда " + name, nullptr);

    TerminalProgress progress;
    TerminalInteraction interaction(std::cerr, options.yes);
    Context ctx{options, std::vector<std::string>(args.begin() + static_cast<long>(i), args.end()), std::cout, std::cerr,
                progress, interaction};
    try {
        std::error_code ec;
        std::filesystem::create_directories(options.data, ec);
        if (ec) throw EError("Не удалось создать папку данных \"" + options.data.string() + "\": " + ec.message());
        return cmd->run(ctx);
    } catch (const UsageError& e) {
        return usageError(e.message, cmd);
    } catch (const std::exception& e) {
        std::cerr << terminalText(e.what()) << "\n";
        return 1;
    }
}
