// tavlora-cli table / filter / prefetch: the statistics table of a method with norms and
// weights, keeping or removing the combinations that carry chosen values, and the norm files.
#include <bitset>
#include <iostream>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "cli/cli_session.h"
#include "core/error.h"
#include "core/format.h"
#include "core/text_forms.h"
#include "workspace/comb_list.h"
#include "workspace/prefetch.h"
#include "workspace/stat_filter.h"
#include "workspace/stat_method.h"
#include "workspace/stat_table.h"

namespace tavlora::cli {

namespace {

const char* kTableUsage =
    "Использование: tavlora-cli [--data DIR] [--offset K] [--sorted] table CODE [--window N] [--norms]\n"
    "                           [--sort COL] [--desc] [--xlsx FILE]\n"
    "  таблица статистики метода CODE за N тиражей (по умолчанию 1000): 20 колонок окна \"Статистика\"\n"
    "  --xlsx FILE также записать таблицу в книгу Excel (лист \"Статистика\")\n"
    "  --norms     сравнение с полным набором комбинаций (файл Prefetchs\\Tavlora_5d69_CODE.dfc,\n"
    "              создаётся при отсутствии)\n"
    "  --sort COL  сортировка по колонке 0..19 (по умолчанию 1), --desc - по убыванию";
const char* kFilterUsage =
    "Использование: tavlora-cli [--data DIR] [--offset K] [--sorted] filter CODE --values \"TEXT; TEXT\"\n"
    "                           (--keep | --remove) [--window N] [--in FILE.lcv] [--out FILE.lcv]\n"
    "  оставить (--keep) или удалить (--remove) комбинации со значениями метода CODE; значения -\n"
    "  тексты колонки \"Значение\" таблицы за N тиражей (по умолчанию 1000), через \";\"\n"
    "  --in FILE   исходный список комбинаций (по умолчанию - полный список)\n"
    "  --out FILE  сохранить результат в файл комбинаций";
const char* kPrefetchUsage =
    "Использование: tavlora-cli [--data DIR] prefetch [--force] [--groups 0,1,2]\n"
    "  создать отсутствующие файлы норм (Prefetchs\\*.dfc) для всех методов с нормой;\n"
    "  --force пересоздать и существующие файлы групп --groups (по умолчанию - всех групп 0..12)";

struct TableArgs {
    std::string code;
    int window = 1000;
};

int runTable(Context& ctx) {
    ArgReader args(ctx.args);
    const int window = args.intOption("--window", 1000);
    const bool norms = args.flag("--norms");
    const int sortColumn = args.intOption("--sort", 1);
    const bool desc = args.flag("--desc");
    TableOutput output(&ctx.out, args, "Статистика");
    args.expectNoOptions();
    const auto rest = args.rest();
    if (rest.size() != 1) throw UsageError{"ожидается один код метода"};
    if (window < 1) throw UsageError{"параметру --window нужно число от 1 до 2147483647"};
    if (sortColumn < 0 || sortColumn >= kStatColumnCount) throw UsageError{"параметру --sort нужен столбец 0..19"};

    ErrorWatch ui(ctx.interaction);
    const auto session = openSession(ctx, ui, FolderUse::Read);
    session->setNormsEnabled(norms);
    const int index = statMethodIndex(session->statList(), rest[0]);
    const std::optional<TPrefetchData> data = session->methodNorms(index, ctx.progress, ui);
    TStatTable table =
        computeStatTable(session->statList(), index, session->statTableInput(window, data ? &*data : nullptr));
    TListSort sort;
    sort.column = sortColumn;
    sort.descending = desc;
    sortStatRows(table.rows, sort);
    const auto& captions = statColumnCaptions();
    output.header(std::vector<std::string>(captions.begin(), captions.end()));
    for (const TStatTableRow& row : table.rows) output.row(std::vector<std::string>(row.cells.begin(), row.cells.end()));
    output.finish();
    return 0;
}

int runFilter(Context& ctx) {
    ArgReader args(ctx.args);
    const int window = args.intOption("--window", 1000);
    std::string values, inFile, outFile;
    const bool haveValues = args.option("--values", values);
    const bool keep = args.flag("--keep");
    const bool remove = args.flag("--remove");
    const bool haveIn = args.option("--in", inFile);
    const bool haveOut = args.option("--out", outFile);
    args.expectNoOptions();
    const auto rest = args.rest();
    if (rest.size() != 1) throw UsageError{"ожидается один код метода"};
    if (!haveValues) throw UsageError{"нужен параметр --values"};
    if (keep == remove) throw UsageError{"укажите один из параметров --keep и --remove"};
    if (window < 1) throw UsageError{"параметру --window нужно число от 1 до 2147483647"};

    ErrorWatch ui(ctx.interaction);
    const auto session = openSession(ctx, ui);
    const TStatList& registry = session->statList();
    const int index = statMethodIndex(registry, rest[0]);

    // The values are matched against the rows of the table of that window, shown in its
    // initial order (column 1 ascending); the selection follows that order.
    TStatTable table = computeStatTable(registry, index, session->statTableInput(window));
    sortStatRows(table.rows, TListSort{});
    std::vector<std::size_t> rows;
    for (const std::string& word : listWords(values, ';')) {
        const auto row = findStatRow(table.rows, word);
        if (!row)
            throw EError(fmt("Значение \"%s\" отсутствует в таблице статистики метода %s!", word,
                             statMethodCode(registry, index)));
        rows.push_back(*row);
    }
    const TStatFilterRequest request = session->statFilterRequest(index, table.rows, rows, remove);

    TCombList& list = session->combList();
    if (haveIn) {
        if (!list.openFile(inFile, ctx.progress, ui)) return 1;
    } else if (!list.generate(kGenerateFull, "", ctx.progress, ui)) {
        return 1;
    }
    statFilter(list, registry, index, request, ctx.progress);
    if (haveOut && !list.saveFile(outFile, ctx.progress, ui)) return 1;
    ctx.out << list.countStatusText() << "\n";
    return ui.failed ? 1 : 0;
}

int runPrefetch(Context& ctx) {
    ArgReader args(ctx.args);
    const bool force = args.flag("--force");
    std::string groupsText;
    const bool haveGroups = args.option("--groups", groupsText);
    args.expectNoOptions();
    if (!args.rest().empty()) throw UsageError{"лишний аргумент: " + args.rest().front()};
    TGroupSet groups;
    if (haveGroups) {
        for (const std::string& word : listWords(groupsText, ',')) {
            const int g = tryReadInt(word).value_or(-1);
            if (g < 0 || g >= static_cast<int>(groups.size())) throw UsageError{"параметру --groups нужны числа 0..12"};
            groups.set(static_cast<std::size_t>(g));
        }
    } else if (force) {
        groups.set();
    }
    ErrorWatch ui(ctx.interaction);
    const auto session = openSession(ctx, ui);
    if (!ensurePrefetchFiles(session->statList(), session->dataDir(), true, force, groups, ctx.progress, ui)) return 1;
    return ui.failed ? 1 : 0;
}

const CommandRegistrar kTable{{"table", "таблица статистики метода с нормами и весами", kTableUsage, runTable}};
const CommandRegistrar kFilter{{"filter", "оставить или удалить комбинации с выбранными значениями метода",
                                kFilterUsage, runFilter}};
const CommandRegistrar kPrefetch{{"prefetch", "файлы норм по полному набору комбинаций", kPrefetchUsage, runPrefetch}};

}  // namespace

}  // namespace tavlora::cli
