// The libcurl client and the download against real local servers: the results-page server of
// tests/servers (Python) and tinyproxy, each started on a free port by the test.
#include <gtest/gtest.h>

#include <fstream>

#include "archive/draw_download.h"
#include "archive/http_client.h"
#include "archive/proxy_settings.h"
#include "server_support.h"
#include "test_support.h"

using namespace tavlora;
using tavlora::test::ResultsServer;
using tavlora::test::TempDir;
using tavlora::test::TinyProxy;

namespace {

CivilDate day(int yyyymmdd) { return CivilDate::fromYyyymmdd(yyyymmdd); }

const std::string kSearch =
    "/site/winningNumberSearch?searchTypeIn=range&fromDateIn=01%2F01%2F2020&toDateIn=01%2F31%2F2020";

// Draws in the program's CSV form for the server: number;"date";n1..n5;extra.
void writeDraws(const std::filesystem::path& file, const std::vector<std::string>& lines) {
    std::ofstream f(file, std::ios::binary);
    for (const auto& l : lines) f << l << "\r\n";
}

// Requests a stop once pump() ran the given number of times.
class StopAfterPumps : public Progress {
public:
    explicit StopAfterPumps(int pumps) : left_(pumps) {}
    void setText(const std::string&) override {}
    void setMaximum(int64_t) override {}
    void setPosition(int64_t) override {}
    void pump() override {
        ++pumped;
        if (--left_ <= 0) stop_ = true;
    }
    bool stopRequested() const override { return stop_; }
    int pumped = 0;

private:
    int left_;
    bool stop_ = false;
};

}  // namespace

TEST(HttpClient, FetchesLikeABrowserWithGzipCookiesAndRedirects) {
    TempDir dir;
    writeDraws(dir / "draws.csv", {"1;\"01/04/2020\";1;2;3;4;5;6", "2;\"01/08/2020\";7;8;9;10;11;12"});
    std::filesystem::create_directories(dir / "pages");
    std::ofstream(dir / "pages" / "saved.html", std::ios::binary) << "<html>saved page</html>";
    ResultsServer server(dir.path(), "site", {"--draws", (dir / "draws.csv").string(), "--pages",
                                              (dir / "pages").string(), "--gzip"});
    CurlHttpClient client;
    NullProgress progress;

    FetchResult first = client.fetch(server.url() + kSearch, {}, progress);
    ASSERT_TRUE(first.ok) << first.error;
    EXPECT_NE(first.body.find("<div>01/08/2020</div></td><td><div>7 - 8 - 9 - 10 - 11 + 12</div>"), std::string::npos);
    FetchResult second = client.fetch(server.url() + "/moved/winningNumberSearch?fromDateIn=01%2F05%2F2020&toDateIn=01%2F31%2F2020", {}, progress);
    ASSERT_TRUE(second.ok) << second.error;
    EXPECT_EQ(second.body.find("01/04/2020"), std::string::npos);
    EXPECT_NE(second.body.find("01/08/2020"), std::string::npos);

    auto log = server.logFields();
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log[0][1], "gzip, deflate, sdch");
    EXPECT_EQ(log[0][3], kHttpUserAgent);
    EXPECT_EQ(log[0][4], "rows 2 gzip");  // the answer was compressed and came back readable
    EXPECT_EQ(log[0][2], "");
    EXPECT_EQ(log[1][4], "redirect");
    EXPECT_EQ(log[2][4], "rows 1 gzip");
    EXPECT_EQ(log[2][2], "visitor=tavlora-test");  // the cookie of the first answer came back

    FetchResult missing = client.fetch(server.url() + "/static/none.html", {}, progress);
    EXPECT_FALSE(missing.ok);
    EXPECT_FALSE(missing.stopped);
    EXPECT_EQ(missing.error, "HTTP/1.1 404 Not Found");

    FetchResult file = client.fetch("file://" + (dir / "pages" / "saved.html").string() + "?x=1", {}, progress);
    ASSERT_TRUE(file.ok) << file.error;
    EXPECT_EQ(file.body, "<html>saved page</html>");
}

TEST(HttpClient, ARefusedSilentOrStoppedRequestEndsAsAFailure) {
    TempDir dir;
    ResultsServer silent(dir.path(), "silent", {"--hang"});
    HttpClientOptions o;
    o.readTimeoutMs = 600;
    CurlHttpClient client(o);
    NullProgress progress;

    FetchResult refused = client.fetch("http://127.0.0.1:" + std::to_string(tavlora::test::freePort()) + "/", {}, progress);
    EXPECT_FALSE(refused.ok);
    EXPECT_FALSE(refused.stopped);
    EXPECT_FALSE(refused.error.empty());

    FetchResult timedOut = client.fetch(silent.url() + kSearch, {}, progress);
    EXPECT_FALSE(timedOut.ok);
    EXPECT_EQ(timedOut.error, "Read timed out after 600 ms");

    // A stop request ends a request that waits, however long its time-outs are.
    CurlHttpClient patient;
    StopAfterPumps stopper(4);
    FetchResult stopped = patient.fetch(silent.url() + kSearch, {}, stopper);
    EXPECT_TRUE(stopped.stopped);
    EXPECT_FALSE(stopped.ok);
    EXPECT_EQ(stopper.pumped, 4);
    NullProgress alreadyStopped;
    alreadyStopped.requestStop();
    EXPECT_TRUE(patient.fetch(silent.url() + kSearch, {}, alreadyStopped).stopped);
    EXPECT_EQ(silent.log().size(), 2u);  // the request asked after the stop was never sent
}

TEST(HttpClient, GoesThroughTinyproxyWithAndWithoutBasicAuthentication) {
    TempDir dir;
    writeDraws(dir / "draws.csv", {"1;\"01/04/2020\";1;2;3;4;5;6"});
    ResultsServer server(dir.path(), "site", {"--draws", (dir / "draws.csv").string()});
    CurlHttpClient client;
    NullProgress progress;
    {
        TempDir pdir;
        TinyProxy proxy(pdir.path());
        FetchResult r = client.fetch(server.url() + kSearch, {"127.0.0.1", proxy.port(), "", ""}, progress);
        ASSERT_TRUE(r.ok) << r.error;
        EXPECT_NE(r.body.find("01/04/2020"), std::string::npos);
        EXPECT_NE(proxy.log().find("GET " + server.url() + kSearch + " HTTP/1.1"), std::string::npos) << proxy.log();
    }
    TempDir adir;
    TinyProxy guarded(adir.path(), "alice", "s3cret");
    struct Case {
        std::string user, password;
        std::string status;  // of the proxy's refusal; empty: the page comes through
    };
    const Case cases[] = {{"", "", " 407 "}, {"alice", "wrong", " 401 "}, {"alice", "s3cret", ""}};
    for (const Case& c : cases) {
        FetchResult r = client.fetch(server.url() + kSearch, {"127.0.0.1", guarded.port(), c.user, c.password}, progress);
        EXPECT_EQ(r.ok, c.status.empty()) << c.user << ":" << c.password << " " << r.error;
        if (!c.status.empty()) {
            EXPECT_EQ(r.error.rfind("HTTP/", 0), 0u) << r.error;
            EXPECT_NE(r.error.find(c.status), std::string::npos) << r.error;
        }
    }
    // The refused requests never reached the site: one through each proxy did.
    EXPECT_EQ(server.log().size(), 2u);
}

TEST(RealDownload, AutomaticModeMovesPastARefusingAndASilentProxyToTinyproxy) {
    TempDir dir;
    writeDraws(dir / "draws.csv", {"10;\"01/01/2020\";1;2;3;4;5;6", "11;\"01/04/2020\";7;8;9;10;11;12",
                                   "12;\"01/08/2020\";13;14;15;16;17;18", "13;\"02/01/2020\";19;20;21;22;23;24"});
    // Odd rows: a draw still to come, a tampered row and a row dated like the newest draw.
    std::ofstream(dir / "extra.txt", std::ios::binary)
        << "02/04/2020\t-\n01/10/2020\t0 - 20 - 30 - 40 - 50 + 5\n01/01/2020\t1 - 2 - 3 - 4 - 5 + 6\n";
    ResultsServer site(dir.path(), "site", {"--draws", (dir / "draws.csv").string(), "--extra",
                                            (dir / "extra.txt").string(), "--gzip"});
    ResultsServer silent(dir.path(), "silent", {"--hang"});
    TempDir pdir;
    TinyProxy tiny(pdir.path());
    const int refusing = tavlora::test::freePort();
    std::ofstream(dir / "proxies.txt") << "127.0.0.1:" << refusing << "\n127.0.0.1:" << silent.port()
                                       << "\n127.0.0.1:" << tiny.port() << "\n";
    ResultsServer list(dir.path(), "list", {"--proxies", (dir / "proxies.txt").string()});

    DrawArchive archive(dir / "Tavlora_5d69.ldr");
    TDraw newest;
    newest.number = 10;
    newest.nums = {1, 2, 3, 4, 5};
    newest.extra = 6;
    newest.setDateText("01/01/2020");
    archive.append(newest);
    TProxySettings proxy;
    proxy.mode = kProxyModeAuto;
    HttpClientOptions o;
    o.readTimeoutMs = 800;
    CurlHttpClient client(o);
    NullProgress progress;
    ScriptedInteraction ui;
    DrawDownload download(archive, client, proxy, dir / "Tavlora_5d69.ini");
    std::vector<std::string> waits;
    download.onWaitText([&](const std::string& t) { waits.push_back(t); });
    DownloadRequest r;
    r.site = {site.url(), "Tavlora 5/69", list.url() + "/proxies"};
    r.today = day(20200220);
    DownloadResult res = download.run(r, progress, ui);

    EXPECT_EQ(res.end, DownloadEnd::Completed) << res.error;
    EXPECT_TRUE(ui.questions.empty());
    EXPECT_EQ(res.attempts, 3);
    ASSERT_EQ(res.appended.size(), 3u);
    EXPECT_EQ(res.appended[0].number, 11);
    EXPECT_EQ(res.appended[2].dateText(), "02/01/2020");
    ASSERT_EQ(res.suspiciousRows().size(), 1u);
    EXPECT_EQ(res.suspiciousRows()[0].row.numbers, "0 - 20 - 30 - 40 - 50 + 5");
    // Every results request that was answered went through tinyproxy; the list was asked directly.
    EXPECT_NE(tiny.log().find("GET " + site.url() + "/site/winningNumberSearch?searchTypeIn=range&gameNameIn=Tavlora%205%2F69"),
              std::string::npos);
    EXPECT_EQ(list.log().size(), 1u);
    EXPECT_EQ(silent.log().size(), 1u);
    EXPECT_EQ(site.log().size(), static_cast<size_t>(res.ranges));
    const std::string tinyAttempt = "Загрузка архива тиражей...\r\rПопытка 3, proxy 127.0.0.1 : " + std::to_string(tiny.port());
    EXPECT_NE(std::find(waits.begin(), waits.end(), tinyAttempt), waits.end());
    TProxySettings stored = loadProxySettings(dir / "Tavlora_5d69.ini");
    EXPECT_EQ(stored.mode, kProxyModeAuto);
    EXPECT_EQ(stored.port, tiny.port());
}

TEST(RealDownload, SavedRedirectedAndBrokenPages) {
    TempDir dir;
    writeDraws(dir / "draws.csv", {"1;\"01/04/2020\";1;2;3;4;5;6", "2;\"01/08/2020\";7;8;9;10;11;12"});
    std::filesystem::create_directories(dir / "pages");
    ResultsServer site(dir.path(), "site", {"--draws", (dir / "draws.csv").string(), "--pages", (dir / "pages").string()});
    CurlHttpClient client;
    NullProgress progress;
    DownloadRequest r;
    r.today = day(20200110);
    r.from = day(20200101);

    // A page saved to disk, loaded through a file:// address.
    FetchResult saved = client.fetch(site.url() + kSearch, {}, progress);
    ASSERT_TRUE(saved.ok);
    std::ofstream(dir / "pages" / "saved page.html", std::ios::binary) << saved.body;
    struct Case {
        std::string name;
        std::string url;
        DownloadEnd end;
        size_t appended;
    };
    std::string broken = saved.body;
    broken.replace(broken.find("</tbody></table>"), 16, "</tbody>");
    std::ofstream(dir / "pages" / "broken.html", std::ios::binary) << broken;
    const std::vector<Case> cases{
        {"saved page", "file://" + (dir / "pages").string() + "/saved%20page.html", DownloadEnd::Completed, 2},
        {"redirect", site.url() + "/moved/winningNumberSearch", DownloadEnd::Completed, 2},
        {"no closing marker", site.url() + "/static/broken.html", DownloadEnd::Failed, 0},
    };
    for (const auto& c : cases) {
        TempDir adir;
        DrawArchive archive(adir / "Tavlora_5d69.ldr");
        TProxySettings direct;
        ScriptedInteraction ui;  // the retry question is answered No
        DrawDownload download(archive, client, direct, {});
        r.site.url = c.url;
        DownloadResult res = download.run(r, progress, ui);
        EXPECT_EQ(res.end, c.end) << c.name << ": " << res.error;
        EXPECT_EQ(res.appended.size(), c.appended) << c.name;
        EXPECT_EQ(archive.count(), static_cast<int>(c.appended)) << c.name;
        if (c.end == DownloadEnd::Failed) {
            ASSERT_EQ(ui.questions.size(), 1u);
            EXPECT_NE(ui.questions[0].text.find("\"</thead><tbody>\" - \"</tbody></table>\""), std::string::npos);
        }
    }
}
