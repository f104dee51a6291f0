// tavlora-cli stakes / ratings: the stakes file (list, add, check, delete, clear) and the rating
// (list, refresh, export).
#include <algorithm>
#include <charconv>
#include <iostream>
#include <memory>
#include <optional>

#include "cli/cli.h"
#include "cli/cli_session.h"
#include "cli/cmd_scenario.h"
#include "core/codepage.h"
#include "core/error.h"
#include "core/format.h"
#include "core/text_forms.h"
#include "stakes/ratings.h"
#include "stakes/stake_actions.h"
#include "stakes/stakes_store.h"

namespace tavlora::cli {

namespace {

const char* kStakesUsage =
    "Использование: tavlora-cli [--data DIR] [--offset K] [--yes] stakes SUBCOMMAND\n"
    "  stakes list [--xlsx FILE]            ставки (пустые строки - разделители); --xlsx FILE - также\n"
    "                                       в книгу Excel (лист \"Ставки\")\n"
    "  stakes add --numbers \"a;b;c;d;e\" [--draw N] [--draws C] [--comment TEXT]\n"
    "                                       сделать ставку (тираж по умолчанию - следующий за смещением)\n"
    "  stakes check                         проверить ставки по архиву тиражей\n"
    "  stakes delete --rows A-B             удалить строки A..B списка ставок (нужен --yes)\n"
    "  stakes delete --where \"<= 1\"         удалить проверенные ставки по числу совпадений\n"
    "                                       (условия =, >, >=, <, <=; значение 0..5)\n"
    "  stakes clear                         удалить все ставки (нужен --yes)";

const char* kRatingsUsage =
    "Использование: tavlora-cli [--data DIR] [--yes] ratings SUBCOMMAND\n"
    "  ratings list [--mode 0|1|2] [--sort COL] [--desc] [--xlsx FILE]\n"
    "                                       рейтинг; режим эффективности (0 ожидаемые, 1 абсолютные,\n"
    "                                       2 относительные); сортировка по столбцу 0..17;\n"
    "                                       --xlsx FILE - также в книгу Excel (лист \"Рейтинг\")\n"
    "  ratings refresh                      пересчитать рейтинг по текущим ставкам (нужен --yes)\n"
    "  ratings export FILE.csv              экспорт рейтинга в CSV-файл\n"
    "  ratings to-scenario ROW...           добавить строки рейтинга (номера строк \"ratings list\", с 1)\n"
    "                                       в рабочий сценарий";

std::optional<int64_t> wholeNumber(const std::string& text) {
    int64_t v = 0;
    auto [p, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc() || p != text.data() + text.size()) return std::nullopt;
    return v;
}

// The session with its stakes store and rating, as the main window holds them; the stakes log
// and the rating's efficiency mode follow the desktop window's settings.
struct StakesSession {
    explicit StakesSession(Context& ctx)
        : watch(ctx.interaction),
          session(openSession(ctx)),
          store(session->stakes()),
          ratings(session->ratings()),
          effMode(std::clamp(windowSettings(*session).ratingsEffMode, 0, 2)) {
        if (!session->openStakes(ctx.progress, watch)) throw Reported{};
    }
    // Loads the rating; a file that cannot be read stops the command, so that it is not
    // overwritten by a rating built from nothing.
    void loadRatings(Progress& progress) {
        if (!session->loadRatings(progress, watch)) throw Reported{};
    }
    bool check(Progress& progress) { return session->checkStakes(progress, watch); }

    ErrorWatch watch;
    std::unique_ptr<Session> session;
    TStakesStore& store;
    TRatings& ratings;
    int effMode;
};

int finish(Context& ctx, StakesSession& s) {
    ctx.out << fmt(kStakesCountStatus, s.store.recordCount()) << '\n';
    return s.watch.failed ? 1 : 0;
}

int cmdList(Context& ctx, ArgReader& args) {
    TableOutput table(&ctx.out, args, "Ставки");
    args.expectNoOptions();
    if (!args.rest().empty()) throw UsageError{"stakes list не принимает аргументов"};
    StakesSession s(ctx);
    table.header(stakeGridColumns());
    const int64_t n = s.store.recordCount();
    for (int64_t i = 0; i < n; ++i) table.row(stakeGridRow(s.store.readRecord(TStakesStore::Origin::Start, i)));
    table.finish();
    return 0;
}

int cmdAdd(Context& ctx, ArgReader& args) {
    std::string numbers, drawText, countText, comment = kManualStakeComment;
    const bool hasNumbers = args.option("--numbers", numbers);
    const bool hasDraw = args.option("--draw", drawText);
    const bool hasCount = args.option("--draws", countText);
    args.option("--comment", comment);
    args.expectNoOptions();
    if (!args.rest().empty()) throw UsageError{"stakes add принимает только параметры"};
    if (!hasNumbers) throw UsageError{"stakes add требует --numbers \"a;b;c;d;e\""};
    std::optional<int64_t> draw, count = 1;
    if (hasDraw) {
        draw = wholeNumber(drawText);
        if (!draw || *draw < 1 || *draw > INT32_MAX) throw UsageError{"параметру --draw нужен номер тиража 1..2147483647"};
    }
    if (hasCount) {
        count = wholeNumber(countText);
        if (!count || *count < 1 || *count > 65535) throw UsageError{"параметру --draws нужно количество тиражей 1..65535"};
    }
    if (cp1251Length(comment) > static_cast<size_t>(kStakeCommentMaxChars))
        throw UsageError{"в параметре --comment не больше 64 символов"};

    // The checks of the stake dialog, with its messages.
    const TStakeInput input = validateStakeInput(numbers, comment);
    if (!input.ok) {
        ctx.interaction.warning(input.warning);
        return 1;
    }

    StakesSession s(ctx);
    s.loadRatings(ctx.progress);
    TStakeRecord record = newManualStake(s.session->archive(), s.session->settings(), 0, input.numbers);
    if (draw) record.drawNumber = static_cast<int32_t>(*draw);
    record.comment = comment;
    addStakeAndCheck(s.store, record, static_cast<int>(*count), s.session->archive(), s.session->settings(), s.ratings,
                     ctx.progress, s.watch);
    return finish(ctx, s);
}

int cmdCheck(Context& ctx, ArgReader& args) {
    args.expectNoOptions();
    if (!args.rest().empty()) throw UsageError{"stakes check не принимает аргументов"};
    StakesSession s(ctx);
    s.loadRatings(ctx.progress);
    s.check(ctx.progress);
    return finish(ctx, s);
}

// "<= 1", ">=2", "= 0": a condition and a number of matches 0..5.
std::pair<TStakeCondition, int> readCondition(const std::string& text) {
    const std::string t(trimText(text));
    static const std::pair<const char*, TStakeCondition> ops[] = {
        {">=", TStakeCondition::NotLess}, {"<=", TStakeCondition::NotGreater}, {"=", TStakeCondition::Equal},
        {">", TStakeCondition::Greater},  {"<", TStakeCondition::Less}};
    for (const auto& [op, condition] : ops) {
        const std::string sop = op;
        if (t.rfind(sop, 0) != 0) continue;
        auto value = tryReadInt(t.substr(sop.size()));
        if (!value || *value < 0 || *value > 5) break;
        return {condition, *value};
    }
    throw UsageError{"параметру --where нужно условие =, >, >=, <, <= и количество совпадений 0..5, например \"<= 1\""};
}

int cmdDelete(Context& ctx, ArgReader& args) {
    std::string rowsText, whereText;
    const bool byRows = args.option("--rows", rowsText);
    const bool byCondition = args.option("--where", whereText);
    args.expectNoOptions();
    if (!args.rest().empty() || byRows == byCondition)
        throw UsageError{"stakes delete требует --rows A-B или --where УСЛОВИЕ"};
    std::pair<int64_t, int64_t> rows;
    std::pair<TStakeCondition, int> condition;
    if (byRows) rows = readRowRange(rowsText);
    if (byCondition) condition = readCondition(whereText);

    StakesSession s(ctx);
    if (!s.store.hasRecords()) throw EError("Файл ставок пуст: удалять нечего.");
    s.loadRatings(ctx.progress);
    bool ok;
    if (byRows) {
        const int64_t n = s.store.recordCount();
        if (rows.second > n) throw EError(fmt("В списке ставок только %d строк(и)!", n));
        if (!ctx.interaction.question("Предупреждение", deleteConfirmationText(rows.second - rows.first + 1), false))
            return 1;
        ok = s.store.deleteRange(rows.first - 1, rows.second - 1, ctx.progress, s.watch);
    } else {
        ok = s.store.deleteWhere(condition.first, condition.second, ctx.progress, s.watch);
    }
    if (ok) s.check(ctx.progress);
    return finish(ctx, s);
}

int cmdClear(Context& ctx, ArgReader& args) {
    args.expectNoOptions();
    if (!args.rest().empty()) throw UsageError{"stakes clear не принимает аргументов"};
    StakesSession s(ctx);
    if (!s.store.hasRecords()) return finish(ctx, s);
    s.loadRatings(ctx.progress);
    if (!ctx.interaction.question("Предупреждение", deleteConfirmationText(s.store.recordCount()), false)) return 1;
    ctx.progress.setText(kStakesDeleteText);
    const bool cleared = s.store.clear(s.watch);
    ctx.progress.setText("");
    // The rating may then be rebuilt from what is left (it asks on its own).
    if (cleared) s.ratings.refresh(s.store, ctx.progress, s.watch);
    return finish(ctx, s);
}

int runStakes(Context& ctx) {
    if (ctx.args.empty()) throw UsageError{"stakes требует подкоманду"};
    const std::string sub = ctx.args[0];
    ArgReader args(std::vector<std::string>(ctx.args.begin() + 1, ctx.args.end()));
    try {
        if (sub == "list") return cmdList(ctx, args);
        if (sub == "add") return cmdAdd(ctx, args);
        if (sub == "check") return cmdCheck(ctx, args);
        if (sub == "delete") return cmdDelete(ctx, args);
        if (sub == "clear") return cmdClear(ctx, args);
    } catch (const Reported&) {
        return 1;
    }
    throw UsageError{"неизвестная подкоманда stakes: " + sub};
}

// --- ratings ----------------------------------------------------------------------------------

int cmdRatingsList(Context& ctx, ArgReader& args) {
    const int mode = args.intOption("--mode", -1);
    const int column = args.intOption("--sort", -2);
    const bool desc = args.flag("--desc");
    TableOutput table(&ctx.out, args, "Рейтинг");
    args.expectNoOptions();
    if (!args.rest().empty()) throw UsageError{"ratings list принимает только параметры"};
    if (mode < -1 || mode > 2) throw UsageError{"параметру --mode нужно 0, 1 или 2"};
    if (column < -2 || column >= kRatingColumnCount) throw UsageError{"параметру --sort нужен столбец 0..17 (-1: без сортировки)"};
    StakesSession s(ctx);
    s.loadRatings(ctx.progress);
    if (column != -2) s.ratings.sortBy(column, desc, ctx.progress, s.watch);
    const auto effMode = static_cast<TRatingsEffMode>(mode >= 0 ? mode : s.effMode);
    table.header(ratingColumns());
    for (const auto& row : s.ratings.rows()) {
        std::vector<std::string> cells;
        for (int c = 0; c < kRatingColumnCount; ++c) cells.push_back(ratingCellText(row, c, effMode));
        table.row(cells);
    }
    table.finish();
    return s.watch.failed ? 1 : 0;
}

int cmdRatingsRefresh(Context& ctx, ArgReader& args) {
    args.expectNoOptions();
    if (!args.rest().empty()) throw UsageError{"ratings refresh не принимает аргументов"};
    StakesSession s(ctx);
    s.loadRatings(ctx.progress);
    const bool done = s.ratings.refresh(s.store, ctx.progress, s.watch);
    ctx.out << fmt("Рейтинг: %d", s.ratings.count()) << '\n';
    return done && !s.watch.failed ? 0 : 1;
}

int cmdRatingsExport(Context& ctx, ArgReader& args) {
    args.expectNoOptions();
    auto rest = args.rest();
    if (rest.size() != 1) throw UsageError{"ratings export требует один файл"};
    std::filesystem::path file = rest[0];
    if (!file.has_extension()) file += ".csv";
    StakesSession s(ctx);
    s.loadRatings(ctx.progress);
    if (s.ratings.empty()) throw EError("Рейтинг пуст: экспортировать нечего.");
    ctx.progress.setText("Экспорт в CSV-файл...");
    s.ratings.exportCsv(file, static_cast<TRatingsEffMode>(s.effMode));
    ctx.progress.setText("");
    ctx.out << fmt("Экспортировано строк: %d", s.ratings.count()) << '\n';
    return s.watch.failed ? 1 : 0;
}

int runRatings(Context& ctx) {
    if (ctx.args.empty()) throw UsageError{"ratings требует подкоманду"};
    const std::string sub = ctx.args[0];
    ArgReader args(std::vector<std::string>(ctx.args.begin() + 1, ctx.args.end()));
    try {
        if (sub == "list") return cmdRatingsList(ctx, args);
        if (sub == "refresh") return cmdRatingsRefresh(ctx, args);
        if (sub == "export") return cmdRatingsExport(ctx, args);
        if (sub == "to-scenario") {
            args.expectNoOptions();
            return runRatingsToScenario(ctx, args.rest());
        }
    } catch (const Reported&) {
        return 1;
    }
    throw UsageError{"неизвестная подкоманда ratings: " + sub};
}

const CommandRegistrar stakesRegistrar(Command{"stakes", "ставки: list, add, check, delete, clear", kStakesUsage,
                                               runStakes});
const CommandRegistrar ratingsRegistrar(Command{"ratings", "рейтинг: list, refresh, export, to-scenario", kRatingsUsage,
                                                runRatings});

}  // namespace

}  // namespace tavlora::cli
