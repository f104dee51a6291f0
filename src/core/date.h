#pragma once
// A calendar date without time, as the draws carry it, with its day arithmetic.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tavlora {

struct CivilDate {
    int year = 0;
    int month = 0;
    int day = 0;

    // A real date of the proleptic Gregorian calendar with a year 1..9999.
    bool isValid() const;
    // Days since 12/30/1899 (day 0), the epoch of the date-time values of settings and dialogs.
    // Meaningful for valid dates only.
    int64_t dayCount() const;
    static CivilDate fromDayCount(int64_t days);
    CivilDate addDays(int64_t days) const { return fromDayCount(dayCount() + days); }
    // yyyymmdd as one integer (20150314), handy for sorting and comparing.
    int yyyymmdd() const { return year * 10000 + month * 100 + day; }
    static CivilDate fromYyyymmdd(int v) { return {v / 10000, v / 100 % 100, v % 100}; }

    auto operator<=>(const CivilDate&) const = default;
};

// Days in a month of a year; 0 for a month outside 1..12.
int daysInMonth(int year, int month);
// Today's date on the local clock.
CivilDate todayDate();

// "mm/dd/yyyy". A date that is not valid or does not lie after 12/30/1899 (a date-time value of
// zero or below, meaning "no date") gives the empty text.
std::string dateText(const CivilDate& date);
std::string dateText(const std::optional<CivilDate>& date);
// Reads a date written as "mm/dd/yyyy": the text is trimmed; an empty text is "no date"
// (nullopt). Month, day and year are read from characters 1..2, 4..5 and 7..10, each as a
// decimal integer (0 when not a number). Throws EError("'<text>' is not a valid date") when
// they do not form a valid calendar date.
std::optional<CivilDate> readDateText(std::string_view text);
// Day of the week of a valid date: Monday = 1 ... Sunday = 7.
int weekdayOf(const CivilDate& date);
// The day of the week of a date text ("mm/dd/yyyy"); nothing when the text is empty or not a date.
std::optional<int> weekdayOfDateText(std::string_view text);

}  // namespace tavlora
