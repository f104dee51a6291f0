// The results page: the search address, the cutting of the page into rows, the checks that
// turn rows into draws, and the proxy list of the automatic mode.
#include <gtest/gtest.h>

#include "archive/proxy_list.h"
#include "archive/results_page.h"
#include "core/error.h"

using namespace tavlora;

namespace {

CivilDate day(int yyyymmdd) { return CivilDate::fromYyyymmdd(yyyymmdd); }

// A page written with the site's markers around the given table rows.
std::string page(const std::string& rows) {
    return "<html><body><section class=\"winningNumbersResults\"><table><thead><tr><th>Date</th></tr>"
           "</thead><tbody>" +
           rows + "</tbody></table></section><footer id=\"footerMain\">(c)</footer></body></html>";
}

std::string row(const std::string& date, const std::string& numbers) {
    return "<tr class=\"r\"><td><div>" + date + "</div></td><td><div>" + numbers + "</div></td></tr>";
}

}  // namespace

TEST(ResultsPage, SearchAddressKeepsTheFormsKeyOrderAndDateForm) {
    const std::string query =
        "?searchTypeIn=range&gameNameIn=Tavlora%205%2F69&singleDateIn=&fromDateIn=01%2F07%2F2009"
        "&toDateIn=04%2F16%2F2009&n1In=&n2In=&n3In=&n4In=&n5In=&submitForm=Submit";
    struct Case {
        const char* base;
        std::string expected;
    };
    const Case cases[] = {
        {"https://results.example", "https://results.example/site/winningNumberSearch" + query},
        {"http://127.0.0.1:8080/", "http://127.0.0.1:8080/site/winningNumberSearch" + query},
        {"  http://host  ", "http://host/site/winningNumberSearch" + query},
        {"http://host/other/page", "http://host/other/page" + query},
        {"file:///tmp/saved%20page.html", "file:///tmp/saved%20page.html" + query},
        {"http://host/page?lang=en", "http://host/page?lang=en&" + query.substr(1)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(resultsPageUrl(c.base, "Tavlora 5/69", day(20090107), day(20090416)), c.expected) << c.base;
    EXPECT_EQ(searchDateText(day(20151231)), "12%2F31%2F2015");
    EXPECT_EQ(urlEncode("a-Z_0.~ ж"), "a-Z_0.~%20%D0%B6");
}

TEST(ResultsPage, RowsAreCutBetweenMarkersFoundWithoutRegardToCase) {
    // Upper-case markers, quoted and padded pieces, a row without divs, text outside the table.
    const std::string text =
        "<tr><td><div>01/01/2000</div></td></tr>"  // before the section: not a row
        "<SECTION CLASS=\"WINNINGNUMBERSRESULTS\"><TABLE><THEAD></THEAD><TBODY>"
        "<TR><TD><DIV> 03/14/2015 </DIV></TD><TD><DIV>\"3 - 17 - 20 - 40 - 57 + 12\"</DIV></TD></TR>"
        "<tr><td><div>03/18/2015</div></td><td><div>-</div></td></tr>"
        "<tr><td>no pieces</td></tr>"
        "</TBODY></TABLE><FOOTER ID=\"FOOTERMAIN\">";
    const std::vector<PageRow> expected{
        {"03/14/2015", "3 - 17 - 20 - 40 - 57 + 12"}, {"03/18/2015", "-"}, {"", ""}};
    EXPECT_EQ(readResultsPage(text), expected);

    // A missing opening marker means no rows; so does an empty table.
    EXPECT_TRUE(readResultsPage("<html>maintenance</html>").empty());
    EXPECT_TRUE(readResultsPage("<section class=\"winningNumbersResults\"><p>none</p><footer id=\"footerMain\">").empty());
    EXPECT_TRUE(readResultsPage(page("")).empty());
}

TEST(ResultsPage, AnOpeningMarkerWithoutItsClosingMarkerIsAnError) {
    struct Case {
        std::string text;
        std::string pair;
    };
    const Case cases[] = {
        {"<section class=\"winningNumbersResults\"><table></thead><tbody>" + row("03/14/2015", "1-2-3-4-5 + 6"),
         "\"<section class=\"winningNumbersResults\">\" - \"<footer id=\"footerMain\">\""},
        {"<section class=\"winningNumbersResults\"></thead><tbody>" + row("03/14/2015", "1-2-3-4-5 + 6") +
             "<footer id=\"footerMain\">",
         "\"</thead><tbody>\" - \"</tbody></table>\""},
    };
    for (const auto& c : cases) {
        try {
            readResultsPage(c.text);
            ADD_FAILURE() << "no error for " << c.text;
        } catch (const EError& e) {
            const std::string m = e.what();
            EXPECT_EQ(m.rfind("Не удалось найти пару идентификаторов " + c.pair + " в тексте\r\r[", 0), 0u) << m;
            EXPECT_EQ(m.substr(m.size() - 2), "]!");
        }
    }
    // A long text is shown by its beginning only.
    try {
        readResultsPage("<section class=\"winningNumbersResults\">" + std::string(5000, 'x'));
        ADD_FAILURE();
    } catch (const EError& e) {
        EXPECT_LT(std::string(e.what()).size(), 600u);
    }
}

TEST(ResultsPage, RowsBecomeDrawsOnlyWhenWholeNewAndInRange) {
    const CivilDate newest = day(20150310);
    const CivilDate today = day(20150401);
    struct Case {
        PageRow row;
        std::optional<RowSkip> skip;  // nullopt: accepted
    };
    const Case cases[] = {
        {{"03/14/2015", "3 - 17 - 20 - 40 - 57 + 12"}, std::nullopt},
        {{"03/18/2015", "69-1-2-3-4 PB 26"}, std::nullopt},
        {{"03/21/2015", "-"}, RowSkip::NotHeld},
        {{"03/21/2015", ""}, RowSkip::NotHeld},
        {{"03/10/2015", "1 - 2 - 3 - 4 - 5 + 6"}, RowSkip::InArchive},  // the newest draw's date
        {{"03/07/2015", "1 - 2 - 3 - 4 - 5 + 6"}, RowSkip::InArchive},
        {{"13/40/2015", "1 - 2 - 3 - 4 - 5 + 6"}, RowSkip::BadDate},
        {{"", "1 - 2 - 3 - 4 - 5 + 6"}, RowSkip::BadDate},
        {{"04/02/2015", "1 - 2 - 3 - 4 - 5 + 6"}, RowSkip::FutureDate},
        {{"03/22/2015", "1 - 2 - 3 - 4 + 6"}, RowSkip::BadNumbers},
        {{"03/22/2015", "1 - 2 - 3 - 4 - 5 - 6"}, RowSkip::BadNumbers},
        {{"03/22/2015", "1 - x - 3 - 4 - 5 + 6"}, RowSkip::BadNumbers},
        {{"03/22/2015", "1 - 2 - 3 - 4 - 5"}, RowSkip::BadNumbers},
        {{"03/22/2015", "1 - 2 - 3 - 4 - 5 + y"}, RowSkip::BadNumbers},
        {{"03/22/2015", "0 - 2 - 3 - 4 - 5 + 6"}, RowSkip::NumberOutOfRange},
        {{"03/22/2015", "1 - 2 - 3 - 4 - 70 + 6"}, RowSkip::NumberOutOfRange},
        {{"03/22/2015", "1 - 2 - 3 - 4 - 5 + 0"}, RowSkip::NumberOutOfRange},
        {{"03/22/2015", "1 - 2 - 3 - 4 - 5 + 27"}, RowSkip::NumberOutOfRange},
        {{"03/22/2015", "1 - 2 - 3 - 4 - 300 + 6"}, RowSkip::NumberOutOfRange},
        {{"03/22/2015", "7 - 2 - 3 - 4 - 7 + 6"}, RowSkip::RepeatedNumber},
    };
    for (const auto& c : cases) {
        PageDraws got = pageDraws({c.row}, newest, today, 100);
        if (!c.skip) {
            ASSERT_EQ(got.draws.size(), 1u) << c.row.date << " " << c.row.numbers;
            EXPECT_TRUE(got.skipped.empty());
        } else {
            EXPECT_TRUE(got.draws.empty()) << c.row.date << " " << c.row.numbers;
            ASSERT_EQ(got.skipped.size(), 1u);
            EXPECT_EQ(got.skipped[0].reason, *c.skip) << c.row.date << " " << c.row.numbers;
            EXPECT_EQ(got.skipped[0].row, c.row);
            const bool ordinary = *c.skip == RowSkip::NotHeld || *c.skip == RowSkip::InArchive;
            EXPECT_EQ(got.skipped[0].suspicious(), !ordinary);
        }
    }
    // The record of an accepted row: numbers in page order, the extra number, the date text.
    TDraw d = pageDraws({{"03/14/2015", "3 - 17 - 20 - 40 - 57 + 12"}}, newest, today, 100).draws.at(0);
    EXPECT_EQ(d.number, 100);
    EXPECT_EQ(d.nums, (std::array<uint8_t, 5>{3, 17, 20, 40, 57}));
    EXPECT_EQ(d.extra, 12);
    EXPECT_EQ(d.dateText(), "03/14/2015");
    EXPECT_EQ(d.unused, (std::array<uint8_t, 3>{0, 0, 0}));
    // Without a newest draw (empty archive) every dated row is new.
    EXPECT_EQ(pageDraws({{"01/07/2009", "1-2-3-4-5 + 6"}}, std::nullopt, today, 1).draws.size(), 1u);
    EXPECT_EQ(SkippedRow({{"03/22/2015", "0-1"}, RowSkip::BadNumbers}).text(),
              "Пропущена строка страницы результатов: дата \"03/22/2015\", числа \"0-1\" (числа не прочитаны).");
}

TEST(ResultsPage, DrawsComeInDateOrderNumberedOnWhateverThePageOrder) {
    // Newest first as result pages list them, with a repeated date and a skipped row between.
    const std::vector<PageRow> rows{
        {"03/21/2015", "5 - 6 - 7 - 8 - 9 + 3"},
        {"03/18/2015", "-"},
        {"03/17/2015", "4 - 5 - 6 - 7 - 8 + 2"},
        {"03/14/2015", "3 - 4 - 5 - 6 - 7 + 1"},
        {"03/17/2015", "40 - 50 - 60 - 61 - 62 + 9"},
    };
    PageDraws got = pageDraws(rows, day(20150310), day(20150401), 1241);
    ASSERT_EQ(got.draws.size(), 3u);
    const std::vector<std::pair<int, std::string>> expected{{1241, "03/14/2015"}, {1242, "03/17/2015"}, {1243, "03/21/2015"}};
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(got.draws[i].number, expected[i].first);
        EXPECT_EQ(got.draws[i].dateText(), expected[i].second);
    }
    EXPECT_EQ(got.draws[1].nums[0], 4);  // the first row of 03/17 on the page counts
    ASSERT_EQ(got.skipped.size(), 2u);
    EXPECT_EQ(got.skipped[0].reason, RowSkip::NotHeld);
    EXPECT_EQ(got.skipped[1].reason, RowSkip::RepeatedDate);
    EXPECT_EQ(got.skipped[1].row.numbers, "40 - 50 - 60 - 61 - 62 + 9");
}

TEST(ProxyList, LinesAreHostAndPortPairsWithoutRepeats) {
    const std::string text =
        "# free proxies\r\n10.0.0.1:3128\r\n\r\n  proxy.example : 8080 \r\n10.0.0.1:3128\nbad line\nhost:0\nhost:65536\n"
        "host:x\n:80\n[::1]:8000\n10.0.0.2:80";
    EXPECT_EQ(readProxyList(text),
              (std::vector<std::string>{"10.0.0.1:3128", "proxy.example:8080", "[::1]:8000", "10.0.0.2:80"}));
    EXPECT_EQ(proxyOfCandidate(" proxy.example : 8080 "), (ProxyAddress{"proxy.example", 8080, "", ""}));
    EXPECT_THROW(proxyOfCandidate("proxy.example"), EError);
    EXPECT_THROW(proxyOfCandidate("proxy.example:99999"), EError);
    EXPECT_EQ(proxyListPageUrl("http://list.example/api", false, 0),
              "http://list.example/api?protocol=http%2Chttps&anonlvl=&country=&min_uptime=75&max_response_time=10&offset=0");
    EXPECT_EQ(proxyListPageUrl("http://list.example/api?key=1", true, 30),
              "http://list.example/api?key=1&protocol=https&anonlvl=&country=&min_uptime=75&max_response_time=10&offset=30");
}

namespace {

// A proxy-list service of `total` distinct proxies answering pages of `pageSize` lines from the
// offset of the address (or always the first page when it ignores the offset).
class ProxyService : public PageFetcher {
public:
    ProxyService(int total, int pageSize, bool honoursOffset = true)
        : total_(total), pageSize_(pageSize), honoursOffset_(honoursOffset) {}
    FetchResult fetch(const std::string& url, const ProxyAddress& proxy, Progress&) override {
        EXPECT_FALSE(proxy.enabled());  // the list is asked directly
        const int offset = honoursOffset_ ? std::stoi(url.substr(url.rfind("offset=") + 7)) : 0;
        ++pages;
        std::string body;
        for (int i = offset; i < std::min(total_, offset + pageSize_); ++i) body += "10.0.0." + std::to_string(i) + ":80\n";
        return FetchResult::success(body);
    }
    int pages = 0;

private:
    int total_, pageSize_;
    bool honoursOffset_;
};

}  // namespace

TEST(ProxyList, TheSearchAsksPagesUntilThirtyOrAShortOrStalePage) {
    struct Case {
        int total, pageSize;
        bool honoursOffset;
        int pages;
        size_t found;
    };
    const Case cases[] = {
        {100, 15, true, 2, 30},  // pages of exactly 15 go on, 30 are enough
        {100, 20, true, 2, 40},
        {100, 14, true, 1, 14},  // a page of fewer than 15 is the last
        {22, 15, true, 2, 22},
        {100, 50, true, 1, 50},
        {20, 20, false, 2, 20},  // a service that ignores the offset: the repeated page ends it
    };
    NullProgress progress;
    for (const auto& c : cases) {
        ProxyService service(c.total, c.pageSize, c.honoursOffset);
        auto found = searchProxies(service, "http://list.example/", false, progress);
        EXPECT_EQ(service.pages, c.pages) << c.total << "/" << c.pageSize;
        EXPECT_EQ(found.size(), c.found) << c.total << "/" << c.pageSize;
        EXPECT_EQ(found.front(), "10.0.0.0:80");
    }
    ProxyService none(0, 15);
    try {
        searchProxies(none, "http://list.example/", false, progress);
        ADD_FAILURE();
    } catch (const EError& e) {
        EXPECT_STREQ(e.what(), kProxyNoneFound);
    }
}
