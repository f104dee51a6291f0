#include "stats/custom_stat.h"

#include <filesystem>

#include "core/format.h"
#include "core/settings.h"
#include "core/text_forms.h"
#include "stats/stat_list.h"

namespace tavlora {

namespace {

bool hasPlaceholder(std::string_view pattern) { return pattern.find('%') != std::string_view::npos; }

// Splits a UTF-8 text into its characters (each a string of 1..4 bytes).
std::vector<std::string_view> utf8Chars(std::string_view text, size_t limit) {
    std::vector<std::string_view> out;
    size_t i = 0;
    while (i < text.size() && out.size() < limit) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        size_t len = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 1;
        if (i + len > text.size()) len = text.size() - i;
        out.push_back(text.substr(i, len));
        i += len;
    }
    return out;
}

}  // namespace

// --- TStatClassInfo ----------------------------------------------------------------------

std::string TStatClassInfo::formattedCode(int parameter) const {
    if (!hasPlaceholder(code)) return std::string(code);
    return fmt(code, fixedNumber >= 0 ? fixedNumber : parameter);
}

std::string TStatClassInfo::formattedCaption(int parameter) const {
    if (captionFormatter) return captionFormatter(*this, parameter);
    if (!hasPlaceholder(caption)) return std::string(caption);
    return fmt(caption, fixedNumber >= 0 ? fixedNumber : parameter);
}

TStatInstanceRange TStatClassInfo::instanceRange(const TSettings& settings) const {
    if (!multiInstance) return {};
    return rangeFromSettings ? rangeFromSettings(settings) : range;
}

std::string TStatClassInfo::helpPage(int parameter) const {
    std::string base = baseCodeText();
    if (hasPlaceholder(base)) base = fmt(base, fixedNumber >= 0 ? fixedNumber : parameter);
    return fmt("Filters_%.4d_%s.htm", kHelpLanguage, base);
}

std::string TStatClassInfo::helpTopic(int parameter, const std::string& helpFile) const {
    if (helpFile.empty()) return {};
    std::error_code ec;
    if (!std::filesystem::exists(helpFile, ec)) return {};
    return "ms-its:" + helpFile + "::/" + helpPage(parameter);
}

// --- TCustomStat -------------------------------------------------------------------------

TCustomStat::TCustomStat(const TStatList& list, const TStatClassInfo& cls, int parameter)
    : list_(list), class_(&cls), parameter_(parameter) {}

const TDrawsArray& TCustomStat::draws() const { return list_.draws(); }

TDraw TCustomStat::drawAt(int index, bool sorted) const {
    const TDrawsArray& a = draws();
    if (index < 0 || static_cast<size_t>(index) >= a.size()) return TDraw{};
    return sorted ? sortedDraw(a[static_cast<size_t>(index)]) : a[static_cast<size_t>(index)];
}

void TCustomStat::resetWorking(int32_t count) {
    working_ = TStatDraw{};
    working_.count = count;
}

int32_t TCustomStat::textToValue(std::string_view text) const { return readInt(text, 0); }

int32_t TCustomStat::typedValue(std::string_view text) const {
    return class_->acceptsTypedValues ? textToValue(text) : 0;
}

void TCustomStat::listAllValues(int, TStatDrawArray&) { resetWorking(0); }

void TCustomStat::loadDraws(int currentIndex, int referenceIndex, bool sorted) {
    current_ = drawAt(currentIndex, sorted);
    if (class_->kinds & kindD) reference_ = drawAt(referenceIndex, sorted);
}

void TCustomStat::valuesOfComb(const TComb&, TStatDrawArray&) { resetWorking(1); }

void TCustomStat::valuesOfDraw(int index, int lastIndex, bool sorted, TStatDrawArray&, TStatState&,
                               TLastValueArray&) {
    loadDraws(index, lastIndex, sorted);
    resetWorking(1);
    working_.lastDraw = current_.number;
    working_.runningDraw = current_.number;
    working_.depth = lastIndex - index + 1;
}

int32_t TCustomStat::findNextOccurrence(const TStatDraw& value, int fromIndex, int lastIndex, bool sorted) {
    auto state = std::make_unique<TStatState>();
    TLastValueArray lastValues;
    TStatDrawArray list;
    const int size = static_cast<int>(draws().size());
    for (int i = fromIndex < 0 ? 0 : fromIndex; i < size; ++i) {
        list.clear();
        valuesOfDraw(i, lastIndex, sorted, list, *state, lastValues);
        const int at = findValue(list, value);
        if (at >= 0) return list[static_cast<size_t>(at)].lastDraw;
    }
    return -1;
}

std::unique_ptr<const TStatMatcher> TCustomStat::prepareFilter(const TStatDrawArray& selection, int referenceIndex,
                                                               bool sorted, TFilterMode mode) const {
    return std::make_unique<const TStatMatcher>(*this, selection, referenceIndex, sorted, mode);
}

std::unique_ptr<const TMatchTables> TCustomStat::buildMatchTables(const TStatMatcher&) const { return nullptr; }

void TCustomStat::matchChunk(const TComb* combs, size_t count, const TStatMatcher& matcher, uint8_t* matched) const {
    for (size_t k = 0; k < count; ++k) matched[k] = matchTest(combs[k], matcher) ? 1 : 0;
}

// --- bases -------------------------------------------------------------------------------

std::string TCustomGraphStat::valueToText(const TStatDraw& value) const { return numberText(value.keys[0]); }

int32_t TCustomGraphStat::numberOfDraw(int index, int referenceIndex, bool sorted) const {
    const TDraw d = drawAt(index, sorted);
    TComb c;
    for (size_t i = 0; i < 5; ++i) c.n[i] = d.nums[i];
    return numberOfComb(c, index, referenceIndex, sorted);
}

std::string TCustomValuesStat::valueToText(const TStatDraw& value) const { return numberText(value.keys[0]); }

std::string TCustomNumbersStat::valueToText(const TStatDraw& value) const { return numberText(value.keys[0]); }

std::string TCustomRatioStat::valueToText(const TStatDraw& value) const {
    const int k = value.keys[0];
    return numberText(k) + ":" + numberText(5 - k);
}

int32_t TCustomRatioStat::textToValue(std::string_view text) const {
    const size_t colon = text.find(':');
    return readInt(colon == std::string_view::npos ? text : text.substr(0, colon), 0);
}

std::string TCustomMaskStat::valueToText(const TStatDraw& value) const {
    const int mask = value.keys[0];
    const std::string l0 = letterFor0(), l1 = letterFor1();
    std::string letters;
    for (int p = 1; p <= 5; ++p) letters += ((mask >> (5 - p)) & 1) ? l1 : l0;
    return fmt("%s (%.3d)", letters, mask);
}

int32_t TCustomMaskStat::textToValue(std::string_view text) const {
    const std::string l1 = letterFor1();
    const auto chars = utf8Chars(text, 5);
    int32_t mask = 0;
    for (size_t p = 0; p < 5; ++p) mask = 2 * mask + (p < chars.size() && chars[p] == l1 ? 1 : 0);
    return mask;
}

void TCustomMaskStat::listAllValues(int lastIndex, TStatDrawArray& list) {
    TCustomStat::listAllValues(lastIndex, list);
    for (uint16_t m = 0; m < 32; ++m) {
        working_.setKeys(m);
        addWorking(list, false);
    }
}

}  // namespace tavlora
