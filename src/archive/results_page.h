#pragma once
// The operator's results page: the address of a search for the draws of a date range, the
// cutting of its HTML table into rows, and the checks that turn rows into new draws.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "archive/draw_archive.h"
#include "core/date.h"
#include "core/records.h"

namespace tavlora {

// Path of the results search page on the operator's site.
inline constexpr const char* kResultsPagePath = "/site/winningNumberSearch";

// Markers of the page: the results section, and the body of its table.
inline constexpr const char* kResultsSectionBegin = "<section class=\"winningNumbersResults\">";
inline constexpr const char* kResultsSectionEnd = "<footer id=\"footerMain\">";
inline constexpr const char* kResultsTableBegin = "</thead><tbody>";
inline constexpr const char* kResultsTableEnd = "</tbody></table>";
inline constexpr const char* kMarkerPairMissing =
    "Не удалось найти пару идентификаторов \"%1:s\" - \"%2:s\" в тексте\r\r[%0:s]!";

// A date as the search form writes it: "03%2F14%2F2015" (month, day, year, escaped slashes).
std::string searchDateText(const CivilDate& date);

// Percent-encoding of a query value (unreserved characters kept, everything else %XX).
std::string urlEncode(std::string_view text);

// The address of the search for the draws of from..to. base is the site ("https://host",
// "http://127.0.0.1:8080/"), to which the page path is added, or an address that already has
// a path (a page on another path, a file:// page), which is used as it is. The query keys come
// in the order the search form sends them: searchTypeIn=range, gameNameIn, singleDateIn (empty),
// fromDateIn, toDateIn, n1In..n5In (empty), submitForm=Submit.
std::string resultsPageUrl(std::string_view base, std::string_view gameName, const CivilDate& from,
                           const CivilDate& to);

// One row of the results table as found on the page, both pieces trimmed and unquoted.
struct PageRow {
    std::string date;
    std::string numbers;
    bool operator==(const PageRow&) const = default;
};

// Cuts the rows out of a page. Markers are found without regard to case. A page without the
// results section or without the table body has no rows; a page where an opening marker has
// no closing marker after it throws EError(kMarkerPairMissing) naming the pair and showing the
// beginning of the text searched. Each "<tr" ... "</tr>" piece is a row; its first
// "<div>" ... "</div>" piece is the date, its second one the numbers.
std::vector<PageRow> readResultsPage(std::string_view page);

// Why a row of the page did not become a draw.
enum class RowSkip {
    NotHeld,          // no numbers yet ("" or "-"): the draw is still to come
    InArchive,        // dated on or before the archive's newest draw
    RepeatedDate,     // a second row of a date already taken from this page
    BadDate,          // the date text is not a date
    FutureDate,       // dated after today
    BadNumbers,       // not five main numbers and an extra number, or not numbers at all
    NumberOutOfRange, // a main number outside 1..69 or an extra number outside 1..26
    RepeatedNumber,   // a main number twice
};

struct SkippedRow {
    PageRow row;
    RowSkip reason = RowSkip::BadNumbers;
    // Rows a sound page never has (a damaged or tampered answer), worth telling the user about;
    // rows of draws still to come or already in the archive are ordinary.
    bool suspicious() const { return reason != RowSkip::NotHeld && reason != RowSkip::InArchive; }
    // "Пропущена строка страницы результатов: дата "...", числа "..." (<reason>)."
    std::string text() const;
};

// The reason as a short Russian phrase ("тираж уже есть в архиве").
std::string rowSkipText(RowSkip reason);

// What the rows of one page give.
struct PageDraws {
    TDrawsArray draws;  // new draws in date order, numbered on from the archive
    std::vector<SkippedRow> skipped;
};

// Turns rows into new draws. The numbers text is five words separated by "-"; the fifth word,
// split at blanks, holds the fifth main number first and the extra number third
// ("3 - 17 - 20 - 40 - 57 + 12"). A row becomes a draw only when its date is a real date later
// than the archive's newest draw (newestDate, nullopt for an empty archive) and not after today,
// its five main numbers are distinct numbers 1..69 and its extra number is 1..26; every other
// row is skipped with its reason. The draws are put in date order and numbered firstNumber,
// firstNumber + 1, ...; their date text is written as "mm/dd/yyyy".
PageDraws pageDraws(const std::vector<PageRow>& rows, std::optional<CivilDate> newestDate, const CivilDate& today,
                    int firstNumber);

}  // namespace tavlora
