#include "workspace/comb_generator.h"

#include <array>
#include <atomic>
#include <cstddef>

#include "core/error.h"
#include "core/format.h"
#include "core/game.h"
#include "core/parallel.h"
#include "core/text_forms.h"

namespace tavlora {

namespace {

// Binomial coefficient C(n, k) for the small arguments of the generator.
std::size_t binomial(int n, int k) {
    if (k < 0 || n < k) return 0;
    std::size_t r = 1;
    for (int i = 1; i <= k; ++i) r = r * static_cast<std::size_t>(n - k + i) / static_cast<std::size_t>(i);
    return r;
}

// Membership of the numbers 1..69 in the generator's set.
using NumberFlags = std::array<bool, kMaxNumber + 1>;

NumberFlags flagsOf(const std::bitset<256>& numbers) {
    NumberFlags f{};
    for (int v = kMinNumber; v <= kMaxNumber; ++v) f[static_cast<std::size_t>(v)] = numbers.test(static_cast<std::size_t>(v));
    return f;
}

// Combinations a<b<c<d<e of mode 0..3 with the given first two numbers.
std::size_t pairCount(uint8_t mode, const NumberFlags& in, int a, int b) {
    const int rest = kMaxNumber - b;  // numbers above b
    int restIn = 0;
    for (int v = b + 1; v <= kMaxNumber; ++v) restIn += in[static_cast<std::size_t>(v)] ? 1 : 0;
    const int restOut = rest - restIn;
    const bool aIn = in[static_cast<std::size_t>(a)], bIn = in[static_cast<std::size_t>(b)];
    switch (mode) {
        case kGenerateFull:
            return binomial(rest, 3);
        case kGenerateAnyOf:
            return (aIn || bIn) ? binomial(rest, 3) : binomial(rest, 3) - binomial(restOut, 3);
        case kGenerateOnlyOf:
            return (aIn && bIn) ? binomial(restIn, 3) : 0;
        case kGenerateNoneOf:
            return (!aIn && !bIn) ? binomial(restOut, 3) : 0;
        default:
            return 0;
    }
}

struct PairSlice {
    uint8_t a;
    uint8_t b;
    std::size_t offset;
};

// Writes the combinations with first numbers a, b in lexicographic order; returns the end.
template <uint8_t Mode>
TComb* writePair(TComb* out, const NumberFlags& in, int a, int b) {
    const bool aIn = in[static_cast<std::size_t>(a)], bIn = in[static_cast<std::size_t>(b)];
    TComb t;
    t.n[0] = static_cast<uint8_t>(a);
    t.n[1] = static_cast<uint8_t>(b);
    for (int c = b + 1; c <= kMaxNumber - 2; ++c) {
        const bool cIn = in[static_cast<std::size_t>(c)];
        t.n[2] = static_cast<uint8_t>(c);
        for (int d = c + 1; d <= kMaxNumber - 1; ++d) {
            const bool dIn = in[static_cast<std::size_t>(d)];
            t.n[3] = static_cast<uint8_t>(d);
            for (int e = d + 1; e <= kMaxNumber; ++e) {
                bool keep = true;
                if constexpr (Mode == kGenerateAnyOf) {
                    keep = aIn || bIn || cIn || dIn || in[static_cast<std::size_t>(e)];
                } else if constexpr (Mode == kGenerateOnlyOf) {
                    keep = aIn && bIn && cIn && dIn && in[static_cast<std::size_t>(e)];
                } else if constexpr (Mode == kGenerateNoneOf) {
                    keep = !(aIn || bIn || cIn || dIn || in[static_cast<std::size_t>(e)]);
                }
                if (keep) {
                    t.n[4] = static_cast<uint8_t>(e);
                    *out++ = t;
                }
            }
        }
    }
    return out;
}

TComb* writePairFor(uint8_t mode, TComb* out, const NumberFlags& in, int a, int b) {
    switch (mode) {
        case kGenerateAnyOf: return writePair<kGenerateAnyOf>(out, in, a, b);
        case kGenerateOnlyOf: return writePair<kGenerateOnlyOf>(out, in, a, b);
        case kGenerateNoneOf: return writePair<kGenerateNoneOf>(out, in, a, b);
        default: return writePair<kGenerateFull>(out, in, a, b);
    }
}

}  // namespace

const std::vector<std::string>& generateModeCaptions() {
    static const std::vector<std::string> captions{
        "Полный список (все возможные для данного лото варианты)",
        "Мои числа - должно присутствовать любое из указанных",
        "Мои числа - комбинации только из списка указанных",
        "Мои числа - исключить комбинации с любым из указанных",
        "Загрузить список из заранее подготовленного CSV-файла",
    };
    return captions;
}

std::bitset<256> parseGeneratorNumbers(std::string_view parameters) {
    std::bitset<256> set;
    for (std::string_view word : splitWords(parameters, ",;")) {
        const int v = readInt(trimText(word), 0);
        if (v >= 0 && v <= 255) set.set(static_cast<std::size_t>(v));
    }
    return set;
}

std::size_t generatedCount(uint8_t mode, const std::bitset<256>& numbers) {
    if (mode > kGenerateNoneOf) return 0;
    const NumberFlags in = flagsOf(numbers);
    std::size_t total = 0;
    for (int a = kMinNumber; a <= kMaxNumber - 4; ++a)
        for (int b = a + 1; b <= kMaxNumber - 3; ++b) total += pairCount(mode, in, a, b);
    return total;
}

TCombGenerator::TCombGenerator(uint8_t mode, const std::bitset<256>& numbers) : mode_(mode), numbers_(numbers) {
    if (mode > kGenerateNoneOf) throw EError(fmt(kCombsUnknownModeError, static_cast<int>(mode)));
}

bool TCombGenerator::generate(TCombsArray& out, Progress& progress) const {
    const uint8_t mode = mode_;
    const NumberFlags in = flagsOf(numbers_);
    // The lexicographic order is cut at the first two numbers: every (a, b) slice knows its
    // size by binomials, hence its offset, and is written in place by whichever worker takes it.
    std::vector<PairSlice> slices;
    slices.reserve(2300);
    std::size_t total = 0;
    for (int a = kMinNumber; a <= kMaxNumber - 4; ++a) {
        for (int b = a + 1; b <= kMaxNumber - 3; ++b) {
            const std::size_t n = pairCount(mode, in, a, b);
            if (n == 0) continue;
            slices.push_back({static_cast<uint8_t>(a), static_cast<uint8_t>(b), total});
            total += n;
        }
    }
    out.resize(total);
    TComb* base = out.data();
    std::atomic<bool> mismatch{false};
    const bool completed = parallelForChunks(
        slices.size(),
        [&](std::size_t s0, std::size_t s1, unsigned) {
            for (std::size_t s = s0; s < s1; ++s) {
                const PairSlice& sl = slices[s];
                TComb* end = writePairFor(mode, base + sl.offset, in, sl.a, sl.b);
                const std::size_t expectedEnd = s + 1 < slices.size() ? slices[s + 1].offset : total;
                if (end != base + expectedEnd) mismatch.store(true);
            }
        },
        &progress, 1);
    if (mismatch.load()) throw EError("internal error: generated slice size differs from its count");
    return completed;
}

}  // namespace tavlora
