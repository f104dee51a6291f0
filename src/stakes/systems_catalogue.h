#pragma once
// The online catalogue of wheeling systems and the system files it fills: the catalogue entries,
// the checks of an own system before it is sent, the replies of the catalogue service, the client
// that asks the service, and the download of one system into the systems folder.
//
// The service is asked with form posts (application/x-www-form-urlencoded) to three scripts under
// its address: "scripts/sys_getlist.php" (the list), "scripts/sys_getdata.php" (the combinations of
// one system) and "scripts/sys_putdata.php" (save or delete an own system). Form values are sent
// percent-encoded in UTF-8; replies are read as UTF-8 (a reply that is not valid UTF-8 is taken as
// Windows-1251 and converted). A reply is an XML-like text: a `result` element holding `row`
// elements (or the `clist` / `id_systems` elements), or an `error` element holding the service's
// message. Element texts may use the entities &lt; &gt; &amp; &quot; &apos; and &#N; / &#xN;.
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "archive/http_client.h"
#include "core/progress.h"

namespace tavlora {

// Captions, statuses and messages of the systems.
inline constexpr const char* kSystemsListUnavailable = "Список систем не доступен!";
inline constexpr const char* kSystemsListStatus = "Загрузка списка систем...";
inline constexpr const char* kSystemsListError = "Ошибка загрузки списка систем!\r\r%s";
inline constexpr const char* kSystemDataStatus = "Загрузка \"%s\"...";
inline constexpr const char* kSystemSaveStatus = "Сохранение \"%s\"...";
inline constexpr const char* kSystemDeleteStatus = "Удаление \"%s\"...";
inline constexpr const char* kSystemCountMismatch =
    "Количество скачанных комбинаций ( %d ) отличается от ожидаемого значения ( %d )";
inline constexpr const char* kSystemDownloadError = "Ошибка загрузки системы #%d!\r\r%s";
inline constexpr const char* kSystemAddError = "Ошибка добавления системы!\r\r%s";
inline constexpr const char* kSystemChangeError = "Ошибка изменения системы!\r\r%s";
inline constexpr const char* kSystemDeleteError = "Ошибка удаления системы!\r\r%s";
inline constexpr const char* kSystemSaveError = "Ошибка сохранения системы #%d!\r\r%s";
inline constexpr const char* kSystemDeleteQuestion = "Вы действительно хотите удалить систему \"%s\"?";
inline constexpr const char* kSystemDeleteNotOwn = "Вы можете удалять только свои системы!";
inline constexpr const char* kSystemDownloadedStatus = "Загружена";
// The checks of an own system, in the order they run.
inline constexpr const char* kSystemTitleRequired = "Название системы должно быть указано обязательно!";
inline constexpr const char* kSystemNumbersInvalid = "Указано недопустимое количество используемых чисел!";
inline constexpr const char* kSystemBlockInvalid = "Указан недопустимый размер блока!";
inline constexpr const char* kSystemAuthorRequired = "Имя автора должно быть указано обязательно!";
inline constexpr const char* kSystemDescriptionRequired = "Описание системы должно быть указано обязательно!";
inline constexpr const char* kSystemListRequired = "Содержимое системы должно быть указано обязательно!";

// The column captions of the list of systems, in order.
inline constexpr const char* kSystemsColumns[] = {"Название",  "Автор",    "Числа",     "Блок",
                                                  "Комбинаций", "Дата создания", "Статус", "Загрузок",
                                                  "Последняя", "Комментарии", "Ссылка"};

inline constexpr int kSystemMinNumbers = 6;
inline constexpr int kSystemMaxNumbers = 69;
inline constexpr int kSystemMaxBlock = 4;
inline constexpr int kSystemCombinationLength = 5;
// The id of the placeholder row shown when the catalogue gives no list.
inline constexpr int32_t kSystemPlaceholderId = -1;

// One catalogue entry. Dates are texts "yyyy-mm-dd hh:mm:ss" (empty when unknown).
struct TSystemInfo {
    int32_t id = 0;          // 0 for a system not yet in the catalogue, -1 for the placeholder row
    uint8_t numbers = 0;     // K, positions 1..K ("Числа")
    uint8_t block = 0;       // block length 0..4 ("Блок")
    int32_t count = 0;       // number of combinations
    std::string title;
    std::string author;
    std::string ownerMail;   // the owner's e-mail as the catalogue gives it
    std::string description;
    std::string created;
    int32_t downloads = 0;
    std::string lastDownload;
    std::string link;
    bool operator==(const TSystemInfo&) const = default;
};

struct TSystemData {
    TSystemInfo info;
    std::string combinations;  // one combination per line
    bool operator==(const TSystemData&) const = default;
};

// The placeholder row (id -1) titled "Список систем не доступен!".
TSystemInfo systemsPlaceholder();

// --- settings ---------------------------------------------------------------------------------
// Section SYSTEMS of <base>.ini: Url, the catalogue service's address (empty: no catalogue, the
// list shows the systems on disk), and Mail, the user's e-mail that marks the user's own systems
// and is sent with them. Both empty by default.
struct TSystemsSettings {
    std::string url;
    std::string mail;
    bool operator==(const TSystemsSettings&) const = default;
};
// Values are trimmed. Throws EError when the file exists but cannot be read.
TSystemsSettings loadSystemsSettings(const std::filesystem::path& iniPath);
// Writes the two keys, keeping the rest of the file. Throws EError
// "Ошибка записи в файл конфигурации!\r\r<reason>"; the old file then stays whole.
void saveSystemsSettings(const std::filesystem::path& iniPath, const TSystemsSettings& settings);

// --- normalisation and checks -------------------------------------------------------------------
struct TNormalisedSystem {
    std::string text;  // the kept lines "%.2d %.2d %.2d %.2d %.2d", each ended by "\n"
    int numbers = 0;   // K: the largest value over all kept lines (0 for an empty list)
    int count = 0;     // number of kept lines
};
// Every line of exactly five words (separated by any of " \t*+,-./:;=\_|~"), each a whole number
// 1..69 and no value twice, becomes the five values with two digits joined by one blank; every
// other line is dropped (a repeated value could never be a ticket).
// K is the largest value, so that a list over positions 3..8 asks for 8 numbers.
TNormalisedSystem normaliseSystemText(std::string_view text);

// The first failing check of an own system, in order: title, K 6..69 and not below the largest
// position of the list, block 0..4, author, description, combination list; nullopt when all pass. Texts count as given when they hold
// more than blanks.
std::optional<std::string> checkSystemInput(const TSystemData& data);

// --- replies ------------------------------------------------------------------------------------
// Each parser throws EError with the service's message when the reply holds an `error` element,
// and with a short reason when the reply is not a reply of the expected kind.

// The rows of a list reply. A row whose id, K (6..69), block (0..4) or count (>= 0) is missing or
// unreadable is dropped (counted in skipped) rather than shown with a made-up value; a date that is
// not "yyyy-mm-dd hh:mm:ss" reads as empty, a download count that is not a number as 0.
struct TSystemListReply {
    std::vector<TSystemInfo> systems;
    int skipped = 0;
};
TSystemListReply parseSystemListReply(std::string_view reply);
// The `clist` element of a combinations reply (line ends as sent).
std::string parseSystemDataReply(std::string_view reply);
// The id of a save reply (`id_systems`, a whole number above 0).
int32_t parseSystemSaveReply(std::string_view reply);

// The list reply that parseSystemListReply reads back as the same list (the catalogue service
// of the tests answers with it).
std::string renderSystemListReply(const std::vector<TSystemInfo>& systems);
// Replaces & < > " ' by their entities.
std::string escapeReplyText(std::string_view text);

// --- dates --------------------------------------------------------------------------------------
// "yyyy-mm-dd hh:mm:ss" as local time; nullopt for any other text or an impossible date.
std::optional<std::time_t> parseSystemDate(std::string_view text);
// The local time as "yyyy-mm-dd hh:mm:ss".
std::string formatSystemDate(std::time_t time);

// --- the client ---------------------------------------------------------------------------------
// "a=1&b=x%20y": the values percent-encoded (UTF-8 bytes; unreserved characters kept).
std::string formEncode(const std::vector<std::pair<std::string, std::string>>& fields);

// The catalogue service at baseUrl ("http://host/path/"; a missing final "/" is added). Every call
// throws EError with the reason (network failure, HTTP status, the reply's error element, a reply
// of the wrong kind); a stop request ends it as an EError too.
class SystemsCatalogue {
public:
    SystemsCatalogue(PageFetcher& fetcher, std::string baseUrl, ProxyAddress proxy = {});

    // The catalogue list ("comblen=5&maxnums=69").
    TSystemListReply list(Progress& progress);
    // The combination lines of one system ("sys_id=N").
    std::string combinations(int32_t id, Progress& progress);
    // Saves an own system (new when info.id <= 0) with the owner's mail; returns its id.
    int32_t save(const TSystemData& data, const std::string& ownerMail, Progress& progress);
    // Deletes an own system ("del_mode=1", empty "clist=").
    void remove(const TSystemInfo& info, const std::string& ownerMail, Progress& progress);

    const std::string& baseUrl() const { return baseUrl_; }

private:
    std::string post(const std::string& script, const std::string& body, Progress& progress);

    PageFetcher& fetcher_;
    std::string baseUrl_;
    ProxyAddress proxy_;
};

// --- the systems folder -------------------------------------------------------------------------
// The file of a catalogue entry in the systems folder ("5-KK-B_IIII.dat").
std::filesystem::path systemFilePath(const std::filesystem::path& systemsDir, const TSystemInfo& info);

// Whether a file's modification time is within 2 s of the date (file systems and copies round
// file times); false when the file is missing, true when the date is unknown (nothing to compare).
bool systemFileCurrent(const std::filesystem::path& file, std::string_view created);

// Writes a downloaded system: checks that the text holds exactly info.count non-empty lines
// (kSystemCountMismatch otherwise) and that every line is five distinct positions 1..K, creates the
// systems folder when missing, writes the file whole through a temporary file, sets its times to
// the creation date, then deletes every other system file of the same K (also the starter and
// generated wheels "5-KK-T_0000.dat", so that the lookup for K finds the downloaded system). Throws
// EError with the reason, before anything is written when the text is refused. Returns the path.
std::filesystem::path storeDownloadedSystem(const std::filesystem::path& systemsDir, const TSystemInfo& info,
                                            std::string_view combinations);

// One row of the list of systems.
struct TSystemRow {
    TSystemInfo info;
    bool downloaded = false;  // the system's file exists
    bool own = false;         // the owner's mail equals the user's, without regard to case
    std::filesystem::path file;
};

// The list of systems.
struct TSystemsListing {
    std::vector<TSystemRow> rows;
    bool fromCatalogue = false;  // rows of the catalogue (else the files on disk, or the placeholder)
    bool available = true;       // false when the catalogue gave no list (the placeholder row alone)
    std::string error;           // why the catalogue gave no list
    int skipped = 0;             // catalogue rows or files that could not be read
    std::vector<int32_t> redownloaded;  // ids of stale files downloaded again
};

// The rows of catalogue entries: downloaded when the file exists, own by the mail.
std::vector<TSystemRow> systemRows(const std::vector<TSystemInfo>& systems, const std::filesystem::path& systemsDir,
                                   const std::string& userMail);
// The system files on disk as rows (title = the file name without extension, K and block and id
// from the name, count from the file's lines, created = the file's modification time); files
// that cannot be read are counted in skipped.
TSystemsListing diskSystemsListing(const std::filesystem::path& systemsDir);

// The text of a cell of the list: column 0..10 of kSystemsColumns.
std::string systemRowCell(const TSystemRow& row, int column);

}  // namespace tavlora
