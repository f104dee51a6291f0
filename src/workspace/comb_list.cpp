#include "workspace/comb_list.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstddef>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <functional>
#include <string>
#include <system_error>
#include <type_traits>

#include "core/codepage.h"
#include "core/error.h"
#include "core/file_util.h"
#include "core/format.h"
#include "core/game.h"
#include "core/text_forms.h"

namespace tavlora {

// The buffer file is the list's memory image: five one-byte fields per record, no padding, so
// the records can be written and read as bytes without any byte-order concern.
static_assert(sizeof(TComb) == 5 && alignof(TComb) == 1 && std::is_trivially_copyable_v<TComb> &&
              std::is_standard_layout_v<TComb>);

namespace {

// Forwards to another Progress and rewrites the status text with the percentage done whenever
// the gauge moves (the parallel loop moves it about every 1 %).
class PercentText : public Progress {
public:
    PercentText(Progress& inner, std::function<std::string(double)> text) : inner_(inner), text_(std::move(text)) {}
    void setText(const std::string& text) override { inner_.setText(text); }
    void setMaximum(int64_t maximum) override {
        max_ = maximum;
        inner_.setMaximum(maximum);
    }
    void setPosition(int64_t position) override {
        inner_.setPosition(position);
        if (max_ > 0) {
            const double percent = 100.0 * static_cast<double>(std::min(position, max_)) / static_cast<double>(max_);
            inner_.setText(text_(percent));
        }
    }
    void pump() override { inner_.pump(); }
    bool stopRequested() const override { return inner_.stopRequested(); }

private:
    Progress& inner_;
    std::function<std::string(double)> text_;
    int64_t max_ = 0;
};

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

// --- generation ------------------------------------------------------------------------------

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

void TCombList::generateInto(TCombsArray& out, uint8_t mode, const std::bitset<256>& numbers, Progress& progress,
                             bool& completed) {
    const NumberFlags in = flagsOf(numbers);
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
    completed = parallelForChunks(
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
}

bool TCombList::generate(uint8_t mode, std::string_view parameters, Progress& progress, Interaction& interaction) {
    StatusScope status(progress, kCombsGeneratingText);
    bool ok = false;
    if (mode == kGenerateFromFile) {
        const std::filesystem::path file{std::string(parameters)};
        std::string bytes;
        try {
            bytes = readFileBytes(file);
        } catch (const std::exception& e) {
            current_.clear();
            snapCount_ = 0;
            filters_.clear();
            interaction.error(fmt(kCombsReadError, file.string(), std::string(e.what())));
            return false;
        }
        current_.clear();
        parseLcvText(bytes, current_);
        ok = true;
    } else {
        try {
            if (mode > kGenerateNoneOf) throw EError(fmt(kCombsUnknownModeError, static_cast<int>(mode)));
            // Built in the snapshot's storage; the old list stays untouched until the new one is
            // complete, so a stop or a failure leaves it exactly as it was.
            bool completed = false;
            snapCount_ = 0;
            generateInto(snap_, mode, parseGeneratorNumbers(parameters), progress, completed);
            if (completed) {
                current_.swap(snap_);
                ok = true;
            }
            snap_.clear();
        } catch (const std::exception& e) {
            snap_.clear();
            snapCount_ = 0;
            interaction.error(fmt(kCombsGenerateError, std::string(e.what())));
            return false;
        }
    }
    snapCount_ = 0;
    if (ok) filters_.clear();
    return ok;
}

void storeGeneratorMemory(TSettings& settings, uint8_t mode, std::string_view parameters,
                          const std::filesystem::path& iniPath) {
    settings.generateMode = mode;
    settings.generateParameters = truncateToCp1251Bytes(parameters, 255);  // the key holds 255 characters
    settings.saveGeneratorMemory(iniPath);
}

// --- .lcv text -------------------------------------------------------------------------------

std::string lcvText(const TCombsArray& combs) {
    std::string out;
    out.reserve(combs.size() * 16);
    char buf[32];
    for (const TComb& c : combs) {
        char* p = buf;
        for (int i = 0; i < kBallsInDraw; ++i) {
            if (i > 0) *p++ = ';';
            const unsigned v = c.n[static_cast<std::size_t>(i)];
            if (v >= 100) *p++ = static_cast<char>('0' + v / 100);
            if (v >= 10) *p++ = static_cast<char>('0' + v / 10 % 10);
            *p++ = static_cast<char>('0' + v % 10);
        }
        *p++ = '\r';
        *p++ = '\n';
        out.append(buf, static_cast<std::size_t>(p - buf));
    }
    return out;
}

void parseLcvText(std::string_view text, TCombsArray& out) {
    for (std::string_view line : splitLines(text)) {
        if (trimText(line).empty()) continue;
        const auto words = splitWords(line, ",;");
        if (words.size() != static_cast<std::size_t>(kBallsInDraw)) continue;
        TComb c;
        for (int i = 0; i < kBallsInDraw; ++i) {
            const int v = readInt(trimText(words[static_cast<std::size_t>(i)]), 0);
            c.n[static_cast<std::size_t>(i)] = static_cast<uint8_t>(v >= 0 && v <= 255 ? v : 0);
        }
        out.push_back(c);
    }
}

// --- the list ----------------------------------------------------------------------------------

TCombList::TCombList(std::filesystem::path bufferFile) : bufferFile_(std::move(bufferFile)) {
    current_.reserve(kFullCombCount);
    snap_.reserve(kFullCombCount);
}

std::string TCombList::countStatusText() const { return fmt(kCombsCountStatus, static_cast<int64_t>(count())); }

void TCombList::takeUndoPoint(Progress& progress) {
    StatusScope status(progress, kCombsUndoPointText);
    snapCount_ = 0;
    snap_.assign(current_.begin(), current_.end());
    snapCount_ = snap_.size();
}

bool TCombList::undo(Progress& progress) {
    if (!canUndo()) return false;
    StatusScope status(progress, kCombsUndoText);
    current_.swap(snap_);
    current_.resize(snapCount_);
    snapCount_ = 0;
    if (!filters_.empty()) filters_.pop_back();
    return true;
}

void TCombList::addAppliedFilter(std::string name, std::string values, bool removed) {
    filters_.push_back({std::move(name), std::move(values), static_cast<int64_t>(count()),
                        removed ? TFilterIcon::Remove : TFilterIcon::Keep});
}

void TCombList::addUndoRow() {
    filters_.push_back({kFilterUndoRow, std::string(), static_cast<int64_t>(count()), TFilterIcon::Undo});
}

bool TCombList::removeLastDraws(const TDrawsArray& draws, int endIndex, int n, Progress& progress) {
    StatusScope status(progress, fmt(kCombsRemoveDrawsText, n));
    // The draws considered: archive indices max(0, e - n + 1)..e.
    const int last = std::min(endIndex, static_cast<int>(draws.size()) - 1);
    std::vector<uint64_t> keys;
    if (n > 0 && last >= 0) {
        const int first = std::max(0, last - n + 1);
        for (int i = first; i <= last; ++i) keys.push_back(sortedKey(drawNumbers(draws[static_cast<std::size_t>(i)])));
    }
    // Per number, a bit mask of the considered draws holding it: a combination can equal draw j
    // only when bit j survives the AND over its five numbers; such rare candidates are then
    // compared exactly on their sorted numbers (which also rejects repeated numbers).
    const std::size_t words = (keys.size() + 63) / 64;
    std::vector<uint64_t> masks(256 * words, 0);
    for (std::size_t j = 0; j < keys.size(); ++j)
        for (int s = 0; s < kBallsInDraw; ++s) {
            const auto v = static_cast<std::size_t>((keys[j] >> (8 * s)) & 0xFF);
            masks[v * words + j / 64] |= uint64_t{1} << (j % 64);
        }
    // The words of each number folded into one: a combination equal to draw j has bit j % 64 in
    // all five folds, so an empty AND of the folds rejects it with five loads whatever n is.
    std::array<uint64_t, 256> fold{};
    for (std::size_t v = 0; v < 256; ++v)
        for (std::size_t w = 0; w < words; ++w) fold[v] |= masks[v * words + w];
    const uint64_t* m = masks.data();
    auto isDrawn = [&](const TComb& c) {
        if (!(fold[c.n[0]] & fold[c.n[1]] & fold[c.n[2]] & fold[c.n[3]] & fold[c.n[4]])) return false;
        const uint64_t* m0 = m + c.n[0] * words;
        const uint64_t* m1 = m + c.n[1] * words;
        const uint64_t* m2 = m + c.n[2] * words;
        const uint64_t* m3 = m + c.n[3] * words;
        const uint64_t* m4 = m + c.n[4] * words;
        const uint64_t key = sortedKey(c);
        for (std::size_t w = 0; w < words; ++w) {
            uint64_t acc = m0[w] & m1[w] & m2[w] & m3[w] & m4[w];
            while (acc) {
                const std::size_t j = w * 64 + static_cast<std::size_t>(__builtin_ctzll(acc));
                if (keys[j] == key) return true;
                acc &= acc - 1;
            }
        }
        return false;
    };
    PercentText percent(progress, [n](double p) { return fmt(kCombsRemoveDrawsProgress, n, p); });
    if (!rebuild([&](const TComb& c) { return !isDrawn(c); }, percent)) return false;
    addAppliedFilter(kFilterLastDraws, std::to_string(n), true);
    return true;
}

bool TCombList::filterStepChunks(TCombFilterMode mode, const TMatchChunk& match, Progress& progress) {
    // The chunk test writes its flags straight into the worker's block buffer of the compaction.
    // The snapshot storage is overwritten in place, without clearing it first, so that storage it
    // already holds is not zero-filled.
    constexpr std::size_t kChunk = 4096;
    snapCount_ = 0;
    bool done = false;
    try {
        done = parallelFilterChunksInto(current_, snap_, match, mode == TCombFilterMode::Keep, kChunk, &progress);
    } catch (...) {
        snap_.clear();
        throw;
    }
    if (!done) {
        snap_.clear();
        return false;
    }
    current_.swap(snap_);
    snapCount_ = snap_.size();
    return true;
}

bool TCombList::removeSelected(const std::vector<std::size_t>& selected, Progress& progress) {
    StatusScope status(progress, kCombsRemoveSelectedText);
    const std::size_t n = count();
    std::vector<uint64_t> bits((n + 63) / 64, 0);
    std::size_t rows = 0;
    for (std::size_t i : selected) {
        if (i >= n) continue;
        uint64_t& w = bits[i / 64];
        const uint64_t b = uint64_t{1} << (i % 64);
        if (!(w & b)) ++rows;
        w |= b;
    }
    if (!rebuild([&](const TComb&, std::size_t i) { return !(bits[i / 64] >> (i % 64) & 1); }, progress)) return false;
    addAppliedFilter(kFilterSelectedCombs, std::to_string(rows), true);
    return true;
}

// --- files and clipboard -----------------------------------------------------------------------

bool TCombList::openFile(const std::filesystem::path& file, Progress& progress, Interaction& interaction) {
    StatusScope status(progress, fmt(kCombsLoadingText, file.string()));
    bool ok = true;
    std::string bytes;
    try {
        bytes = readFileBytes(file);
    } catch (const std::exception& e) {
        ok = false;
        interaction.error(fmt(kCombsReadError, file.string(), std::string(e.what())));
    }
    if (ok) {
        // The old list goes to the snapshot storage (the undo point of this step); it is dropped
        // below since a loaded list cannot be undone.
        current_.swap(snap_);
        current_.clear();
        parseLcvText(bytes, current_);
    }
    snapCount_ = 0;
    filters_.clear();
    return ok;
}

bool TCombList::saveFile(const std::filesystem::path& file, Progress& progress, Interaction& interaction) const {
    StatusScope status(progress, fmt(kCombsSavingText, file.string()));
    try {
        writeFileAtomic(file, lcvText(current_));
    } catch (const std::exception& e) {
        interaction.error(fmt(kCombsWriteError, file.string(), std::string(e.what())));
        return false;
    }
    return true;
}

bool TCombList::pasteText(std::string_view text, Progress& progress, Interaction& interaction) {
    const auto lines = splitLines(text);
    if (lines.empty()) return false;
    StatusScope status(progress, kCombsWaitText);
    current_.swap(snap_);  // undo point: the old list
    snapCount_ = 0;
    current_.clear();
    bool ok = true;
    try {
        for (std::string_view line : lines) current_.push_back(parseCombination(line));
    } catch (const std::exception& e) {
        ok = false;
        current_.swap(snap_);  // restore the list as it was
        interaction.error(e.what());
    }
    snapCount_ = 0;
    if (ok) filters_.clear();
    return ok;
}

std::string TCombList::copyText(const std::vector<std::size_t>& selected, Progress& progress) const {
    StatusScope status(progress, kCombsWaitText);
    std::vector<std::size_t> rows(selected);
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    std::string out;
    out.reserve(rows.size() * 16);
    bool first = true;
    for (std::size_t i : rows) {
        if (i >= count()) break;
        if (!first) out += "\r\n";
        first = false;
        out += blankForm(current_[i]);
    }
    return out;
}

// --- queries -----------------------------------------------------------------------------------

int TCombList::uniqueNumberCount() const {
    std::array<bool, 256> seen{};
    int distinct = 0;
    for (const TComb& c : current_) {
        for (uint8_t v : c.n) {
            if (v < kMinNumber || v > kMaxNumber || seen[v]) continue;
            seen[v] = true;
            if (++distinct == kMaxNumber) return distinct;
        }
    }
    return distinct;
}

void TCombList::showUniqueNumbers(Interaction& interaction) const {
    interaction.information(fmt(kCombsUniqueNumbers, uniqueNumberCount()));
}

std::vector<std::string> TCombList::findInDraws(const TComb& comb, const TDrawsArray& draws) {
    std::vector<std::string> lines;
    const uint64_t key = sortedKey(comb);
    for (std::size_t i = draws.size(); i-- > 0;) {
        if (sortedKey(drawNumbers(draws[i])) != key) continue;
        lines.push_back(drawLine(draws[i]));
        if (static_cast<int>(lines.size()) > kFindInDrawsMaxLines) break;
    }
    return lines;
}

void TCombList::showFindInDraws(const TComb& comb, const TDrawsArray& draws, Progress& progress,
                                Interaction& interaction) {
    std::vector<std::string> lines;
    {
        StatusScope status(progress, kCombsFindText);
        lines = findInDraws(comb, draws);
    }
    if (lines.empty()) {
        interaction.information(kCombsNotFoundInDraws);
        return;
    }
    std::string text = std::string(kCombsFoundInDraws) + "\r";
    for (const std::string& line : lines) text += "\r" + line;
    interaction.information(text);
}

bool TCombList::containsCombination(const TComb& comb) const {
    std::atomic<bool> found{false};
    const TComb* data = current_.data();
    parallelForChunks(current_.size(), [&](std::size_t b, std::size_t e, unsigned) {
        if (found.load(std::memory_order_relaxed)) return;
        for (std::size_t i = b; i < e; ++i)
            if (data[i] == comb) {
                found.store(true, std::memory_order_relaxed);
                return;
            }
    });
    return found.load();
}

// --- buffer file -------------------------------------------------------------------------------

bool TCombList::saveBuffer(int offset, int excluded, Progress& progress, Interaction& interaction) {
    const std::pair<int, int> key{offset, excluded};
    if (key == bufferKey_) return true;
    StatusScope status(progress, kBufferSavingText);
    bufferKey_ = key;
    try {
        if (bufferFile_.empty()) throw EError(systemMessage(ENOENT));
        // Written in place, 1 % of the records at a time with the progress text after each part.
        // A partial file is harmless: a failure forgets the key and removes the file, and the key
        // lives in memory only, so a file left by a crash is never read back.
        errno = 0;
        std::ofstream out(bufferFile_, std::ios::binary | std::ios::trunc);
        if (!out) throw EError(systemMessage(errno ? errno : EIO));
        // The list's memory is the file's byte image (see the static_assert above).
        const std::size_t n = current_.size();
        const std::size_t step = std::max<std::size_t>(1, n / 100);
        for (std::size_t done = 0; done < n;) {
            const std::size_t part = std::min(step, n - done);
            out.write(reinterpret_cast<const char*>(current_.data() + done),
                      static_cast<std::streamsize>(part * sizeof(TComb)));
            if (!out) throw EError(systemMessage(errno ? errno : EIO));
            done += part;
            progress.setText(fmt(kBufferSavingProgress, 100.0 * static_cast<double>(done) / static_cast<double>(n)));
            progress.pump();
        }
        out.close();
        if (!out) throw EError(systemMessage(errno ? errno : EIO));
    } catch (const std::exception& e) {
        // A key must never describe a file that was not written.
        dropBuffer();
        interaction.error(fmt(kBufferSaveError, std::string(e.what())));
        return false;
    }
    return true;
}

bool TCombList::loadBuffer(int offset, int excluded, Progress& progress, Interaction& interaction) {
    if (std::pair<int, int>{offset, excluded} != bufferKey_ || bufferFile_.empty()) return false;
    std::error_code ec;
    if (!std::filesystem::is_regular_file(bufferFile_, ec)) return false;
    StatusScope status(progress, kBufferLoadingText);
    try {
        std::ifstream in(bufferFile_, std::ios::binary);
        if (!in) throw EError(systemMessage(errno));
        in.seekg(0, std::ios::end);
        const auto size = static_cast<std::size_t>(in.tellg());
        in.seekg(0);
        const std::size_t n = size / sizeof(TComb);
        // Read into the snapshot's storage first, so a failure leaves the list as it was.
        snapCount_ = 0;
        snap_.resize(n);
        const std::size_t step = std::max<std::size_t>(1, n / 100);
        for (std::size_t done = 0; done < n;) {
            const std::size_t part = std::min(step, n - done);
            in.read(reinterpret_cast<char*>(snap_.data() + done), static_cast<std::streamsize>(part * sizeof(TComb)));
            if (!in) throw EError(systemMessage(errno ? errno : EIO));
            done += part;
            progress.setText(fmt(kBufferLoadingProgress, 100.0 * static_cast<double>(done) / static_cast<double>(n)));
            progress.pump();
        }
        current_.swap(snap_);
        snap_.clear();
    } catch (const std::exception& e) {
        snap_.clear();
        interaction.error(fmt(kBufferLoadError, std::string(e.what())));
        return false;
    }
    return true;
}

void TCombList::dropBuffer() {
    bufferKey_ = {-1, -1};
    if (bufferFile_.empty()) return;
    std::error_code ec;
    std::filesystem::remove(bufferFile_, ec);
}

void TCombList::release() {
    TCombsArray().swap(current_);
    TCombsArray().swap(snap_);
    snapCount_ = 0;
    filters_.clear();
    resetBufferKey();
}

}  // namespace tavlora
