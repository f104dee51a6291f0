#include "core/bulk_allocator.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "core/game.h"
#include "core/records.h"

using namespace tavlora;

namespace {

// The VmFlags line of the mapping of /proc/self/smaps that holds address p; empty when none.
std::string vmFlagsOf(const void* p) {
    std::ifstream smaps("/proc/self/smaps");
    const auto at = reinterpret_cast<uintptr_t>(p);
    std::string line;
    bool inside = false;
    while (std::getline(smaps, line)) {
        uintptr_t lo = 0, hi = 0;
        char dash = 0;
        std::istringstream head(line);
        if (head >> std::hex >> lo >> dash >> hi && dash == '-') {
            inside = lo <= at && at < hi;
            continue;
        }
        if (inside && line.rfind("VmFlags:", 0) == 0) return line;
    }
    return {};
}

}  // namespace

TEST(BulkAllocator, GrowingKeepsStoredBytesAndCopiesAcrossReallocation) {
    // Grown plain records are left as the storage holds them: shrinking and growing back within
    // the capacity shows the old bytes, not zeros (the list writers overwrite every record).
    TCombsArray combs;
    combs.reserve(1000);
    for (int i = 0; i < 1000; ++i) combs.push_back(TComb{{uint8_t(i % 69 + 1), 2, 3, 4, uint8_t(i % 7)}});
    combs.resize(10);
    combs.resize(1000);
    for (std::size_t i = 10; i < 1000; ++i) ASSERT_EQ(combs[i].n[0], i % 69 + 1) << i;

    // Growing past the capacity moves the records to a new (huge-page sized) block intact.
    const std::size_t big = kBulkHugeMin / sizeof(TComb) + 123;
    combs.resize(big);
    ASSERT_EQ(reinterpret_cast<uintptr_t>(combs.data()) % kBulkHugePage, 0u);
    for (std::size_t i = 0; i < 1000; ++i) ASSERT_EQ(combs[i].n[4], i % 7) << i;
    combs[big - 1] = TComb{{9, 8, 7, 6, 5}};
    TCombsArray copy = combs;
    EXPECT_EQ(copy, combs);

    // Records that are not plain data are still constructed.
    std::vector<std::string, TBulkAllocator<std::string>> texts;
    texts.resize(3);
    texts[1] += "x";
    EXPECT_EQ(texts[0], "");
    EXPECT_EQ(texts[1], "x");
}

TEST(BulkAllocator, LargeBlocksAreAdvisedForHugePages) {
    if (!std::filesystem::exists("/sys/kernel/mm/transparent_hugepage/enabled"))
        GTEST_SKIP() << "no transparent huge pages in this kernel";
    TCombsArray large;
    large.reserve(kFullCombCount);
    const std::string flags = vmFlagsOf(large.data());
    ASSERT_FALSE(flags.empty());
    EXPECT_NE(flags.find(" hg"), std::string::npos) << flags;
    // A small block stays an ordinary allocation.
    TCombsArray small;
    small.reserve(100);
    EXPECT_EQ(vmFlagsOf(small.data()).find(" hg"), std::string::npos);
}
