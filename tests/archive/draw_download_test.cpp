// The download loop driven by a scripted fetcher: ranges, numbering, saving after every range,
// stopping, the retry question and the automatic proxy mode.
#include <gtest/gtest.h>

#include <functional>
#include <fstream>
#include <map>

#include "archive/draw_download.h"
#include "archive/proxy_settings.h"
#include "core/ini_file.h"
#include "test_support.h"

using namespace tavlora;
using tavlora::test::TempDir;

namespace {

CivilDate day(int yyyymmdd) { return CivilDate::fromYyyymmdd(yyyymmdd); }

// "MM%2FDD%2FYYYY" of a query key of the search address.
CivilDate queryDate(const std::string& url, const std::string& key) {
    size_t p = url.find("&" + key + "=");
    EXPECT_NE(p, std::string::npos) << url;
    std::string v = url.substr(p + key.size() + 2, 14);
    return {std::stoi(v.substr(10, 4)), std::stoi(v.substr(0, 2)), std::stoi(v.substr(5, 2))};
}

struct SiteDraw {
    CivilDate date;
    std::string numbers;
};

std::string pageOf(const std::vector<SiteDraw>& draws) {
    std::string rows;
    for (const auto& d : draws)
        rows += "<tr><td><div>" + dateText(d.date) + "</div></td><td><div>" + d.numbers + "</div></td></tr>";
    return "<section class=\"winningNumbersResults\"><table><thead></thead><tbody>" + rows +
           "</tbody></table><footer id=\"footerMain\">";
}

// A site of draws answering every search with the draws of its range, newest first. Every call
// is recorded; answer() may replace the site's answer for a call (by its index).
class FakeSite : public PageFetcher {
public:
    struct Call {
        std::string url;
        ProxyAddress proxy;
        CivilDate from, to;
    };
    std::vector<SiteDraw> draws;
    std::vector<Call> calls;
    std::function<std::optional<FetchResult>(size_t index, const Call&)> answer;
    std::function<void(size_t index)> beforeAnswer;
    std::map<std::string, std::string> proxyLists;  // proxy-list pages by address prefix

    FetchResult fetch(const std::string& url, const ProxyAddress& proxy, Progress&) override {
        for (const auto& [prefix, body] : proxyLists)
            if (url.rfind(prefix, 0) == 0) return FetchResult::success(body);
        Call c{url, proxy, queryDate(url, "fromDateIn"), queryDate(url, "toDateIn")};
        calls.push_back(c);
        const size_t index = calls.size() - 1;
        if (beforeAnswer) beforeAnswer(index);
        if (answer)
            if (auto a = answer(index, c)) return *a;
        std::vector<SiteDraw> in;
        for (auto it = draws.rbegin(); it != draws.rend(); ++it)
            if (it->date >= c.from && it->date <= c.to) in.push_back(*it);
        return FetchResult::success(pageOf(in));
    }
};

// Draws every three days from first, count of them, with distinct valid numbers.
std::vector<SiteDraw> siteDraws(CivilDate first, int count) {
    std::vector<SiteDraw> out;
    for (int i = 0; i < count; ++i) {
        int a = i % 60 + 1;
        out.push_back({first.addDays(3 * i), std::to_string(a) + " - " + std::to_string(a + 1) + " - " +
                                                 std::to_string(a + 2) + " - " + std::to_string(a + 3) + " - " +
                                                 std::to_string(a + 9) + " + " + std::to_string(i % 26 + 1)});
    }
    return out;
}

TDraw archiveDraw(int number, CivilDate date) {
    TDraw d;
    d.number = number;
    d.nums = {1, 2, 3, 4, 5};
    d.extra = 6;
    d.setDateText(dateText(date));
    return d;
}

struct Fixture {
    TempDir dir;
    DrawArchive archive{dir / "Tavlora_5d69.ldr"};
    TProxySettings proxy;
    FakeSite site;
    NullProgress progress;
    ScriptedInteraction ui;
    std::vector<std::string> waits;

    DownloadResult run(DownloadRequest request) {
        if (request.site.url.empty()) request.site.url = "http://results.example";
        DrawDownload d(archive, site, proxy, dir / "Tavlora_5d69.ini");
        d.onWaitText([this](const std::string& t) { waits.push_back(t); });
        return d.run(request, progress, ui);
    }
    TDrawsArray onDisk() {
        DrawArchive a(archive.file());
        NullProgress p;
        ScriptedInteraction i;
        a.load(p, i);
        return a.draws();
    }
};

}  // namespace

TEST(DrawDownload, EmptyArchiveAsksFrom2009InRangesOf100DaysUpToToday) {
    Fixture f;
    f.site.draws = siteDraws(day(20090801), 4);  // nothing in the first two ranges
    DownloadRequest r;
    r.today = day(20091231);
    DownloadResult res = f.run(r);
    EXPECT_EQ(res.end, DownloadEnd::Completed);
    ASSERT_GE(f.site.calls.size(), 3u);
    EXPECT_EQ(f.site.calls[0].from, day(20090107));
    EXPECT_EQ(f.site.calls[0].to, day(20090416));  // 99 days later
    EXPECT_EQ(f.site.calls[1].from, day(20090417));  // an empty range does not end the download
    EXPECT_EQ(f.site.calls[2].from, day(20090726));
    // The range that brought draws is followed by one from the day after the newest of them.
    EXPECT_EQ(f.site.calls[3].from, day(20090811));
    EXPECT_EQ(f.site.calls.back().to, day(20091231));
    ASSERT_EQ(res.appended.size(), 4u);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(res.appended[static_cast<size_t>(i)].number, i + 1);
    EXPECT_EQ(f.onDisk(), res.appended);
    EXPECT_EQ(f.archive.draws(), res.appended);
    EXPECT_TRUE(f.ui.messages.empty());
    EXPECT_TRUE(f.ui.questions.empty());
    EXPECT_EQ(f.waits.front(), kDownloadWaitText);
}

TEST(DrawDownload, GoesOnFromTheNewestDrawAndSavesEveryRangeAtOnce) {
    Fixture f;
    f.archive.append(archiveDraw(1240, day(20250818)));
    f.site.draws = siteDraws(day(20250818), 80);  // the first is the archive's newest draw
    std::vector<size_t> sizesSeen;
    f.site.beforeAnswer = [&](size_t) { sizesSeen.push_back(f.onDisk().size()); };
    DownloadRequest r;
    r.today = day(20261209);
    DownloadResult res = f.run(r);
    EXPECT_EQ(res.end, DownloadEnd::Completed);
    EXPECT_EQ(f.site.calls[0].from, day(20250819));
    ASSERT_EQ(res.appended.size(), 79u);
    EXPECT_EQ(res.appended.front().number, 1241);
    EXPECT_EQ(res.appended.back().number, 1319);
    EXPECT_EQ(f.archive.count(), 80);
    // Before each request the file already holds every earlier range.
    ASSERT_GE(sizesSeen.size(), 3u);
    EXPECT_EQ(sizesSeen[0], 0u);  // the archive was never saved before the download
    EXPECT_EQ(sizesSeen[1], 1u + 33u);  // 33 draws every 3 days in the first 100 days
    EXPECT_EQ(f.onDisk().size(), 80u);
    EXPECT_EQ(res.requests, static_cast<int>(f.site.calls.size()));
    EXPECT_EQ(res.ranges, res.requests);
}

TEST(DrawDownload, NewestDrawOfTodayOrALaterEndMakesNoRequest) {
    Fixture f;
    f.archive.append(archiveDraw(7, day(20261209)));
    DownloadRequest r;
    r.today = day(20261209);
    EXPECT_EQ(f.run(r).end, DownloadEnd::UpToDate);
    r.today = day(20270101);
    r.to = day(20261209);
    EXPECT_EQ(f.run(r).end, DownloadEnd::UpToDate);
    EXPECT_TRUE(f.site.calls.empty());
    // --from and --to bound the ranges asked for; --to never lies after today.
    r.from = day(20261101);
    r.to = day(20270301);
    r.today = day(20261210);
    f.run(r);
    ASSERT_EQ(f.site.calls.size(), 1u);
    EXPECT_EQ(f.site.calls[0].from, day(20261101));
    EXPECT_EQ(f.site.calls[0].to, day(20261210));
}

TEST(DrawDownload, AStopAtAnyRequestLeavesTheOldArchivePlusWholeRanges) {
    for (size_t stopAt = 0; stopAt < 4; ++stopAt) {
        Fixture f;
        f.archive.append(archiveDraw(1, day(20200101)));
        NullProgress saveProgress;
        ScriptedInteraction saveUi;
        ASSERT_TRUE(f.archive.save(saveProgress, saveUi));
        f.site.draws = siteDraws(day(20200104), 100);
        std::vector<size_t> before;
        f.site.beforeAnswer = [&](size_t index) {
            before.push_back(f.onDisk().size());
            if (index == stopAt) f.progress.requestStop();
        };
        // A stop raised during a request ends it as a stopped fetch, as the real client does.
        f.site.answer = [&](size_t, const FakeSite::Call&) -> std::optional<FetchResult> {
            if (f.progress.stopRequested()) return FetchResult::stop();
            return std::nullopt;
        };
        DownloadRequest r;
        r.today = day(20210101);
        DownloadResult res = f.run(r);
        EXPECT_EQ(res.end, DownloadEnd::Stopped) << stopAt;
        EXPECT_EQ(f.site.calls.size(), stopAt + 1);
        // The file holds what was there when the stopped request began: whole earlier ranges.
        EXPECT_EQ(f.onDisk().size(), before.back()) << stopAt;
        EXPECT_EQ(f.onDisk(), f.archive.draws());
        EXPECT_EQ(static_cast<size_t>(f.archive.count()), 1 + res.appended.size());
    }
}

TEST(DrawDownload, AFailedRequestAsksWhetherToRetryTheSameRange) {
    Fixture f;
    f.archive.append(archiveDraw(1, day(20200101)));
    f.site.draws = siteDraws(day(20200104), 5);
    f.proxy = {kProxyModeManual, "proxy.local", 3128, "u", "p", true};
    f.site.answer = [](size_t index, const FakeSite::Call&) -> std::optional<FetchResult> {
        if (index == 0) return FetchResult::failure("Connection refused");
        if (index == 1) return FetchResult::success("<section class=\"winningNumbersResults\"></thead><tbody>");
        return std::nullopt;
    };
    f.ui.answers = {true, true};
    DownloadRequest r;
    r.today = day(20200201);
    DownloadResult res = f.run(r);
    EXPECT_EQ(res.end, DownloadEnd::Completed);
    EXPECT_EQ(res.attempts, 3);
    ASSERT_EQ(f.ui.questions.size(), 2u);
    EXPECT_EQ(f.ui.questions[0].caption, "Ошибка");
    EXPECT_EQ(f.ui.questions[0].text,
              "Ошибка загрузки архива тиражей с сайта: \"Connection refused\"\r\rПовторить попытку?");
    EXPECT_NE(f.ui.questions[1].text.find("Не удалось найти пару идентификаторов"), std::string::npos);
    // The same range three times, then the rest of it after the newest draw that came.
    ASSERT_EQ(f.site.calls.size(), 4u);
    EXPECT_EQ(f.site.calls[2].from, f.site.calls[0].from);
    EXPECT_EQ(f.site.calls[3].from, day(20200117));
    EXPECT_EQ(f.site.calls[0].proxy, (ProxyAddress{"proxy.local", 3128, "u", "p"}));
    EXPECT_EQ(res.appended.size(), 5u);
    // The wait text names the attempt and the proxy of each request.
    EXPECT_NE(std::find(f.waits.begin(), f.waits.end(),
                        "Загрузка архива тиражей...\r\rПопытка 3, proxy proxy.local : 3128"),
              f.waits.end());
    EXPECT_FALSE(std::filesystem::exists(f.dir / "Tavlora_5d69.ini"));  // a manual proxy is not rewritten

    // No: the download ends, failed, with the error.
    Fixture g;
    g.site.answer = [](size_t, const FakeSite::Call&) -> std::optional<FetchResult> {
        return FetchResult::failure("HTTP/1.1 503 Service Unavailable");
    };
    DownloadRequest r2;
    r2.today = day(20090201);
    DownloadResult res2 = g.run(r2);
    EXPECT_EQ(res2.end, DownloadEnd::Failed);
    EXPECT_EQ(res2.error, "Ошибка загрузки архива тиражей с сайта: \"HTTP/1.1 503 Service Unavailable\"");
    EXPECT_EQ(g.site.calls.size(), 1u);
    EXPECT_TRUE(g.archive.empty());
}

TEST(DrawDownload, AutomaticModeDropsOnlyTheFailedCandidateAndKeepsTheOneThatWorked) {
    Fixture f;
    f.site.draws = siteDraws(day(20090110), 3);
    f.site.proxyLists["http://proxies.example/"] = "10.0.0.1:81\n10.0.0.2:82\n10.0.0.3:83\n";
    f.proxy.mode = kProxyModeAuto;
    {
        IniFile ini;
        ini.writeString("GLOBAL", "Other", "kept");
        ini.saveAs(f.dir / "Tavlora_5d69.ini");
    }
    f.site.answer = [](size_t, const FakeSite::Call& c) -> std::optional<FetchResult> {
        if (c.proxy.host != "10.0.0.3") return FetchResult::failure("Connection refused");
        return std::nullopt;
    };
    DownloadRequest r;
    r.site.proxyListUrl = "http://proxies.example/";
    r.today = day(20090301);
    DownloadResult res = f.run(r);
    EXPECT_EQ(res.end, DownloadEnd::Completed);
    EXPECT_TRUE(f.ui.questions.empty());  // moving on to the next candidate asks nothing
    ASSERT_EQ(f.site.calls.size(), 4u);
    EXPECT_EQ(f.site.calls[0].proxy.host, "10.0.0.1");
    EXPECT_EQ(f.site.calls[1].proxy.host, "10.0.0.2");
    EXPECT_EQ(f.site.calls[2].proxy.host, "10.0.0.3");
    EXPECT_EQ(f.site.calls[3].proxy.host, "10.0.0.3");  // the proxy that worked stays
    EXPECT_EQ(f.site.calls[2].from, f.site.calls[0].from);
    EXPECT_EQ(res.attempts, 3);
    EXPECT_EQ(res.appended.size(), 3u);
    EXPECT_TRUE(res.proxySaved);
    EXPECT_TRUE(f.proxy.saved);
    TProxySettings stored = loadProxySettings(f.dir / "Tavlora_5d69.ini");
    EXPECT_EQ(stored.mode, kProxyModeAuto);
    EXPECT_EQ(stored.server, "10.0.0.3");
    EXPECT_EQ(stored.port, 83);
    EXPECT_EQ(IniFile(f.dir / "Tavlora_5d69.ini").readString("GLOBAL", "Other"), "kept");
    EXPECT_NE(std::find(f.waits.begin(), f.waits.end(), "Загрузка архива тиражей...\r\rПоиск proxy-серверов"),
              f.waits.end());
}

TEST(DrawDownload, AutomaticModeWithASavedProxyThatFailsSearchesAndKeepsTheOthers) {
    Fixture f;
    f.site.draws = siteDraws(day(20090110), 2);
    f.proxy = {kProxyModeAuto, "10.9.9.9", 99, "", "", true};  // kept from an earlier run
    f.site.proxyLists["http://proxies.example/"] = "10.0.0.1:81\n10.0.0.2:82\n";
    // A working proxy stays; a failure removes exactly the proxy that failed.
    f.site.answer = [](size_t index, const FakeSite::Call& c) -> std::optional<FetchResult> {
        if (c.proxy.host == "10.9.9.9") return FetchResult::failure("timed out");
        if (index == 2) return FetchResult::failure("reset by peer");  // 10.0.0.1 fails on its second range
        return std::nullopt;
    };
    DownloadRequest r;
    r.site.proxyListUrl = "http://proxies.example/";
    r.today = day(20090601);
    DownloadResult res = f.run(r);
    EXPECT_EQ(res.end, DownloadEnd::Completed);
    ASSERT_GE(f.site.calls.size(), 4u);
    EXPECT_EQ(f.site.calls[0].proxy.host, "10.9.9.9");
    EXPECT_EQ(f.site.calls[1].proxy.host, "10.0.0.1");
    EXPECT_EQ(f.site.calls[2].proxy.host, "10.0.0.1");
    EXPECT_EQ(f.site.calls[3].proxy.host, "10.0.0.2");  // the candidate that failed is gone, not another
    EXPECT_EQ(f.site.calls[3].from, f.site.calls[2].from);
    EXPECT_TRUE(f.ui.questions.empty());
    EXPECT_EQ(loadProxySettings(f.dir / "Tavlora_5d69.ini").server, "10.0.0.2");

    // When every candidate failed the user is asked; No ends the download.
    Fixture g;
    g.proxy.mode = kProxyModeAuto;
    g.site.proxyLists["http://proxies.example/"] = "10.0.0.1:81\n10.0.0.2:82\n";
    g.site.answer = [](size_t, const FakeSite::Call&) -> std::optional<FetchResult> {
        return FetchResult::failure("Connection refused");
    };
    DownloadResult res2 = g.run(r);
    EXPECT_EQ(res2.end, DownloadEnd::Failed);
    EXPECT_EQ(g.site.calls.size(), 2u);
    EXPECT_EQ(g.ui.questions.size(), 1u);
    EXPECT_TRUE(g.proxy.server.empty());
    EXPECT_FALSE(std::filesystem::exists(g.dir / "Tavlora_5d69.ini"));
}

TEST(DrawDownload, ProblemsBeforeAnyRequestAreReportedAndChangeNothing) {
    struct Case {
        std::string name;
        std::function<void(Fixture&, DownloadRequest&)> setUp;
        DownloadEnd end;
        std::string message;
    };
    const std::vector<Case> cases{
        {"no page address", [](Fixture&, DownloadRequest& r) { r.site.url = " "; }, DownloadEnd::NotConfigured,
         kDownloadUrlMissing},
        {"no proxy-list service",
         [](Fixture& f, DownloadRequest&) { f.proxy.mode = kProxyModeAuto; }, DownloadEnd::ProxyFailed,
         std::string("Ошибка получения списка proxy-серверов!\r\r") + "Адрес списка proxy-серверов не задан (ключ "
                                                                       "ProxyListUrl раздела [DOWNLOAD] файла Tavlora_5d69.ini)."},
        {"an empty proxy list",
         [](Fixture& f, DownloadRequest& r) {
             f.proxy.mode = kProxyModeAuto;
             r.site.proxyListUrl = "http://proxies.example/";
             f.site.proxyLists["http://proxies.example/"] = "no proxies today\n";
         },
         DownloadEnd::ProxyFailed,
         "Ошибка получения списка proxy-серверов!\r\rНе найдено ни одного proxy-сервера с заданными параметрами"},
        {"a newest draw without a date",
         [](Fixture& f, DownloadRequest&) { f.archive.append(archiveDraw(5, CivilDate{})); }, DownloadEnd::NotConfigured,
         "Дата последнего тиража архива (№ 5) не прочитана: \"\". Исправьте её, чтобы загрузить следующие тиражи."},
    };
    for (const auto& c : cases) {
        Fixture f;
        DownloadRequest r;
        r.site.url = "http://results.example";
        r.today = day(20090301);
        c.setUp(f, r);
        const TDrawsArray before = f.archive.draws();
        DownloadResult res = f.run(r);
        EXPECT_EQ(res.end, c.end) << c.name;
        EXPECT_FALSE(res.ok());
        EXPECT_EQ(res.error, c.message) << c.name;
        ASSERT_EQ(f.ui.messages.size(), 1u) << c.name;
        EXPECT_EQ(f.ui.messages[0].kind, MessageKind::Error);
        EXPECT_EQ(f.ui.messages[0].text, c.message);
        EXPECT_TRUE(f.site.calls.empty()) << c.name;
        EXPECT_EQ(f.archive.draws(), before);
        EXPECT_FALSE(std::filesystem::exists(f.archive.file()));
    }
}

TEST(DrawDownload, TamperedRowsAreSkippedAndReportedWhileTheRestIsTaken) {
    Fixture f;
    f.archive.append(archiveDraw(10, day(20200101)));
    f.site.draws = {{day(20200104), "1 - 2 - 3 - 4 - 5 + 6"},
                    {day(20200107), "0 - 2 - 3 - 4 - 5 + 6"},
                    {day(20200110), "9 - 8 - 7 - 6 - 5 + 4"},
                    {day(20200113), "-"}};
    DownloadRequest r;
    r.today = day(20200120);
    DownloadResult res = f.run(r);
    EXPECT_EQ(res.end, DownloadEnd::Completed);
    ASSERT_EQ(res.appended.size(), 2u);
    EXPECT_EQ(res.appended[0].number, 11);
    EXPECT_EQ(res.appended[1].number, 12);
    EXPECT_EQ(res.appended[1].dateText(), "01/10/2020");
    auto bad = res.suspiciousRows();
    ASSERT_EQ(bad.size(), 1u);
    EXPECT_EQ(bad[0].row.numbers, "0 - 2 - 3 - 4 - 5 + 6");
    EXPECT_EQ(bad[0].reason, RowSkip::NumberOutOfRange);
    for (const TDraw& d : f.archive.draws())
        for (uint8_t n : d.nums) EXPECT_TRUE(n >= 1 && n <= 69);
}

TEST(DrawDownload, AnArchiveThatCannotBeWrittenEndsTheDownload) {
    Fixture f;
    std::ofstream(f.dir / "blocker") << "a file, not a folder";
    DrawArchive archive(f.dir / "blocker" / "Tavlora_5d69.ldr");
    f.site.draws = siteDraws(day(20090110), 40);
    DrawDownload d(archive, f.site, f.proxy, {});
    DownloadRequest r;
    r.site.url = "http://results.example";
    r.today = day(20091231);
    DownloadResult res = d.run(r, f.progress, f.ui);
    EXPECT_EQ(res.end, DownloadEnd::SaveFailed);
    EXPECT_EQ(f.site.calls.size(), 1u);  // no further range after the failed save
    ASSERT_EQ(f.ui.messages.size(), 1u);
    EXPECT_EQ(f.ui.messages[0].text.rfind("Ошибка записи в файл тиражей!", 0), 0u);
    EXPECT_EQ(res.error, f.ui.messages[0].text);
}
