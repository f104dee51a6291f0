#pragma once
// The generator of the combination list: the five generation modes, the number set of "my
// numbers" and the enumeration of modes 0..3 in lexicographic order on all cores. Mode 4 (a
// prepared .lcv file) is read by the combination list through lcv_file.h.
#include <bitset>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/progress.h"
#include "core/records.h"

namespace tavlora {

inline constexpr const char* kCombsUnknownModeError = "Неизвестный режим генерации списка комбинаций: %d";

enum TGenerateMode : uint8_t {
    kGenerateFull = 0,     // every combination
    kGenerateAnyOf = 1,    // at least one number in my set
    kGenerateOnlyOf = 2,   // all five numbers in my set
    kGenerateNoneOf = 3,   // no number in my set
    kGenerateFromFile = 4  // the combinations of a .lcv file
};
// Captions of the generation modes 0..4, for the generation dialog.
const std::vector<std::string>& generateModeCaptions();

// Numbers 0..255 of the generator's parameter: split on "," and ";", each trimmed word read as
// an integer (0 when not a number) and kept when in 0..255.
std::bitset<256> parseGeneratorNumbers(std::string_view parameters);

// How many combinations modes 0..3 produce for the number set (by binomials, no enumeration);
// 0 for another mode.
std::size_t generatedCount(uint8_t mode, const std::bitset<256>& numbers);

// Enumerates the combinations a<b<c<d<e of 1..69 that a mode 0..3 keeps, in lexicographic order.
class TCombGenerator {
public:
    // Throws EError (kCombsUnknownModeError) for a mode other than 0..3.
    TCombGenerator(uint8_t mode, const std::bitset<256>& numbers);
    TCombGenerator(uint8_t mode, std::string_view parameters)
        : TCombGenerator(mode, parseGeneratorNumbers(parameters)) {}

    std::size_t count() const { return generatedCount(mode_, numbers_); }
    // Replaces out by the combinations, written in place by all cores. Returns false on a stop
    // request; out then holds an unfinished list that the caller must not use.
    bool generate(TCombsArray& out, Progress& progress) const;

private:
    uint8_t mode_;
    std::bitset<256> numbers_;
};

}  // namespace tavlora
