// tavlora-cli repeats / sums: the repeated numbers of recent draws and the distribution of sums.
#include <iostream>
#include <string>

#include "cli/cli.h"
#include "cli/cli_session.h"
#include "core/format.h"
#include "core/text_forms.h"
#include "session/session.h"
#include "workspace/chart_data.h"

namespace tavlora::cli {

namespace {

const char* kRepeatsUsage =
    "Использование: tavlora-cli [--data DIR] repeats [--draws N] [--deep D]\n"
    "  для каждого из N последних тиражей архива (по умолчанию 100) число совпадающих чисел с каждым\n"
    "  из D предыдущих тиражей (по умолчанию 100): строки \"Совпадений\", их количество и тиражи";
const char* kSumsUsage =
    "Использование: tavlora-cli [--data DIR] sums\n"
    "  распределение сумм всех возможных комбинаций и сумм тиражей архива, затем три диапазона\n"
    "  сумм (от 1/3, 1/2 и 2/3 размаха количеств комбинаций и выше)";

int runRepeats(Context& ctx) {
    ArgReader args(ctx.args);
    const int length = args.intOption("--draws", 100);
    const int depth = args.intOption("--deep", 100);
    args.expectNoOptions();
    if (!args.rest().empty()) throw UsageError{"repeats takes no arguments besides its options"};
    if (length < 1) throw UsageError{"option --draws needs a number from 1 to 2147483647"};
    if (depth < 1) throw UsageError{"option --deep needs a number from 1 to 2147483647"};
    const auto session = openSession(ctx, FolderUse::Read);
    const TRepeatsTable table = session->repeatsTable(length, depth, &ctx.progress);
    printRow(ctx.out, {"Тираж", "Совпадений", "Кол-во повторов", "Список тиражей"});
    for (const TRepeatsRow& r : table.rows)
        printRow(ctx.out, {numberText(r.draw), numberText(r.matches), numberText(r.repeats), r.drawsText()});
    return 0;
}

int runSums(Context& ctx) {
    ArgReader args(ctx.args);
    args.expectNoOptions();
    if (!args.rest().empty()) throw UsageError{"sums takes no arguments"};
    const auto session = openSession(ctx, FolderUse::Read);
    const TSumDistribution d = session->sumDistribution();
    // Every sum a combination can have, with its combinations and the draws that had it.
    printRow(ctx.out, {"Сумма", "Комбинаций", "Тиражей"});
    size_t a = 0;
    for (const auto& t : d.total) {
        while (a < d.actual.size() && d.actual[a].key < t.key) ++a;
        const int64_t drawn = a < d.actual.size() && d.actual[a].key == t.key ? d.actual[a].count : 0;
        printRow(ctx.out, {std::to_string(t.key), std::to_string(t.count), std::to_string(drawn)});
    }
    ctx.out << '\n';
    printRow(ctx.out, {"Диапазон", "Порог", "Суммы от", "Суммы до"});
    const char* parts[3] = {"1/3", "1/2", "2/3"};
    for (size_t i = 0; i < d.ranges.size(); ++i)
        printRow(ctx.out, {parts[i], std::to_string(d.ranges[i].threshold), numberText(d.ranges[i].low),
                           numberText(d.ranges[i].high)});
    return 0;
}

const CommandRegistrar kRepeats{{"repeats", "количество повторов в зависимости от тиража", kRepeatsUsage, runRepeats}};
const CommandRegistrar kSums{{"sums", "распределение сумм тиражей и всех возможных комбинаций", kSumsUsage, runSums}};

}  // namespace

}  // namespace tavlora::cli
