// The session's draw download: new draws check the stakes; an archive not read whole is kept.
#include <gtest/gtest.h>

#include "session/session.h"
#include "session/session_download.h"
#include "stakes/ratings.h"
#include "stakes/stake_record.h"
#include "stakes/stakes_store.h"
#include "test_support.h"

using namespace tavlora;
using tavlora::test::TempDir;

namespace {

// Answers every request with the same results page and counts the requests.
class OnePage : public PageFetcher {
public:
    explicit OnePage(std::string rows) : rows_(std::move(rows)) {}
    FetchResult fetch(const std::string&, const ProxyAddress&, Progress&) override {
        ++requests;
        return FetchResult::success("<section class=\"winningNumbersResults\"><table><thead></thead><tbody>" + rows_ +
                                    "</tbody></table><footer id=\"footerMain\">");
    }
    int requests = 0;

private:
    std::string rows_;
};

TDraw drawOf(int32_t number, std::array<uint8_t, 5> nums, const char* date) {
    TDraw d;
    d.number = number;
    d.nums = nums;
    d.extra = 1;
    d.setDateText(date);
    return d;
}

}  // namespace

TEST(SessionDownload, NewDrawsCheckTheStakesAndNothingNewChecksNothing) {
    TempDir dir;
    NullProgress progress;
    ScriptedInteraction ui;
    Session s(dir.path());
    s.archive().append(drawOf(1, {1, 2, 3, 4, 5}, "03/10/2020"));
    ASSERT_TRUE(s.archive().save(progress, ui));
    ASSERT_TRUE(s.openStakes(progress, ui));
    TStakeRecord stake = newManualStake(s.archive(), s.settings(), 1, TComb{{6, 7, 8, 20, 21}});
    stake.drawNumber = 2;
    ASSERT_TRUE(s.stakes().addStakes(stake, 1, ui));

    OnePage site("<tr><td><div>03/14/2020</div></td><td><div>6 - 7 - 8 - 9 - 10 + 4</div></td></tr>");
    TProxySettings proxy;
    DownloadRequest request;
    request.site.url = "http://results.example";
    request.today = CivilDate{2020, 3, 20};
    std::vector<std::string> waits;
    SessionDownloadResult r =
        downloadDraws(s, site, proxy, request, progress, ui, [&](const std::string& t) { waits.push_back(t); });
    EXPECT_EQ(r.download.end, DownloadEnd::Completed);
    ASSERT_EQ(r.download.appended.size(), 1u);
    EXPECT_EQ(s.archive().count(), 2);
    EXPECT_TRUE(r.stakesChecked);
    ASSERT_EQ(s.ratings().count(), 1);
    EXPECT_EQ(s.ratings().rows()[0].matched, 3);
    EXPECT_FALSE(waits.empty());

    r = downloadDraws(s, site, proxy, request, progress, ui);
    EXPECT_EQ(r.download.end, DownloadEnd::Completed);
    EXPECT_TRUE(r.download.appended.empty());
    EXPECT_FALSE(r.stakesChecked);
    EXPECT_TRUE(ui.messages.empty());
}

TEST(SessionDownload, AnArchiveFileNotReadWholeIsNotOverwritten) {
    TempDir dir;
    // A folder where the archive file should be cannot be read.
    std::filesystem::create_directories(dir / "Tavlora_5d69.ldr");
    NullProgress progress;
    ScriptedInteraction ui;
    Session s(dir.path(), progress, ui);
    ASSERT_FALSE(s.archiveReadWhole());
    ui.messages.clear();
    OnePage site("<tr><td><div>03/14/2020</div></td><td><div>6 - 7 - 8 - 9 - 10 + 4</div></td></tr>");
    TProxySettings proxy;
    DownloadRequest request;
    request.site.url = "http://results.example";
    SessionDownloadResult r = downloadDraws(s, site, proxy, request, progress, ui);
    EXPECT_EQ(r.download.end, DownloadEnd::NotConfigured);
    EXPECT_EQ(r.download.error, kDownloadArchiveNotWhole);
    EXPECT_EQ(site.requests, 0);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, kDownloadArchiveNotWhole);
    EXPECT_TRUE(std::filesystem::is_directory(dir / "Tavlora_5d69.ldr"));
}
