// tavlora-cli scenario: the working scenario (show, load, append, save) and rating rows turned
// into scenario lines.
#include "cli/cmd_scenario.h"

#include <algorithm>
#include <charconv>
#include <iostream>

#include "core/error.h"
#include "core/format.h"
#include "scenario/rating_to_scenario.h"
#include "scenario/scenario.h"
#include "scenario/scenario_file.h"
#include "scenario/scenario_line.h"
#include "session/session.h"
#include "stakes/ratings.h"
#include "stats/stat_list.h"

namespace tavlora::cli {

namespace {

const char* kScenarioUsage =
    "Использование: tavlora-cli [--data DIR] scenario SUBCOMMAND\n"
    "  scenario show                 строки рабочего сценария (Tavlora_5d69.lss): колонки\n"
    "                                \"Комментарии\", \"Опции\", \"Фильтр 1\"..\"Фильтр 7\"\n"
    "  scenario load FILE.lsc        заменить рабочий сценарий строками файла\n"
    "  scenario append FILE.lsc      добавить строки файла в конец (перед ними - разделитель)\n"
    "  scenario save FILE.lsc        сохранить рабочий сценарий в файл\n"
    "  scenario from-ratings ROW...  добавить строки рейтинга (номера строк \"ratings list\", с 1)\n"
    "                                в сценарий";

// Passes messages on and remembers whether an error was among them.
class ErrorWatch : public Interaction {
public:
    explicit ErrorWatch(Interaction& inner) : inner_(inner) {}
    void message(MessageKind kind, const std::string& caption, const std::string& text) override {
        if (kind == MessageKind::Error) failed = true;
        inner_.message(kind, caption, text);
    }
    bool question(const std::string& caption, const std::string& text, bool defaultYes) override {
        return inner_.question(caption, text, defaultYes);
    }
    bool failed = false;

private:
    Interaction& inner_;
};

// The session with the working scenario beside it, as the main window holds them.
struct ScenarioSession {
    explicit ScenarioSession(Context& ctx)
        : session(ctx.options.data, ctx.progress, ctx.interaction), scenario(session.filePath(kScenarioWorkingCopyExtension)) {
        scenario.setProgress(&ctx.progress);
        scenario.loadWorkingCopy();
    }
    Session session;
    TScenario scenario;
};

std::filesystem::path scenarioFileArg(ArgReader& args, const char* what, bool addExtension) {
    args.expectNoOptions();
    const auto rest = args.rest();
    if (rest.size() != 1) throw UsageError{std::string("scenario ") + what + " needs one file"};
    std::filesystem::path file = rest[0];
    if (addExtension && !file.has_extension()) file += std::string(".") + kScenarioFileExtension;
    return file;
}

void printCount(Context& ctx, const TScenario& s) { ctx.out << fmt(kScenarioLineCountStatus, s.count()) << '\n'; }

int cmdShow(Context& ctx, ArgReader& args) {
    args.expectNoOptions();
    if (!args.rest().empty()) throw UsageError{"scenario show takes no arguments"};
    ScenarioSession s(ctx);
    const auto& columns = scenarioColumns();
    printRow(ctx.out, std::vector<std::string>(columns.begin(), columns.end()));
    for (int i = 0; i < s.scenario.count(); ++i) {
        const auto cells = s.scenario.parsedLine(i, &s.session.statList()).cells();
        printRow(ctx.out, std::vector<std::string>(cells.begin(), cells.end()));
    }
    return 0;
}

int cmdLoad(Context& ctx, ArgReader& args) {
    const auto file = scenarioFileArg(args, "load", false);
    ScenarioSession s(ctx);
    s.scenario.open(file);
    printCount(ctx, s.scenario);
    return 0;
}

int cmdAppend(Context& ctx, ArgReader& args) {
    const auto file = scenarioFileArg(args, "append", false);
    ScenarioSession s(ctx);
    s.scenario.appendFile(file);
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

int runScenario(Context& ctx) {
    if (ctx.args.empty()) throw UsageError{"scenario needs a subcommand"};
    const std::string sub = ctx.args[0];
    ArgReader args(std::vector<std::string>(ctx.args.begin() + 1, ctx.args.end()));
    if (sub == "show") return cmdShow(ctx, args);
    if (sub == "load") return cmdLoad(ctx, args);
    if (sub == "append") return cmdAppend(ctx, args);
    if (sub == "save") return cmdSave(ctx, args);
    if (sub == "from-ratings") {
        args.expectNoOptions();
        return runRatingsToScenario(ctx, args.rest());
    }
    throw UsageError{"unknown scenario subcommand " + sub};
}

const CommandRegistrar scenarioRegistrar(Command{"scenario", "сценарий: show, load, append, save, from-ratings",
                                                 kScenarioUsage, runScenario});

}  // namespace

int runRatingsToScenario(Context& ctx, const std::vector<std::string>& rows) {
    if (rows.empty()) throw UsageError{"name at least one rating row (1-based, as \"ratings list\" shows them)"};
    std::vector<int> positions;
    for (const std::string& r : rows) {
        int v = 0;
        const auto [p, ec] = std::from_chars(r.data(), r.data() + r.size(), v);
        if (ec != std::errc() || p != r.data() + r.size() || v < 1) throw UsageError{"not a rating row number: " + r};
        positions.push_back(v);
    }
    // Selected rows are taken in list order, each once.
    std::sort(positions.begin(), positions.end());
    positions.erase(std::unique(positions.begin(), positions.end()), positions.end());

    ScenarioSession s(ctx);
    ErrorWatch watch(ctx.interaction);
    TRatings ratings(s.session.filePath(".lrt"));
    if (!ratings.load(ctx.progress, watch)) return 1;
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
