#pragma once
// The statistics method: the per-class descriptor (class-level operations answered without an
// instance), the base class TCustomStat with its instance operations, and the intermediate bases
// the families derive from.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "core/records.h"
#include "stats/stat_matcher.h"
#include "stats/stat_types.h"

namespace tavlora {

class TCustomStat;
class TStatList;
class TSettings;

struct TStatInstanceRange {
    int lower = 0;
    int upper = 0;
};

// The class-level operations of one statistics method class. One constant object per class,
// named in the registry order table (stat_classes.h).
struct TStatClassInfo {
    using CreateFn = std::unique_ptr<TCustomStat> (*)(const TStatList& list, const TStatClassInfo& cls, int parameter);

    std::string_view className;  // "TstSumValues"
    std::string_view code;       // "SUMS", or a pattern with "%d" ("SUM%d")
    std::string_view caption;    // caption pattern, formatted with the parameter
    int group = 0;               // 0..12
    TStatKinds kinds = 0;        // declared kinds (never G)
    CreateFn create = nullptr;
    std::string_view baseCode = {};  // help-topic code; empty means the code
    bool isGraph = false;
    bool available = true;
    bool listed = true;
    bool acceptsTypedValues = true;
    bool multiInstance = false;
    TStatInstanceRange range{};  // instance range of a multi-instance class
    // Instance range computed from the settings when the registry is rebuilt (channels, ...).
    TStatInstanceRange (*rangeFromSettings)(const TSettings& settings) = nullptr;
    // Number a "%d" code and caption are formatted with instead of the parameter (KNM2 ...); -1: none.
    int fixedNumber = -1;
    // Replaces the formatted caption (for captions with more than one argument).
    std::string (*captionFormatter)(const TStatClassInfo& cls, int parameter) = nullptr;
    // -1: has norm when the kinds hold N; 0 / 1 to override.
    int hasNormOverride = -1;

    std::string baseCodeText() const { return std::string(baseCode.empty() ? code : baseCode); }
    TStatKinds kindsWithGraph() const { return static_cast<TStatKinds>(kinds | (isGraph ? kindG : 0)); }
    bool hasNorm() const { return hasNormOverride >= 0 ? hasNormOverride != 0 : (kinds & kindN) != 0; }
    std::string formattedCode(int parameter) const;
    std::string formattedCaption(int parameter) const;
    TStatInstanceRange instanceRange(const TSettings& settings) const;
    // "ms-its:<help file>::/Filters_1049_<base code>.htm"; empty when the help file is not set or missing.
    std::string helpTopic(int parameter, const std::string& helpFile) const;
    // The page name of the method's description, "Filters_1049_<base code>.htm".
    std::string helpPage(int parameter) const;
};

// Creates an instance of class T (the CreateFn of a descriptor).
template <typename T>
std::unique_ptr<TCustomStat> createStat(const TStatList& list, const TStatClassInfo& cls, int parameter) {
    return std::make_unique<T>(list, cls, parameter);
}

// A statistics method instance. Instances are short-lived: one statistics run, one filter run or
// one chart. Values-of operations fill the instance's working value and are not for concurrent
// use; a filter is prepared into an immutable matcher (prepareFilter), whose match tests and the
// graph numbers are const and may run on several threads at once.
class TCustomStat {
public:
    TCustomStat(const TStatList& list, const TStatClassInfo& cls, int parameter);
    virtual ~TCustomStat() = default;
    TCustomStat(const TCustomStat&) = delete;
    TCustomStat& operator=(const TCustomStat&) = delete;

    const TStatClassInfo& statClass() const { return *class_; }
    const TStatList& registry() const { return list_; }
    int parameter() const { return parameter_; }
    std::string instanceCaption() const { return class_->formattedCaption(parameter_); }

    virtual std::string valueToText(const TStatDraw& value) const = 0;
    // The whole text read as a decimal integer; 0 when not a number.
    virtual int32_t textToValue(std::string_view text) const;
    // textToValue when the class accepts typed values, else 0.
    int32_t typedValue(std::string_view text) const;

    // Pre-lists the values the method can take (count 0); lists nothing by default.
    virtual void listAllValues(int lastIndex, TStatDrawArray& list);
    // current draw := draw at currentIndex; for kind D also reference draw := draw at referenceIndex.
    // An index outside the archive gives an all-zero draw; sorted sorts the five numbers.
    virtual void loadDraws(int currentIndex, int referenceIndex, bool sorted);
    // Values of one combination (count 1 each, no period bookkeeping).
    virtual void valuesOfComb(const TComb& comb, TStatDrawArray& list);
    // Values of the draw at index within a window ending at lastIndex (count 1 each, periods measured).
    virtual void valuesOfDraw(int index, int lastIndex, bool sorted, TStatDrawArray& list, TStatState& state,
                              TLastValueArray& lastValues);
    // Draw number of the first draw from fromIndex to the end of the archive that produces a value
    // with the keys of `value`; -1 when none does.
    virtual int32_t findNextOccurrence(const TStatDraw& value, int fromIndex, int lastIndex, bool sorted);

    // Prepares a filter run: the matcher of this method for a copy of the selection, with every
    // lookup table of the run built once. It never changes, and any number of matchers of one
    // method may be alive at once; the method must outlive them.
    std::unique_ptr<const TStatMatcher> prepareFilter(const TStatDrawArray& selection, int referenceIndex, bool sorted,
                                                      TFilterMode mode = TFilterMode::Include) const;

    // Norm runs: while `counts` is set (not null), the values of combinations that the method adds
    // through its working value are counted into it; values the method adds to the list by other
    // means still go to the list. The caller counts both.
    void countValuesInto(TValueCounts* counts) { counts_ = counts; }
    // Norm runs over the full set: counts the values of `count` combinations straight into
    // `counts`, exactly as valuesOfComb would count them with countValuesInto(&counts). Returns
    // false when the method has no such shortcut (also for an empty batch, so a caller may ask
    // once with count 0); the caller then walks valuesOfComb.
    virtual bool countCombValues(const TComb* combs, size_t count, TValueCounts& counts) const {
        (void)combs;
        (void)count;
        (void)counts;
        return false;
    }

    const TDraw& currentDraw() const { return current_; }
    const TDraw& referenceDraw() const { return reference_; }

protected:
    // The match protocol, called through a matcher of this method (TStatMatcher).
    friend class TStatMatcher;
    // The method's own lookup tables for the matcher's selection (none by default); called once
    // while the matcher is built, with every other part of it set.
    virtual std::unique_ptr<const TMatchTables> buildMatchTables(const TStatMatcher& matcher) const;
    // True when the combination carries one of the matcher's selected values.
    virtual bool matchTest(const TComb& comb, const TStatMatcher& matcher) const = 0;
    // The match tests of `count` consecutive combinations: matched[k] = 1 when matchTest(combs[k])
    // is true, else 0. The default calls matchTest for each; a method may override it with a
    // faster loop that gives the same answers (same thread-safety as matchTest).
    virtual void matchChunk(const TComb* combs, size_t count, const TStatMatcher& matcher, uint8_t* matched) const;

    const TDrawsArray& draws() const;
    // The draw at index as analyses see it (zero outside the archive; sorted on request).
    TDraw drawAt(int index, bool sorted) const;
    // Working value helpers.
    void resetWorking(int32_t count);
    // While value counts are attached, the values of combinations go to them instead of the list.
    void addWorking(TStatDrawArray& list, bool fromDraw) {
        if (counts_ && !fromDraw)
            counts_->add(working_.packedKeys(), working_.count);
        else
            addValue(list, working_, fromDraw);
    }
    // True in a norm run (countValuesInto attached counts): addWorking then counts the values of
    // combinations directly, which beats any value-list shortcut of a method.
    bool countingValues() const { return counts_ != nullptr; }
    TStatDraw working_{};
    TDraw current_{};
    TDraw reference_{};

private:
    const TStatList& list_;
    const TStatClassInfo* class_;
    int32_t parameter_;
    TValueCounts* counts_ = nullptr;
};

// Sum of the five numbers of a combination or draw.
inline int combSum(const TComb& c) { return c.n[0] + c.n[1] + c.n[2] + c.n[3] + c.n[4]; }
inline int drawSum(const TDraw& d) { return d.nums[0] + d.nums[1] + d.nums[2] + d.nums[3] + d.nums[4]; }

// A method whose value is one number per draw, shown in charts.
class TCustomGraphStat : public TCustomStat {
public:
    using TCustomStat::TCustomStat;
    std::string valueToText(const TStatDraw& value) const override;
    // The number of the five numbers `nums`; drawIndex tells members that compare with the draw
    // before which draw that is.
    virtual int32_t numberOfComb(const TComb& nums, int drawIndex, int referenceIndex, bool sorted) const = 0;
    // numberOfComb of the five numbers of the draw at index (sorted when asked).
    virtual int32_t numberOfDraw(int index, int referenceIndex, bool sorted) const;
};

// Values that are lottery numbers; value text is key 1 in plain decimal.
class TCustomValuesStat : public TCustomStat {
public:
    using TCustomStat::TCustomStat;
    std::string valueToText(const TStatDraw& value) const override;
};

// Values that are counts or other integers; value text is key 1 in plain decimal.
class TCustomNumbersStat : public TCustomStat {
public:
    using TCustomStat::TCustomStat;
    std::string valueToText(const TStatDraw& value) const override;
};

// A count k (0..5) of numbers with a property, shown as "k:5-k".
class TCustomRatioStat : public TCustomGraphStat {
public:
    using TCustomGraphStat::TCustomGraphStat;
    std::string valueToText(const TStatDraw& value) const override;
    // The text up to the first ":" as a decimal integer; 0 when not a number.
    int32_t textToValue(std::string_view text) const override;
};

// A 5-bit mask, position 1 in the highest bit, shown as five letters and "(%.3d)".
class TCustomMaskStat : public TCustomStat {
public:
    using TCustomStat::TCustomStat;
    virtual std::string letterFor0() const = 0;
    virtual std::string letterFor1() const = 0;
    std::string valueToText(const TStatDraw& value) const override;
    int32_t textToValue(std::string_view text) const override;
    void listAllValues(int lastIndex, TStatDrawArray& list) override;
};

}  // namespace tavlora
