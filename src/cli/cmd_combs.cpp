// tavlora-cli combs: the combination list (generation from the generator memory or the given
// mode, removal of the latest draws, saving as a .lcv file).
#include <iostream>
#include <string>

#include "cli/cli.h"
#include "cli/cli_session.h"
#include "core/error.h"
#include "core/format.h"
#include "core/xlsx_table.h"
#include "workspace/comb_list.h"
#include "workspace/comb_list_rows.h"

namespace tavlora::cli {

namespace {

const char* kCombsUsage =
    "Использование: tavlora-cli [--data DIR] [--offset K] combs generate [--mode M] [--params TEXT]\n"
    "                           [--exclude N] [--out FILE.lcv] [--save]\n"
    "  --mode M       режим генерации 0..4 (по умолчанию - сохранённый в Tavlora_5d69.ini)\n"
    "                 0 полный список, 1 любое из моих чисел, 2 только мои числа,\n"
    "                 3 без моих чисел, 4 загрузить список из файла .lcv\n"
    "  --params TEXT  мои числа через \";\" или имя файла для режима 4\n"
    "                 (по умолчанию - сохранённые параметры)\n"
    "  --exclude N    затем исключить N последних тиражей (с учётом --offset)\n"
    "  --out FILE     сохранить список в файл комбинаций\n"
    "  --save         запомнить режим и параметры как параметры генерации по умолчанию\n"
    "  --list         напечатать список (колонки окна \"Комбинации\") вместо числа комбинаций\n"
    "  --xlsx FILE    записать список в книгу Excel (лист \"Комбинации\", не более 1048575 строк)";

int runGenerate(Context& ctx, ArgReader& args) {
    const int mode = args.intOption("--mode", -1);
    std::string params;
    const bool haveParams = args.option("--params", params);
    const int exclude = args.intOption("--exclude", -1);
    std::string out;
    const bool haveOut = args.option("--out", out);
    const bool save = args.flag("--save");
    const bool print = args.flag("--list");
    TableOutput table(print ? &ctx.out : nullptr, args, "Комбинации");
    args.expectNoOptions();
    if (!args.rest().empty()) throw UsageError{"лишний аргумент: " + args.rest().front()};
    if (mode != -1 && (mode < 0 || mode > 4)) throw UsageError{"параметр --mode должен быть 0..4"};
    if (exclude < -1) throw UsageError{"параметр --exclude должен быть целым числом >= 0"};

    ErrorWatch ui(ctx.interaction);
    const auto session = openSession(ctx, ui);
    const TSettings& settings = session->settings();
    const uint8_t useMode = mode >= 0 ? static_cast<uint8_t>(mode) : settings.generateMode;
    const std::string useParams = haveParams ? params : settings.generateParameters;
    if (save) session->storeGeneratorMemory(useMode, useParams);

    TCombList& list = session->combList();
    if (!list.generate(useMode, useParams, ctx.progress, ui)) return 1;
    if (exclude >= 0 && !list.removeLastDraws(session->draws(), session->analysisEndIndex(), exclude, ctx.progress))
        return 1;
    if (haveOut && !list.saveFile(out, ctx.progress, ui)) return 1;
    if (print || table.writesWorkbook()) {
        // A list longer than a sheet is refused before its rows are turned into texts.
        if (table.writesWorkbook()) checkXlsxTableSize(static_cast<int64_t>(list.count()), 7);
        table.header(combListColumns());
        const TCombsArray& combs = list.combs();
        for (std::size_t i = 0; i < combs.size(); ++i) table.row(combListRow(i, combs[i]));
        table.finish();
    }
    if (!print) ctx.out << list.countStatusText() << "\n";
    return ui.failed ? 1 : 0;
}

int runCombs(Context& ctx) {
    ArgReader args(ctx.args);
    const auto rest = args.rest();
    if (rest.empty()) throw UsageError{"combs требует подкоманду"};
    const std::string sub = rest.front();
    std::vector<std::string> tail(rest.begin() + 1, rest.end());
    ArgReader subArgs(tail);
    if (sub == "generate") return runGenerate(ctx, subArgs);
    throw UsageError{"неизвестная подкоманда combs: " + sub};
}

const CommandRegistrar kCombsCommand{Command{"combs", "список комбинаций: генерация, исключение тиражей, сохранение",
                                             kCombsUsage, runCombs}};

}  // namespace

}  // namespace tavlora::cli
