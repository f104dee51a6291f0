#include "scenario/rating_to_scenario.h"

#include "core/codepage.h"
#include "core/format.h"
#include "core/text_forms.h"
#include "scenario/scenario.h"
#include "scenario/scenario_line.h"
#include "stakes/ratings.h"

namespace tavlora {

namespace {

// Number of fields of a line text as the line reader sees them (runs of "|" count as one).
int fieldCount(std::string_view text) {
    int n = 0;
    size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && text[i] == '|') ++i;
        if (i >= text.size()) break;
        ++n;
        while (i < text.size() && text[i] != '|') ++i;
    }
    return n;
}

}  // namespace

bool ratingKeyWasCut(std::string_view key) { return utf8ToCp1251(key).size() >= TRatingRecord::kKeyMax; }

std::optional<std::string> scenarioLineFromRatingKey(std::string_view key) {
    if (ratingKeyWasCut(key)) return std::nullopt;
    std::string comment;
    std::string t(key);
    const size_t at = t.find('@');
    if (at != std::string::npos) {
        comment = std::string(trimText(std::string_view(t).substr(0, at)));
        t = std::string(trimText(std::string_view(t).substr(at + 1)));
    }
    for (size_t p = t.find(" + "); p != std::string::npos; p = t.find(" + ", p + 1)) t.replace(p, 3, "|");
    while (fieldCount(t) <= kScenarioFilterCount) t += "| ";
    t += "|" + comment;

    // A key whose fields do not read (not made by a scenario, or damaged) would become a line of
    // defaults: it is refused like a key without filters.
    if (!scenarioLineFault(t, nullptr).empty()) return std::nullopt;
    const ScenarioLineFields fields = splitScenarioLine(t);
    for (const std::string& f : fields.filters)
        if (!TFilterItem::parse(f, nullptr).text().empty()) return t;
    return std::nullopt;
}

int addRatingKeysToScenario(TScenario& scenario, const std::vector<std::string>& keys, Interaction& interaction,
                            Progress* progress) {
    StatusScope status(progress, kRatingsToScenarioStatus);
    int added = 0;
    for (const std::string& key : keys) {
        const auto line = scenarioLineFromRatingKey(key);
        if (!line) {
            interaction.error(fmt(ratingKeyWasCut(key) ? kRatingsKeyCutError : kRatingsToScenarioError, key));
            continue;
        }
        scenario.append(*line);
        ++added;
    }
    return added;
}

}  // namespace tavlora
