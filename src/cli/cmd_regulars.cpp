// tavlora-cli regulars: the regular table stakes (list, add, delete, stake, test).
#include <algorithm>
#include <iostream>
#include <memory>

#include "cli/cli.h"
#include "cli/cli_session.h"
#include "core/codepage.h"
#include "core/error.h"
#include "core/format.h"
#include "core/text_forms.h"
#include "stakes/ratings.h"
#include "stakes/regulars.h"
#include "stakes/stake_actions.h"
#include "stakes/stakes_store.h"

namespace tavlora::cli {

namespace {

const char* kRegularsUsage =
    "Использование: tavlora-cli [--data DIR] [--offset K] [--yes] regulars SUBCOMMAND\n"
    "  regulars list [--xlsx FILE]          регулярные ставки; --xlsx FILE - также в книгу Excel\n"
    "  regulars add --comment TEXT (--start \"a;b;c;d;e\" | --last-draw) [--step S]\n"
    "                                       добавить регулярную ставку: от постоянной стартовой\n"
    "                                       комбинации или от чисел предыдущего тиража; шаг -69..69\n"
    "                                       (по умолчанию 1)\n"
    "  regulars delete --rows A-B           удалить строки A..B (нужен --yes)\n"
    "  regulars stake ROW                   сделать ставку по регуляру строки ROW (с 1) на тираж,\n"
    "                                       следующий за смещением\n"
    "  regulars test N --rows A-B           тест регуляров строк A..B на N последних тиражах";

// The session with its regulars read; the stakes file and the rating only for the commands that
// stake.
struct RegularsSession {
    RegularsSession(Context& ctx, bool stakes, FolderUse use = FolderUse::Write)
        : watch(ctx.interaction), session(openSession(ctx, use)) {
        if (!session->regulars().load(ctx.progress, watch)) throw Reported{};
        if (stakes && (!session->openStakes(ctx.progress, watch) || !session->loadRatings(ctx.progress, watch)))
            throw Reported{};
    }
    TRegulars& regulars() { return session->regulars(); }
    // 0-based rows first..last, checked against the list.
    std::vector<int> rows(std::pair<int64_t, int64_t> range) {
        if (range.second > regulars().count())
            throw EError(fmt("В списке регулярных ставок только %d строк(и)!", regulars().count()));
        std::vector<int> r;
        for (int64_t i = range.first; i <= range.second; ++i) r.push_back(static_cast<int>(i - 1));
        return r;
    }

    ErrorWatch watch;
    std::unique_ptr<Session> session;
};

int cmdList(Context& ctx, ArgReader& args) {
    TableOutput table(&ctx.out, args, "Регуляры");
    args.expectNoOptions();
    if (!args.rest().empty()) throw UsageError{"regulars list не принимает аргументов"};
    RegularsSession s(ctx, false, FolderUse::Read);
    table.header(regularListColumns());
    for (const TRegular& r : s.regulars().items()) table.row(regularListRow(r));
    table.finish();
    return 0;
}

int cmdAdd(Context& ctx, ArgReader& args) {
    TRegularInput input;
    input.comment = kRegularDefaultComment;
    std::string stepText;
    const bool hasComment = args.option("--comment", input.comment);
    const bool hasStart = args.option("--start", input.startText);
    input.usePreviousDraw = args.flag("--last-draw");
    const bool hasStep = args.option("--step", stepText);
    args.expectNoOptions();
    if (!args.rest().empty()) throw UsageError{"regulars add принимает только параметры"};
    if (hasStart == input.usePreviousDraw) throw UsageError{"regulars add требует --start \"a;b;c;d;e\" или --last-draw"};
    if (!hasComment) throw UsageError{"regulars add требует --comment TEXT"};
    if (hasStep) {
        const auto step = tryReadInt(stepText);
        if (!step || *step < -kRegularStepLimit || *step > kRegularStepLimit)
            throw UsageError{"параметру --step нужен шаг -69..69"};
        input.step = *step;
    }
    // The start field stands for the one combination chosen; the previous draw needs none.
    std::vector<TSelectedComb> selected;
    if (hasStart) selected.push_back({1, TComb{}});

    RegularsSession s(ctx, false);
    const TRegularsCheck check = checkRegularInput(input, selected, s.regulars().items());
    if (!check.ok) {
        ctx.interaction.warning(check.warning);
        return 1;
    }
    ctx.progress.setText(kRegularsCreateStatus);
    auto& items = s.regulars().items();
    items.insert(items.end(), check.created.begin(), check.created.end());
    ctx.progress.setText("");
    const bool saved = s.regulars().save(ctx.progress, s.watch);
    ctx.out << fmt("Регулярных ставок: %d", s.regulars().count()) << '\n';
    return saved ? 0 : 1;
}

int cmdDelete(Context& ctx, ArgReader& args) {
    std::string rowsText;
    if (!args.option("--rows", rowsText)) throw UsageError{"regulars delete требует --rows A-B"};
    args.expectNoOptions();
    if (!args.rest().empty()) throw UsageError{"regulars delete принимает только --rows A-B"};
    const auto range = readRowRange(rowsText);
    RegularsSession s(ctx, false);
    const std::vector<int> rows = s.rows(range);
    if (!ctx.interaction.question("Предупреждение", deleteConfirmationText(static_cast<int64_t>(rows.size())), false))
        return 1;
    ctx.progress.setText(kRegularsDeleteStatus);
    s.regulars().remove(rows);
    ctx.progress.setText("");
    const bool saved = s.regulars().save(ctx.progress, s.watch);
    ctx.out << fmt("Регулярных ставок: %d", s.regulars().count()) << '\n';
    return saved ? 0 : 1;
}

int cmdStake(Context& ctx, ArgReader& args) {
    args.expectNoOptions();
    const auto rest = args.rest();
    if (rest.size() != 1) throw UsageError{"regulars stake требует номер строки"};
    const auto row = tryReadInt(rest[0]);
    if (!row || *row < 1) throw UsageError{"regulars stake требует номер строки (с 1)"};
    RegularsSession s(ctx, true);
    const int index = s.rows({*row, *row}).front();
    TRegular next = s.regulars().items()[static_cast<size_t>(index)];
    if (const auto problem = advanceRegular(next, s.session->archive())) {
        ctx.interaction.error(*problem);
        return 1;
    }
    const TStakeRecord record = regularStake(next, s.session->archive(), s.session->settings(), 0);
    // The regular moves on only with its stake in the file.
    if (!addStakeAndCheck(s.session->stakes(), record, 1, s.session->archive(), s.session->settings(),
                          s.session->ratings(), ctx.progress, s.watch))
        return 1;
    s.regulars().items()[static_cast<size_t>(index)] = next;
    const bool saved = s.regulars().save(ctx.progress, s.watch);
    printRow(ctx.out, regularListRow(next));
    return saved && !s.watch.failed ? 0 : 1;
}

int cmdTest(Context& ctx, ArgReader& args) {
    std::string rowsText;
    if (!args.option("--rows", rowsText)) throw UsageError{"regulars test требует --rows A-B"};
    args.expectNoOptions();
    const auto rest = args.rest();
    if (rest.size() != 1) throw UsageError{"regulars test требует количество тестов N"};
    const auto n = tryReadInt(rest[0]);
    if (!n || *n < 1) throw UsageError{"regulars test требует количество тестов N >= 1"};
    const auto range = readRowRange(rowsText);
    RegularsSession s(ctx, true);
    const int maxTests = s.session->archive().count() - 1;
    if (*n > maxTests) throw EError(fmt("Количество тестов не больше %d (тиражей в архиве без одного)!", maxTests));
    const std::vector<int> rows = s.rows(range);
    const int added = runRegularsTest(s.regulars(), rows, *n, s.session->archive(), s.session->stakes(),
                                      s.session->settings(), s.session->ratings(), 0, ctx.progress, s.watch);
    ctx.out << fmt("Ставок добавлено: %d", added) << '\n';
    return s.watch.failed ? 1 : 0;
}

int runRegulars(Context& ctx) {
    if (ctx.args.empty()) throw UsageError{"regulars требует подкоманду"};
    const std::string sub = ctx.args[0];
    ArgReader args(std::vector<std::string>(ctx.args.begin() + 1, ctx.args.end()));
    try {
        if (sub == "list") return cmdList(ctx, args);
        if (sub == "add") return cmdAdd(ctx, args);
        if (sub == "delete") return cmdDelete(ctx, args);
        if (sub == "stake") return cmdStake(ctx, args);
        if (sub == "test") return cmdTest(ctx, args);
    } catch (const Reported&) {
        return 1;
    }
    throw UsageError{"неизвестная подкоманда regulars: " + sub};
}

const CommandRegistrar regularsRegistrar(Command{"regulars", "регулярные ставки: list, add, delete, stake, test",
                                                 kRegularsUsage, runRegulars});

}  // namespace

}  // namespace tavlora::cli
