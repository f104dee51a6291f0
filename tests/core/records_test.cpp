#include <gtest/gtest.h>

#include "core/file_util.h"
#include "core/records.h"
#include "test_support.h"

using namespace tavlora;

TEST(DrawRecord, ByteFormRoundTripKeepsAll24Bytes) {
    uint8_t raw[TDraw::kSize];
    for (size_t i = 0; i < TDraw::kSize; ++i) raw[i] = static_cast<uint8_t>(0xA0 + i);
    raw[10] = 10;  // date length
    TDraw d = TDraw::decode(raw);
    uint8_t back[TDraw::kSize];
    d.encode(back);
    for (size_t i = 0; i < TDraw::kSize; ++i) EXPECT_EQ(raw[i], back[i]) << "byte " << i;

    TDraw fresh;
    fresh.number = 1234;
    fresh.nums = {5, 12, 33, 41, 69};
    fresh.extra = 7;
    fresh.setDateText("03/14/2015 and more");
    EXPECT_EQ(fresh.dateText(), "03/14/2015");
    fresh.encode(back);
    EXPECT_EQ(back[0], 0xD2);
    EXPECT_EQ(back[1], 0x04);
    EXPECT_EQ(back[4], 5);
    EXPECT_EQ(back[8], 69);
    EXPECT_EQ(back[9], 7);
    EXPECT_EQ(back[10], 10);
    EXPECT_EQ(back[11], '0');
    EXPECT_EQ(back[21], 0);
    EXPECT_EQ(back[22], 0);
    EXPECT_EQ(back[23], 0);
}

TEST(FileUtil, AtomicWriteReplacesWholeFileAndFailureKeepsOldOne) {
    test::TempDir dir;
    auto f = dir / "a.bin";
    writeFileAtomic(f, "first");
    EXPECT_EQ(readFileBytes(f), "first");
    writeFileAtomic(f, std::string(100000, 'x'));
    EXPECT_EQ(readFileBytes(f).size(), 100000u);
    // A target in a folder that does not exist fails and leaves nothing behind.
    EXPECT_THROW(writeFileAtomic(dir / "missing" / "b.bin", "x"), std::exception);
    // A directory in the way of the rename: the old content of f stays whole.
    std::filesystem::create_directories(dir / "dirtarget" / "inner");
    EXPECT_THROW(writeFileAtomic(dir / "dirtarget", "x"), std::exception);
    EXPECT_EQ(readFileBytes(f).size(), 100000u);
    int files = 0;
    for (auto& e : std::filesystem::directory_iterator(dir.path())) {
        (void)e;
        ++files;
    }
    EXPECT_EQ(files, 2);  // a.bin and dirtarget, no temporary left
}

TEST(RecordHelpers, ConversionsAndMembershipTests) {
    TDraw d;
    d.number = 12;
    d.nums = {5, 12, 33, 41, 69};
    d.extra = 7;
    TComb c = drawNumbers(d);
    EXPECT_EQ(c, (TComb{{5, 12, 33, 41, 69}}));
    TShema s = shemaOf(c);
    EXPECT_EQ(s.count, 5);
    EXPECT_EQ(s.nums, (std::array<uint8_t, 8>{5, 12, 33, 41, 69, 0, 0, 0}));

    EXPECT_TRUE(drawContains(69, d));
    EXPECT_FALSE(drawContains(7, d));  // the extra number is not a main number
    EXPECT_TRUE(combContains(33, c));
    EXPECT_FALSE(combContains(0, c));
    EXPECT_TRUE(combHasChannel(7, c, 10));   // 69
    EXPECT_FALSE(combHasChannel(3, c, 10));  // nothing in 21..30
    EXPECT_TRUE(combHasChannel(10, c, 7));   // 69 with width 7
    EXPECT_FALSE(combHasChannel(8, c, 0));   // width 0 acts as 1: channels are the numbers
    EXPECT_TRUE(combHasChannel(41, c, 0));

    std::array<uint8_t, 69> seg{};
    seg.fill(1);
    seg[32] = 4;  // number 33
    EXPECT_TRUE(combHasSegment(4, c, seg));
    EXPECT_TRUE(combHasSegment(1, c, seg));
    EXPECT_FALSE(combHasSegment(2, c, seg));

    TByteArray set;
    addToSet(5, set);
    addToSet(9, set);
    addToSet(5, set);
    EXPECT_EQ(set, (TByteArray{5, 9}));
    appendNumber(5, set);
    EXPECT_EQ(set, (TByteArray{5, 9, 5}));
    EXPECT_TRUE(arrayContains(9, set));
    EXPECT_FALSE(arrayContains(6, set));
}

TEST(RecordHelpers, MatchesCountCommonNumbersWhateverTheOrder) {
    TDraw a;
    a.nums = {1, 2, 3, 4, 5};
    TDraw b;
    b.nums = {5, 4, 10, 11, 1};
    EXPECT_EQ(matches(a, b), 3);
    EXPECT_EQ(matches(a, a), 5);
    EXPECT_EQ(matches(a, TComb{{6, 7, 8, 9, 10}}), 0);
    EXPECT_EQ(matches(TComb{{69, 1, 2, 3, 4}}, TComb{{4, 3, 2, 1, 69}}), 5);
    EXPECT_EQ(matches(b, drawNumbers(a)), matches(a, b));
}

TEST(RecordHelpers, DistinctNumbersInOrderOfFirstAppearanceStopAtTheWholeRange) {
    TCombsArray list{{{5, 9, 1, 2, 3}}, {{9, 5, 4, 3, 60}}, {{1, 2, 3, 4, 5}}};
    EXPECT_EQ(distinctNumberCount(list), 7);
    EXPECT_EQ(distinctNumbers(list), (TByteArray{5, 9, 1, 2, 3, 4, 60}));
    EXPECT_EQ(distinctNumberCount({}), 0);
    EXPECT_TRUE(distinctNumbers({}).empty());

    // Cover 1..69 (the 69th number arrives as the fourth of a combination), then stray values.
    TCombsArray full;
    for (int first = 1; first <= 65; first += 5)
        full.push_back(TComb{{uint8_t(first), uint8_t(first + 1), uint8_t(first + 2), uint8_t(first + 3),
                              uint8_t(first + 4)}});
    full.push_back(TComb{{66, 67, 68, 69, 0}});
    full.push_back(TComb{{70, 71, 72, 73, 74}});
    EXPECT_EQ(distinctNumberCount(full), 69);
    TByteArray nums = distinctNumbers(full);
    ASSERT_EQ(nums.size(), 69u);
    for (int i = 0; i < 69; ++i) EXPECT_EQ(nums[i], i + 1);
}

TEST(RecordHelpers, SortingIsAscendingAndTouchesOnlyTheNumbers) {
    TDraw d;
    d.number = 77;
    d.nums = {69, 5, 33, 12, 41};
    d.extra = 3;
    d.setDateText("03/14/2015");
    TDraw s = sortedDraw(d);
    EXPECT_EQ(s.nums, (std::array<uint8_t, 5>{5, 12, 33, 41, 69}));
    EXPECT_EQ(s.extra, 3);
    EXPECT_EQ(s.number, 77);
    EXPECT_EQ(s.dateText(), "03/14/2015");
    EXPECT_EQ(d.nums[0], 69);  // the original stays as it was

    TComb c{{200, 3, 69, 1, 2}};  // compared as unsigned bytes
    sortComb(c);
    EXPECT_EQ(c, (TComb{{1, 2, 3, 69, 200}}));

    TShema sh;
    sh.count = 6;
    sh.nums = {9, 8, 7, 6, 5, 4, 2, 1};
    sortShema(sh);
    EXPECT_EQ(sh.nums, (std::array<uint8_t, 8>{4, 5, 6, 7, 8, 9, 2, 1}));  // only the first six
    sh.count = 1000;  // damaged count from a file: sorts all eight, nothing beyond
    sortShema(sh);
    EXPECT_EQ(sh.nums, (std::array<uint8_t, 8>{1, 2, 4, 5, 6, 7, 8, 9}));
    EXPECT_EQ(shemaCount(sh), 8);
    sh.count = -4;
    EXPECT_EQ(shemaCount(sh), 0);
    sortShema(sh);
}
