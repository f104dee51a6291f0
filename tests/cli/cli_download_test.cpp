// End-to-end tests of `tavlora-cli archive download` against a real local results server that
// serves the newest 150 draws of the bundled archive, directly, through tinyproxy and in the
// automatic proxy mode; and downloads interrupted at several points.
#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <set>

#include "archive/draw_archive.h"
#include "cli_support.h"
#include "core/interaction.h"
#include "core/progress.h"
#include "server_support.h"
#include "test_support.h"

using tavlora::test::ChildProcess;
using tavlora::test::ResultsServer;
using tavlora::test::TempDir;
using tavlora::test::TinyProxy;

namespace {

const std::string kSample = std::string(TAVLORA_SAMPLE_DIR) + "/draws.csv";
constexpr int kKept = 1240;  // the sample has 1390 draws; the newest 150 are deleted and fetched

tavlora::test::CliResult cli(const std::filesystem::path& dir, const std::vector<std::string>& args) {
    return tavlora::test::runCli(dir, args);
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> v;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) v.push_back(line);
    return v;
}

// A data folder "d" holding the sample archive less its newest 150 draws, the export of the whole
// sample as before.csv, and last150.csv (the deleted draws, served by the results server).
void prepare(const TempDir& dir) {
    ASSERT_EQ(cli(dir.path(), {"--data", "d", "archive", "import", kSample}).status, 0);
    ASSERT_EQ(cli(dir.path(), {"--data", "d", "archive", "export", "before.csv"}).status, 0);
    std::vector<std::string> args{"--data", "d", "--yes", "archive", "delete"};
    for (int n = kKept + 1; n <= 1390; ++n) args.push_back(std::to_string(n));
    ASSERT_EQ(cli(dir.path(), args).status, 0);
    auto all = lines(tavlora::test::readTextFile(kSample));
    std::ofstream out(dir / "last150.csv", std::ios::binary);
    for (size_t i = all.size() - 150; i < all.size(); ++i) out << all[i] << "\n";
}

// The data folder's archive equals the whole sample again.
void expectRestored(const TempDir& dir, const std::string& data = "d") {
    auto r = cli(dir.path(), {"--data", data, "archive", "export", "after-" + data + ".csv"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(tavlora::test::readTextFile(dir / ("after-" + data + ".csv")), tavlora::test::readTextFile(dir / "before.csv"));
}

void copyData(const TempDir& dir, const std::string& to) {
    std::filesystem::create_directories(dir / to);
    std::filesystem::copy_file(dir / "d/Tavlora_5d69.ldr", dir / to / "Tavlora_5d69.ldr");
}

tavlora::TDrawsArray loadArchive(const std::filesystem::path& file) {
    tavlora::DrawArchive a(file);
    tavlora::NullProgress p;
    tavlora::ScriptedInteraction i;
    a.load(p, i);
    return a.draws();
}

}  // namespace

TEST(CliDownload, RestoresTheNewest150DrawsFromALocalResultsServer) {
    TempDir dir;
    prepare(dir);
    ResultsServer site(dir.path(), "site", {"--draws", (dir / "last150.csv").string(), "--gzip"});
    auto r = cli(dir.path(), {"--data", "d", "archive", "download", "--url", site.url()});
    ASSERT_EQ(r.status, 0) << r.err;
    auto out = lines(r.out);
    ASSERT_EQ(out.size(), 151u);
    EXPECT_EQ(out[0], "Тираж\t1\t2\t3\t4\t5\tE\tS\tДата тиража");
    EXPECT_EQ(out[1], "1390\t14\t20\t59\t60\t61\t25\t214\t08/05/2026");  // newest first, as the archive list
    EXPECT_EQ(out[150].rfind("1241\t", 0), 0u);
    EXPECT_NE(r.err.find("Добавлено тиражей: 150"), std::string::npos);
    expectRestored(dir);
    // The first range starts the day after the newest draw kept.
    auto log = site.logFields();
    ASSERT_FALSE(log.empty());
    const auto kept = loadArchive(dir / "d/Tavlora_5d69.ldr").at(kKept - 1);
    EXPECT_EQ(kept.number, kKept);
    EXPECT_NE(log[0][0].find("&fromDateIn=08%2F21%2F2025&"), std::string::npos) << kept.dateText() << " " << log[0][0];

    // Asked again, nothing new comes and nothing changes.
    r = cli(dir.path(), {"--data", "d", "archive", "download", "--url", site.url()});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(lines(r.out).size(), 1u);
    expectRestored(dir);
}

TEST(CliDownload, GoesThroughTinyproxyGivenOnTheCommandLine) {
    TempDir dir;
    prepare(dir);
    ResultsServer site(dir.path(), "site", {"--draws", (dir / "last150.csv").string()});
    {
        TempDir pdir;
        TinyProxy proxy(pdir.path());
        copyData(dir, "open");
        auto r = cli(dir.path(), {"--data", "open", "archive", "download", "--url", site.url(), "--proxy",
                                  "127.0.0.1:" + std::to_string(proxy.port())});
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_NE(r.err.find("Попытка 1, proxy 127.0.0.1 : " + std::to_string(proxy.port())), std::string::npos) << r.err;
        expectRestored(dir, "open");
        EXPECT_NE(proxy.log().find("GET " + site.url() + "/site/winningNumberSearch?searchTypeIn=range"), std::string::npos);
    }
    TempDir adir;
    TinyProxy guarded(adir.path(), "alice", "s3cret");
    const std::string proxyArg = "127.0.0.1:" + std::to_string(guarded.port());
    copyData(dir, "wrong");
    auto r = cli(dir.path(), {"--data", "wrong", "archive", "download", "--url", site.url(), "--proxy", proxyArg,
                              "--proxy-auth", "alice:nope"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Ошибка загрузки архива тиражей с сайта: \"HTTP/1.0 401"), std::string::npos) << r.err;
    EXPECT_EQ(lines(r.out).size(), 1u);
    EXPECT_EQ(loadArchive(dir / "wrong/Tavlora_5d69.ldr").size(), static_cast<size_t>(kKept));
    copyData(dir, "auth");
    r = cli(dir.path(), {"--data", "auth", "archive", "download", "--url", site.url(), "--proxy", proxyArg,
                         "--proxy-auth", "alice:s3cret"});
    ASSERT_EQ(r.status, 0) << r.err;
    expectRestored(dir, "auth");
    // The proxy section of the data folder is not touched by a proxy given for one command.
    EXPECT_FALSE(std::filesystem::exists(dir / "auth/Tavlora_5d69.ini"));
}

TEST(CliDownload, AutomaticModeSkipsTwoDeadProxiesAndRemembersTheLiveOne) {
    TempDir dir;
    prepare(dir);
    ResultsServer site(dir.path(), "site", {"--draws", (dir / "last150.csv").string()});
    TempDir pdir;
    TinyProxy proxy(pdir.path());
    const int dead1 = tavlora::test::freePort();
    const int dead2 = tavlora::test::freePort();
    std::ofstream(dir / "proxies.txt") << "127.0.0.1:" << dead1 << "\n127.0.0.1:" << dead2 << "\n127.0.0.1:"
                                       << proxy.port() << "\n";
    ResultsServer list(dir.path(), "list", {"--proxies", (dir / "proxies.txt").string()});
    std::ofstream(dir / "d/Tavlora_5d69.ini", std::ios::binary)
        << "[PROXY]\r\nProxyMode=1\r\n[DOWNLOAD]\r\nUrl=" << site.url() << "\r\nProxyListUrl=" << list.url()
        << "/proxies\r\n";
    auto r = cli(dir.path(), {"--data", "d", "archive", "download"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("Поиск proxy-серверов\nПопытка 1, proxy 127.0.0.1 : " + std::to_string(dead1) +
                         "\nПопытка 2, proxy 127.0.0.1 : " + std::to_string(dead2) + "\nПопытка 3, proxy 127.0.0.1 : " +
                         std::to_string(proxy.port())),
              std::string::npos)
        << r.err;
    EXPECT_EQ(r.err.find("Повторить попытку?"), std::string::npos);
    expectRestored(dir);
    const std::string ini = tavlora::test::readTextFile(dir / "d/Tavlora_5d69.ini");
    EXPECT_NE(ini.find("ProxyServer=127.0.0.1\r\nProxyPort=" + std::to_string(proxy.port())), std::string::npos) << ini;
    EXPECT_NE(ini.find("ProxyListUrl=" + list.url() + "/proxies"), std::string::npos);
    EXPECT_EQ(list.log().size(), 1u);
}

TEST(CliDownload, AnInterruptedDownloadLeavesWholeRangesOnly) {
    TempDir dir;
    prepare(dir);
    const auto full = loadArchive(dir / "d/Tavlora_5d69.ldr");
    ResultsServer site(dir.path(), "site", {"--draws", (dir / "last150.csv").string(), "--delay", "0.25"});
    const auto sample = [&] {
        auto r = cli(dir.path(), {"--data", "sample", "archive", "import", kSample});
        EXPECT_EQ(r.status, 0);
        return loadArchive(dir / "sample/Tavlora_5d69.ldr");
    }();

    // Counts the archive may hold: the kept draws plus every draw up to the end of a range asked.
    auto wholeRangeCounts = [&] {
        std::set<size_t> counts{static_cast<size_t>(kKept)};
        for (const auto& f : site.logFields()) {
            const size_t p = f[0].find("&toDateIn=");
            const std::string to = f[0].substr(p + 10, 14);  // MM%2FDD%2FYYYY
            const int last = std::stoi(to.substr(10, 4)) * 10000 + std::stoi(to.substr(0, 2)) * 100 + std::stoi(to.substr(5, 2));
            size_t n = 0;
            for (const auto& d : sample) {
                const std::string t = d.dateText();
                const int ymd = std::stoi(t.substr(6, 4)) * 10000 + std::stoi(t.substr(0, 2)) * 100 + std::stoi(t.substr(3, 2));
                if (ymd <= last) ++n;
            }
            counts.insert(n);
        }
        return counts;
    };

    struct Case {
        int signal;
        size_t afterRequests;  // requests the server has answered when the signal comes
    };
    const Case cases[] = {{SIGKILL, 1}, {SIGKILL, 3}, {SIGINT, 2}};
    int run = 0;
    for (const Case& c : cases) {
        const std::string data = "run" + std::to_string(run++);
        copyData(dir, data);
        const size_t before = site.log().size();
        ChildProcess p({TAVLORA_CLI_PATH, "--data", (dir / data).string(), "archive", "download", "--url", site.url()},
                       dir / (data + ".out"));
        ASSERT_TRUE(tavlora::test::waitFor([&] { return site.log().size() >= before + c.afterRequests; }));
        p.signal(c.signal);
        const int status = p.wait();
        const auto got = loadArchive(dir / data / "Tavlora_5d69.ldr");
        EXPECT_EQ(std::filesystem::file_size(dir / data / "Tavlora_5d69.ldr") % 24, 0u);
        ASSERT_LE(got.size(), sample.size());
        EXPECT_TRUE(std::equal(got.begin(), got.end(), sample.begin())) << data;
        EXPECT_TRUE(wholeRangeCounts().count(got.size())) << data << " holds " << got.size();
        EXPECT_GE(got.size(), full.size());
        if (c.signal == SIGINT) {
            // Ctrl-C stops the download: told so, with the draws saved until then, and status 1.
            EXPECT_EQ(status, 1);
            const std::string out = tavlora::test::readTextFile(dir / (data + ".out"));
            EXPECT_NE(out.find("Загрузка архива тиражей прервана."), std::string::npos) << out;
            EXPECT_NE(out.find("Добавлено тиражей: " + std::to_string(got.size() - kKept)), std::string::npos) << out;
        }
    }
}

TEST(CliDownload, ErrorsAndUsage) {
    TempDir dir;
    std::filesystem::create_directories(dir / "pages");
    ResultsServer site(dir.path(), "site", {"--pages", (dir / "pages").string()});
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string err;  // a part of standard error
        size_t requests;  // new requests the server saw
    };
    const std::vector<Case> cases{
        {{}, 1, "Адрес страницы результатов не задан", 0},
        {{"--url", site.url() + "/static/none.html"}, 1,
         "Ошибка: Ошибка загрузки архива тиражей с сайта: \"HTTP/1.1 404 Not Found\"\n\nПовторить попытку? -> нет", 1},
        {{"--url", site.url() + "/static/none.html", "--retries", "2"}, 1, "Повторить попытку? -> да (--retries)", 3},
        {{"--from", "20251301"}, 2, "параметру --from нужна дата ГГГГММДД", 0},
        {{"--from", "20090302"}, 2, "дата --to раньше даты --from", 0},
        {{"--proxy-auth", "a:b"}, 2, "параметр --proxy-auth требует --proxy", 0},
        {{"--proxy", "host"}, 2, "параметру --proxy нужно ХОСТ:ПОРТ", 0},
        {{"extra"}, 2, "archive download принимает только параметры", 0},
    };
    for (const auto& c : cases) {
        const size_t before = site.log().size();
        std::vector<std::string> args{"--data", "d", "archive", "download", "--to", "20090301"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        auto r = cli(dir.path(), args);
        EXPECT_EQ(r.status, c.status) << r.err;
        EXPECT_NE(r.err.find(c.err), std::string::npos) << r.err;
        EXPECT_EQ(site.log().size() - before, c.requests) << r.err;
        EXPECT_FALSE(std::filesystem::exists(dir / "d/Tavlora_5d69.ldr"));
    }
}
