#include "stakes/wheel_generator.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <functional>
#include <numeric>

#include "core/error.h"
#include "core/file_util.h"
#include "core/format.h"
#include "core/parallel.h"
#include "stakes/systems.h"
#include "stakes/systems_seed.h"

namespace tavlora {

namespace {

constexpr int kBlock = 5;  // numbers per ticket

// Binomial coefficients C(n, k) for n 0..70, k 0..5.
constexpr std::size_t kBinomRows = kWheelMaxNumbers + 2;
struct Binomials {
    std::array<std::array<uint64_t, kBlock + 1>, kBinomRows> c{};
    constexpr Binomials() {
        for (std::size_t n = 0; n < kBinomRows; ++n) {
            c[n][0] = 1;
            for (std::size_t k = 1; k <= kBlock; ++k) c[n][k] = n == 0 ? 0 : c[n - 1][k - 1] + c[n - 1][k];
        }
    }
    constexpr uint64_t operator()(int n, int k) const {
        return n < 0 || k < 0 || k > kBlock ? 0 : c[static_cast<std::size_t>(n)][static_cast<std::size_t>(k)];
    }
};
constexpr Binomials kBinom;

const Binomials& binom() { return kBinom; }

// Colex rank of the ascending 0-based points p[0..count): sum of C(p[i], i + 1).
inline uint32_t colexRank(const uint8_t* p, int count) {
    uint64_t r = 0;
    for (int i = 0; i < count; ++i) r += kBinom.c[p[i]][static_cast<std::size_t>(i + 1)];
    return static_cast<uint32_t>(r);
}

// The ascending 0-based points of the subset with colex rank r among the count-subsets.
void colexUnrank(uint64_t r, int count, int numbers, uint8_t* out) {
    const Binomials& b = binom();
    int p = numbers - 1;
    for (int i = count; i >= 1; --i) {
        while (b(p, i) > r) --p;
        out[i - 1] = static_cast<uint8_t>(p);
        r -= b(p, i);
        --p;
    }
}

// A set of up to 128 points 0..127 (K is at most 69).
struct Mask {
    uint64_t lo = 0, hi = 0;
    void set(int p) {
        if (p < 64)
            lo |= uint64_t{1} << p;
        else
            hi |= uint64_t{1} << (p - 64);
    }
    bool has(int p) const { return p < 64 ? (lo >> p) & 1u : (hi >> (p - 64)) & 1u; }
};

// A ticket: five ascending 0-based points and their mask.
struct Block {
    std::array<uint8_t, kBlock> p{};
    Mask m;
    void fill(const uint8_t* points) {
        std::copy(points, points + kBlock, p.begin());
        std::sort(p.begin(), p.end());
        m = Mask{};
        for (uint8_t x : p) m.set(x);
    }
};

// The t-sets of K points: their count, the points of each by colex rank, and which positions of
// a block make up each of its C(5, t) t-subsets.
struct TSpace {
    int numbers = 0;
    int t = 0;
    uint32_t count = 0;
    std::vector<std::array<uint8_t, 4>> points;  // by rank
    std::vector<std::array<uint8_t, 4>> patterns;      // index sets of size t within 0..4
    std::vector<std::array<uint8_t, 4>> restPatterns;  // index sets of size t-1 within 0..3
    // The rank of the t-set S + {x} for a (t-1)-set S (by its colex rank) and a point x not in
    // it, at x * C(K, t-1) + rank(S): the search's hot loop ranks a t-set with one look-up.
    std::vector<uint32_t> withPoint;
    uint32_t lowerCount = 0;  // C(K, t-1)

    TSpace(int k, int guarantee) : numbers(k), t(guarantee) {
        count = static_cast<uint32_t>(binom()(k, guarantee));
        points.resize(count);
        for (uint32_t r = 0; r < count; ++r) colexUnrank(r, t, k, points[r].data());
        patterns = indexSets(kBlock, t);
        restPatterns = indexSets(kBlock - 1, t - 1);
        lowerCount = static_cast<uint32_t>(binom()(k, guarantee - 1));
        withPoint.assign(static_cast<std::size_t>(k) * lowerCount, 0);
        const int lowerSize = std::clamp(t - 1, 0, 3);
        for (uint32_t rs = 0; rs < lowerCount; ++rs) {
            uint8_t lower[4] = {};
            colexUnrank(rs, lowerSize, k, lower);
            for (int x = 0; x < k; ++x) {
                if (std::find(lower, lower + lowerSize, x) != lower + lowerSize) continue;
                // S + {x} in ascending order.
                uint8_t all[kBlock] = {};
                int m = 0, j = 0;
                for (; j < lowerSize && lower[j] < x; ++j) all[m++] = lower[j];
                all[m++] = static_cast<uint8_t>(x);
                for (; j < lowerSize; ++j) all[m++] = lower[j];
                withPoint[static_cast<std::size_t>(x) * lowerCount + rs] = colexRank(all, lowerSize + 1);
            }
        }
    }
    // The size-m subsets of 0..n-1 as index lists, in lexicographic order.
    static std::vector<std::array<uint8_t, 4>> indexSets(int n, int m) {
        std::vector<std::array<uint8_t, 4>> out;
        std::array<uint8_t, 4> idx{};
        for (int i = 0; i < m; ++i) idx[static_cast<std::size_t>(i)] = static_cast<uint8_t>(i);
        for (;;) {
            out.push_back(idx);
            int i = m - 1;
            while (i >= 0 && idx[static_cast<std::size_t>(i)] == n - m + i) --i;
            if (i < 0) break;
            ++idx[static_cast<std::size_t>(i)];
            for (int j = i + 1; j < m; ++j) idx[static_cast<std::size_t>(j)] = static_cast<uint8_t>(idx[static_cast<std::size_t>(j - 1)] + 1);
        }
        return out;
    }
    int subsetsPerBlock() const { return static_cast<int>(patterns.size()); }
    // The colex ranks of the block's t-subsets.
    void ranks(const Block& b, uint32_t* out) const {
        for (std::size_t s = 0; s < patterns.size(); ++s) {
            uint8_t pts[4];
            for (int i = 0; i < t; ++i) pts[i] = b.p[patterns[s][static_cast<std::size_t>(i)]];
            out[s] = colexRank(pts, t);
        }
    }
};

// xoshiro256** seeded through splitmix64: the same numbers on every machine.
class Rng {
public:
    explicit Rng(uint64_t seed) {
        for (auto& w : s_) {
            seed += 0x9E3779B97F4A7C15ull;
            uint64_t z = seed;
            z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
            z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
            w = z ^ (z >> 31);
        }
    }
    uint64_t next() {
        const uint64_t result = rotl(s_[1] * 5, 7) * 9;
        const uint64_t t = s_[1] << 17;
        s_[2] ^= s_[0];
        s_[3] ^= s_[1];
        s_[1] ^= s_[2];
        s_[0] ^= s_[3];
        s_[2] ^= t;
        s_[3] = rotl(s_[3], 45);
        return result;
    }
    // Uniform in 0..n-1 for n < 2^32.
    uint32_t below(uint32_t n) { return static_cast<uint32_t>(((next() >> 32) * n) >> 32); }

private:
    static uint64_t rotl(uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }
    std::array<uint64_t, 4> s_{};
};

// A set of blocks with, for every t-set, the number of blocks holding it and the list of the
// t-sets no block holds.
class CoverState {
public:
    explicit CoverState(const TSpace& space) : space_(space), cov_(space.count, 0), pos_(space.count, -1) {}

    void assign(const std::vector<Block>& blocks) {
        blocks_ = blocks;
        std::fill(cov_.begin(), cov_.end(), 0u);
        uint32_t r[10];
        for (const Block& b : blocks_) {
            space_.ranks(b, r);
            for (int s = 0; s < space_.subsetsPerBlock(); ++s) ++cov_[r[s]];
        }
        uncovered_.clear();
        std::fill(pos_.begin(), pos_.end(), -1);
        for (uint32_t x = 0; x < space_.count; ++x)
            if (cov_[x] == 0) addUncovered(x);
    }

    const std::vector<Block>& blocks() const { return blocks_; }
    std::size_t uncoveredCount() const { return uncovered_.size(); }
    uint32_t uncoveredAt(std::size_t i) const { return uncovered_[i]; }

    // How many t-sets would lose their only block if block i went.
    int loss(std::size_t i) const {
        uint32_t r[10];
        space_.ranks(blocks_[i], r);
        int n = 0;
        for (int s = 0; s < space_.subsetsPerBlock(); ++s) n += cov_[r[s]] == 1;
        return n;
    }

    void removeBlock(std::size_t i) {
        uint32_t r[10];
        space_.ranks(blocks_[i], r);
        for (int s = 0; s < space_.subsetsPerBlock(); ++s)
            if (--cov_[r[s]] == 0) addUncovered(r[s]);
        blocks_[i] = blocks_.back();
        blocks_.pop_back();
    }

    // Change of the uncovered count if point `out` of block i gave way to point `in` (not in the
    // block): the t-sets through `out` holding only this block are lost, those through `in` held
    // by no block are won; the others keep their count.
    int swapDelta(std::size_t i, int out, int in) const {
        const Block& b = blocks_[i];
        std::array<uint8_t, kBlock> rest{};
        std::size_t m = 0;
        for (uint8_t x : b.p)
            if (x != out) rest[m++] = x;
        int d = 0;
        const int others = space_.t - 1;
        const uint32_t* withOut = space_.withPoint.data() + static_cast<std::size_t>(out) * space_.lowerCount;
        const uint32_t* withIn = space_.withPoint.data() + static_cast<std::size_t>(in) * space_.lowerCount;
        for (const auto& pattern : space_.restPatterns) {
            // The (t-1)-subset of the other four points (ascending, as the block's points are).
            uint8_t lower[4];
            for (int j = 0; j < others; ++j) lower[j] = rest[pattern[static_cast<std::size_t>(j)]];
            const uint32_t rs = colexRank(lower, others);
            d += cov_[withOut[rs]] == 1;
            d -= cov_[withIn[rs]] == 0;
        }
        return d;
    }

    // Block i becomes nb.
    void replace(std::size_t i, const Block& nb) {
        uint32_t oldR[10], newR[10];
        space_.ranks(blocks_[i], oldR);
        space_.ranks(nb, newR);
        const int n = space_.subsetsPerBlock();
        for (int s = 0; s < n; ++s)
            if (!contains(newR, n, oldR[s]) && --cov_[oldR[s]] == 0) addUncovered(oldR[s]);
        for (int s = 0; s < n; ++s)
            if (!contains(oldR, n, newR[s]) && cov_[newR[s]]++ == 0) dropUncovered(newR[s]);
        blocks_[i] = nb;
    }

private:
    static bool contains(const uint32_t* r, int n, uint32_t x) {
        for (int s = 0; s < n; ++s)
            if (r[s] == x) return true;
        return false;
    }
    void addUncovered(uint32_t x) {
        pos_[x] = static_cast<int32_t>(uncovered_.size());
        uncovered_.push_back(x);
    }
    void dropUncovered(uint32_t x) {
        const int32_t at = pos_[x];
        const uint32_t last = uncovered_.back();
        uncovered_[static_cast<std::size_t>(at)] = last;
        pos_[last] = at;
        uncovered_.pop_back();
        pos_[x] = -1;
    }

    const TSpace& space_;
    std::vector<Block> blocks_;
    std::vector<uint32_t> cov_;
    std::vector<int32_t> pos_;
    std::vector<uint32_t> uncovered_;
};

// Removes blocks whose every t-subset another block also holds, last first.
void dropRedundant(CoverState& state) {
    for (std::size_t i = state.blocks().size(); i-- > 0;)
        if (state.loss(i) == 0) state.removeBlock(i);
}

// One search stream: a tabu search on the number of uncovered t-sets with a fixed number of
// blocks. A step takes a random uncovered t-set T and, among the blocks meeting T in t-1 points,
// makes the swap (one of the block's points outside T out, the missing point of T in) that
// leaves the fewest t-sets uncovered, ties drawn at random. A point swapped out of a block may
// not come back into it for a while (the tabu tenure) unless that swap completes the cover.
// Whenever nothing is uncovered the stream keeps that cover as its best and removes the block
// whose loss uncovers the fewest t-sets.
class Stream {
public:
    Stream(const TSpace& space, uint64_t seed) : space_(space), rng_(seed), state_(space) {}

    // Starts from a complete cover: it becomes the stream's best, then one block goes (the
    // cheapest one, or a random one to look elsewhere).
    void reset(const std::vector<Block>& cover, bool randomRemoval) {
        best_ = cover;
        state_.assign(cover);
        stale_ = 0;
        if (cover.size() > 1) removeOne(randomRemoval);
    }

    std::size_t bestSize() const { return best_.size(); }
    const std::vector<Block>& best() const { return best_; }
    // Rounds in a row without a smaller cover.
    int stale() const { return stale_; }

    // Runs up to `iterations` steps; returns false when cut by the deadline or a stop.
    template <typename Cut>
    bool run(int iterations, Cut&& cut) {
        const std::size_t before = best_.size();
        for (int it = 0; it < iterations; ++it) {
            if ((it & 255) == 0 && cut()) return false;
            if (state_.blocks().empty()) break;
            if (state_.uncoveredCount() == 0) {
                dropRedundant(state_);
                best_ = state_.blocks();
                if (best_.size() <= 1) break;
                removeOne(false);
                continue;
            }
            step();
        }
        stale_ = best_.size() < before ? 0 : stale_ + 1;
        return true;
    }

private:
    static constexpr uint32_t kTenure = 10;  // a swap stays tabu for kTenure..2*kTenure steps

    void removeOne(bool random) {
        dropRedundant(state_);
        const auto& blocks = state_.blocks();
        if (blocks.empty()) return;
        std::size_t pick = 0;
        if (random) {
            pick = rng_.below(static_cast<uint32_t>(blocks.size()));
        } else {
            int bestLoss = 1 << 30, ties = 0;
            for (std::size_t i = 0; i < blocks.size(); ++i) {
                const int l = state_.loss(i);
                if (l < bestLoss) {
                    bestLoss = l;
                    pick = i;
                    ties = 1;
                } else if (l == bestLoss && rng_.below(static_cast<uint32_t>(++ties)) == 0) {
                    pick = i;
                }
            }
        }
        state_.removeBlock(pick);
        // Block indices changed: the tabu marks no longer fit.
        tabu_.assign(state_.blocks().size() * static_cast<std::size_t>(space_.numbers), 0);
    }

    void step() {
        ++iteration_;
        const int t = space_.t;
        const std::size_t k = static_cast<std::size_t>(space_.numbers);
        const auto& blocks = state_.blocks();
        const int uncovered = static_cast<int>(state_.uncoveredCount());
        const auto& tp = space_.points[state_.uncoveredAt(rng_.below(static_cast<uint32_t>(uncovered)))];
        Mask tm;
        std::array<uint8_t, kBinomRows> inT{};
        for (std::size_t i = 0; i < static_cast<std::size_t>(t); ++i) {
            tm.set(tp[i]);
            inT[tp[i]] = 1;
        }
        int bestDelta = 0, ties = 0;
        std::size_t bestBlock = 0;
        int bestOut = -1, bestIn = -1;
        for (std::size_t i = 0; i < blocks.size(); ++i) {
            const Block& b = blocks[i];
            if (inT[b.p[0]] + inT[b.p[1]] + inT[b.p[2]] + inT[b.p[3]] + inT[b.p[4]] != t - 1) continue;
            int in = -1;
            for (std::size_t j = 0; j < static_cast<std::size_t>(t); ++j)
                if (!b.m.has(tp[j])) in = tp[j];
            const bool tabu = tabu_[i * k + static_cast<std::size_t>(in)] > iteration_;
            for (uint8_t out : b.p) {
                if (tm.has(out)) continue;
                const int d = state_.swapDelta(i, out, in);
                if (tabu && d != -uncovered) continue;  // a tabu swap only when it completes the cover
                if (ties == 0 || d < bestDelta) {
                    bestDelta = d;
                    ties = 1;
                } else if (d != bestDelta || rng_.below(static_cast<uint32_t>(++ties)) != 0) {
                    continue;
                }
                bestBlock = i;
                bestOut = out;
                bestIn = in;
            }
        }
        if (ties == 0) {
            // Every swap that would cover T is tabu, or no block is one point away from it: a
            // random block is rebuilt around T.
            const std::size_t i = rng_.below(static_cast<uint32_t>(blocks.size()));
            uint8_t pts[kBlock];
            int m = 0;
            for (std::size_t j = 0; j < static_cast<std::size_t>(t); ++j) pts[m++] = tp[j];
            for (uint8_t x : blocks[i].p)
                if (!tm.has(x) && m < kBlock) pts[m++] = x;
            while (m < kBlock) {
                const uint8_t x = static_cast<uint8_t>(rng_.below(static_cast<uint32_t>(space_.numbers)));
                if (std::find(pts, pts + m, x) == pts + m) pts[m++] = x;
            }
            Block nb;
            nb.fill(pts);
            state_.replace(i, nb);
            return;
        }
        uint8_t pts[kBlock];
        for (std::size_t j = 0; j < kBlock; ++j) {
            const uint8_t x = blocks[bestBlock].p[j];
            pts[j] = x == bestOut ? static_cast<uint8_t>(bestIn) : x;
        }
        Block nb;
        nb.fill(pts);
        state_.replace(bestBlock, nb);
        tabu_[bestBlock * k + static_cast<std::size_t>(bestOut)] = iteration_ + kTenure + rng_.below(kTenure + 1);
    }

    const TSpace& space_;
    Rng rng_;
    CoverState state_;
    std::vector<Block> best_;
    int stale_ = 0;
    std::vector<uint64_t> tabu_;  // per block and point: the step until which it may not come back
    uint64_t iteration_ = 0;
};

std::vector<Block> toBlocks(const std::vector<TComb>& combs) {
    std::vector<Block> out;
    out.reserve(combs.size());
    for (const TComb& c : combs) {
        uint8_t pts[kBlock];
        for (std::size_t i = 0; i < kBlock; ++i) pts[i] = static_cast<uint8_t>(c.n[i] - 1);
        Block b;
        b.fill(pts);
        out.push_back(b);
    }
    return out;
}

std::vector<TComb> toCombs(const std::vector<Block>& blocks) {
    std::vector<TComb> out;
    out.reserve(blocks.size());
    for (const Block& b : blocks) {
        TComb c;
        for (int i = 0; i < kBlock; ++i) c.n[static_cast<std::size_t>(i)] = static_cast<uint8_t>(b.p[static_cast<std::size_t>(i)] + 1);
        out.push_back(c);
    }
    std::sort(out.begin(), out.end(), [](const TComb& a, const TComb& b) { return a.n < b.n; });
    return out;
}

constexpr int kStaleRounds = 6;  // rounds without a smaller cover before a stream starts afresh
constexpr const char* kWheelProgressText = "Создание системы для %d чисел (гарантия %d из %d)...";
constexpr const char* kWheelProgressSize = "%d комбинаций";

void checkParameters(int numbers, int guarantee) {
    if (numbers < kWheelMinNumbers || numbers > kWheelMaxNumbers)
        throw EError(fmt("Количество чисел системы должно быть от %d до %d (указано %d).", kWheelMinNumbers,
                         kWheelMaxNumbers, numbers));
    if (guarantee < kWheelMinGuarantee || guarantee > kWheelMaxGuarantee)
        throw EError(fmt("Гарантия системы должна быть от %d до %d (указано %d).", kWheelMinGuarantee,
                         kWheelMaxGuarantee, guarantee));
}

// The plain greedy cover (see greedyWheel), completing the given initial blocks (none: from
// scratch). `stop`, when given, is asked now and then; once it says yes, every t-set still
// uncovered gets a block of its own (the t-set and the smallest other points), so that the
// result is a complete cover at once.
std::vector<Block> greedyCover(const TSpace& space, const std::function<bool()>& stop,
                               const std::vector<Block>& initial = {}) {
    const int numbers = space.numbers;
    const int t = space.t;
    const int per = space.subsetsPerBlock();
    const uint64_t nBlocks = binom()(numbers, kBlock);
    // For every block (by colex rank) the number of its t-subsets not yet covered, and how many
    // blocks there are at each such number.
    std::vector<uint8_t> count(nBlocks, static_cast<uint8_t>(per));
    std::vector<uint64_t> perLevel(static_cast<std::size_t>(per) + 1, 0);
    perLevel[static_cast<std::size_t>(per)] = nBlocks;
    std::vector<uint64_t> cursor(static_cast<std::size_t>(per) + 1, 0);
    std::vector<bool> covered(space.count, false);
    std::vector<Block> chosen = initial;
    if (!initial.empty()) {
        uint32_t ranks[10];
        for (const Block& b : initial) {
            space.ranks(b, ranks);
            for (int s = 0; s < per; ++s) covered[ranks[s]] = true;
        }
        // Count again, walking the blocks in colex order.
        std::fill(perLevel.begin(), perLevel.end(), 0);
        std::array<uint8_t, kBlock + 1> p{0, 1, 2, 3, 4, static_cast<uint8_t>(numbers)};
        for (uint64_t r = 0; r < nBlocks; ++r) {
            Block b;
            b.fill(p.data());
            space.ranks(b, ranks);
            int c = 0;
            for (int s = 0; s < per; ++s) c += !covered[ranks[s]];
            count[r] = static_cast<uint8_t>(c);
            ++perLevel[static_cast<std::size_t>(c)];
            // The colex successor: raise the first point that can rise, reset those below it.
            std::size_t i = 0;
            while (i < kBlock && p[i] + 1 == p[i + 1]) ++i;
            if (i == kBlock) break;
            ++p[i];
            for (std::size_t j = 0; j < i; ++j) p[j] = static_cast<uint8_t>(j);
        }
    }
    std::vector<uint8_t> others;
    others.reserve(static_cast<std::size_t>(numbers));
    const int extra = kBlock - t;
    int level = per;
    for (;;) {
        while (level > 0 && perLevel[static_cast<std::size_t>(level)] == 0) --level;
        if (level == 0) break;
        if (stop && chosen.size() % 64 == 63 && stop()) {
            for (uint32_t r = 0; r < space.count; ++r) {
                if (covered[r]) continue;
                uint8_t pts[kBlock];
                int m = 0;
                for (int i = 0; i < t; ++i) pts[m++] = space.points[r][static_cast<std::size_t>(i)];
                for (int x = 0; m < kBlock; ++x)
                    if (std::find(pts, pts + t, x) == pts + t) pts[m++] = static_cast<uint8_t>(x);
                Block b;
                b.fill(pts);
                chosen.push_back(b);
                uint32_t ranks[10];
                space.ranks(b, ranks);
                for (int s = 0; s < per; ++s) covered[ranks[s]] = true;
            }
            break;
        }
        // The first block at this level: blocks before the level's cursor hold fewer uncovered
        // t-sets (the numbers only fall).
        uint64_t& at = cursor[static_cast<std::size_t>(level)];
        while (count[at] != level) ++at;
        Block b;
        uint8_t pts[kBlock];
        colexUnrank(at, kBlock, numbers, pts);
        b.fill(pts);
        chosen.push_back(b);
        uint32_t ranks[10];
        space.ranks(b, ranks);
        for (int s = 0; s < per; ++s) {
            const uint32_t r = ranks[s];
            if (covered[r]) continue;
            covered[r] = true;
            // Every block holding this t-set (the t-set plus `extra` of the other points) has one
            // uncovered t-set less.
            const auto& tp = space.points[r];
            others.clear();
            for (int x = 0, j = 0; x < numbers; ++x) {
                if (j < t && tp[static_cast<std::size_t>(j)] == x)
                    ++j;
                else
                    others.push_back(static_cast<uint8_t>(x));
            }
            const int nOthers = static_cast<int>(others.size());
            std::array<int, kBlock> idx{};
            for (int i = 0; i < extra; ++i) idx[static_cast<std::size_t>(i)] = i;
            for (;;) {
                // The t points and the chosen others merged in ascending order.
                uint8_t all[kBlock] = {};
                int a = 0, o = 0;
                for (std::size_t m = 0; m < kBlock; ++m) {
                    const int fromT = a < t ? tp[static_cast<std::size_t>(a)] : 1000;
                    const int fromO = o < extra ? others[static_cast<std::size_t>(idx[static_cast<std::size_t>(o)])] : 1000;
                    if (fromT < fromO) {
                        all[m] = static_cast<uint8_t>(fromT);
                        ++a;
                    } else {
                        all[m] = static_cast<uint8_t>(fromO);
                        ++o;
                    }
                }
                uint8_t& c = count[colexRank(all, kBlock)];
                --perLevel[c];
                --c;
                ++perLevel[c];
                int i = extra - 1;
                while (i >= 0 && idx[static_cast<std::size_t>(i)] == nOthers - extra + i) --i;
                if (i < 0) break;
                ++idx[static_cast<std::size_t>(i)];
                for (int j = i + 1; j < extra; ++j) idx[static_cast<std::size_t>(j)] = idx[static_cast<std::size_t>(j - 1)] + 1;
            }
        }
    }
    return chosen;
}

}  // namespace

int64_t schoenheimBound(int numbers, int blockSize, int guarantee) {
    if (guarantee <= 0) return 1;
    const int64_t inner = schoenheimBound(numbers - 1, blockSize - 1, guarantee - 1);
    if (blockSize <= 0) return 0;
    return (static_cast<int64_t>(numbers) * inner + blockSize - 1) / blockSize;
}

TWheelCheck verifyWheel(const std::vector<TComb>& blocks, int numbers, int guarantee) {
    TWheelCheck check;
    if (numbers < 1 || numbers > kWheelMaxNumbers || guarantee < 1 || guarantee > kBlock) {
        check.valid = false;
        check.error = fmt("Недопустимые параметры системы: %d чисел, гарантия %d.", numbers, guarantee);
        return check;
    }
    // A t-set (a < b < ...) is marked at the index a*K^(t-1) + b*K^(t-2) + ... (positions 0-based).
    std::size_t cells = 1;
    for (int i = 0; i < guarantee; ++i) cells *= static_cast<std::size_t>(numbers);
    std::vector<bool> marked(cells, false);
    for (std::size_t bi = 0; bi < blocks.size(); ++bi) {
        std::array<int, kBlock> p{};
        for (int i = 0; i < kBlock; ++i) p[static_cast<std::size_t>(i)] = blocks[bi].n[static_cast<std::size_t>(i)];
        std::sort(p.begin(), p.end());
        for (int i = 0; i < kBlock; ++i) {
            const int v = p[static_cast<std::size_t>(i)];
            if (v < 1 || v > numbers || (i > 0 && v == p[static_cast<std::size_t>(i - 1)])) {
                check.valid = false;
                check.error = fmt("Комбинация %d: позиции должны быть разными числами от 1 до %d.", static_cast<int>(bi) + 1, numbers);
                return check;
            }
        }
        // Every t-subset of the five positions, through a bit mask over the five.
        for (unsigned sel = 0; sel < (1u << kBlock); ++sel) {
            if (__builtin_popcount(sel) != guarantee) continue;
            std::size_t index = 0;
            for (int i = 0; i < kBlock; ++i)
                if (sel >> i & 1u) index = index * static_cast<std::size_t>(numbers) + static_cast<std::size_t>(p[static_cast<std::size_t>(i)] - 1);
            marked[index] = true;
        }
    }
    // Walk all t-subsets of 0..K-1 in lexicographic order.
    if (guarantee > numbers) return check;  // no t-set at all
    std::vector<int> s(static_cast<std::size_t>(guarantee));
    std::iota(s.begin(), s.end(), 0);
    for (;;) {
        std::size_t index = 0;
        for (int v : s) index = index * static_cast<std::size_t>(numbers) + static_cast<std::size_t>(v);
        if (!marked[index]) {
            if (check.uncovered == 0)
                for (int v : s) check.firstUncovered.push_back(v + 1);
            ++check.uncovered;
        }
        int i = guarantee - 1;
        while (i >= 0 && s[static_cast<std::size_t>(i)] == numbers - guarantee + i) --i;
        if (i < 0) break;
        ++s[static_cast<std::size_t>(i)];
        for (int j = i + 1; j < guarantee; ++j) s[static_cast<std::size_t>(j)] = s[static_cast<std::size_t>(j - 1)] + 1;
    }
    return check;
}

std::vector<TComb> greedyWheel(int numbers, int guarantee) {
    checkParameters(numbers, guarantee);
    const TSpace space(numbers, guarantee);
    return toCombs(greedyCover(space, nullptr));
}

TWheelResult generateWheel(const TWheelOptions& options, Progress& progress) {
    checkParameters(options.numbers, options.guarantee);
    using Clock = std::chrono::steady_clock;
    const auto started = Clock::now();
    const bool limited = options.seconds > 0;
    const auto deadline =
        started + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(limited ? options.seconds : 0));
    auto cutNow = [&] { return progress.stopRequested() || (limited && Clock::now() >= deadline); };

    TWheelResult result;
    result.numbers = options.numbers;
    result.guarantee = options.guarantee;
    result.lowerBound = schoenheimBound(options.numbers, kBlock, options.guarantee);

    const std::string caption = fmt(kWheelProgressText, options.numbers, options.guarantee, options.guarantee);
    progress.setText(caption);
    progress.setMaximum(1000);
    progress.setPosition(0);
    progress.pump();

    const TSpace space(options.numbers, options.guarantee);
    bool cut = false;
    const std::function<bool()> stopGreedy = [&] {
        progress.pump();
        return cut = cut || cutNow();
    };
    std::vector<Block> best = greedyCover(space, stopGreedy);
    result.greedySize = static_cast<int64_t>(best.size());
    auto pruned = [&](const std::vector<Block>& cover) {
        CoverState start(space);
        start.assign(cover);
        dropRedundant(start);
        return start.blocks();
    };
    best = pruned(best);
    // A wheel for K-1 numbers plus greedy blocks through the new number: a second start, often
    // far better where the smaller wheel is a (near) design.
    if (!cut && !options.base.empty() && verifyWheel(options.base, options.numbers - 1, options.guarantee).covers()) {
        std::vector<Block> extended = pruned(greedyCover(space, stopGreedy, toBlocks(options.base)));
        if (extended.size() < best.size()) {
            best = std::move(extended);
            result.extendedBase = true;
        }
    }

    const int nStreams = std::max(1, options.streams);
    const int patience = std::max(1, options.patienceRounds);
    const int iterations = std::max(1, options.roundIterations);
    std::vector<Stream> streams;
    if (!cut) {
        streams.reserve(static_cast<std::size_t>(nStreams));
        for (int s = 0; s < nStreams; ++s) {
            streams.emplace_back(space, options.seed * 0x100000001B3ull + static_cast<uint64_t>(s));
            // Half the streams begin by dropping a random block instead of the cheapest one.
            streams.back().reset(best, s % 2 == 1);
        }
    }
    int sinceImprovement = 0;
    int64_t gauge = 0;
    while (!cut && static_cast<int64_t>(best.size()) > result.lowerBound && sinceImprovement < patience) {
        std::atomic<bool> anyCut{false};
        parallelForChunks(
            streams.size(),
            [&](std::size_t from, std::size_t to, unsigned) {
                for (std::size_t s = from; s < to; ++s)
                    if (!streams[s].run(iterations, cutNow)) anyCut = true;
            },
            nullptr, 1);
        ++result.rounds;
        // The smallest cover of the round; ties go to the lowest stream, so that the result does
        // not depend on which thread ran which stream.
        std::size_t winner = 0;
        for (std::size_t s = 1; s < streams.size(); ++s)
            if (streams[s].bestSize() < streams[winner].bestSize()) winner = s;
        if (streams[winner].bestSize() < best.size()) {
            best = streams[winner].best();
            sinceImprovement = 0;
        } else {
            ++sinceImprovement;
        }
        cut = anyCut.load() || cutNow();
        if (cut) break;
        // Streams behind the best continue from it; streams stuck for a while start again from it
        // by dropping a random block, to look elsewhere.
        for (std::size_t s = 0; s < streams.size(); ++s) {
            if (streams[s].bestSize() > best.size())
                streams[s].reset(best, false);
            else if (streams[s].stale() >= kStaleRounds)
                streams[s].reset(best, true);
        }
        const double elapsed = std::chrono::duration<double>(Clock::now() - started).count();
        const double byTime = limited ? elapsed / options.seconds : 0.0;
        const double byPatience = static_cast<double>(sinceImprovement) / patience;
        gauge = std::max<int64_t>(gauge, static_cast<int64_t>(std::min(1.0, std::max(byTime, byPatience)) * 1000));
        progress.setText(caption + " " + fmt(kWheelProgressSize, static_cast<int>(best.size())));
        progress.setPosition(gauge);
        progress.pump();
    }
    if (cut) {
        result.stopped = progress.stopRequested();
        result.timedOut = !result.stopped;
    }
    result.blocks = toCombs(best);
    progress.setPosition(1000);
    progress.setText("");
    return result;
}

std::string wheelFileName(int numbers, int guarantee) { return systemFileName(numbers, guarantee, kWheelSystemId); }

std::vector<TComb> readWheelBase(const std::filesystem::path& systemsDir, int numbers, int guarantee) {
    if (numbers - 1 < kWheelMinNumbers || guarantee < kWheelMinGuarantee || guarantee > kWheelMaxGuarantee) return {};
    const auto file = systemsDir / wheelFileName(numbers - 1, guarantee);
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec)) return {};
    try {
        std::vector<TComb> blocks = readSystemPositions(file, numbers - 1);
        if (verifyWheel(blocks, numbers - 1, guarantee).covers()) return blocks;
    } catch (const EError&) {
        // An unreadable file is no start.
    }
    return {};
}

std::string wheelFileText(const std::vector<TComb>& blocks) {
    std::string text;
    text.reserve(blocks.size() * 16);
    for (const TComb& c : blocks)
        text += systemLine(c) + "\r\n";
    return text;
}

TWheelSave saveWheel(const std::filesystem::path& systemsDir, const TWheelResult& wheel) {
    checkParameters(wheel.numbers, wheel.guarantee);
    // Never write a wheel that does not keep its guarantee.
    const TWheelCheck check = verifyWheel(wheel.blocks, wheel.numbers, wheel.guarantee);
    if (!check.covers() || wheel.blocks.empty())
        throw EError(fmt("Система для %d чисел не обеспечивает гарантию %d и не сохранена.", wheel.numbers, wheel.guarantee));
    TWheelSave save;
    save.file = systemsDir / wheelFileName(wheel.numbers, wheel.guarantee);
    std::error_code ec;
    if (std::filesystem::exists(save.file, ec)) {
        try {
            const std::vector<TComb> old = readSystemPositions(save.file, wheel.numbers);
            if (!old.empty() && verifyWheel(old, wheel.numbers, wheel.guarantee).covers() &&
                static_cast<int64_t>(old.size()) <= wheel.size()) {
                save.existingSize = static_cast<int64_t>(old.size());
                return save;
            }
        } catch (const EError&) {
            // An unreadable file is no wheel worth keeping: it is replaced.
        }
    }
    std::filesystem::create_directories(systemsDir, ec);
    if (ec)
        throw EError(fmt(kSystemsFolderError, systemsDir.string(), ec.message()));
    try {
        writeFileAtomic(save.file, wheelFileText(wheel.blocks));
    } catch (const EError& e) {
        throw EError(fmt(kSystemWriteError, save.file.string(), e.what()));
    }
    save.written = true;
    return save;
}

}  // namespace tavlora
