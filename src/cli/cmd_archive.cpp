// tavlora-cli archive: the draw archive (status, list, add, edit, delete, import, export).
#include <algorithm>
#include <charconv>
#include <cstdint>
#include <iostream>
#include <optional>
#include <set>

#include "archive/draw_archive.h"
#include "archive/draws_csv.h"
#include "cli/cli.h"
#include "cli/cmd_download.h"
#include "cli/cli_session.h"
#include "core/date.h"
#include "core/error.h"
#include "core/format.h"
#include "core/text_forms.h"

namespace tavlora::cli {

namespace {

const std::string kArchiveUsage =
    "Использование: tavlora-cli [--data DIR] [--offset K] [--sorted] [--yes] archive SUBCOMMAND\n"
    "  archive status                       число тиражей, следующий тираж, тираж после смещения\n"
    "  archive list [--last N] [--xlsx FILE]\n"
    "                                       тиражи, новые первыми (с --sorted числа по возрастанию);\n"
    "                                       --xlsx FILE - также в книгу Excel (лист \"Архив тиражей\")\n"
    "  archive add --numbers \"n1;n2;n3;n4;n5;e\" [--number N] [--date mm/dd/yyyy]\n"
    "                                       добавить тираж (номер по умолчанию - следующий)\n"
    "  archive edit N [--numbers ...] [--number M] [--date mm/dd/yyyy]\n"
    "                                       изменить тираж с номером N\n"
    "  archive delete N [N ...]             удалить тиражи с этими номерами (нужен --yes)\n"
    "  archive import FILE                  добавить тиражи из CSV-файла\n"
    "  archive export FILE                  записать архив в CSV-файл\n"
    + std::string(kArchiveDownloadUsage);

const char* kDrawExists = "Тираж № %d уже есть в архиве!";
const char* kDrawMissing = "Тираж № %d не найден в архиве!";
const char* kArchiveNotWhole =
    "Файл тиражей прочитан не полностью; чтобы не потерять его данные, архив не изменён.";

// A whole decimal number (64 bits, so that out-of-range draw numbers reach the validation).
std::optional<int64_t> wholeNumber(const std::string& text) {
    int64_t v = 0;
    auto [p, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc() || p != text.data() + text.size()) return std::nullopt;
    return v;
}

int64_t numberArgument(const std::string& text, const std::string& what) {
    auto v = wholeNumber(text);
    if (!v) throw UsageError{what + " должен быть целым числом: " + text};
    return *v;
}

// Changes are saved over the archive file; refuse them when it was not read whole.
void requireWholeArchive(const Session& session) {
    if (!session.archiveReadWhole()) throw EError(kArchiveNotWhole);
}

int cmdStatus(Context& ctx, ArgReader& args) {
    args.expectNoOptions();
    if (!args.rest().empty()) throw UsageError{"archive status не принимает аргументов"};
    const auto session = openSession(ctx, FolderUse::Read);
    const DrawArchive& a = session->archive();
    ctx.out << a.archiveStatusText() << '\n' << a.nextDrawStatusText() << '\n' << a.actualDrawStatusText() << '\n';
    return 0;
}

int cmdList(Context& ctx, ArgReader& args) {
    int last = args.intOption("--last", -1);
    TableOutput table(&ctx.out, args, "Архив тиражей");
    args.expectNoOptions();
    if (!args.rest().empty()) throw UsageError{"archive list не принимает аргументов"};
    if (last < -1) throw UsageError{"параметру --last нужно число >= 0"};
    const auto session = openSession(ctx, FolderUse::Read);
    const DrawArchive& a = session->archive();
    table.header(drawListColumns());
    const int rows = last < 0 ? a.count() : std::min(last, a.count());
    for (int p = 0; p < rows; ++p) table.row(drawListRow(a.at(a.indexOfListPos(p)), session->sortedDraws()));
    table.finish();
    return 0;
}

// The fields of the draw dialog as given on the command line.
struct DrawFields {
    std::optional<std::string> numbers;
    std::optional<std::string> number;
    std::optional<std::string> date;
};

DrawFields readDrawFields(ArgReader& args) {
    DrawFields f;
    std::string v;
    if (args.option("--numbers", v)) f.numbers = v;
    if (args.option("--number", v)) f.number = v;
    if (args.option("--date", v)) f.date = v;
    args.expectNoOptions();
    return f;
}

// Validates like the draw dialog; the warning goes to the user and nullopt comes back.
std::optional<TDraw> validated(Context& ctx, int64_t number, const std::string& numbers,
                               std::optional<CivilDate> date) {
    DrawInputResult r = validateDrawInput(number, numbers, date);
    if (!r.ok) {
        ctx.interaction.warning(r.warning);
        return std::nullopt;
    }
    return r.draw;
}

int cmdAdd(Context& ctx, ArgReader& args) {
    DrawFields f = readDrawFields(args);
    if (!args.rest().empty()) throw UsageError{"archive add принимает только параметры"};
    if (!f.numbers) throw UsageError{"archive add требует --numbers \"n1;n2;n3;n4;n5;e\""};
    const auto session = openSession(ctx);
    requireWholeArchive(*session);
    DrawArchive& a = session->archive();
    int64_t number = f.number ? numberArgument(*f.number, "--number") : a.nextDrawNumber(0);
    std::optional<CivilDate> date = f.date ? readDateText(*f.date) : std::nullopt;
    auto draw = validated(ctx, number, *f.numbers, date);
    if (!draw) return 1;
    if (a.findByNumber(draw->number) >= 0) throw EError(fmt(kDrawExists, draw->number));
    if (!a.addDraw(*draw, ctx.progress, ctx.interaction)) return 1;
    ctx.out << drawLine(*draw) << '\n';
    return 0;
}

int cmdEdit(Context& ctx, ArgReader& args) {
    DrawFields f = readDrawFields(args);
    auto rest = args.rest();
    if (rest.size() != 1) throw UsageError{"archive edit требует один номер тиража"};
    int64_t old = numberArgument(rest[0], "номер тиража");
    const auto session = openSession(ctx);
    requireWholeArchive(*session);
    DrawArchive& a = session->archive();
    int index = (old >= INT32_MIN && old <= INT32_MAX) ? a.findByNumber(static_cast<int>(old)) : -1;
    if (index < 0) throw EError(fmt(kDrawMissing, old));
    const TDraw current = a.at(index);

    int64_t number = f.number ? numberArgument(*f.number, "--number") : current.number;
    std::string numbers = f.numbers ? *f.numbers : drawInputText(current);
    std::optional<CivilDate> date = f.date ? readDateText(*f.date) : std::nullopt;
    auto draw = validated(ctx, number, numbers, date);
    if (!draw) return 1;
    if (!f.date) {
        // The date stays as stored, even a text that is not a date.
        draw->dateLen = current.dateLen;
        draw->date = current.date;
    }
    draw->unused = current.unused;
    if (draw->number != current.number && a.findByNumber(draw->number) >= 0)
        throw EError(fmt(kDrawExists, draw->number));
    if (!a.editDraw(index, *draw, ctx.progress, ctx.interaction)) return 1;
    ctx.out << drawLine(*draw) << '\n';
    return 0;
}

int cmdDelete(Context& ctx, ArgReader& args) {
    args.expectNoOptions();
    auto rest = args.rest();
    if (rest.empty()) throw UsageError{"archive delete требует хотя бы один номер тиража"};
    std::vector<int64_t> wanted;
    for (const auto& r : rest) wanted.push_back(numberArgument(r, "номер тиража"));
    const auto session = openSession(ctx);
    requireWholeArchive(*session);
    DrawArchive& a = session->archive();

    std::vector<int> numbers;
    std::set<int> seen;
    bool missing = false;
    for (int64_t n : wanted) {
        bool fits = n >= INT32_MIN && n <= INT32_MAX;
        if (!fits || a.findByNumber(static_cast<int>(n)) < 0) {
            ctx.err << terminalText(fmt(kDrawMissing, n)) << '\n';
            missing = true;
        } else if (seen.insert(static_cast<int>(n)).second) {
            numbers.push_back(static_cast<int>(n));
        }
    }
    if (missing) return 1;

    std::string question = numbers.size() == 1
                               ? std::string("Удалить выделенную запись?")
                               : fmt("Удалить все выделенные записи (всего будет удалено %d записи(ей))?",
                                     static_cast<int>(numbers.size()));
    if (!ctx.interaction.question("Предупреждение", question, false)) return 1;
    ErrorWatch watch(ctx.interaction);
    int deleted = a.deleteDrawsByNumber(numbers, ctx.progress, watch);
    ctx.out << "Удалено тиражей: " << deleted << '\n';
    return watch.failed ? 1 : 0;
}

int cmdImport(Context& ctx, ArgReader& args) {
    args.expectNoOptions();
    auto rest = args.rest();
    if (rest.size() != 1) throw UsageError{"archive import требует один файл"};
    const auto session = openSession(ctx);
    requireWholeArchive(*session);
    DrawArchive& a = session->archive();
    ErrorWatch watch(ctx.interaction);
    const DrawsCsvImport result = importDrawsCsv(a, rest[0], ctx.progress, watch);
    if (result.valid == 0) {
        ctx.interaction.error(kNoValidDrawLines);
        return 1;
    }
    ctx.out << "Добавлено тиражей: " << result.added << '\n';
    if (result.skipped > 0) ctx.out << "Пропущено строк: " << result.skipped << '\n';
    return watch.failed ? 1 : 0;
}

int cmdExport(Context& ctx, ArgReader& args) {
    args.expectNoOptions();
    auto rest = args.rest();
    if (rest.size() != 1) throw UsageError{"archive export требует один файл"};
    const auto session = openSession(ctx, FolderUse::Read);
    const DrawArchive& a = session->archive();
    if (a.empty()) throw EError("Архив тиражей пуст: экспортировать нечего.");
    exportDrawsCsv(a, rest[0], ctx.progress);
    ctx.out << "Экспортировано тиражей: " << a.count() << '\n';
    return 0;
}

int runArchive(Context& ctx) {
    if (ctx.args.empty()) throw UsageError{"archive требует подкоманду"};
    const std::string sub = ctx.args[0];
    ArgReader args(std::vector<std::string>(ctx.args.begin() + 1, ctx.args.end()));
    if (sub == "status") return cmdStatus(ctx, args);
    if (sub == "list") return cmdList(ctx, args);
    if (sub == "add") return cmdAdd(ctx, args);
    if (sub == "edit") return cmdEdit(ctx, args);
    if (sub == "delete") return cmdDelete(ctx, args);
    if (sub == "import") return cmdImport(ctx, args);
    if (sub == "export") return cmdExport(ctx, args);
    if (sub == "download") return cmdArchiveDownload(ctx, args);
    throw UsageError{"неизвестная подкоманда archive: " + sub};
}

const CommandRegistrar registrar(Command{"archive", "архив тиражей: status, list, add, edit, delete, import, export, download",
                                         kArchiveUsage, runArchive});

}  // namespace

}  // namespace tavlora::cli
