#include "stakes/systems_catalogue.h"

#include <algorithm>
#include <charconv>
#include <fcntl.h>
#include <sys/stat.h>

#include "archive/ini_update.h"
#include "core/codepage.h"
#include "core/error.h"
#include "core/file_util.h"
#include "core/format.h"
#include "core/ini_file.h"
#include "core/text_forms.h"
#include "stakes/systems.h"

namespace tavlora {

namespace {

constexpr const char* kSection = "SYSTEMS";
constexpr const char* kBrokenReply = "Ответ каталога систем не разобран: %s";
constexpr const char* kServiceErrorWithoutText = "Каталог систем сообщил об ошибке без описания";

// A whole number of plain digits (no sign, no blanks) within [low, high].
std::optional<int64_t> strictNumber(std::string_view text, int64_t low, int64_t high) {
    if (text.empty() || text.size() > 18) return std::nullopt;
    int64_t v = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        v = v * 10 + (c - '0');
    }
    if (v < low || v > high) return std::nullopt;
    return v;
}

// Five distinct positions 1..maxValue, or nothing.
std::optional<TComb> fivePositions(std::string_view line, int maxValue) {
    const auto words = systemLineWords(line);
    if (words.size() != kSystemCombinationLength) return std::nullopt;
    TComb c;
    for (size_t j = 0; j < 5; ++j) {
        const auto v = strictNumber(words[j], 1, maxValue);
        if (!v) return std::nullopt;
        c.n[j] = static_cast<uint8_t>(*v);
        for (size_t i = 0; i < j; ++i)
            if (c.n[i] == c.n[j]) return std::nullopt;
    }
    return c;
}

bool blankText(std::string_view s) { return trimText(s).empty(); }

// Reads &lt; &gt; &amp; &quot; &apos; &#N; &#xN; and keeps anything else as written.
std::string decodeEntities(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    size_t i = 0;
    while (i < s.size()) {
        if (s[i] != '&') {
            out += s[i++];
            continue;
        }
        const size_t semi = s.find(';', i + 1);
        if (semi == std::string_view::npos || semi - i > 12) {
            out += s[i++];
            continue;
        }
        const std::string_view name = s.substr(i + 1, semi - i - 1);
        std::optional<char32_t> cp;
        if (name == "lt") cp = U'<';
        else if (name == "gt") cp = U'>';
        else if (name == "amp") cp = U'&';
        else if (name == "quot") cp = U'"';
        else if (name == "apos") cp = U'\'';
        else if (name.size() > 1 && name[0] == '#') {
            const bool hex = name[1] == 'x' || name[1] == 'X';
            const std::string_view digits = name.substr(hex ? 2 : 1);
            uint32_t v = 0;
            auto [p, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), v, hex ? 16 : 10);
            if (!digits.empty() && ec == std::errc() && p == digits.data() + digits.size() && v > 0 && v <= 0x10FFFF &&
                !(v >= 0xD800 && v <= 0xDFFF))
                cp = static_cast<char32_t>(v);
        }
        if (!cp) {
            out += s[i++];
            continue;
        }
        appendUtf8(out, *cp);
        i = semi + 1;
    }
    return out;
}

// One element of a reply: its name and the raw text between its tags.
struct Element {
    std::string_view name;
    std::string_view content;
};

bool nameChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '-' ||
           c == ':' || c == '.';
}

// The elements directly inside text, in order. Declarations, comments and stray closing tags are
// passed over; the content of an element ends at the first closing tag of its name. Throws
// EError on an element that is never closed.
std::vector<Element> childElements(std::string_view text) {
    std::vector<Element> out;
    size_t i = 0;
    while ((i = text.find('<', i)) != std::string_view::npos) {
        if (text.substr(i).starts_with("<!--")) {
            const size_t end = text.find("-->", i + 4);
            if (end == std::string_view::npos) break;
            i = end + 3;
            continue;
        }
        size_t n = i + 1;
        while (n < text.size() && nameChar(text[n])) ++n;
        if (n == i + 1) {  // "<?xml ...?>", "<!DOCTYPE ...>", "</stray>" or a lone "<"
            const size_t end = text.find('>', i + 1);
            if (end == std::string_view::npos) break;
            i = end + 1;
            continue;
        }
        const std::string_view name = text.substr(i + 1, n - i - 1);
        const size_t tagEnd = text.find('>', n);
        if (tagEnd == std::string_view::npos) throw EError(fmt(kBrokenReply, fmt("незакрытый тег <%s", name)));
        if (tagEnd > n && text[tagEnd - 1] == '/') {  // <name/> or <name attr="x"/>
            out.push_back({name, {}});
            i = tagEnd + 1;
            continue;
        }
        const std::string close = "</" + std::string(name) + ">";
        const size_t closeAt = text.find(close, tagEnd + 1);
        if (closeAt == std::string_view::npos) throw EError(fmt(kBrokenReply, fmt("нет закрывающего тега %s", close)));
        out.push_back({name, text.substr(tagEnd + 1, closeAt - tagEnd - 1)});
        i = closeAt + close.size();
    }
    return out;
}

// The first element named `wanted` or "error", depth first in document order (not looking inside
// either). An error element throws its message.
std::optional<std::string_view> findReplyElement(std::string_view text, std::string_view wanted, int depth = 0) {
    if (depth > 16) return std::nullopt;
    for (const Element& e : childElements(text)) {
        if (e.name == "error") {
            const std::string message(trimText(decodeEntities(e.content)));
            throw EError(message.empty() ? std::string(kServiceErrorWithoutText) : message);
        }
        if (e.name == wanted) return e.content;
        if (auto inner = findReplyElement(e.content, wanted, depth + 1)) return inner;
    }
    return std::nullopt;
}

// The reply as UTF-8: taken as it is when it is UTF-8, else read as Windows-1251.
std::string replyText(std::string_view reply) {
    return isValidUtf8(reply) ? std::string(reply) : cp1251ToUtf8(reply);
}

std::string validDate(const std::string& text) { return parseSystemDate(text) ? text : std::string(); }

std::string lineEndsTrimmed(std::string_view line) {
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.remove_suffix(1);
    return std::string(line);
}

// Sets the access and modification times of a file (seconds).
void setFileTimes(const std::filesystem::path& file, std::time_t time) {
    timespec times[2];
    times[0].tv_sec = time;
    times[0].tv_nsec = 0;
    times[1] = times[0];
    if (::utimensat(AT_FDCWD, file.c_str(), times, 0) != 0)
        throw EError(fmt("Не удалось установить время файла \"%s\": %s", file.string(), systemMessage(errno)));
}

std::optional<std::time_t> fileModified(const std::filesystem::path& file) {
    struct stat st {};
    if (::stat(file.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
    return st.st_mtim.tv_sec;
}

// Whether a file name is one the lookup for K could pick: "5-KK-*_*.dat".
bool lookupNameForK(const std::string& name, int k) {
    const std::string prefix = fmt("%d-%.2d-", 5, k);
    if (name.rfind(prefix, 0) != 0 || name.size() < prefix.size() + 5) return false;
    std::string ext = name.substr(name.size() - 4);
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (ext != ".dat") return false;
    const size_t underscore = name.find('_', prefix.size());
    return underscore != std::string::npos && underscore < name.size() - 4;
}

}  // namespace

TSystemInfo systemsPlaceholder() {
    TSystemInfo info;
    info.id = kSystemPlaceholderId;
    info.title = kSystemsListUnavailable;
    return info;
}

TSystemsSettings loadSystemsSettings(const std::filesystem::path& iniPath) {
    IniFile ini(iniPath);
    TSystemsSettings s;
    s.url = std::string(trimText(ini.readString(kSection, "Url", "")));
    s.mail = std::string(trimText(ini.readString(kSection, "Mail", "")));
    return s;
}

void saveSystemsSettings(const std::filesystem::path& iniPath, const TSystemsSettings& settings) {
    updateIniFile(iniPath, [&](IniFile& ini) {
        ini.writeString(kSection, "Url", trimText(settings.url));
        ini.writeString(kSection, "Mail", trimText(settings.mail));
    });
}

TNormalisedSystem normaliseSystemText(std::string_view text) {
    TNormalisedSystem out;
    for (std::string_view line : splitLines(text)) {
        const auto c = fivePositions(line, kSystemMaxNumbers);
        if (!c) continue;
        out.text += systemLine(*c) + "\n";
        ++out.count;
        for (uint8_t v : c->n) out.numbers = std::max(out.numbers, int{v});
    }
    return out;
}

std::optional<std::string> checkSystemInput(const TSystemData& data) {
    const TSystemInfo& info = data.info;
    if (blankText(info.title)) return std::string(kSystemTitleRequired);
    // The positions of the list must fit K, or the system file could never be played.
    const int largest = normaliseSystemText(data.combinations).numbers;
    if (info.numbers < kSystemMinNumbers || info.numbers > kSystemMaxNumbers || info.numbers < largest)
        return std::string(kSystemNumbersInvalid);
    if (info.block > kSystemMaxBlock) return std::string(kSystemBlockInvalid);
    if (blankText(info.author)) return std::string(kSystemAuthorRequired);
    if (blankText(info.description)) return std::string(kSystemDescriptionRequired);
    if (blankText(data.combinations)) return std::string(kSystemListRequired);
    return std::nullopt;
}

TSystemListReply parseSystemListReply(std::string_view reply) {
    const std::string text = replyText(reply);
    const auto result = findReplyElement(text, "result");
    if (!result) throw EError(fmt(kBrokenReply, "нет элемента result"));
    TSystemListReply out;
    for (const Element& row : childElements(*result)) {
        if (row.name != "row") continue;
        // The first element of each name counts; the texts are decoded, never trimmed.
        std::vector<std::pair<std::string_view, std::string>> fields;
        for (const Element& f : childElements(row.content))
            if (std::none_of(fields.begin(), fields.end(), [&](const auto& x) { return x.first == f.name; }))
                fields.emplace_back(f.name, decodeEntities(f.content));
        auto field = [&](std::string_view name) -> std::string {
            for (const auto& f : fields)
                if (f.first == name) return f.second;
            return {};
        };
        auto number = [&](std::string_view name, int64_t low, int64_t high) {
            return strictNumber(trimText(field(name)), low, high);
        };
        const auto id = number("id", 1, INT32_MAX);
        const auto nums = number("nums", kSystemMinNumbers, kSystemMaxNumbers);
        const auto olap = number("olap", 0, kSystemMaxBlock);
        const auto csize = number("csize", 0, INT32_MAX);
        if (!id || !nums || !olap || !csize) {
            ++out.skipped;
            continue;
        }
        TSystemInfo info;
        info.id = static_cast<int32_t>(*id);
        info.numbers = static_cast<uint8_t>(*nums);
        info.block = static_cast<uint8_t>(*olap);
        info.count = static_cast<int32_t>(*csize);
        info.title = field("title");
        info.description = field("descr");
        info.author = field("author");
        info.ownerMail = field("cl_mail");
        info.link = field("url");
        info.created = validDate(std::string(trimText(field("created"))));
        info.downloads = static_cast<int32_t>(number("downloads", 0, INT32_MAX).value_or(0));
        info.lastDownload = validDate(std::string(trimText(field("last_download"))));
        out.systems.push_back(std::move(info));
    }
    return out;
}

std::string parseSystemDataReply(std::string_view reply) {
    const std::string text = replyText(reply);
    const auto clist = findReplyElement(text, "clist");
    if (!clist) throw EError(fmt(kBrokenReply, "нет элемента clist"));
    return decodeEntities(*clist);
}

int32_t parseSystemSaveReply(std::string_view reply) {
    const std::string text = replyText(reply);
    const auto id = findReplyElement(text, "id_systems");
    if (!id) throw EError(fmt(kBrokenReply, "нет элемента id_systems"));
    const auto v = strictNumber(trimText(decodeEntities(*id)), 1, INT32_MAX);
    if (!v) throw EError(fmt(kBrokenReply, fmt("недопустимый номер системы \"%s\"", decodeEntities(*id))));
    return static_cast<int32_t>(*v);
}

std::string escapeReplyText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            case '\'': out += "&apos;"; break;
            default: out += c;
        }
    }
    return out;
}

std::string renderSystemListReply(const std::vector<TSystemInfo>& systems) {
    std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<result>\n";
    auto element = [&](const char* name, const std::string& value) {
        out += fmt("<%s>%s</%s>", name, escapeReplyText(value), name);
    };
    for (const TSystemInfo& s : systems) {
        out += "<row>";
        element("id", std::to_string(s.id));
        element("nums", std::to_string(s.numbers));
        element("olap", std::to_string(s.block));
        element("csize", std::to_string(s.count));
        element("title", s.title);
        element("descr", s.description);
        element("author", s.author);
        element("cl_mail", s.ownerMail);
        element("url", s.link);
        element("created", s.created);
        element("downloads", std::to_string(s.downloads));
        element("last_download", s.lastDownload);
        out += "</row>\n";
    }
    out += "</result>\n";
    return out;
}

std::optional<std::time_t> parseSystemDate(std::string_view text) {
    // yyyy-mm-dd hh:mm:ss
    if (text.size() != 19 || text[4] != '-' || text[7] != '-' || text[10] != ' ' || text[13] != ':' ||
        text[16] != ':')
        return std::nullopt;
    auto part = [&](size_t at, size_t len) { return strictNumber(text.substr(at, len), 0, 9999); };
    const auto y = part(0, 4), mo = part(5, 2), d = part(8, 2), h = part(11, 2), mi = part(14, 2), s = part(17, 2);
    if (!y || !mo || !d || !h || !mi || !s || *y < 1970 || *mo < 1 || *mo > 12 || *d < 1 || *d > 31 || *h > 23 ||
        *mi > 59 || *s > 59)
        return std::nullopt;
    std::tm tm{};
    tm.tm_year = static_cast<int>(*y) - 1900;
    tm.tm_mon = static_cast<int>(*mo) - 1;
    tm.tm_mday = static_cast<int>(*d);
    tm.tm_hour = static_cast<int>(*h);
    tm.tm_min = static_cast<int>(*mi);
    tm.tm_sec = static_cast<int>(*s);
    tm.tm_isdst = -1;
    const std::time_t t = std::mktime(&tm);
    // mktime moves an impossible day (February 30) into the next month.
    if (t == static_cast<std::time_t>(-1) || tm.tm_mday != *d || tm.tm_mon != *mo - 1) return std::nullopt;
    return t;
}

std::string formatSystemDate(std::time_t time) {
    std::tm tm{};
    localtime_r(&time, &tm);
    char buf[32];
    std::strftime(buf, sizeof buf, "%Y-%m-%d %H:%M:%S", &tm);
    return buf;
}

std::string formEncode(const std::vector<std::pair<std::string, std::string>>& fields) {
    static const char* hex = "0123456789ABCDEF";
    auto encode = [](std::string& out, std::string_view v) {
        for (char ch : v) {
            const auto c = static_cast<unsigned char>(ch);
            if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_' ||
                c == '.' || c == '~') {
                out += static_cast<char>(c);
            } else {
                out += '%';
                out += hex[c >> 4];
                out += hex[c & 15];
            }
        }
    };
    std::string out;
    for (const auto& [name, value] : fields) {
        if (!out.empty()) out += '&';
        encode(out, name);
        out += '=';
        encode(out, value);
    }
    return out;
}

SystemsCatalogue::SystemsCatalogue(PageFetcher& fetcher, std::string baseUrl, ProxyAddress proxy)
    : fetcher_(fetcher), baseUrl_(std::string(trimText(baseUrl))), proxy_(std::move(proxy)) {
    if (!baseUrl_.empty() && baseUrl_.back() != '/') baseUrl_ += '/';
}

std::string SystemsCatalogue::post(const std::string& script, const std::string& body, Progress& progress) {
    if (baseUrl_.empty()) throw EError("Адрес каталога систем не задан");
    FetchResult r = fetcher_.post(baseUrl_ + script, body, proxy_, progress);
    if (!r.ok) throw EError(r.error);
    return std::move(r.body);
}

TSystemListReply SystemsCatalogue::list(Progress& progress) {
    const std::string body = formEncode({{"comblen", std::to_string(kSystemCombinationLength)},
                                         {"maxnums", std::to_string(kSystemMaxNumbers)}});
    return parseSystemListReply(post("scripts/sys_getlist.php", body, progress));
}

std::string SystemsCatalogue::combinations(int32_t id, Progress& progress) {
    return parseSystemDataReply(post("scripts/sys_getdata.php", formEncode({{"sys_id", std::to_string(id)}}), progress));
}

int32_t SystemsCatalogue::save(const TSystemData& data, const std::string& ownerMail, Progress& progress) {
    const TSystemInfo& info = data.info;
    const TNormalisedSystem list = normaliseSystemText(data.combinations);
    const std::string body = formEncode({{"sys_id", std::to_string(std::max(info.id, 0))},
                                         {"nums", std::to_string(info.numbers)},
                                         {"clen", std::to_string(kSystemCombinationLength)},
                                         {"olap", std::to_string(info.block)},
                                         {"title", std::string(trimText(info.title))},
                                         {"descr", std::string(trimText(info.description))},
                                         {"csize", std::to_string(list.count)},
                                         {"clist", list.text},
                                         {"url", std::string(trimText(info.link))},
                                         {"author", std::string(trimText(info.author))},
                                         {"cl_mail", ownerMail},
                                         {"del_mode", "0"}});
    return parseSystemSaveReply(post("scripts/sys_putdata.php", body, progress));
}

void SystemsCatalogue::remove(const TSystemInfo& info, const std::string& ownerMail, Progress& progress) {
    const std::string body = formEncode({{"sys_id", std::to_string(info.id)},
                                         {"nums", std::to_string(info.numbers)},
                                         {"clen", std::to_string(kSystemCombinationLength)},
                                         {"olap", std::to_string(info.block)},
                                         {"title", info.title},
                                         {"descr", info.description},
                                         {"csize", std::to_string(info.count)},
                                         {"clist", ""},
                                         {"url", info.link},
                                         {"author", info.author},
                                         {"cl_mail", ownerMail},
                                         {"del_mode", "1"}});
    parseSystemSaveReply(post("scripts/sys_putdata.php", body, progress));
}

std::filesystem::path systemFilePath(const std::filesystem::path& systemsDir, const TSystemInfo& info) {
    return systemsDir / systemFileName(info.numbers, info.block, info.id);
}

bool systemFileCurrent(const std::filesystem::path& file, std::string_view created) {
    const auto modified = fileModified(file);
    if (!modified) return false;
    const auto date = parseSystemDate(created);
    if (!date) return true;  // nothing to compare with: the file stays as it is
    const auto diff = *modified > *date ? *modified - *date : *date - *modified;
    return diff <= 2;
}

std::filesystem::path storeDownloadedSystem(const std::filesystem::path& systemsDir, const TSystemInfo& info,
                                            std::string_view combinations) {
    if (info.id <= 0 || info.numbers < kSystemMinNumbers || info.numbers > kSystemMaxNumbers ||
        info.block > kSystemMaxBlock)
        throw EError(fmt("Недопустимое описание системы: номер %d, чисел %d, блок %d", info.id, int{info.numbers},
                         int{info.block}));
    std::vector<std::string_view> lines;
    for (std::string_view line : splitLines(combinations))
        if (!blankText(line)) lines.push_back(line);
    if (static_cast<int64_t>(lines.size()) != info.count)
        throw EError(fmt(kSystemCountMismatch, static_cast<int>(lines.size()), info.count));
    std::string text;
    text.reserve(lines.size() * 16);
    for (size_t i = 0; i < lines.size(); ++i) {
        const auto c = fivePositions(lines[i], info.numbers);
        if (!c)
            throw EError(fmt("Строка %d: \"%s\" - ожидается пять разных позиций 1..%d.", static_cast<int>(i + 1),
                             lineEndsTrimmed(lines[i]), int{info.numbers}));
        text += systemLine(*c) + "\r\n";
    }
    std::error_code ec;
    std::filesystem::create_directories(systemsDir, ec);
    if (ec) throw EError(fmt("Не удалось создать папку систем \"%s\": %s", systemsDir.string(), ec.message()));
    const std::filesystem::path file = systemFilePath(systemsDir, info);
    writeFileAtomic(file, text);
    if (const auto created = parseSystemDate(info.created)) setFileTimes(file, *created);
    // One system per K: the lookup for K must find this one.
    const std::string own = file.filename().string();
    std::string failures;
    for (std::filesystem::directory_iterator it(systemsDir, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name == own || !lookupNameForK(name, info.numbers)) continue;
        std::error_code removeEc;
        std::filesystem::remove(it->path(), removeEc);
        if (removeEc) failures += fmt("\r\"%s\": %s", name, removeEc.message());
    }
    if (ec) failures += fmt("\r\"%s\": %s", systemsDir.string(), ec.message());
    if (!failures.empty())
        throw EError("Система сохранена, но другие системы для того же количества чисел не удалены:" + failures);
    return file;
}

std::vector<TSystemRow> systemRows(const std::vector<TSystemInfo>& systems, const std::filesystem::path& systemsDir,
                                   const std::string& userMail) {
    std::vector<TSystemRow> rows;
    rows.reserve(systems.size());
    for (const TSystemInfo& info : systems) {
        TSystemRow row;
        row.info = info;
        row.file = systemFilePath(systemsDir, info);
        row.downloaded = fileModified(row.file).has_value();
        row.own = !blankText(userMail) && equalsIgnoreCase(trimText(info.ownerMail), trimText(userMail));
        rows.push_back(std::move(row));
    }
    return rows;
}

TSystemsListing diskSystemsListing(const std::filesystem::path& systemsDir) {
    TSystemsListing listing;
    std::vector<std::filesystem::path> files;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(systemsDir, ec), end; !ec && it != end; it.increment(ec))
        if (parseSystemFileName(it->path().filename().string())) files.push_back(it->path());
    std::sort(files.begin(), files.end());
    for (const auto& file : files) {
        const auto name = *parseSystemFileName(file.filename().string());
        const auto modified = fileModified(file);
        if (name.k < kSystemMinNumbers || name.k > kSystemMaxNumbers || name.block > kSystemMaxBlock || !modified) {
            ++listing.skipped;
            continue;
        }
        TSystemRow row;
        try {
            row.info.count = static_cast<int32_t>(readSystemPositions(file, name.k).size());
        } catch (const EError&) {
            ++listing.skipped;
            continue;
        }
        row.info.id = name.id;
        row.info.numbers = static_cast<uint8_t>(name.k);
        row.info.block = static_cast<uint8_t>(name.block);
        row.info.title = file.stem().string();
        row.info.created = formatSystemDate(*modified);
        row.downloaded = true;
        row.file = file;
        listing.rows.push_back(std::move(row));
    }
    return listing;
}

std::string systemRowCell(const TSystemRow& row, int column) {
    const TSystemInfo& s = row.info;
    if (s.id == kSystemPlaceholderId) return column == 0 ? s.title : std::string();
    switch (column) {
        case 0: return s.title;
        case 1: return s.author;
        case 2: return fmt("%.2d", int{s.numbers});
        case 3: return std::to_string(s.block);
        case 4: return std::to_string(s.count);
        case 5: return s.created;
        case 6: return row.downloaded ? kSystemDownloadedStatus : "";
        case 7: return std::to_string(s.downloads);
        case 8: return s.lastDownload;
        case 9: return s.description;
        case 10: return s.link;
        default: return {};
    }
}

}  // namespace tavlora
