#include "stakes/ratings.h"

#include <algorithm>
#include <cmath>
#include <set>

#include "core/binary.h"
#include "core/codepage.h"
#include "core/error.h"
#include "core/file_util.h"
#include "core/format.h"
#include "core/numbers.h"
#include "stakes/stake_record.h"
#include "stakes/stakes_store.h"

namespace tavlora {

namespace {

// Rounding to the nearest integer, ties to even.
long double roundEven(long double x) { return std::nearbyintl(x); }

int sign(long double v) { return v < 0 ? -1 : (v > 0 ? 1 : 0); }
int sign64(int64_t v) { return v < 0 ? -1 : (v > 0 ? 1 : 0); }

// Keys in the order of a locale-aware, case-sensitive comparison: letters first without regard
// to case, then lower case before upper case.
int compareKeys(const std::string& a, const std::string& b) {
    const std::string la = toLowerUtf8(a), lb = toLowerUtf8(b);
    if (la != lb) return la < lb ? -1 : 1;
    if (a == b) return 0;
    return a > b ? -1 : 1;
}

std::string quoted(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + "\"";
}

// P / s rounded to 1/10000 of a money unit.
int64_t meanProfit(const TRatingRecord& r) {
    return static_cast<int64_t>(roundEven(static_cast<long double>(r.profit) / r.stakes));
}

}  // namespace

void TRatingRecord::encode(uint8_t* out) const {
    std::fill(out, out + kSize, uint8_t{0});
    const std::string text = utf8ToCp1251(truncateToCp1251Bytes(key, kKeyMax));
    bin::putU8(out, 0, static_cast<uint8_t>(text.size()));
    bin::putBytes(out, 1, text.data(), text.size());
    bin::putI32(out, 256, stakes);
    bin::putI32(out, 260, matched);
    for (size_t i = 0; i < counters.size(); ++i) bin::putI32(out, 264 + 4 * i, counters[i]);
    bin::putI64(out, 288, profit);
}

TRatingRecord TRatingRecord::decode(const uint8_t* p) {
    TRatingRecord r;
    const size_t len = bin::getU8(p, 0);
    r.key = cp1251ToUtf8(std::string(reinterpret_cast<const char*>(p + 1), len));
    r.stakes = bin::getI32(p, 256);
    r.matched = bin::getI32(p, 260);
    for (size_t i = 0; i < r.counters.size(); ++i) r.counters[i] = bin::getI32(p, 264 + 4 * i);
    r.profit = bin::getI64(p, 288);
    return r;
}

long double expectedShare(int i) {
    if (i < 0 || i > 5) return 0;
    return static_cast<long double>(exactMatchCount(69, 5, i)) / static_cast<long double>(binomial(69, 5));
}

const std::vector<std::string>& ratingColumns() {
    static const std::vector<std::string> columns{"Комментарий", "Ставок", "Угадано", "Среднее", "Профит", "Ср. профит",
                                                  "0",           "1",      "2",       "3",       "4",      "5",
                                                  "E0",          "E1",     "E2",      "E3",      "E4",     "E5"};
    return columns;
}

std::string ratingCellText(const TRatingRecord& r, int column, TRatingsEffMode mode) {
    const long double s = r.stakes;
    switch (column) {
        case 0: return r.key;
        case 1: return std::to_string(r.stakes);
        case 2: return std::to_string(r.matched);
        case 3: return r.stakes == 0 ? std::string() : fmt("%.3f", static_cast<long double>(r.matched) / s);
        case 4: return moneyText(r.profit);
        case 5: return r.stakes == 0 ? std::string() : moneyText(meanProfit(r));
        default: break;
    }
    if (column >= 6 && column <= 11) return std::to_string(r.counters[static_cast<size_t>(column - 6)]);
    if (column >= 12 && column <= 17) {
        if (r.stakes == 0) return {};
        const int i = column - 12;
        const long double p = expectedShare(i);
        const long double n = r.counters[static_cast<size_t>(i)];
        switch (mode) {
            case TRatingsEffMode::Expected: return fmt("%d", static_cast<int64_t>(roundEven(s * p)));
            case TRatingsEffMode::Absolute: return fmt("%.3f%%", n * 100 / s - p * 100);
            case TRatingsEffMode::Relative: return fmt("%.3f%%", n * 100 / (s * p));
        }
    }
    return "# bad data #";
}

int compareRatings(const TRatingRecord& a, const TRatingRecord& b, int column) {
    if (a.stakes == 0 || b.stakes == 0) return 0;
    const long double sa = a.stakes, sb = b.stakes;
    switch (column) {
        case 0: return compareKeys(a.key, b.key);
        case 1: return sign64(int64_t{a.stakes} - b.stakes);
        case 2: return sign64(int64_t{a.matched} - b.matched);
        case 3: return sign(roundEven((a.matched / sa - b.matched / sb) * 100));
        case 4: return sign(roundEven(static_cast<long double>(a.profit - b.profit) / 100.0L));
        case 5: return sign(roundEven((a.profit / sa - b.profit / sb) / 100.0L));
        default: break;
    }
    if (column >= 6 && column <= 11) {
        const size_t i = static_cast<size_t>(column - 6);
        return sign64(int64_t{a.counters[i]} - b.counters[i]);
    }
    return 0;
}

TRatings::TRatings(std::filesystem::path file) : file_(std::move(file)) {}

void TRatings::addStake(const TStakeRecord& stake) {
    const int m = stake.matchCount();
    if (m < 0) return;
    const size_t slot = static_cast<size_t>(std::min(m, 5));
    // Keys are stored cut to the 255 bytes of the file's field: a longer comment is compared in
    // that form, so that it finds its row again after the rating was saved and loaded.
    const std::string key = truncateToCp1251Bytes(stake.comment, TRatingRecord::kKeyMax);
    for (auto& row : rows_) {
        if (equalsIgnoreCase(row.key, key)) {
            row.stakes += 1;
            row.matched += m;
            row.profit += stake.profit;
            row.counters[slot] += 1;
            return;
        }
    }
    TRatingRecord row;
    row.key = key;
    row.stakes = 1;
    row.matched = m;
    row.profit = stake.profit;
    row.counters[slot] = 1;
    rows_.push_back(std::move(row));
}

bool TRatings::load(Progress& progress, Interaction& interaction) {
    std::error_code ec;
    if (!std::filesystem::exists(file_, ec)) return true;
    StatusScope status(progress, "Загрузка файла рейтинга...");
    try {
        const std::string bytes = readFileBytes(file_);
        TRatingsArray rows;
        const size_t n = bytes.size() / TRatingRecord::kSize;
        rows.reserve(n);
        for (size_t i = 0; i < n; ++i)
            rows.push_back(TRatingRecord::decode(reinterpret_cast<const uint8_t*>(bytes.data()) + i * TRatingRecord::kSize));
        rows_ = std::move(rows);
    } catch (const EError& e) {
        status.clear();
        interaction.error(fmt(kRatingsReadError, e.what()));
        return false;
    }
    status.clear();
    return sort(progress, interaction);
}

bool TRatings::save(Progress& progress, Interaction& interaction) {
    StatusScope status(progress, "Сохранение файла рейтинга...");
    std::string bytes(rows_.size() * TRatingRecord::kSize, '\0');
    for (size_t i = 0; i < rows_.size(); ++i)
        rows_[i].encode(reinterpret_cast<uint8_t*>(bytes.data()) + i * TRatingRecord::kSize);
    bool ok = true;
    try {
        writeFileAtomic(file_, bytes);
    } catch (const EError& e) {
        interaction.error(fmt(kRatingsWriteError, e.what()));
        ok = false;
    }
    return ok;
}

bool TRatings::sort(Progress& progress, Interaction& interaction) {
    const int column = sortColumn_;
    if (column >= 0 && column < 12 && rows_.size() >= 2) {
        StatusScope status(progress, "Сортировка рейтинга...");
        const bool desc = descending_;
        auto before = [&](const TRatingRecord& a, const TRatingRecord& b) {
            const int c = compareRatings(a, b, column);
            return desc ? c > 0 : c < 0;
        };
        // A stable merge sort: equal rows keep their order, and a comparison that is not a strict
        // weak order (rows without stakes equal everything) can never lead outside the array.
        TRatingsArray buffer(rows_.size());
        for (size_t width = 1; width < rows_.size(); width *= 2) {
            for (size_t lo = 0; lo < rows_.size(); lo += 2 * width) {
                const size_t mid = std::min(lo + width, rows_.size());
                const size_t hi = std::min(lo + 2 * width, rows_.size());
                size_t i = lo, j = mid, k = lo;
                while (i < mid && j < hi) buffer[k++] = before(rows_[j], rows_[i]) ? rows_[j++] : rows_[i++];
                while (i < mid) buffer[k++] = rows_[i++];
                while (j < hi) buffer[k++] = rows_[j++];
            }
            rows_.swap(buffer);
        }
    }
    return save(progress, interaction);
}

bool TRatings::sortBy(int column, bool descending, Progress& progress, Interaction& interaction) {
    setSortOrder(column, descending);
    return sort(progress, interaction);
}

bool TRatings::refresh(TStakesStore& stakes, Progress& progress, Interaction& interaction) {
    // Without an open stakes file there is nothing to rebuild from: emptying the rating then
    // would throw away everything it has accumulated.
    if (!stakes.isOpen()) {
        interaction.error(fmt(kRatingsRefreshError, kStakesNotOpen));
        return false;
    }
    if (!rows_.empty() && !interaction.question("Подтверждение", kRatingsRefreshQuestion, false)) return false;
    StatusScope status(progress, "Обновление рейтинга...");
    TRatings rebuilt(file_);
    try {
        const int64_t n = stakes.recordCount();
        for (int64_t i = 0; i < n; ++i) {
            const TStakeRecord r = stakes.readRecord(TStakesStore::Origin::Start, i);
            if (r.drawNumber >= 0 && r.checked) rebuilt.addStake(r);
        }
    } catch (const EError& e) {
        status.clear();
        interaction.error(fmt(kRatingsRefreshError, e.what()));
        return false;
    }
    rows_ = std::move(rebuilt.rows_);
    status.clear();
    return sort(progress, interaction);
}

void TRatings::exportCsv(const std::filesystem::path& path, TRatingsEffMode mode) const {
    std::string text;
    const auto& columns = ratingColumns();
    for (size_t i = 0; i < columns.size(); ++i) text += (i ? ";" : "") + quoted(columns[i]);
    text += "\r\n";
    for (const auto& r : rows_) {
        text += quoted(r.key);
        for (int c = 1; c < kRatingColumnCount; ++c) text += ";" + ratingCellText(r, c, mode);
        text += "\r\n";
    }
    writeFileAtomic(path, utf8ToCp1251(text));
}

std::vector<TGraphSeries> ratingDistributionSeries(const TRatingsArray& selected) {
    if (selected.empty()) throw EError(kGraphNeedsDraws);
    std::vector<TGraphSeries> out;
    TGraphSeries normal{"Нормальные значения", {}};
    for (int i = 0; i <= 5; ++i)
        normal.points.push_back({static_cast<long double>(i), selected.front().stakes * expectedShare(i)});
    out.push_back(std::move(normal));
    for (const auto& row : selected) {
        TGraphSeries s{row.key, {}};
        for (int i = 0; i <= 5; ++i)
            s.points.push_back({static_cast<long double>(i), static_cast<long double>(row.counters[static_cast<size_t>(i)])});
        out.push_back(std::move(s));
    }
    return out;
}

std::vector<TGraphSeries> stakesGraphSeries(TStakesStore& stakes, const std::vector<std::string>& keys, bool profit) {
    const std::vector<TStakeRecord> records = stakes.readAll();
    std::set<int32_t> draws;
    size_t start = records.size();
    for (size_t i = records.size(); i-- > 0;) {
        const TStakeRecord& r = records[i];
        if (!r.checked || r.matchCount() < 0) continue;
        if (!draws.count(r.drawNumber)) {
            if (draws.size() == 100) break;
            draws.insert(r.drawNumber);
        }
        start = i;
    }
    if (draws.size() < 2) throw EError(kGraphNeedsDraws);
    std::vector<TGraphSeries> out;
    for (const auto& k : keys) out.push_back({k, {}});
    for (size_t i = start; i < records.size(); ++i) {
        const TStakeRecord& r = records[i];
        if (!r.checked || r.drawNumber <= 0 || r.matchCount() < 0) continue;
        for (auto& s : out) {
            if (!equalsIgnoreCase(s.name, r.comment)) continue;
            const long double y = profit ? static_cast<long double>(r.profit) / 10000.0L : r.matchCount();
            s.points.push_back({static_cast<long double>(r.drawNumber), y});
            break;
        }
    }
    return out;
}

std::vector<TGraphSeries> profitGraphSeries(const TProfitDrawArray& profits) {
    if (profits.size() < 2) throw EError(kGraphNeedsDraws);
    long double total = 0;
    for (const auto& p : profits) total += static_cast<long double>(p.second) / 10000.0L;
    const long double mean = total / static_cast<long double>(profits.size());
    TGraphSeries sum{"Суммарный профит ставок по тиражу", {}}, avg{"Среднее значение", {}},
        acc{"Накопленное значение", {}};
    long double running = 0;
    for (const auto& [draw, amount] : profits) {
        const long double x = draw, y = static_cast<long double>(amount) / 10000.0L;
        running += y;
        sum.points.push_back({x, y});
        avg.points.push_back({x, mean});
        acc.points.push_back({x, running});
    }
    return {sum, avg, acc};
}

}  // namespace tavlora
