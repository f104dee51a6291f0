#include "workspace/chart_data.h"

#include <algorithm>
#include <bit>

#include "core/format.h"
#include "core/game.h"
#include "stats/custom_stat.h"
#include "stats/stat_run.h"

namespace tavlora {

int32_t mostFrequentKey(const TStatSimpleArray& table) {
    const TStatSimple* best = nullptr;
    for (const TStatSimple& e : table)
        if (!best || e.count > best->count) best = &e;  // strictly larger: the earlier key keeps a tie
    return best ? best->key : 0;
}

// --- the graph of a method ------------------------------------------------------------------------

TDrawsGraph computeDrawsGraph(const TCustomGraphStat& method, const TDrawsArray& draws, int endIndex, int window,
                              bool sorted) {
    TDrawsGraph g;
    if (draws.empty() || endIndex < 0 || window < 1) return g;
    const int end = std::min(endIndex, static_cast<int>(draws.size()) - 1);
    const int start = windowFirstIndex(end, window);
    TStatSimpleArray counts;
    int64_t sum = 0;
    for (int i = start; i <= end; ++i) {
        const int32_t v = method.numberOfDraw(i, end, sorted);
        g.drawNumbers.push_back(draws[static_cast<size_t>(i)].number);
        g.values.push_back(v);
        addToCounter(counts, v, 1);
        sum += v;
    }
    g.mode = mostFrequentKey(counts);
    g.mean = static_cast<double>(sum) / static_cast<double>(end - start + 1);
    return g;
}

std::vector<TChartSeriesData> drawsGraphSeries(const TDrawsGraph& graph, const std::string& caption, bool marks) {
    TChartSeriesData values{caption, 0x008000, true, marks, 2, 0xFF00FF, true, {}};
    TChartSeriesData mean{kGraphMeanTitle, 0xFF0000, false, false, 2, kLineColor, false, {}};
    TChartSeriesData mode{kGraphModeTitle, 0x0000FF, false, false, 2, kLineColor, false, {}};
    for (size_t i = 0; i < graph.values.size(); ++i) {
        const int64_t x = graph.drawNumbers[i];
        values.points.push_back({x, static_cast<double>(graph.values[i])});
        mean.points.push_back({x, graph.mean});
        mode.points.push_back({x, static_cast<double>(graph.mode)});
    }
    return {values, mean, mode};
}

// --- repeated numbers ------------------------------------------------------------------------------

std::string TRepeatsRow::drawsText() const {
    std::string s;
    for (size_t i = 0; i < earlierDraws.size(); ++i) {
        if (i > 0) s += ' ';
        s += std::to_string(earlierDraws[i]);
    }
    return s;
}

namespace {

// The main numbers of a draw as bits 1..69 (a number repeated within a draw counts once).
uint64_t numberBits(const TDraw& d) {
    uint64_t lo = 0;
    for (uint8_t n : d.nums)
        if (n >= 1 && n <= 63) lo |= uint64_t{1} << n;
    return lo;
}
uint64_t highNumberBits(const TDraw& d) {
    uint64_t hi = 0;
    for (uint8_t n : d.nums)
        if (n >= 64 && n <= 127) hi |= uint64_t{1} << (n - 64);
    return hi;
}

}  // namespace

TRepeatsTable computeRepeats(const TDrawsArray& draws, int drawsLength, int depth, Progress* progress) {
    TRepeatsTable t;
    if (draws.empty() || drawsLength < 1) return t;
    const int last = static_cast<int>(draws.size()) - 1;
    const int first = windowFirstIndex(last, drawsLength);
    std::vector<uint64_t> lo(draws.size()), hi(draws.size());
    for (size_t i = 0; i < draws.size(); ++i) {
        lo[i] = numberBits(draws[i]);
        hi[i] = highNumberBits(draws[i]);
    }
    StatusScope status(progress, kRepeatsCollectText);
    if (progress) {
        progress->setMaximum(last - first + 1);
        progress->setPosition(0);
    }
    for (int p = last; p >= first; --p) {
        if (progress) {
            if (progress->stopRequested()) {
                t.stopped = true;
                break;
            }
            progress->setPosition(last - p + 1);
            progress->pump();
        }
        const size_t rowsOfP = t.rows.size();
        const auto pi = static_cast<size_t>(p);
        for (int q = p - 1; q >= std::max(0, p - depth); --q) {
            const auto qi = static_cast<size_t>(q);
            const int m = std::popcount(lo[pi] & lo[qi]) + std::popcount(hi[pi] & hi[qi]);
            if (m == 0) continue;
            auto row = std::find_if(t.rows.begin() + static_cast<std::ptrdiff_t>(rowsOfP), t.rows.end(),
                                    [m](const TRepeatsRow& r) { return r.matches == m; });
            if (row == t.rows.end()) {
                t.rows.push_back({draws[pi].number, m, 1, {draws[qi].number}});
            } else {
                ++row->repeats;
                row->earlierDraws.push_back(draws[qi].number);
            }
            t.maxMatches = std::max(t.maxMatches, m);
        }
    }
    return t;
}

std::vector<TChartSeriesData> repeatsSeries(const TRepeatsTable& table) {
    std::vector<TChartSeriesData> series;
    for (int m = 1; m <= table.maxMatches; ++m)
        series.push_back({fmt(kRepeatsSeriesTitle, m), 0, true, false, 2, kLineColor, false, {}});
    for (auto r = table.rows.rbegin(); r != table.rows.rend(); ++r)
        series[static_cast<size_t>(r->matches - 1)].points.push_back({r->draw, static_cast<double>(r->repeats)});
    return series;
}

// --- sums ------------------------------------------------------------------------------------------

std::vector<int64_t> combinationSumCounts(int n, int k) {
    if (n < 0 || k < 0) return {};
    const size_t maxSum = static_cast<size_t>(n) * static_cast<size_t>(k);
    // ways[c][s]: the c-number sets of the numbers taken so far (1..largest) that add up to s.
    std::vector<std::vector<int64_t>> ways(static_cast<size_t>(k) + 1, std::vector<int64_t>(maxSum + 1, 0));
    ways[0][0] = 1;
    for (int largest = 1; largest <= n; ++largest)
        for (int c = std::min(k, largest); c >= 1; --c) {
            auto& to = ways[static_cast<size_t>(c)];
            const auto& from = ways[static_cast<size_t>(c - 1)];
            for (size_t s = maxSum; s >= static_cast<size_t>(largest); --s) to[s] += from[s - static_cast<size_t>(largest)];
        }
    return ways[static_cast<size_t>(k)];
}

TSumRange sumRange(const std::vector<TStatSimple>& table, int32_t threshold) {
    TSumRange r;
    r.threshold = threshold;
    if (table.empty()) return r;
    const size_t half = table.size() / 2;
    for (size_t i = 0; i <= half; ++i)
        if (table[i].count >= threshold) {
            r.low = table[i].key;
            break;
        }
    for (size_t i = table.size(); i-- > half;)
        if (table[i].count >= threshold) {
            r.high = table[i].key;
            break;
        }
    return r;
}

TSumDistribution computeSumDistribution(const TDrawsArray& draws) {
    TSumDistribution d;
    const std::vector<int64_t> counts = combinationSumCounts(kMaxNumber, kBallsInDraw);
    for (size_t s = 0; s < counts.size(); ++s)
        if (counts[s] > 0) d.total.push_back({static_cast<int32_t>(s), static_cast<int32_t>(counts[s])});
    for (const TDraw& draw : draws) addToCounter(d.actual, drawSum(draw), 1);
    sortCounters(d.actual);
    if (d.total.empty()) return d;
    const auto [mn, mx] = std::minmax_element(d.total.begin(), d.total.end(),
                                              [](const auto& a, const auto& b) { return a.count < b.count; });
    d.totalMin = mn->count;
    d.totalMax = mx->count;
    for (const auto& e : d.actual) d.actualMax = std::max(d.actualMax, e.count);
    const int32_t w = d.totalMax - d.totalMin + 1;
    // Counts are positive, so truncation towards zero is integer division here.
    const int32_t thresholds[3] = {d.totalMin + w / 3, d.totalMin + w / 2, d.totalMin + 2 * w / 3};
    for (size_t i = 0; i < 3; ++i) d.ranges[i] = sumRange(d.total, thresholds[i]);
    return d;
}

std::vector<TChartSeriesData> sumDistributionSeries(const TSumDistribution& d) {
    std::vector<TChartSeriesData> series;
    const double scale = d.totalMax > 0 ? static_cast<double>(d.actualMax) / static_cast<double>(d.totalMax) : 0.0;
    TChartSeriesData actual{kSumsActualTitle, 0x0000FF, true, true, 3, kLineColor, false, {}};
    for (const auto& e : d.actual) actual.points.push_back({e.key, static_cast<double>(e.count)});
    TChartSeriesData total{kSumsTotalTitle, 0x000080, false, false, 3, kLineColor, false, {}};
    for (const auto& e : d.total) total.points.push_back({e.key, static_cast<double>(e.count) * scale});
    series.push_back(std::move(actual));
    series.push_back(std::move(total));
    const char* parts[3] = {"1/3", "1/2", "2/3"};
    const uint32_t colours[3] = {0x008000, 0xFF0000, 0xFF00FF};
    for (size_t i = 0; i < 3; ++i) {
        const TSumRange& r = d.ranges[i];
        TChartSeriesData line{fmt(kSumsRangeTitle, static_cast<int>(i + 1), parts[i], r.low, r.high), colours[i],
                              false, false, 3, kLineColor, false, {}};
        for (const auto& e : d.total) line.points.push_back({e.key, static_cast<double>(r.threshold) * scale});
        series.push_back(std::move(line));
    }
    return series;
}

}  // namespace tavlora
