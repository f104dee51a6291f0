// tavlora-cli scenario: the working scenario (show, load, append, save) and rating rows turned
// into scenario lines.
#include "cli/cmd_scenario.h"

#include <algorithm>
#include <charconv>
#include <iostream>
#include <optional>

#include "cli/cli_session.h"
#include "core/error.h"
#include "core/format.h"
#include "core/text_forms.h"
#include "scenario/filter_check.h"
#include "scenario/rating_to_scenario.h"
#include "scenario/scenario.h"
#include "scenario/scenario_file.h"
#include "scenario/scenario_line.h"
#include "scenario/scenario_run.h"
#include "stakes/ratings.h"
#include "stakes/stakes_store.h"
#include "stats/stat_list.h"

namespace tavlora::cli {

namespace {

const char* kScenarioUsage =
    "Использование: tavlora-cli [--data DIR] [--offset K] [--sorted] [--yes] scenario SUBCOMMAND\n"
    "  scenario show                 строки рабочего сценария (Tavlora_5d69.lss): колонки\n"
    "                                \"Комментарии\", \"Опции\", \"Фильтр 1\"..\"Фильтр 7\"\n"
    "  scenario load FILE.lsc        заменить рабочий сценарий строками файла\n"
    "  scenario append FILE.lsc      добавить строки файла в конец (перед ними - разделитель)\n"
    "  scenario save FILE.lsc        сохранить рабочий сценарий в файл\n"
    "  scenario add LINE             добавить строку (текст строки сценария, записывается в каноническом виде)\n"
    "  scenario separator            добавить разделитель (сценарий не пуст)\n"
    "  scenario clone N              добавить копию строки N (строка - команда)\n"
    "  scenario edit N LINE          заменить строку N (строка - команда)\n"
    "  scenario delete N...          удалить строки (подтверждение: --yes)\n"
    "  scenario clear                удалить все строки (подтверждение: --yes)\n"
    "  scenario up N | down N        переместить строку N вверх или вниз\n"
    "  scenario from-ratings ROW...  добавить строки рейтинга (номера строк \"ratings list\", с 1)\n"
    "                                в сценарий\n"
    "  scenario run [--log] [--seed S] [--check-each-line]\n"
    "                                прогноз: выполнить сценарий для текущего тиража и смещения\n"
    "  scenario test N [--log] [--seed S] [--check-each-line]\n"
    "                                тест: выполнить сценарий для смещений N, N-1, ..., 1 и проверить ставки\n"
    "  scenario delete-logs          удалить журналы выполнения сценариев (ScriptLog_*.txt)\n"
    "  --log              вести журнал ScriptLog_<время>.txt в папке данных\n"
    "  --seed S           начальное значение генератора случайных чисел (режим RAND)\n"
    "  --check-each-line  проверять ставки после каждой строки сценария";

// The session with its working scenario, as the main window holds them.
struct ScenarioSession {
    explicit ScenarioSession(Context& ctx) : session(openSession(ctx)), scenario(session->scenario()) {
        scenario.setProgress(&ctx.progress);
        warnSkipped(ctx, scenario);
    }
    // Lines of the file just read that were left out.
    static void warnSkipped(Context& ctx, const TScenario& scenario) {
        const std::string warning = scenario.skippedLinesWarning();
        if (!warning.empty()) ctx.interaction.warning(warning);
    }
    std::unique_ptr<Session> session;
    TScenario& scenario;
};

std::filesystem::path scenarioFileArg(ArgReader& args, const char* what, bool addExtension) {
    args.expectNoOptions();
    const auto rest = args.rest();
    if (rest.size() != 1) throw UsageError{std::string("scenario ") + what + " требует один файл"};
    std::filesystem::path file = rest[0];
    if (addExtension && !file.has_extension()) file += std::string(".") + kScenarioFileExtension;
    return file;
}

void printCount(Context& ctx, const TScenario& s) { ctx.out << fmt(kScenarioLineCountStatus, s.count()) << '\n'; }

int cmdShow(Context& ctx, ArgReader& args) {
    args.expectNoOptions();
    if (!args.rest().empty()) throw UsageError{"scenario show не принимает аргументов"};
    ScenarioSession s(ctx);
    const auto& columns = scenarioColumns();
    printRow(ctx.out, std::vector<std::string>(columns.begin(), columns.end()));
    for (int i = 0; i < s.scenario.count(); ++i) {
        const auto cells = s.scenario.parsedLine(i, &s.session->statList()).cells();
        printRow(ctx.out, std::vector<std::string>(cells.begin(), cells.end()));
    }
    return 0;
}

int cmdLoad(Context& ctx, ArgReader& args) {
    const auto file = scenarioFileArg(args, "load", false);
    ScenarioSession s(ctx);
    s.scenario.open(file);
    ScenarioSession::warnSkipped(ctx, s.scenario);
    printCount(ctx, s.scenario);
    return 0;
}

int cmdAppend(Context& ctx, ArgReader& args) {
    const auto file = scenarioFileArg(args, "append", false);
    ScenarioSession s(ctx);
    s.scenario.appendFile(file);
    ScenarioSession::warnSkipped(ctx, s.scenario);
    printCount(ctx, s.scenario);
    return 0;
}

int cmdSave(Context& ctx, ArgReader& args) {
    const auto file = scenarioFileArg(args, "save", true);
    ScenarioSession s(ctx);
    if (s.scenario.empty()) throw EError("Сценарий пуст: сохранять нечего.");
    s.scenario.saveAs(file);
    printCount(ctx, s.scenario);
    return 0;
}

// A 1-based line number of the command line; 0-based index returned. A number outside the
// scenario is the store's own error ("Запись со индексом %d в файле данных не найдена!").
int lineIndexArg(const TScenario& scenario, const std::string& text) {
    const auto n = tryReadInt(text);
    if (!n) throw UsageError{"это не номер строки: " + text};
    const int index = *n - 1;
    scenario.line(index);  // throws outside the list
    return index;
}

// The canonical text of a command line typed on the command line (as the line editor writes it).
// Every filter passes the filter editor's checks, so that both front ends refuse the same input
// with the same message.
std::string commandLineText(const ScenarioSession& s, const std::string& text) {
    if (isSeparatorLine(text)) throw UsageError{"пустая строка - это разделитель: используйте \"scenario separator\""};
    // A field that does not read would be stored as its default: the line is refused, naming
    // the field. A filter the filter editor refuses gets the editor's message, unless its
    // method is missing only because the filter's text does not read at all.
    const auto refuse = [&](const std::string& fault) {
        throw EError(fmt("Строка сценария \"%s\" не принята.\r%s", text, fault));
    };
    const ScenarioLineFields fields = splitScenarioLine(text);
    if (const std::string fault = scenarioOptionsFault(fields.options); !fault.empty()) refuse(fault);
    const ScenarioLine line = ScenarioLine::parse(text, &s.session->statList());
    for (int f = 0; f < kScenarioFilterCount; ++f) {
        const TFilterCheckResult check = checkFilterItem(line.filters[static_cast<size_t>(f)]);
        if (check.ok()) continue;
        if (check.check == TFilterCheck::UnknownMethod) {
            const std::string fault = scenarioFilterFault(f + 1, fields.filters[static_cast<size_t>(f)], nullptr);
            if (!fault.empty()) refuse(fault);
        }
        throw EError(fmt("Фильтр %d: %s", f + 1, check.message));
    }
    if (const std::string fault = scenarioLineFault(text, &s.session->statList()); !fault.empty()) refuse(fault);
    return line.text();
}

// The line must be a command (the editor opens only on those).
void requireCommand(const TScenario& scenario, int index) {
    if (!scenario.isCommand(index)) throw EError(fmt("Строка %d - разделитель, а не команда сценария!", index + 1));
}

// "ScriptAdd", "ScriptEmpty", "ScriptClone", "ScriptEdit", "ScriptDel", "ScriptClr", "ScriptUp",
// "ScriptDown" on the working scenario; each change writes the working copy.
int cmdEdit(Context& ctx, const std::string& sub, ArgReader& args) {
    args.expectNoOptions();
    const auto rest = args.rest();
    ScenarioSession s(ctx);
    TScenario& sc = s.scenario;
    auto want = [&](size_t n, const char* shape) {
        if (rest.size() != n) throw UsageError{"scenario " + sub + " " + shape};
    };
    if (sub == "add") {
        want(1, "требует одну строку сценария");
        const int i = sc.append(commandLineText(s, rest[0]));
        ctx.out << fmt("Строка %d: %s", i + 1, sc.line(i)) << '\n';
    } else if (sub == "separator") {
        want(0, "не принимает аргументов");
        if (sc.empty()) throw EError("Сценарий пуст: разделитель добавляется только после строк.");
        sc.appendSeparator();
    } else if (sub == "clone") {
        want(1, "требует номер строки N");
        const int from = lineIndexArg(sc, rest[0]);
        requireCommand(sc, from);
        const int i = sc.append(sc.parsedLine(from, &s.session->statList()).text());
        ctx.out << fmt("Строка %d: %s", i + 1, sc.line(i)) << '\n';
    } else if (sub == "edit") {
        want(2, "требует номер строки N и строку сценария");
        const int i = lineIndexArg(sc, rest[0]);
        requireCommand(sc, i);
        sc.replace(i, commandLineText(s, rest[1]));
        ctx.out << fmt("Строка %d: %s", i + 1, sc.line(i)) << '\n';
    } else if (sub == "delete") {
        if (rest.empty()) throw UsageError{"scenario delete требует номера строк N..."};
        std::vector<int> indices;
        for (const std::string& r : rest) indices.push_back(lineIndexArg(sc, r));
        std::sort(indices.begin(), indices.end());
        indices.erase(std::unique(indices.begin(), indices.end()), indices.end());
        if (!ctx.interaction.question("Предупреждение", deleteConfirmationText(static_cast<int64_t>(indices.size())),
                                      false))
            return 1;
        sc.remove(indices);
    } else if (sub == "clear") {
        want(0, "не принимает аргументов");
        if (sc.empty()) throw EError("Сценарий пуст: удалять нечего.");
        if (!ctx.interaction.question("Предупреждение", deleteConfirmationText(sc.count()), false)) return 1;
        sc.clear();
    } else {  // up, down
        want(1, "требует номер строки N");
        const int i = lineIndexArg(sc, rest[0]);
        const bool up = sub == "up";
        if (up ? i == 0 : i == sc.count() - 1)
            throw EError(fmt(up ? "Строка %d - первая: выше ее переместить нельзя."
                                : "Строка %d - последняя: ниже ее переместить нельзя.",
                             i + 1));
        const int to = up ? sc.moveUp(i) : sc.moveDown(i);
        ctx.out << fmt("Строка %d -> %d", i + 1, to + 1) << '\n';
    }
    printCount(ctx, sc);
    return 0;
}

// Runs the working scenario as a forecast (tests = 0) or as a test over the last `tests` draws.
int runScenarioRun(Context& ctx, ArgReader& args, bool test) {
    const bool log = args.flag("--log");
    const bool checkEachLine = args.flag("--check-each-line");
    std::string seedText;
    const bool seeded = args.option("--seed", seedText);
    args.expectNoOptions();
    const auto rest = args.rest();
    int tests = 0;
    if (test) {
        if (rest.size() != 1) throw UsageError{"scenario test требует количество испытаний N"};
        const auto [p, ec] = std::from_chars(rest[0].data(), rest[0].data() + rest[0].size(), tests);
        if (ec != std::errc() || p != rest[0].data() + rest[0].size() || tests < 1)
            throw UsageError{"количество испытаний должно быть целым числом от 1"};
    } else if (!rest.empty()) {
        throw UsageError{"scenario run принимает только параметры"};
    }
    uint64_t seed = 0;
    if (seeded) {
        const auto [p, ec] = std::from_chars(seedText.data(), seedText.data() + seedText.size(), seed);
        if (ec != std::errc() || p != seedText.data() + seedText.size())
            throw UsageError{"параметру --seed нужно целое число от 0"};
    }

    ErrorWatch watch(ctx.interaction);
    // The window's norms and stakes log switches apply to the run as they do in the window.
    const auto session = openSession(ctx, watch);
    const TScenario& scenario = session->scenario();
    ScenarioSession::warnSkipped(ctx, scenario);
    if (scenario.empty()) throw EError("Сценарий пуст: выполнять нечего.");
    if (session->draws().empty()) throw EError("Архив тиражей пуст: выполнять сценарий не по чему.");
    const std::unique_ptr<TScenarioRunner> made = session->scenarioRunner(ctx.progress, watch);
    if (!made) return 1;
    TScenarioRunner& runner = *made;
    runner.setLogEnabled(log);
    runner.setCheckEachLine(checkEachLine);
    if (seeded) runner.setSeed(seed);
    int shownCycle = 0;
    const int cycles = test ? std::min(tests, runner.maxTests()) : 1;
    runner.onPanels = [&](const TScenarioPanels& p) {
        if (p.cycle != shownCycle) {
            shownCycle = p.cycle;
            ctx.err << fmt("Цикл: %d из %d, смещение %d", p.cycle, cycles, session->drawsOffset()) << std::endl;
        }
        ctx.progress.setText(fmt("Цикл: %d  Строка: %d  Ставок: %d  %s", p.cycle, p.line, p.stakes, p.filter));
    };
    const TScenarioRunResult result = test ? runner.test(scenario, tests) : runner.forecast(scenario);
    ctx.progress.setText("");
    ctx.out << fmt("Циклов: %d", result.cycles) << '\n'
            << fmt("Ставок: %d", result.stakesMade) << '\n'
            << fmt("Фильтраций: %d", result.filterSteps) << '\n'
            << fmt("Проверено комбинаций: %d", result.combinationsTested) << '\n'
            << fmt("Время: %.3f с", result.seconds) << '\n';
    if (!result.logFile.empty()) {
        std::error_code ec;
        const auto shown = std::filesystem::absolute(result.logFile, ec);
        ctx.out << "Журнал: " << (ec ? result.logFile : shown).string() << '\n';
    }
    if (result.stopped && !result.failed) ctx.err << "Выполнение сценария прервано." << std::endl;
    return result.failed || watch.failed ? 1 : 0;
}

int runScenario(Context& ctx) {
    if (ctx.args.empty()) throw UsageError{"scenario требует подкоманду"};
    const std::string sub = ctx.args[0];
    ArgReader args(std::vector<std::string>(ctx.args.begin() + 1, ctx.args.end()));
    if (sub == "show") return cmdShow(ctx, args);
    if (sub == "load") return cmdLoad(ctx, args);
    if (sub == "append") return cmdAppend(ctx, args);
    if (sub == "save") return cmdSave(ctx, args);
    for (const char* edit : {"add", "separator", "clone", "edit", "delete", "clear", "up", "down"})
        if (sub == edit) return cmdEdit(ctx, sub, args);
    if (sub == "delete-logs") {
        args.expectNoOptions();
        if (!args.rest().empty()) throw UsageError{"scenario delete-logs не принимает аргументов"};
        ErrorWatch watch(ctx.interaction);
        const auto session = openSession(ctx, watch);
        deleteScenarioLogs(session->dataDir(), ctx.progress, watch);
        return watch.failed ? 1 : 0;
    }
    if (sub == "run") return runScenarioRun(ctx, args, false);
    if (sub == "test") return runScenarioRun(ctx, args, true);
    if (sub == "from-ratings") {
        args.expectNoOptions();
        return runRatingsToScenario(ctx, args.rest());
    }
    throw UsageError{"неизвестная подкоманда scenario: " + sub};
}

const CommandRegistrar scenarioRegistrar(Command{"scenario",
                                                 "сценарий: show, load, append, save, add, separator, clone, edit, delete, "
                                                 "clear, up, down, from-ratings, run, test, delete-logs",
                                                 kScenarioUsage, runScenario});

}  // namespace

int runRatingsToScenario(Context& ctx, const std::vector<std::string>& rows) {
    if (rows.empty()) throw UsageError{"укажите хотя бы одну строку рейтинга (с 1, как их показывает \"ratings list\")"};
    std::vector<int> positions;
    for (const std::string& r : rows) {
        int v = 0;
        const auto [p, ec] = std::from_chars(r.data(), r.data() + r.size(), v);
        if (ec != std::errc() || p != r.data() + r.size() || v < 1) throw UsageError{"это не номер строки рейтинга: " + r};
        positions.push_back(v);
    }
    // Selected rows are taken in list order, each once.
    std::sort(positions.begin(), positions.end());
    positions.erase(std::unique(positions.begin(), positions.end()), positions.end());

    ScenarioSession s(ctx);
    ErrorWatch watch(ctx.interaction);
    if (!s.session->loadRatings(ctx.progress, watch)) return 1;
    const TRatings& ratings = s.session->ratings();
    std::vector<std::string> keys;
    for (int pos : positions) {
        if (pos > ratings.count()) throw EError(fmt("Строка рейтинга %d не найдена: в рейтинге строк: %d.", pos, ratings.count()));
        keys.push_back(ratings.rows()[static_cast<size_t>(pos - 1)].key);
    }
    const int added = addRatingKeysToScenario(s.scenario, keys, watch, &ctx.progress);
    ctx.out << fmt("Добавлено строк: %d", added) << '\n';
    printCount(ctx, s.scenario);
    return watch.failed ? 1 : 0;
}

}  // namespace tavlora::cli
