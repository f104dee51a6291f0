#pragma once
// The data behind the three chart views of the workspace: the graph of a method over a window of
// draws with its mean and most frequent value, the table of repeated numbers between recent draws
// and earlier ones, and the distribution of the sums of the draws against the sums of every
// combination. Each also yields its chart series, so that the window only draws them and the
// command line prints the same numbers.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/progress.h"
#include "core/records.h"
#include "stats/stat_types.h"

namespace tavlora {

class TCustomGraphStat;

// The key with the largest count of a counter table; of equal counts the one that appeared first.
// 0 for an empty table.
int32_t mostFrequentKey(const TStatSimpleArray& table);

// One line of a chart: its title, colour (a Windows colour value, blue in the highest byte),
// whether its points carry markers and marks, and the points (x an integer, labelled with it).
struct TChartPointData {
    int64_t x = 0;
    double y = 0;
};
inline constexpr uint32_t kLineColor = 0xFFFFFFFFu;
struct TChartSeriesData {
    std::string title;
    uint32_t color = 0;
    bool markers = false;
    bool marks = false;
    int markerSize = 2;
    uint32_t markerColor = kLineColor;  // the markers' colour; kLineColor: the line's
    bool marksShowValue = false;        // marks show y instead of the point's label (x)
    std::vector<TChartPointData> points;
};

// --- the graph of a method ------------------------------------------------------------------------

inline constexpr const char* kGraphMeanTitle = "Среднее значение";
inline constexpr const char* kGraphModeTitle = "Наиболее часто встречающееся значение";
inline constexpr const char* kGraphStatusText = "Анализ тиражей и построение графиков...";

struct TDrawsGraph {
    std::vector<int32_t> drawNumbers;  // the draws of the window, oldest first
    std::vector<int32_t> values;       // the method's number of each draw
    double mean = 0;
    int32_t mode = 0;
    bool empty() const { return values.empty(); }
};

// The numbers of the draws from max(0, end - window + 1) to end, with their mean and the most
// frequent number. An empty archive, end < 0 or window < 1 give an empty graph.
TDrawsGraph computeDrawsGraph(const TCustomGraphStat& method, const TDrawsArray& draws, int endIndex, int window,
                              bool sorted);
// The three series: the method's (titled with its caption), the mean and the most frequent value.
// marks: whether the method's series shows its marks.
std::vector<TChartSeriesData> drawsGraphSeries(const TDrawsGraph& graph, const std::string& caption, bool marks);

// --- repeated numbers ------------------------------------------------------------------------------

inline constexpr const char* kRepeatsTitle = "Количество повторов в зависимости от тиража";
inline constexpr const char* kRepeatsCollectText = "Идет сбор статистики....";
inline constexpr const char* kRepeatsChartText = "Создание графиков...";
inline constexpr const char* kRepeatsSeriesTitle = "Совпадений: %d";

struct TRepeatsRow {
    int32_t draw = 0;        // "Тираж"
    int matches = 0;         // "Совпадений"
    int repeats = 0;         // "Кол-во повторов"
    std::vector<int32_t> earlierDraws;  // "Список тиражей", in the order found
    std::string drawsText() const;      // the list joined with blanks
    bool operator==(const TRepeatsRow&) const = default;
};

struct TRepeatsTable {
    std::vector<TRepeatsRow> rows;
    int maxMatches = 0;
    bool stopped = false;  // a stop request ended the collection early
};

// For each of the last drawsLength draws of the whole archive (newest first) and each of the
// `depth` draws before it: the rows of the numbers of main numbers the two share, with how many
// earlier draws share that many and which. Steps progress once per draw and honours its stop flag.
TRepeatsTable computeRepeats(const TDrawsArray& draws, int drawsLength, int depth, Progress* progress = nullptr);
// One series "Совпадений: m" per m from 1 to the largest, with a point (draw, repeats) for each
// row, from the last row to the first. Colours are left to the window (random).
std::vector<TChartSeriesData> repeatsSeries(const TRepeatsTable& table);

// --- sums ------------------------------------------------------------------------------------------

inline constexpr const char* kSumsTitle = "Распределение сумм тиражей и всех возможных комбинаций";
inline constexpr const char* kSumsActualTitle = "Фактическое распределение сумм (по тиражам)";
inline constexpr const char* kSumsTotalTitle = "Теоретическое распределение сумм (по комбинациям)";
inline constexpr const char* kSumsRangeTitle = "Диапазон %d (от %s и выше по оси Y) - суммы %d-%d";

// How many k-number combinations of 1..n have each sum: counts[s] for s = 0..k*n, by a dynamic
// programme over (count, largest number, sum) instead of enumerating the combinations.
std::vector<int64_t> combinationSumCounts(int n, int k);

struct TSumRange {
    int32_t threshold = 0;  // the count from which a sum is in the range
    int low = 0;            // the first sum from below whose count reaches it, 0 when none
    int high = 0;           // the first sum from above, 0 when none
    bool operator==(const TSumRange&) const = default;
};

struct TSumDistribution {
    std::vector<TStatSimple> total;   // (sum, combinations) ascending by sum
    std::vector<TStatSimple> actual;  // (sum, draws) ascending by sum
    int32_t totalMin = 0, totalMax = 0, actualMax = 0;
    std::array<TSumRange, 3> ranges{};  // from 1/3, 1/2 and 2/3 of the count span upwards
};

// The sums of every combination of the game against the sums of the archive's draws.
TSumDistribution computeSumDistribution(const TDrawsArray& draws);
// The range of counts at or above threshold within a table sorted by key (see TSumRange).
TSumRange sumRange(const std::vector<TStatSimple>& table, int32_t threshold);
// The five series: the draws' sums, the combinations' sums scaled to the draws' largest count, and
// the three range lines.
std::vector<TChartSeriesData> sumDistributionSeries(const TSumDistribution& d);

}  // namespace tavlora
