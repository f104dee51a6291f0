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
