#pragma once
// The variants of a scenario line: every combination of the listed sample lengths and selection
// values of its filters. A variant holds one part per used filter (in field order, packed into
// the first slots); each part has a single sample length and a single selection value (or the
// whole list for the list modes). Variants are produced on demand in generation order, filter 1
// outermost and, within a filter, the sample length outer and the selection value inner, so that
// a line with many variants does not hold them all in memory.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/settings.h"
#include "scenario/scenario_line.h"

namespace tavlora {

class TStatMethod;

inline constexpr const char* kBadFilterError = "Некорректное описание фильтра: %s!";
inline constexpr const char* kTooManyVariantsError =
    "Вы задали слишком много вариантов фильтров - программа не сможет обработать их все!\rПожалуйста, "
    "уменьшите в каждом из фильтров количество вариантов длины выборки и глубины, а затем повторите попытку.";
inline constexpr const char* kVariantsStatus = "Создание всех вариантов фильтров...";
inline constexpr const char* kVariantsCountStatus = "Создание всех вариантов фильтров ( %d )...";
inline constexpr const char* kVariantsCreatedLog = "Создано %d вариантов фильтров.";
// Most variants one line may have (they are counted and shown with "%d").
inline constexpr int64_t kMaxVariants = INT32_MAX;

// One filter of one variant.
struct TFilterPart {
    bool used = false;
    const TStatMethod* method = nullptr;  // as resolved when the line was read; null: unknown code
    int methodIndex = -1;
    std::string methodText;               // the filter's method text as read
    int32_t sampleLength = 0;             // one value of the filter's draws list
    int32_t sortColumn = 0;
    bool bottomUp = false;
    bool multiSelect = false;
    bool keepSelected = false;
    uint8_t selectionMode = 0;
    std::string selectionValue;  // one value in decimal, or the joined list, or the text as entered
    std::string selectionText;   // the filter's selection text as entered
    bool weightOverride = false;
    TWeights weights;
    uint8_t stopMode = 0;
    int32_t stopValue = 0;

    // The filter text of the part: its single sample length as draws text and its selection
    // value as selection text. Empty when not used.
    std::string text() const;
};

using TFilterRec = std::array<TFilterPart, kScenarioFilterCount>;

// The texts of the used parts joined by " + ".
std::string variantText(const TFilterRec& variant);

class TFilterVariants {
public:
    // Expands every used filter of the line. Throws EError(kBadFilterError) naming the filter's
    // text when its draws list, or (for a selection mode other than 0) its selection list, is
    // empty; throws EError(kTooManyVariantsError) when there are more than kMaxVariants.
    explicit TFilterVariants(const ScenarioLine& line);

    // Number of used filters (slots of a variant that are used).
    int slotCount() const { return static_cast<int>(slots_.size()); }
    // Number of variants; 0 when the line has no filter.
    int64_t count() const { return count_; }
    // Number of parts filter slot s expands to, and part j of them (sample length outer,
    // selection value inner).
    int64_t slotSize(int slot) const;
    TFilterPart part(int slot, int64_t j) const;
    // Variant k (0-based) in generation order.
    TFilterRec variant(int64_t k) const;

private:
    struct Slot {
        TFilterPart base;
        TIntArray draws;
        std::vector<std::string> values;  // the selection value of each part of one sample length
    };
    std::vector<Slot> slots_;
    int64_t count_ = 0;
};

}  // namespace tavlora
