#pragma once
// The rating: one row per stake source (the stake's comment), accumulating the checked stakes'
// counts, matches, match distribution and profit. Kept in <base>.lrt as 296-byte records:
//     0  key: length byte and up to 255 Windows-1251 characters
//   256  stakes (int32)    260  matched (int32)    264  six int32 counters of 0..5 matches
//   288  profit (int64, 1/10000 money units)
#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "core/interaction.h"
#include "core/progress.h"

namespace tavlora {

struct TStakeRecord;
class TStakesStore;

inline constexpr const char* kRatingsReadError = "Ошибка чтения файла рейтинга!\r\r%s";
inline constexpr const char* kRatingsWriteError = "Ошибка записи в файл рейтинга!\r\r%s";
inline constexpr const char* kRatingsRefreshError = "Ошибка обновления рейтинга!\r\r%s";
inline constexpr const char* kRatingsRefreshQuestion =
    "Пересчитать рейтинг только по текущим ставкам?\r\rНакопленные ранее данные по удаленным ставкам будут "
    "потеряны.";
inline constexpr const char* kGraphNeedsDraws =
    "Для построения графиков необходимо, чтобы в выделенном диапазоне данных было более одного тиража!";

struct TRatingRecord {
    static constexpr size_t kSize = 296;
    static constexpr size_t kKeyMax = 255;

    std::string key;  // UTF-8 in memory
    int32_t stakes = 0;
    int32_t matched = 0;
    std::array<int32_t, 6> counters{};
    int64_t profit = 0;

    void encode(uint8_t* out) const;
    static TRatingRecord decode(const uint8_t* p);
    bool operator==(const TRatingRecord&) const = default;
};

using TRatingsArray = std::vector<TRatingRecord>;

// Efficiency modes of the E0..E5 columns.
enum class TRatingsEffMode { Expected = 0, Absolute = 1, Relative = 2 };

// Share of all combinations with exactly i matches with one draw: C(5,i)·C(64,5-i)/C(69,5).
long double expectedShare(int i);

// Column captions of the rating list (18 columns).
const std::vector<std::string>& ratingColumns();
inline constexpr int kRatingColumnCount = 18;

// Cell text of a row in a column for an efficiency mode.
std::string ratingCellText(const TRatingRecord& row, int column, TRatingsEffMode mode);
// Comparison of two rows by a column (0 when either row has no stakes; the E columns are equal).
int compareRatings(const TRatingRecord& a, const TRatingRecord& b, int column);

class TRatings {
public:
    explicit TRatings(std::filesystem::path file);

    const std::filesystem::path& file() const { return file_; }
    const TRatingsArray& rows() const { return rows_; }
    int count() const { return static_cast<int>(rows_.size()); }
    bool empty() const { return rows_.empty(); }

    int sortColumn() const { return sortColumn_; }
    bool sortDescending() const { return descending_; }
    // Remembers the sort column (< 0: unsorted) and direction without sorting.
    void setSortOrder(int column, bool descending) {
        sortColumn_ = column;
        descending_ = descending;
    }

    // Adds a checked stake to the row of its comment (compared without regard to case), or
    // appends a new row. Stakes without a result (matches below 0) are ignored.
    void addStake(const TStakeRecord& stake);
    void clear() { rows_.clear(); }
    // Replaces the rows (tests and callers that rebuild the rating).
    void setRows(TRatingsArray rows) { rows_ = std::move(rows); }

    // Loads the file (when it exists) in file order, then sorts by the current column and saves.
    // A read error leaves the rating as it was, reports kRatingsReadError and returns false.
    bool load(Progress& progress, Interaction& interaction);
    // Rewrites the file through a temporary file; a failure reports kRatingsWriteError and keeps
    // the old file whole. Returns false on failure.
    bool save(Progress& progress, Interaction& interaction);
    // Sorts by the current column (stable; unsorted for a column < 0 and for the E columns),
    // then saves.
    bool sort(Progress& progress, Interaction& interaction);
    // Sets the column and direction, then sorts and saves.
    bool sortBy(int column, bool descending, Progress& progress, Interaction& interaction);

    // Rebuilds the rating from the checked stakes of the stakes file. A non-empty rating asks
    // first; a refusal changes nothing and returns false. A failure (a stakes file that is not
    // open included) is reported and keeps the rating as it was.
    bool refresh(TStakesStore& stakes, Progress& progress, Interaction& interaction);

    // Writes the CSV export: header of all 18 column captions, one line per row with the same 18
    // fields (";"-separated; the efficiency columns in the given mode, as the list shows them).
    // Throws EError with the system's message on a write failure.
    void exportCsv(const std::filesystem::path& path, TRatingsEffMode mode = TRatingsEffMode::Absolute) const;

private:
    std::filesystem::path file_;
    TRatingsArray rows_;
    int sortColumn_ = 3;
    bool descending_ = true;
};

// --- graph data -----------------------------------------------------------------------------------
struct TGraphPoint {
    long double x = 0;
    long double y = 0;
};
struct TGraphSeries {
    std::string name;
    std::vector<TGraphPoint> points;
};

// Distribution of matches: "Нормальные значения" with s·p(i), s being the stakes of the first
// row given (the first selected one), then one series per row with its counters n(0..5).
std::vector<TGraphSeries> ratingDistributionSeries(const TRatingsArray& selected);
// Matches (or profit in money units) per checked stake of the given keys, one series per key,
// read from the record of the 100th-last distinct checked draw on. Throws EError(kGraphNeedsDraws)
// when fewer than two checked draws exist.
std::vector<TGraphSeries> stakesGraphSeries(TStakesStore& stakes, const std::vector<std::string>& keys,
                                            bool profit);

}  // namespace tavlora

namespace tavlora {
using TProfitDrawArray = std::vector<std::pair<int32_t, int64_t>>;
// The profit graph of the stakes: per draw number, in the order given, "Суммарный профит ставок
// по тиражу" (that draw's sum), "Среднее значение" (the mean over all draws) and "Накопленное
// значение" (the running total), in money units. Throws EError(kGraphNeedsDraws) with fewer than
// two draws, as its text says: one point makes no graph.
std::vector<TGraphSeries> profitGraphSeries(const TProfitDrawArray& profits);
}  // namespace tavlora
