// tavlora-cli systems: the wheeling systems of the data folder. Each sub-command is one function
// in the table below.
#include <charconv>
#include <cstdint>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>

#include "archive/http_client.h"
#include "cli/cli.h"
#include "cli/cli_session.h"
#include "core/codepage.h"
#include "core/error.h"
#include "core/file_util.h"
#include "core/format.h"
#include "core/text_forms.h"
#include "session/session.h"
#include "session/session_systems.h"
#include "stakes/stake_actions.h"
#include "stakes/wheel_generator.h"
#include "workspace/comb_generator.h"
#include "workspace/comb_list.h"

namespace tavlora::cli {

namespace {

const char* kListUsage =
    "  systems list [--url URL]\n"
    "        список систем каталога (номер, название, автор, числа, блок, комбинаций, дата создания,\n"
    "        статус, загрузок, последняя, комментарии, ссылка, своя); загруженные системы, файл\n"
    "        которых отличается от каталога, загружаются снова; без адреса каталога - системы\n"
    "        в папке Systems";
const char* kShowUsage =
    "  systems show ID [--url URL]\n"
    "        описание системы и ее комбинации (из файла, если система загружена)";
const char* kAddUsage =
    "  systems add FILE --title TEXT --author TEXT --descr TEXT [--link URL] [--block B]\n"
    "        [--numbers K] [--id ID] [--url URL]\n"
    "        сохранить свою систему в каталоге: FILE - список комбинаций (пять чисел в строке);\n"
    "        K по умолчанию - наибольшее число списка, B - длина блока 0..4 (по умолчанию 0);\n"
    "        --id ID изменяет свою систему ID; нужен адрес почты (Mail в [SYSTEMS])";
const char* kDeleteUsage =
    "  systems delete ID [--url URL]\n"
    "        удалить свою систему из каталога (нужен --yes)";
const char* kDownloadUsage =
    "  systems download ID [--url URL]\n"
    "        загрузить систему в папку Systems; другие системы для того же количества чисел\n"
    "        удаляются";
const char* kPlayUsage =
    "  systems play (--all | --filter) [--in FILE.lcv] [--draw N] [--draws C] [--comment TEXT]\n"
    "        системная игра по различным числам списка комбинаций (FILE.lcv, без него - полный\n"
    "        список): --all - все комбинации системы, --filter - только те, что есть в списке;\n"
    "        ставки на тираж N (по умолчанию следующий) и C тиражей (по умолчанию 1)";
const char* kGenerateUsage =
    "  systems generate K --guarantee T [--seconds S] [--seed N] [--rounds R]\n"
    "        создать систему для K чисел (6..69), в которой любые T выпавших чисел из K (T 1..4)\n"
    "        есть в одной комбинации, и сохранить её в папке Systems как 5-KK-T_0000.dat;\n"
    "        S - предел времени поиска в секундах (по умолчанию 10), N - начальное число поиска\n"
    "        (по умолчанию 1: то же N даёт ту же систему), R - сколько раундов поиска без\n"
    "        уменьшения системы допускается (по умолчанию 12); если в папке Systems есть такая\n"
    "        система для K-1 чисел, поиск начинается и с её дополнения";

const std::string kSystemsUsage =
    std::string("Использование: tavlora-cli [--data DIR] [--yes] systems SUBCOMMAND [--help]\n") + kListUsage + "\n" +
    kShowUsage + "\n" + kAddUsage + "\n" + kDeleteUsage + "\n" + kDownloadUsage + "\n" + kPlayUsage + "\n" +
    kGenerateUsage + "\n"
    "  Адрес каталога - параметр --url или ключ Url раздела [SYSTEMS] файла Tavlora_5d69.ini;\n"
    "  без адреса список берется из папки Systems.";

struct Subcommand {
    const char* name;
    int (*run)(Context&, ArgReader&);
    const char* usage;
};

template <typename T>
std::optional<T> readNumber(const std::string& text) {
    T v{};
    auto [p, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc() || p != text.data() + text.size()) return std::nullopt;
    return v;
}

std::string secondsLimitText(double seconds) {
    std::ostringstream out;
    out << seconds;
    return out.str();
}

// "--url URL" over the SYSTEMS section of the folder's settings.
TSystemsSettings settingsWith(const Session& session, bool hasUrl, const std::string& url) {
    TSystemsSettings settings = systemsSettings(session);
    if (hasUrl) settings.url = url;
    return settings;
}

void noArguments(const ArgReader& args, const char* sub) {
    args.expectNoOptions();
    if (!args.rest().empty()) throw UsageError{fmt("systems %s: лишний аргумент %s", sub, args.rest().front())};
}

int32_t idArgument(ArgReader& args, const char* sub) {
    args.expectNoOptions();
    const auto rest = args.rest();
    if (rest.size() != 1) throw UsageError{fmt("systems %s требует номер системы", sub)};
    const auto id = readNumber<int32_t>(rest[0]);
    if (!id || *id < 0) throw UsageError{fmt("systems %s: номер системы - целое число 0..2147483647", sub)};
    return *id;
}

// The row of the system with the id; shown as an error when there is none.
std::optional<TSystemRow> findRow(const TSystemsListing& listing, int32_t id, Interaction& ui) {
    if (!listing.available) return std::nullopt;
    std::optional<TSystemRow> found;
    for (const TSystemRow& row : listing.rows) {
        if (row.info.id != id) continue;
        if (found) {
            ui.error(fmt("Систем с номером %d несколько (%s, %s): в папке Systems номер 0 имеют все созданные "
                         "программой системы.", id, found->file.filename().string(), row.file.filename().string()));
            return std::nullopt;
        }
        found = row;
    }
    if (!found) ui.error(fmt(listing.fromCatalogue ? "В каталоге нет системы с номером %d." : "В папке Systems нет системы с номером %d.", id));
    return found;
}

std::vector<std::string> rowCells(const TSystemRow& row) {
    std::vector<std::string> cells{std::to_string(row.info.id)};
    for (int c = 0; c < static_cast<int>(std::size(kSystemsColumns)); ++c) cells.push_back(systemRowCell(row, c));
    cells.push_back(row.own ? "да" : "");
    return cells;
}

int cmdList(Context& ctx, ArgReader& args) {
    std::string url;
    const bool hasUrl = args.option("--url", url);
    noArguments(args, "list");
    ErrorWatch ui(ctx.interaction);
    const auto session = openSession(ctx, ui, FolderUse::Read);
    const TSystemsSettings settings = settingsWith(*session, hasUrl, url);
    // Stale files are downloaded again while the catalogue is listed: that changes the folder.
    if (!trimText(settings.url).empty() && session->folderInUse()) throw EError(kFolderInUseError);
    CurlHttpClient client;
    const TSystemsListing listing = listSystems(*session, settings, client, ctx.progress, ui);
    std::vector<std::string> header{"Номер"};
    for (const char* caption : kSystemsColumns) header.push_back(caption);
    header.push_back("Своя");
    printRow(ctx.out, header);
    for (const TSystemRow& row : listing.rows) printRow(ctx.out, rowCells(row));
    if (listing.skipped > 0) ctx.err << fmt("Пропущено нечитаемых записей: %d", listing.skipped) << "\n";
    for (int32_t id : listing.redownloaded) ctx.err << fmt("Система #%d загружена заново.", id) << "\n";
    return ui.failed || !listing.available ? 1 : 0;
}

int cmdShow(Context& ctx, ArgReader& args) {
    std::string url;
    const bool hasUrl = args.option("--url", url);
    const int32_t id = idArgument(args, "show");
    ErrorWatch ui(ctx.interaction);
    const auto session = openSession(ctx, ui, FolderUse::Read);
    const TSystemsSettings settings = settingsWith(*session, hasUrl, url);
    CurlHttpClient client;
    const auto row = findRow(catalogueSystems(*session, settings, client, ctx.progress, ui), id, ui);
    if (!row) return 1;
    const auto text = systemCombinations(*session, settings, client, *row, ctx.progress, ui);
    if (!text) return 1;
    const std::vector<std::string> cells = rowCells(*row);
    printRow(ctx.out, {"Номер", cells[0]});
    for (std::size_t c = 0; c < std::size(kSystemsColumns); ++c) printRow(ctx.out, {kSystemsColumns[c], cells[c + 1]});
    printRow(ctx.out, {"Файл", row->downloaded ? row->file.string() : ""});
    ctx.out << "\n" << *text;
    if (!text->empty() && text->back() != '\n') ctx.out << "\n";
    return ui.failed ? 1 : 0;
}

int cmdAdd(Context& ctx, ArgReader& args) {
    std::string url, title, author, descr, link, blockText, numbersText, idText;
    const bool hasUrl = args.option("--url", url);
    const bool hasTitle = args.option("--title", title);
    const bool hasAuthor = args.option("--author", author);
    const bool hasDescr = args.option("--descr", descr);
    args.option("--link", link);
    const bool hasBlock = args.option("--block", blockText);
    const bool hasNumbers = args.option("--numbers", numbersText);
    const bool hasId = args.option("--id", idText);
    args.expectNoOptions();
    const auto rest = args.rest();
    if (rest.size() != 1) throw UsageError{"systems add требует файл со списком комбинаций"};
    if (!hasTitle || !hasAuthor || !hasDescr) throw UsageError{"systems add требует --title, --author и --descr"};
    TSystemData data;
    const TNormalisedSystem list = normaliseSystemText(readFileBytes(rest[0]));
    data.combinations = list.text;
    data.info.numbers = static_cast<uint8_t>(list.numbers);
    data.info.count = list.count;
    if (hasNumbers) {
        const auto k = readNumber<int>(numbersText);
        if (!k || *k < 0 || *k > 255) throw UsageError{"параметру --numbers нужно целое число 6..69"};
        data.info.numbers = static_cast<uint8_t>(*k);
    }
    if (hasBlock) {
        const auto b = readNumber<int>(blockText);
        if (!b || *b < 0 || *b > 255) throw UsageError{"параметру --block нужно целое число 0..4"};
        data.info.block = static_cast<uint8_t>(*b);
    }
    if (hasId) {
        const auto id = readNumber<int32_t>(idText);
        if (!id || *id < 1) throw UsageError{"параметру --id нужен номер системы 1..2147483647"};
        data.info.id = *id;
    }
    data.info.title = title;
    data.info.author = author;
    data.info.description = descr;
    data.info.link = link;
    ErrorWatch ui(ctx.interaction);
    // Only the catalogue changes: the data folder is read.
    const auto session = openSession(ctx, ui, FolderUse::Read);
    CurlHttpClient client;
    const auto id = saveOwnSystem(*session, settingsWith(*session, hasUrl, url), client, data, ctx.progress, ui);
    if (!id) return 1;
    printRow(ctx.out, {"Номер", "Числа", "Комбинаций"});
    printRow(ctx.out, {std::to_string(*id), fmt("%.2d", int{data.info.numbers}), std::to_string(list.count)});
    return ui.failed ? 1 : 0;
}

int cmdDelete(Context& ctx, ArgReader& args) {
    std::string url;
    const bool hasUrl = args.option("--url", url);
    const int32_t id = idArgument(args, "delete");
    ErrorWatch ui(ctx.interaction);
    const auto session = openSession(ctx, ui, FolderUse::Read);
    const TSystemsSettings settings = settingsWith(*session, hasUrl, url);
    if (trimText(settings.url).empty()) throw EError(fmt(kSystemDeleteError, std::string(kSystemsUrlMissing)));
    CurlHttpClient client;
    const auto row = findRow(catalogueSystems(*session, settings, client, ctx.progress, ui), id, ui);
    if (!row) return 1;
    if (!deleteOwnSystem(*session, settings, client, row->info, ctx.progress, ui)) return 1;
    ctx.out << fmt("Система #%d удалена из каталога.", id) << "\n";
    return 0;
}

int cmdDownload(Context& ctx, ArgReader& args) {
    std::string url;
    const bool hasUrl = args.option("--url", url);
    const int32_t id = idArgument(args, "download");
    ErrorWatch ui(ctx.interaction);
    const auto session = openSession(ctx, ui);
    const TSystemsSettings settings = settingsWith(*session, hasUrl, url);
    if (trimText(settings.url).empty()) throw EError(fmt(kSystemDownloadError, id, std::string(kSystemsUrlMissing)));
    CurlHttpClient client;
    const auto row = findRow(catalogueSystems(*session, settings, client, ctx.progress, ui), id, ui);
    if (!row) return 1;
    if (!downloadSystem(*session, settings, client, row->info, ctx.progress, ui)) return 1;
    ctx.out << systemFilePath(session->systemsDir(), row->info).string() << "\n";
    return 0;
}

int cmdPlay(Context& ctx, ArgReader& args) {
    std::string inFile, drawText, countText, comment;
    const bool all = args.flag("--all");
    const bool filter = args.flag("--filter");
    const bool hasIn = args.option("--in", inFile);
    const bool hasDraw = args.option("--draw", drawText);
    const bool hasCount = args.option("--draws", countText);
    const bool hasComment = args.option("--comment", comment);
    noArguments(args, "play");
    if (all == filter) throw UsageError{"systems play требует один из параметров --all и --filter"};
    std::optional<int32_t> draw;
    int count = 1;
    if (hasDraw) {
        draw = readNumber<int32_t>(drawText);
        if (!draw || *draw < 1) throw UsageError{"параметру --draw нужен номер тиража 1..2147483647"};
    }
    if (hasCount) {
        const auto c = readNumber<int>(countText);
        if (!c || *c < 1 || *c > 65535) throw UsageError{"параметру --draws нужно количество тиражей 1..65535"};
        count = *c;
    }
    if (hasComment && cp1251Length(comment) > static_cast<std::size_t>(kStakeCommentMaxChars))
        throw UsageError{fmt("в параметре --comment не больше %d символов", kStakeCommentMaxChars)};

    ErrorWatch ui(ctx.interaction);
    const auto session = openSession(ctx, ui);
    TCombList& list = session->combList();
    if (hasIn) {
        if (!list.openFile(inFile, ctx.progress, ui)) return 1;
    } else if (!list.generate(kGenerateFull, "", ctx.progress, ui)) {
        return 1;
    }
    const TSystemPlayPrepared prepared =
        prepareSystemPlay(*session, all ? TSystemPlayMode::All : TSystemPlayMode::Filtered, &ui);
    if (!prepared.ok) return 1;
    const int added = playSystem(*session, prepared, draw.value_or(prepared.drawNumber), count,
                                 hasComment ? comment : prepared.comment, ctx.progress, ui);
    printRow(ctx.out, {"Система", "Чисел", "Ставок", "Тираж", "Тиражей"});
    printRow(ctx.out, {prepared.system.file.filename().string(), std::to_string(prepared.numbers.size()),
                       std::to_string(added), std::to_string(draw.value_or(prepared.drawNumber)), std::to_string(count)});
    return ui.failed ? 1 : 0;
}

int cmdGenerate(Context& ctx, ArgReader& args) {
    std::string guaranteeText, secondsText, seedText, roundsText;
    const bool hasGuarantee = args.option("--guarantee", guaranteeText);
    const bool hasSeconds = args.option("--seconds", secondsText);
    const bool hasSeed = args.option("--seed", seedText);
    const bool hasRounds = args.option("--rounds", roundsText);
    args.expectNoOptions();
    const auto rest = args.rest();
    if (rest.size() != 1) throw UsageError{"systems generate требует количество чисел K"};
    TWheelOptions options;
    const auto k = readNumber<int>(rest[0]);
    if (!k || *k < kWheelMinNumbers || *k > kWheelMaxNumbers)
        throw UsageError{fmt("K должно быть целым числом %d..%d", kWheelMinNumbers, kWheelMaxNumbers)};
    options.numbers = *k;
    if (!hasGuarantee) throw UsageError{"systems generate требует --guarantee T"};
    const auto t = readNumber<int>(guaranteeText);
    if (!t || *t < kWheelMinGuarantee || *t > kWheelMaxGuarantee)
        throw UsageError{fmt("параметру --guarantee нужно целое число %d..%d", kWheelMinGuarantee, kWheelMaxGuarantee)};
    options.guarantee = *t;
    if (hasSeconds) {
        const auto seconds = readNumber<double>(secondsText);
        if (!seconds || !(*seconds > 0) || *seconds > 86400) throw UsageError{"параметру --seconds нужно число секунд больше 0"};
        options.seconds = *seconds;
    }
    if (hasSeed) {
        const auto seed = readNumber<uint64_t>(seedText);
        if (!seed) throw UsageError{"параметру --seed нужно целое число 0..18446744073709551615"};
        options.seed = *seed;
    }
    if (hasRounds) {
        const auto rounds = readNumber<int>(roundsText);
        if (!rounds || *rounds < 1 || *rounds > 100000) throw UsageError{"параметру --rounds нужно целое число 1..100000"};
        options.patienceRounds = *rounds;
    }

    const auto session = openSession(ctx);
    const TSystemGenerated generated = generateSystem(*session, options, ctx.progress);
    const TWheelResult& wheel = generated.wheel;
    const TWheelSave& save = generated.save;
    if (wheel.timedOut)
        ctx.err << fmt("Поиск остановлен по пределу времени (%s с): с тем же --seed результат может быть другим.",
                       secondsText.empty() ? secondsLimitText(options.seconds) : secondsText)
                << '\n';
    if (!save.written)
        ctx.err << fmt("Найдена система из %d комбинаций; в файле оставлена прежняя система из %d комбинаций.",
                       static_cast<int>(wheel.size()), static_cast<int>(save.existingSize))
                << '\n';
    const int64_t size = save.written ? wheel.size() : save.existingSize;
    printRow(ctx.out, {"Числа", "Гарантия", "Комбинаций", "Нижняя граница", "Жадный алгоритм", "Файл"});
    printRow(ctx.out, {std::to_string(wheel.numbers), std::to_string(wheel.guarantee), std::to_string(size),
                       std::to_string(wheel.lowerBound), std::to_string(wheel.greedySize), save.file.string()});
    return 0;
}

const Subcommand kSubcommands[] = {
    {"list", cmdList, kListUsage},         {"show", cmdShow, kShowUsage},
    {"add", cmdAdd, kAddUsage},            {"delete", cmdDelete, kDeleteUsage},
    {"download", cmdDownload, kDownloadUsage}, {"play", cmdPlay, kPlayUsage},
    {"generate", cmdGenerate, kGenerateUsage},
};

int runSystems(Context& ctx) {
    if (ctx.args.empty()) throw UsageError{"systems требует подкоманду"};
    const std::string sub = ctx.args[0];
    if (sub == "--help" || sub == "-h") {
        ctx.out << kSystemsUsage << "\n";
        return 0;
    }
    ArgReader args(std::vector<std::string>(ctx.args.begin() + 1, ctx.args.end()));
    for (const auto& s : kSubcommands) {
        if (sub != s.name) continue;
        if (args.flag("--help") || args.flag("-h")) {
            ctx.out << "Использование: tavlora-cli [--data DIR] [--yes] systems SUBCOMMAND\n" << s.usage << "\n";
            return 0;
        }
        return s.run(ctx, args);
    }
    throw UsageError{"неизвестная подкоманда systems: " + sub};
}

const CommandRegistrar systemsRegistrar(Command{"systems", "системы: list, show, add, delete, download, play, generate", kSystemsUsage, runSystems});

}  // namespace

}  // namespace tavlora::cli
