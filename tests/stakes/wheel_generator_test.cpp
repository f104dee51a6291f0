// Our own wheels: the lower bound, the coverage check, the greedy cover, the search (its result
// covers, is never larger than the greedy cover, repeats with the seed on any number of cores)
// and the system file it writes.
#include <algorithm>
#include <fstream>
#include <iterator>
#include <gtest/gtest.h>

#include "core/error.h"
#include "core/interaction.h"
#include "core/parallel.h"
#include "stakes/systems.h"
#include "stakes/wheel_generator.h"
#include "test_support.h"

namespace tavlora {
namespace {

using test::TempDir;

std::string readBytes(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TComb comb(uint8_t a, uint8_t b, uint8_t c, uint8_t d, uint8_t e) { return TComb{{a, b, c, d, e}}; }

// A quick search: few steps per round and few rounds, so that the sanitizer build stays fast.
TWheelOptions quickOptions(int k, int t, uint64_t seed) {
    TWheelOptions o;
    o.numbers = k;
    o.guarantee = t;
    o.seed = seed;
    o.seconds = 0;  // no time limit: the search ends on its own, so the result is fixed by the seed
    o.streams = 4;
    o.roundIterations = 600;
    o.patienceRounds = 3;
    return o;
}

TEST(WheelGenerator, SchoenheimBoundOfHandCheckedCases) {
    struct Case {
        int k, block, t;
        int64_t bound;
    };
    // L(v,k,t) = ceil(v/k * L(v-1,k-1,t-1)), L(.,.,0) = 1, worked out by hand:
    const Case cases[] = {
        {6, 5, 2, 3},     // ceil(6/5 * ceil(5/4)) = ceil(2.4)
        {9, 5, 2, 4},     // ceil(9/5 * 2) = ceil(3.6)
        {10, 5, 3, 14},   // ceil(10/5 * ceil(9/4 * ceil(8/3))) = 2 * ceil(6.75)
        {17, 5, 3, 68},   // 17/5 * ceil(16/4 * ceil(15/3)) = 17/5 * 20
        {12, 5, 4, 113},  // ceil(12/5 * ceil(11/4 * ceil(10/3 * ceil(9/2)))) = ceil(12/5 * 47)
        {7, 5, 1, 2},     // ceil(7/5)
        {69, 5, 2, 235},  // ceil(69/5 * 17) = ceil(234.6)
        {8, 5, 0, 1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(schoenheimBound(c.k, c.block, c.t), c.bound) << "K=" << c.k << " t=" << c.t;
}

TEST(WheelGenerator, VerifierFindsTheFirstUncoveredSetAndRefusesBadBlocks) {
    struct Case {
        const char* name;
        std::vector<TComb> blocks;
        int k, t;
        bool valid;
        int64_t uncovered;
        std::vector<int> first;
    };
    const Case cases[] = {
        {"complete pairs of 6", {comb(1, 2, 3, 4, 5), comb(1, 2, 3, 4, 6), comb(1, 2, 3, 5, 6)}, 6, 2, true, 0, {}},
        {"pair 5-6 missing", {comb(1, 2, 3, 4, 5), comb(1, 2, 3, 4, 6)}, 6, 2, true, 1, {5, 6}},
        {"unsorted blocks count too", {comb(5, 4, 3, 2, 1), comb(6, 4, 3, 2, 1), comb(6, 5, 3, 2, 1)}, 6, 2, true, 0, {}},
        {"no blocks", {}, 6, 2, true, 15, {1, 2}},
        // Every 3-set of 7 misses some block's two absent points only with the five pairs
        // 12, 34, 56, 57, 67 absent: the complements of a triangle and two edges.
        {"triples of 7",
         {comb(3, 4, 5, 6, 7), comb(1, 2, 5, 6, 7), comb(1, 2, 3, 4, 7), comb(1, 2, 3, 4, 6), comb(1, 2, 3, 4, 5)},
         7, 3, true, 0, {}},
        // Without the block missing 6 and 7, the 4-sets {1 or 2, 3 or 4, 6, 7} hold no absent
        // pair: their complements 135, 145, 235, 245 are uncovered.
        {"four triples of 7 short",
         {comb(3, 4, 5, 6, 7), comb(1, 2, 5, 6, 7), comb(1, 2, 3, 4, 7), comb(1, 2, 3, 4, 6)}, 7, 3, true, 4, {1, 3, 5}},
        {"position beyond K", {comb(1, 2, 3, 4, 7)}, 6, 2, false, 0, {}},
        {"position 0", {comb(0, 2, 3, 4, 5)}, 6, 2, false, 0, {}},
        {"repeated position", {comb(1, 2, 3, 3, 5)}, 6, 2, false, 0, {}},
    };
    for (const Case& c : cases) {
        const TWheelCheck check = verifyWheel(c.blocks, c.k, c.t);
        EXPECT_EQ(check.valid, c.valid) << c.name;
        if (!c.valid) {
            EXPECT_FALSE(check.covers()) << c.name;
            EXPECT_FALSE(check.error.empty()) << c.name;
            continue;
        }
        EXPECT_EQ(check.uncovered, c.uncovered) << c.name;
        EXPECT_EQ(check.firstUncovered, c.first) << c.name;
        EXPECT_EQ(check.covers(), c.uncovered == 0) << c.name;
    }
}

TEST(WheelGenerator, SearchCoversNeverExceedsGreedyAndEveryBlockIsNeeded) {
    struct Case {
        int k, t;
    };
    const Case cases[] = {{6, 2}, {9, 2}, {13, 2}, {7, 3}, {10, 3}, {12, 3}, {8, 4}, {11, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE("K=" + std::to_string(c.k) + " t=" + std::to_string(c.t));
        const std::vector<TComb> greedy = greedyWheel(c.k, c.t);
        ASSERT_TRUE(verifyWheel(greedy, c.k, c.t).covers());
        NullProgress progress;
        const TWheelResult wheel = generateWheel(quickOptions(c.k, c.t, 7), progress);
        EXPECT_FALSE(wheel.timedOut);
        EXPECT_FALSE(wheel.stopped);
        EXPECT_EQ(wheel.greedySize, static_cast<int64_t>(greedy.size()));
        EXPECT_EQ(wheel.lowerBound, schoenheimBound(c.k, 5, c.t));
        ASSERT_TRUE(verifyWheel(wheel.blocks, c.k, c.t).covers());
        EXPECT_LE(wheel.size(), wheel.greedySize);
        EXPECT_GE(wheel.size(), wheel.lowerBound);
        // Blocks hold ascending positions and come in ascending order.
        for (const TComb& b : wheel.blocks) EXPECT_TRUE(std::is_sorted(b.n.begin(), b.n.end()));
        EXPECT_TRUE(std::is_sorted(wheel.blocks.begin(), wheel.blocks.end(),
                                   [](const TComb& a, const TComb& b) { return a.n < b.n; }));
        // No block is redundant: without any one of them some t-set goes uncovered (a deliberately
        // broken wheel is caught).
        for (size_t i = 0; i < wheel.blocks.size(); ++i) {
            std::vector<TComb> broken = wheel.blocks;
            broken.erase(broken.begin() + static_cast<long>(i));
            EXPECT_GT(verifyWheel(broken, c.k, c.t).uncovered, 0) << "block " << i;
        }
    }
    // The search finds what the literature proves optimal in these small cases.
    NullProgress progress;
    EXPECT_EQ(generateWheel(quickOptions(10, 2, 1), progress).size(), 6);  // the Schönheim bound
    EXPECT_EQ(generateWheel(quickOptions(8, 3, 1), progress).size(), 8);  // greedy: 9
}

// Remembers what a long operation shows.
class RecordingProgress : public Progress {
public:
    void setText(const std::string& text) override { texts.push_back(text); }
    void setMaximum(int64_t maximum) override { this->maximum = maximum; }
    void setPosition(int64_t position) override { positions.push_back(position); }
    void pump() override { ++pumps; }
    bool stopRequested() const override { return false; }
    std::vector<std::string> texts;
    std::vector<int64_t> positions;
    int64_t maximum = 0;
    int pumps = 0;
};

TEST(WheelGenerator, ProgressShowsTheSizeAndEndsFullAndCleared) {
    RecordingProgress progress;
    const TWheelResult wheel = generateWheel(quickOptions(12, 3, 3), progress);
    EXPECT_EQ(progress.maximum, 1000);
    ASSERT_FALSE(progress.positions.empty());
    EXPECT_TRUE(std::is_sorted(progress.positions.begin(), progress.positions.end()));
    EXPECT_EQ(progress.positions.back(), 1000);
    EXPECT_GE(progress.pumps, wheel.rounds);
    ASSERT_GE(progress.texts.size(), 2u);
    EXPECT_EQ(progress.texts.front(), "Создание системы для 12 чисел (гарантия 3 из 3)...");
    EXPECT_EQ(progress.texts[progress.texts.size() - 2],
              "Создание системы для 12 чисел (гарантия 3 из 3)... " + std::to_string(wheel.size()) + " комбинаций");
    EXPECT_EQ(progress.texts.back(), "");
}

TEST(WheelGenerator, SameSeedSameWheelOnAnyNumberOfCores) {
    NullProgress progress;
    std::vector<std::vector<TComb>> results;
    for (unsigned workers : {1u, 2u, 3u}) {
        setWorkerCountOverride(workers);
        results.push_back(generateWheel(quickOptions(13, 3, 42), progress).blocks);
    }
    setWorkerCountOverride(0);
    ASSERT_FALSE(results[0].empty());
    EXPECT_EQ(results[0], results[1]);
    EXPECT_EQ(results[0], results[2]);
    // The seed does steer the search: some other seed gives another wheel.
    bool differs = false;
    for (uint64_t seed = 43; seed < 48 && !differs; ++seed)
        differs = generateWheel(quickOptions(13, 3, seed), progress).blocks != results[0];
    EXPECT_TRUE(differs);
}

TEST(WheelGenerator, StopAndTimeLimitStillGiveCompleteWheels) {
    // A stop requested before the start ends the greedy cover early (K=20, t=3 needs well over
    // 64 greedy blocks): the t-sets left get blocks of their own and the wheel still covers.
    NullProgress stopped;
    stopped.requestStop();
    const TWheelResult early = generateWheel(quickOptions(20, 3, 1), stopped);
    EXPECT_TRUE(early.stopped);
    EXPECT_FALSE(early.timedOut);
    EXPECT_EQ(early.rounds, 0);  // the stop was seen in the greedy cover, before any search round
    EXPECT_TRUE(verifyWheel(early.blocks, 20, 3).covers());

    // A time limit far below one round.
    TWheelOptions o = quickOptions(14, 3, 1);
    o.seconds = 1e-9;
    NullProgress progress;
    const TWheelResult cut = generateWheel(o, progress);
    EXPECT_TRUE(cut.timedOut);
    EXPECT_FALSE(cut.stopped);
    EXPECT_TRUE(verifyWheel(cut.blocks, 14, 3).covers());
    EXPECT_LE(cut.size(), cut.greedySize);
}

TEST(WheelGenerator, AWheelForOneNumberLessIsExtended) {
    // The shipped 17-number wheel for 3 of 3 is the Steiner system S(3,5,17) (68 = the bound):
    // with blocks through an 18th number it starts far below the greedy cover of 18 numbers.
    TempDir dir;
    const auto systems = dir / kSystemsFolder;
    const auto shipped = std::filesystem::path(TAVLORA_SAMPLE_DIR).parent_path() / "systems" / wheelFileName(17, 3);
    std::filesystem::create_directories(systems);
    std::filesystem::copy_file(shipped, systems / wheelFileName(17, 3));
    const std::vector<TComb> base = readWheelBase(systems, 18, 3);
    ASSERT_EQ(base.size(), 68u);
    EXPECT_TRUE(readWheelBase(systems, 17, 3).empty());  // no 16-number wheel there
    EXPECT_TRUE(readWheelBase(systems, 18, 2).empty());  // another guarantee

    NullProgress progress;
    TWheelOptions o = quickOptions(18, 3, 1);
    o.patienceRounds = 1;
    o.base = base;
    const TWheelResult wheel = generateWheel(o, progress);
    EXPECT_TRUE(wheel.extendedBase);
    EXPECT_TRUE(verifyWheel(wheel.blocks, 18, 3).covers());
    // 68 + a greedy cover of the pairs of 17 numbers by 4-sets (at least 26 of them).
    EXPECT_LE(wheel.size(), 100);
    EXPECT_LT(wheel.size(), wheel.greedySize);

    // A base that does not cover its K-1 numbers is no start.
    o.base.pop_back();
    const TWheelResult plain = generateWheel(o, progress);
    EXPECT_FALSE(plain.extendedBase);
    EXPECT_TRUE(verifyWheel(plain.blocks, 18, 3).covers());

    // Neither is a damaged file.
    {
        std::ofstream out(systems / wheelFileName(17, 3), std::ios::binary | std::ios::app);
        out << "01 02 03 04 18\r\n";
    }
    EXPECT_TRUE(readWheelBase(systems, 18, 3).empty());
}

TEST(WheelGenerator, ParametersOutsideTheRangeAreRefused) {
    NullProgress progress;
    for (auto [k, t] : {std::pair{5, 2}, std::pair{70, 2}, std::pair{12, 0}, std::pair{12, 5}}) {
        EXPECT_THROW(generateWheel(quickOptions(k, t, 1), progress), EError) << k << " " << t;
        EXPECT_THROW(greedyWheel(k, t), EError) << k << " " << t;
    }
}

TEST(WheelGenerator, SavedWheelIsAnOrdinarySystemAndASmallerFileIsKept) {
    TempDir dir;
    const auto systems = dir / kSystemsFolder;
    NullProgress progress;
    TWheelResult wheel = generateWheel(quickOptions(9, 3, 1), progress);
    ASSERT_TRUE(verifyWheel(wheel.blocks, 9, 3).covers());

    const TWheelSave first = saveWheel(systems, wheel);
    EXPECT_TRUE(first.written);
    EXPECT_EQ(first.file, systems / "5-09-3_0000.dat");
    EXPECT_EQ(wheelFileName(9, 3), "5-09-3_0000.dat");
    EXPECT_EQ(wheelFileText({comb(1, 2, 3, 4, 7), comb(2, 5, 6, 8, 9)}), "01 02 03 04 07\r\n02 05 06 08 09\r\n");
    EXPECT_EQ(readBytes(first.file), wheelFileText(wheel.blocks));
    EXPECT_EQ(readSystemPositions(first.file, 9), wheel.blocks);

    // System play finds it for nine numbers and maps positions onto them.
    const TByteArray numbers{4, 8, 15, 16, 23, 42, 50, 60, 69};
    const TSystemLookup lookup = findSystem(systems, numbers, nullptr);
    ASSERT_TRUE(lookup.ok) << lookup.error;
    ASSERT_EQ(lookup.combinations.size(), wheel.blocks.size());
    for (size_t j = 0; j < 5; ++j) EXPECT_EQ(lookup.combinations[0].n[j], numbers[wheel.blocks[0].n[j] - 1u]);

    // A larger wheel does not replace the smaller file.
    TWheelResult larger = wheel;
    larger.blocks.push_back(comb(1, 2, 3, 4, 5));
    const TWheelSave kept = saveWheel(systems, larger);
    EXPECT_FALSE(kept.written);
    EXPECT_EQ(kept.existingSize, wheel.size());
    EXPECT_EQ(readSystemPositions(first.file, 9), wheel.blocks);

    // A damaged file is replaced, even by a larger wheel.
    {
        std::ofstream out(first.file, std::ios::binary | std::ios::trunc);
        out << "01 02 03 04 05\r\n";
    }
    EXPECT_TRUE(saveWheel(systems, larger).written);
    EXPECT_EQ(readSystemPositions(first.file, 9).size(), larger.blocks.size());

    // A wheel that does not keep its guarantee is never written.
    TWheelResult broken = wheel;
    broken.blocks.pop_back();
    broken.numbers = 10;  // a new file name: nothing to keep
    EXPECT_THROW(saveWheel(systems, broken), EError);
    EXPECT_FALSE(std::filesystem::exists(systems / "5-10-3_0000.dat"));
}

}  // namespace
}  // namespace tavlora
