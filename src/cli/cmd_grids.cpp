// tavlora-cli card / layout / week / filter-numbers: the archive as number grids and the numbers
// filter that the grids of the window run.
#include <algorithm>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "cli/cli_session.h"
#include "core/error.h"
#include "core/text_forms.h"
#include "session/session.h"
#include "workspace/comb_generator.h"
#include "workspace/comb_list.h"
#include "workspace/number_grids.h"

namespace tavlora::cli {

namespace {

const char* kCardUsage =
    "Использование: tavlora-cli [--data DIR] card [--rows N] [--xlsx FILE]\n"
    "  карта тиражей всего архива, новые тиражи сверху: колонки \"Тираж\", \"1\"..\"69\" (выпавшие числа)\n"
    "  и \"E\"; --rows N - только N последних тиражей; --xlsx FILE - также записать книгу Excel";
const char* kLayoutUsage =
    "Использование: tavlora-cli [--data DIR] [--offset K] layout [--window N] [--compare L1,L2,...]\n"
    "                           [--xlsx FILE]\n"
    "  схема выпадения номеров за N тиражей (по умолчанию 100): строки - количество выпадений,\n"
    "  колонки - тираж последнего выпадения; числа следующего тиража (при K > 0) в скобках [n]\n"
    "  --compare  списки сравнения за L1, L2, ... тиражей (\"Кол-во\" и числа, по убыванию количества)";
const char* kWeekUsage =
    "Использование: tavlora-cli [--data DIR] [--offset K] week [--window N]\n"
    "  сколько раз каждое число выпадало в каждый день недели за N тиражей (по умолчанию 1000)";
const char* kFilterNumbersUsage =
    "Использование: tavlora-cli [--data DIR] [--offset K] [--sorted] filter-numbers --values \"7; 21\"\n"
    "                           (--keep | --remove) [--in FILE.lcv] [--out FILE.lcv]\n"
    "  оставить (--keep) или удалить (--remove) комбинации, содержащие любое из чисел 1..69 (метод NUMS)\n"
    "  --in FILE   исходный список комбинаций (по умолчанию - полный список)\n"
    "  --out FILE  сохранить результат в файл комбинаций";

std::string countText(int32_t n) { return n ? std::to_string(n) : std::string(); }

int runCard(Context& ctx) {
    ArgReader args(ctx.args);
    const int rows = args.intOption("--rows", -1);
    TableOutput output(&ctx.out, args, "Карта");
    args.expectNoOptions();
    if (!args.rest().empty()) throw UsageError{"лишний аргумент: " + args.rest().front()};
    if (rows == 0 || rows < -1) throw UsageError{"параметру --rows нужно число от 1 до 2147483647"};
    const auto session = openSession(ctx, FolderUse::Read);
    const TCardGrid card = session->cardGrid();
    std::vector<std::string> header{"Тираж"};
    for (int n = 1; n <= 69; ++n) header.push_back(std::to_string(n));
    header.push_back("E");
    output.header(header);
    const std::size_t shown = rows < 0 ? card.rows.size() : std::min(card.rows.size(), static_cast<std::size_t>(rows));
    for (std::size_t r = 0; r < shown; ++r) {
        std::vector<std::string> cells;
        for (int c = 0; c < kCardColumns; ++c) cells.push_back(countText(card.cell(static_cast<int>(r), c)));
        output.row(cells);
    }
    output.finish();
    return 0;
}

int runLayout(Context& ctx) {
    ArgReader args(ctx.args);
    const int window = args.intOption("--window", 100);
    std::string compareText;
    const bool compare = args.option("--compare", compareText);
    TableOutput output(&ctx.out, args, "Схема");
    args.expectNoOptions();
    if (!args.rest().empty()) throw UsageError{"лишний аргумент: " + args.rest().front()};
    if (window < 1) throw UsageError{"параметру --window нужно число от 1 до 2147483647"};
    std::vector<int> lengths;
    for (const std::string& word : listWords(compareText, ',')) {
        const auto v = tryReadInt(word);
        if (!v) throw UsageError{"параметру --compare нужны целые числа через запятую: " + word};
        lengths.push_back(*v);
    }
    const auto session = openSession(ctx, FolderUse::Read);
    const TLayoutGrid grid = session->layoutGrid(window);
    std::vector<std::string> header{""};
    for (int32_t d : grid.draws) header.push_back(std::to_string(d));
    output.header(header);
    for (std::size_t r = 0; r < grid.counts.size(); ++r) {
        std::vector<std::string> cells{std::to_string(grid.counts[r])};
        cells.insert(cells.end(), grid.cells[r].begin(), grid.cells[r].end());
        output.row(cells);
    }
    output.finish();
    if (compare) {
        for (int length : lengths) {
            const TCompareList list = session->compareList(length);
            ctx.out << '\n';
            printRow(ctx.out, {kCompareCountCaption, list.caption});
            for (const TCompareRow& row : compareRowsByCount(list)) printRow(ctx.out, {std::to_string(row.count), row.numbers});
        }
    }
    return 0;
}

int runWeek(Context& ctx) {
    ArgReader args(ctx.args);
    const int window = args.intOption("--window", 1000);
    args.expectNoOptions();
    if (!args.rest().empty()) throw UsageError{"лишний аргумент: " + args.rest().front()};
    if (window < 1) throw UsageError{"параметру --window нужно число от 1 до 2147483647"};
    const auto session = openSession(ctx, FolderUse::Read);
    const TWeekTable table = session->weekTable(window);
    std::vector<std::string> header{""};
    for (int n = 1; n <= 69; ++n) header.push_back(std::to_string(n));
    printRow(ctx.out, header);
    for (int d = 1; d <= 7; ++d) {
        std::vector<std::string> cells{kWeekdayShortNames[static_cast<std::size_t>(d - 1)]};
        for (int n = 1; n <= 69; ++n) cells.push_back(countText(table.count(n, d)));
        printRow(ctx.out, cells);
    }
    return 0;
}

int runFilterNumbers(Context& ctx) {
    ArgReader args(ctx.args);
    std::string values, inFile, outFile;
    const bool haveValues = args.option("--values", values);
    const bool keep = args.flag("--keep");
    const bool remove = args.flag("--remove");
    const bool haveIn = args.option("--in", inFile);
    const bool haveOut = args.option("--out", outFile);
    args.expectNoOptions();
    if (!args.rest().empty()) throw UsageError{"лишний аргумент: " + args.rest().front()};
    if (!haveValues) throw UsageError{"нужен параметр --values"};
    if (keep == remove) throw UsageError{"укажите один из параметров --keep и --remove"};
    std::vector<int32_t> numbers;
    for (const std::string& word : listWords(values, ';')) {
        const auto v = tryReadInt(word);
        if (!v || *v < 1 || *v > 69) throw UsageError{"параметру --values нужны числа 1..69 через \";\": " + word};
        numbers.push_back(*v);
    }

    ErrorWatch ui(ctx.interaction);
    const auto session = openSession(ctx, ui);
    TCombList& list = session->combList();
    if (haveIn) {
        if (!list.openFile(inFile, ctx.progress, ui)) return 1;
    } else if (!list.generate(kGenerateFull, "", ctx.progress, ui)) {
        return 1;
    }
    session->filterNumbers(numbers, "Числа", remove, ctx.progress);
    if (haveOut && !list.saveFile(outFile, ctx.progress, ui)) return 1;
    ctx.out << list.countStatusText() << "\n";
    return ui.failed ? 1 : 0;
}

const CommandRegistrar kCard{{"card", "карта тиражей - выпавшие числа каждого тиража", kCardUsage, runCard}};
const CommandRegistrar kLayout{{"layout", "схема выпадения номеров и списки сравнения", kLayoutUsage, runLayout}};
const CommandRegistrar kWeek{{"week", "статистика чисел по дням недели", kWeekUsage, runWeek}};
const CommandRegistrar kFilterNumbers{{"filter-numbers", "оставить или удалить комбинации с выбранными числами",
                                       kFilterNumbersUsage, runFilterNumbers}};

}  // namespace

}  // namespace tavlora::cli
