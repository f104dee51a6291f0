#include "core/date.h"

#include <cstdio>
#include <ctime>

#include "core/error.h"
#include "core/text_forms.h"

namespace tavlora {

namespace {

// Day 0 of the date-time values is 12/30/1899; that is 25569 days before 01/01/1970.
constexpr int64_t kEpochShift = 25569;

bool isLeap(int64_t y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

// Days since 01/01/1970 of a proleptic Gregorian date (the era-based civil algorithm).
int64_t daysFromCivil(int64_t y, int m, int d) {
    y -= m <= 2 ? 1 : 0;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

CivilDate civilFromDays(int64_t z) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    const int d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    const int m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    const int64_t y = yoe + era * 400 + (m <= 2 ? 1 : 0);
    return {static_cast<int>(y), m, d};
}

}  // namespace

int daysInMonth(int year, int month) {
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) return 0;
    return month == 2 && isLeap(year) ? 29 : kDays[month - 1];
}

bool CivilDate::isValid() const {
    return year >= 1 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 &&
           day <= daysInMonth(year, month);
}

int64_t CivilDate::dayCount() const { return daysFromCivil(year, month, day) + kEpochShift; }

CivilDate CivilDate::fromDayCount(int64_t days) { return civilFromDays(days - kEpochShift); }

CivilDate todayDate() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
}

std::string dateText(const CivilDate& date) {
    if (!date.isValid() || date.dayCount() <= 0) return {};
    char buf[40];  // room for any int fields, so the compiler can prove no truncation
    std::snprintf(buf, sizeof buf, "%02d/%02d/%04d", date.month, date.day, date.year);
    return buf;
}

std::string dateText(const std::optional<CivilDate>& date) { return date ? dateText(*date) : std::string(); }

std::optional<CivilDate> readDateText(std::string_view text) {
    std::string_view t = trimText(text);
    if (t.empty()) return std::nullopt;
    // Positions of "mm", "dd" and "yyyy" in the template "mm/dd/yyyy".
    auto field = [t](size_t pos, size_t len) {
        return pos < t.size() ? readInt(t.substr(pos, len), 0) : 0;
    };
    CivilDate d{field(6, 4), field(0, 2), field(3, 2)};
    if (!d.isValid()) throw EError("'" + std::string(t) + "' is not a valid date");
    return d;
}

int weekdayOf(const CivilDate& date) {
    // Day 0 (12/30/1899) was a Saturday (6); the floor modulo keeps days before it right.
    const int64_t shifted = (date.dayCount() + 5) % 7;
    return static_cast<int>(shifted < 0 ? shifted + 7 : shifted) + 1;
}

std::optional<int> weekdayOfDateText(std::string_view text) {
    try {
        const std::optional<CivilDate> d = readDateText(text);
        if (!d) return std::nullopt;
        return weekdayOf(*d);
    } catch (const EError&) {
        return std::nullopt;
    }
}

}  // namespace tavlora
