// The session's systems calls against a real local catalogue service (tests/servers/systems_server.py)
// over the real HTTP client: the list with its marks and stale files, the placeholder, download,
// save and delete of own systems.
#include <gtest/gtest.h>

#include <fstream>
#include <sys/stat.h>

#include "archive/http_client.h"
#include "core/file_util.h"
#include "server_support.h"
#include "session/session.h"
#include "session/session_systems.h"
#include "test_support.h"

using namespace tavlora;
using tavlora::test::SystemsServer;
using tavlora::test::TempDir;

namespace {

const char* kCatalogue = R"([
 {"id": 11, "nums": 12, "olap": 0, "title": "Двенадцать", "descr": "d", "author": "A", "cl_mail": "Me@Example.org",
  "url": "", "created": "2024-01-02 03:04:05", "downloads": 0, "last_download": "",
  "clist": "01 02 03 04 05\n06 07 08 09 10\n08 09 10 11 12\n"},
 {"id": 12, "nums": 12, "olap": 2, "title": "Другая <12>", "descr": "d", "author": "B", "cl_mail": "other@example.org",
  "url": "", "created": "2024-02-03 04:05:06", "downloads": 0, "last_download": "",
  "clist": "01 02 03 04 12\n"},
 {"id": 13, "nums": 6, "olap": 0, "title": "Короткая", "descr": "d", "author": "B", "cl_mail": "other@example.org",
  "url": "", "created": "2024-03-04 05:06:07", "downloads": 0, "last_download": "",
  "clist": "01 02 03 04 06\n", "csize": 2}
])";

struct Fixture {
    TempDir dir;
    std::filesystem::path catalogue = dir / "catalogue.json";
    std::filesystem::path data = dir / "data";

    Fixture() {
        std::ofstream(catalogue) << kCatalogue;
        std::filesystem::create_directories(data);
    }
    // Writes the SYSTEMS section for the given service address.
    void settings(Session& session, const std::string& url, const std::string& mail = "me@example.org") {
        storeSystemsSettings(session, {url, mail});
    }
};

std::time_t mtimeOf(const std::filesystem::path& p) {
    struct stat st {};
    ::stat(p.c_str(), &st);
    return st.st_mtim.tv_sec;
}

void setMtime(const std::filesystem::path& p, std::time_t t) {
    timespec times[2] = {{t, 0}, {t, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, p.c_str(), times, 0), 0);
}

int requestsTo(const SystemsServer& server, const std::string& script) {
    int n = 0;
    for (const auto& line : server.log()) n += line.find(script) != std::string::npos ? 1 : 0;
    return n;
}

const TSystemRow* rowOf(const TSystemsListing& listing, int32_t id) {
    for (const auto& r : listing.rows)
        if (r.info.id == id) return &r;
    return nullptr;
}

}  // namespace

TEST(SessionSystems, ListMarksDownloadedAndOwnSystemsAndRefreshesStaleFiles) {
    Fixture f;
    SystemsServer server(f.dir.path(), "systems", f.catalogue);
    Session session(f.data);
    f.settings(session, server.url());
    EXPECT_EQ(systemsSettings(session), (TSystemsSettings{server.url(), "me@example.org"}));
    CurlHttpClient client;
    NullProgress progress;
    ScriptedInteraction ui;

    TSystemsListing listing = listSystems(session, client, progress, ui);
    EXPECT_TRUE(ui.messages.empty());
    ASSERT_TRUE(listing.fromCatalogue);
    ASSERT_EQ(listing.rows.size(), 3u);
    EXPECT_TRUE(rowOf(listing, 11)->own);  // the mail without regard to case
    EXPECT_FALSE(rowOf(listing, 12)->own);
    EXPECT_EQ(rowOf(listing, 12)->info.title, "Другая <12>");
    for (const auto& r : listing.rows) EXPECT_FALSE(r.downloaded);

    // Download 11, then 12 of the same K: the first file goes.
    ASSERT_TRUE(downloadSystem(session, client, rowOf(listing, 11)->info, progress, ui));
    const auto file11 = session.systemsDir() / "5-12-0_0011.dat";
    EXPECT_EQ(mtimeOf(file11), *parseSystemDate("2024-01-02 03:04:05"));
    ASSERT_TRUE(downloadSystem(session, client, rowOf(listing, 12)->info, progress, ui));
    const auto file12 = session.systemsDir() / "5-12-2_0012.dat";
    EXPECT_FALSE(std::filesystem::exists(file11));
    EXPECT_TRUE(std::filesystem::exists(file12));
    EXPECT_TRUE(ui.messages.empty());

    // A file 1 s off is current; 10 s off is fetched again and gets the catalogue's date.
    const std::time_t created12 = *parseSystemDate("2024-02-03 04:05:06");
    setMtime(file12, created12 + 1);
    const int before = requestsTo(server, "sys_getdata.php");
    listing = listSystems(session, client, progress, ui);
    EXPECT_EQ(requestsTo(server, "sys_getdata.php"), before);
    EXPECT_TRUE(listing.redownloaded.empty());
    EXPECT_TRUE(rowOf(listing, 12)->downloaded);
    EXPECT_FALSE(rowOf(listing, 11)->downloaded);
    setMtime(file12, created12 + 10);
    listing = listSystems(session, client, progress, ui);
    EXPECT_EQ(requestsTo(server, "sys_getdata.php"), before + 1);
    EXPECT_EQ(listing.redownloaded, std::vector<int32_t>{12});
    EXPECT_EQ(mtimeOf(file12), created12);
    EXPECT_TRUE(ui.messages.empty());
}

TEST(SessionSystems, FailuresShowTheirMessagesAndWriteNothing) {
    Fixture f;
    Session session(f.data);
    CurlHttpClient client;
    NullProgress progress;

    // A count that differs from the catalogue's: the message names both counts, no file.
    {
        SystemsServer server(f.dir.path(), "systems", f.catalogue);
        f.settings(session, server.url());
        ScriptedInteraction ui;
        const TSystemsListing listing = listSystems(session, client, progress, ui);
        EXPECT_FALSE(downloadSystem(session, client, rowOf(listing, 13)->info, progress, ui));
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_EQ(ui.messages[0].text, "Ошибка загрузки системы #13!\r\rКоличество скачанных комбинаций ( 1 ) "
                                       "отличается от ожидаемого значения ( 2 )");
        EXPECT_FALSE(std::filesystem::exists(session.systemsDir() / "5-06-0_0013.dat"));
    }
    // The catalogue's error element is shown; the list is the placeholder row.
    {
        SystemsServer server(f.dir.path(), "failing", f.catalogue, {"--error", "Каталог на ремонте"});
        f.settings(session, server.url());
        ScriptedInteraction ui;
        const TSystemsListing listing = listSystems(session, client, progress, ui);
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_EQ(ui.messages[0].text, "Ошибка загрузки списка систем!\r\rКаталог на ремонте");
        EXPECT_FALSE(listing.available);
        ASSERT_EQ(listing.rows.size(), 1u);
        EXPECT_EQ(listing.rows[0].info.id, -1);
        EXPECT_EQ(listing.rows[0].info.title, "Список систем не доступен!");
    }
    // An address nobody answers: the placeholder as well.
    {
        f.settings(session, "http://127.0.0.1:" + std::to_string(tavlora::test::freePort()) + "/cat");
        ScriptedInteraction ui;
        const TSystemsListing listing = listSystems(session, client, progress, ui);
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_EQ(ui.messages[0].text.rfind("Ошибка загрузки списка систем!\r\r", 0), 0u);
        ASSERT_EQ(listing.rows.size(), 1u);
        EXPECT_EQ(listing.rows[0].info.title, "Список систем не доступен!");
    }
    // No address: the systems on disk, no request and no message.
    {
        f.settings(session, "");
        std::filesystem::create_directories(session.systemsDir());
        writeFileAtomic(session.systemsDir() / "5-07-1_0000.dat", "01 02 03 04 07\r\n01 02 03 05 06\r\n");
        ScriptedInteraction ui;
        const TSystemsListing listing = listSystems(session, client, progress, ui);
        EXPECT_TRUE(ui.messages.empty());
        EXPECT_FALSE(listing.fromCatalogue);
        ASSERT_EQ(listing.rows.size(), 1u);
        EXPECT_EQ(listing.rows[0].info.numbers, 7);
        EXPECT_EQ(listing.rows[0].info.count, 2);
    }
}

TEST(SessionSystems, OwnSystemsAreSavedChangedAndDeletedOnlyByTheirOwner) {
    Fixture f;
    SystemsServer server(f.dir.path(), "systems", f.catalogue);
    Session session(f.data);
    f.settings(session, server.url());
    CurlHttpClient client;
    NullProgress progress;

    TSystemData data;
    data.info.title = "Моя & система";
    data.info.author = "Я";
    data.info.description = "Описание";
    data.info.numbers = 8;
    data.info.block = 1;
    data.combinations = "1,2,3,4,5\n1 2 3\n4 5 6 7 8\n";

    {  // A failing check sends nothing.
        ScriptedInteraction ui;
        TSystemData bad = data;
        bad.info.author = " ";
        EXPECT_FALSE(saveOwnSystem(session, client, bad, progress, ui));
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_EQ(ui.messages[0].text, "Ошибка добавления системы!\r\rИмя автора должно быть указано обязательно!");
        EXPECT_EQ(requestsTo(server, "sys_putdata.php"), 0);
    }
    ScriptedInteraction ui;
    const auto id = saveOwnSystem(session, client, data, progress, ui);
    ASSERT_TRUE(id) << (ui.messages.empty() ? "" : ui.messages[0].text);
    EXPECT_EQ(*id, 14);
    // The form carried the normalised list (the three-number line dropped) and its count.
    const auto log = server.log();
    ASSERT_FALSE(log.empty());
    EXPECT_NE(log.back().find("csize=2&clist=01%2002%2003%2004%2005%0A04%2005%2006%2007%2008%0A"), std::string::npos)
        << log.back();
    EXPECT_NE(log.back().find("title=%D0%9C%D0%BE%D1%8F%20%26%20"), std::string::npos) << log.back();

    TSystemsListing listing = listSystems(session, client, progress, ui);
    const TSystemRow* mine = rowOf(listing, 14);
    ASSERT_NE(mine, nullptr);
    EXPECT_TRUE(mine->own);
    EXPECT_EQ(mine->info.title, "Моя & система");
    EXPECT_EQ(mine->info.count, 2);
    EXPECT_EQ(mine->info.numbers, 8);

    // Another owner's system: refused before any question or request.
    const int puts = requestsTo(server, "sys_putdata.php");
    ui.answers = {true};
    EXPECT_FALSE(deleteOwnSystem(session, client, rowOf(listing, 12)->info, progress, ui));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "Вы можете удалять только свои системы!");
    EXPECT_TRUE(ui.questions.empty());
    EXPECT_EQ(requestsTo(server, "sys_putdata.php"), puts);

    // Own system, the question answered No, then Yes.
    ui.answers = {false, true};
    EXPECT_FALSE(deleteOwnSystem(session, client, mine->info, progress, ui));
    EXPECT_EQ(requestsTo(server, "sys_putdata.php"), puts);
    EXPECT_TRUE(deleteOwnSystem(session, client, mine->info, progress, ui));
    ASSERT_EQ(ui.questions.size(), 2u);
    EXPECT_EQ(ui.questions[1].text, "Вы действительно хотите удалить систему \"Моя & система\"?");
    EXPECT_EQ(ui.messages.size(), 1u);
    listing = listSystems(session, client, progress, ui);
    EXPECT_EQ(rowOf(listing, 14), nullptr);
    EXPECT_EQ(listing.rows.size(), 3u);
}
