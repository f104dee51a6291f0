#include "workspace/comb_list.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstddef>
#include <cstring>
#include <functional>
#include <memory>
#include <string>

#include "core/error.h"
#include "core/format.h"
#include "core/game.h"
#include "core/text_forms.h"
#include "workspace/lcv_file.h"

namespace tavlora {

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

// Copies n combinations on all cores.
void copyCombs(const TComb* from, std::size_t n, TComb* to) {
    parallelForChunks(
        n,
        [&](std::size_t b, std::size_t e, unsigned) {
            std::memcpy(static_cast<void*>(to + b), from + b, (e - b) * sizeof(TComb));
        },
        nullptr, std::size_t{1} << 16);
}

// Whether every combination holds ascending numbers and the combinations ascend strictly in
// lexicographic order (the lists of generation modes 0..3): then a set of five numbers can
// only be the combination at its lower bound.
bool isSortedSetList(const TCombsArray& combs) {
    std::atomic<bool> sorted{true};
    const TComb* data = combs.data();
    // The five numbers packed first-most-significant compare as the combinations do.
    auto packed = [](const TComb& c) {
        return uint64_t{c.n[0]} << 32 | uint64_t{c.n[1]} << 24 | uint64_t{c.n[2]} << 16 | uint64_t{c.n[3]} << 8 | c.n[4];
    };
    parallelForChunks(combs.size(), [&](std::size_t b, std::size_t e, unsigned) {
        if (!sorted.load(std::memory_order_relaxed)) return;
        uint64_t before = b > 0 ? packed(data[b - 1]) : 0;
        bool ok = true;
        for (std::size_t i = b; i < e; ++i) {
            const TComb& c = data[i];
            const uint64_t key = packed(c);
            ok &= c.n[0] < c.n[1] && c.n[1] < c.n[2] && c.n[2] < c.n[3] && c.n[3] < c.n[4] && before < key;
            before = key;
        }
        if (!ok) sorted.store(false, std::memory_order_relaxed);
    });
    return sorted.load();
}

// The indices, ascending, of the combinations of a sorted set list (isSortedSetList) equal to
// one of the draws at archive indices max(0, endIndex - n + 1)..endIndex.
std::vector<std::size_t> drawnIndices(const TCombsArray& combs, const TDrawsArray& draws, int endIndex, int n) {
    std::vector<std::size_t> found;
    const int last = std::min(endIndex, static_cast<int>(draws.size()) - 1);
    if (n <= 0 || last < 0) return found;
    for (int i = std::max(0, last - n + 1); i <= last; ++i) {
        TComb c = drawNumbers(draws[static_cast<std::size_t>(i)]);
        std::sort(c.n.begin(), c.n.end());
        const auto at = std::lower_bound(combs.begin(), combs.end(), c,
                                         [](const TComb& a, const TComb& b) { return a.n < b.n; });
        if (at != combs.end() && *at == c) found.push_back(static_cast<std::size_t>(at - combs.begin()));
    }
    std::sort(found.begin(), found.end());
    found.erase(std::unique(found.begin(), found.end()), found.end());
    return found;
}

// Copies the combinations of from[0, n) except those at the ascending indices `skip` to `to`,
// in order, on all cores.
void copyCombsExcept(const TComb* from, std::size_t n, const std::vector<std::size_t>& skip, TComb* to) {
    parallelForChunks(
        n,
        [&](std::size_t b, std::size_t e, unsigned) {
            auto it = std::lower_bound(skip.begin(), skip.end(), b);
            TComb* o = to + (b - static_cast<std::size_t>(it - skip.begin()));
            std::size_t at = b;
            for (; it != skip.end() && *it < e; ++it) {
                std::memcpy(static_cast<void*>(o), from + at, (*it - at) * sizeof(TComb));
                o += *it - at;
                at = *it + 1;
            }
            std::memcpy(static_cast<void*>(o), from + at, (e - at) * sizeof(TComb));
        },
        nullptr, std::size_t{1} << 16);
}

// A chunk test marking the combinations equal (order ignored) to one of the draws at archive
// indices max(0, endIndex - n + 1)..endIndex.
TMatchChunk drawnChunkTest(const TDrawsArray& draws, int endIndex, int n) {
    struct Tables {
        std::vector<uint64_t> keys;   // sorted keys of the draws considered
        std::size_t words = 0;
        std::vector<uint64_t> masks;  // per number, the bits of the draws holding it
        std::array<uint64_t, 256> fold{};
    };
    auto t = std::make_shared<Tables>();
    const int last = std::min(endIndex, static_cast<int>(draws.size()) - 1);
    if (n > 0 && last >= 0) {
        const int first = std::max(0, last - n + 1);
        for (int i = first; i <= last; ++i)
            t->keys.push_back(sortedKey(drawNumbers(draws[static_cast<std::size_t>(i)])));
    }
    // Per number, a bit mask of the considered draws holding it: a combination can equal draw j
    // only when bit j survives the AND over its five numbers; such rare candidates are then
    // compared exactly on their sorted numbers (which also rejects repeated numbers).
    t->words = (t->keys.size() + 63) / 64;
    t->masks.assign(256 * t->words, 0);
    for (std::size_t j = 0; j < t->keys.size(); ++j)
        for (int s = 0; s < kBallsInDraw; ++s) {
            const auto v = static_cast<std::size_t>((t->keys[j] >> (8 * s)) & 0xFF);
            t->masks[v * t->words + j / 64] |= uint64_t{1} << (j % 64);
        }
    // The words of each number folded into one: a combination equal to draw j has bit j % 64 in
    // all five folds, so an empty AND of the folds rejects it with five loads whatever n is.
    for (std::size_t v = 0; v < 256; ++v)
        for (std::size_t w = 0; w < t->words; ++w) t->fold[v] |= t->masks[v * t->words + w];
    return [t](const TComb* combs, std::size_t, std::size_t count, unsigned, uint8_t* matched) {
        const uint64_t* fold = t->fold.data();
        const uint64_t* m = t->masks.data();
        const std::size_t words = t->words;
        for (std::size_t k = 0; k < count; ++k) {
            const TComb& c = combs[k];
            uint8_t hit = 0;
            if (fold[c.n[0]] & fold[c.n[1]] & fold[c.n[2]] & fold[c.n[3]] & fold[c.n[4]]) {
                const uint64_t key = sortedKey(c);
                for (std::size_t w = 0; w < words && !hit; ++w) {
                    uint64_t acc = m[c.n[0] * words + w] & m[c.n[1] * words + w] & m[c.n[2] * words + w] &
                                   m[c.n[3] * words + w] & m[c.n[4] * words + w];
                    for (; acc && !hit; acc &= acc - 1)
                        hit = t->keys[w * 64 + static_cast<std::size_t>(__builtin_ctzll(acc))] == key ? 1 : 0;
                }
            }
            matched[k] = hit;
        }
    };
}

}  // namespace

// --- generation ------------------------------------------------------------------------------

bool TCombList::generate(uint8_t mode, std::string_view parameters, Progress& progress, Interaction& interaction) {
    StatusScope status(progress, kCombsGeneratingText);
    bool ok = false;
    if (mode == kGenerateFromFile) {
        const std::filesystem::path file{std::string(parameters)};
        current_.clear();
        try {
            readLcvFile(file, current_);
        } catch (const std::exception& e) {
            forgetUndo();
            filters_.clear();
            interaction.error(fmt(kCombsReadError, file.string(), std::string(e.what())));
            return false;
        }
        ok = true;
    } else {
        try {
            const TCombGenerator generator(mode, parameters);
            // Built in the snapshot's storage; the old list stays untouched until the new one is
            // complete, so a stop or a failure leaves it exactly as it was.
            forgetUndo();
            if (generator.generate(snap_, progress)) {
                current_.swap(snap_);
                ok = true;
            }
            snap_.clear();
        } catch (const std::exception& e) {
            snap_.clear();
            forgetUndo();
            interaction.error(fmt(kCombsGenerateError, std::string(e.what())));
            return false;
        }
    }
    forgetUndo();
    if (ok) filters_.clear();
    return ok;
}

// --- the list ----------------------------------------------------------------------------------

TCombList::TCombList(std::filesystem::path bufferFile) : buffer_(std::move(bufferFile)) {
    current_.reserve(kFullCombCount);
    snap_.reserve(kFullCombCount);
}

std::string TCombList::countStatusText() const { return fmt(kCombsCountStatus, static_cast<int64_t>(count())); }

void TCombList::takeUndoPoint(Progress& progress) {
    StatusScope status(progress, kCombsUndoPointText);
    forgetUndo();
    snap_.assign(current_.begin(), current_.end());
    snapCount_ = snap_.size();
}

bool TCombList::undo(Progress& progress) {
    if (!canUndo()) return false;
    StatusScope status(progress, kCombsUndoText);
    // A step that removed nothing left the list as its own undo point: the list stays.
    if (!undoIsCurrent_) {
        current_.swap(snap_);
        current_.resize(snapCount_);
    }
    forgetUndo();
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
    const TMatchChunk drawn = drawnChunkTest(draws, endIndex, n);
    PercentText percent(progress, [n](double p) { return fmt(kCombsRemoveDrawsProgress, n, p); });
    if (!filterStepChunks(TCombFilterMode::Remove, drawn, percent)) return false;
    addAppliedFilter(kFilterLastDraws, std::to_string(n), true);
    return true;
}

bool TCombList::filterStepChunks(TCombFilterMode mode, const TMatchChunk& match, Progress& progress) {
    // The chunk test writes its flags straight into the worker's block buffer; the mask and the
    // block counts stay in scratch_ for the next step. The snapshot is only written once the
    // test pass is complete, so a stop or an exception leaves list and undo point untouched.
    constexpr std::size_t kChunk = 4096;
    const std::size_t n = current_.size();
    const int64_t kept =
        parallelMarkChunks(current_.data(), n, match, mode == TCombFilterMode::Keep, kChunk, scratch_, &progress);
    if (kept < 0) return false;
    forgetUndo();
    if (static_cast<std::size_t>(kept) == n) {
        // Nothing removed: the list is its own undo point, and nothing is copied.
        undoIsCurrent_ = true;
        return true;
    }
    // The snapshot storage is overwritten in place, without clearing it first, so that storage
    // it already holds is not zero-filled.
    snap_.resize(static_cast<std::size_t>(kept));
    parallelCopyMarked(current_.data(), scratch_, snap_.data());
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
    // The file is read into the snapshot storage; on success the buffers are exchanged, so the
    // old list is the undo point of this step (dropped below: a loaded list cannot be undone).
    forgetUndo();
    snap_.clear();
    try {
        readLcvFile(file, snap_);
        current_.swap(snap_);
    } catch (const std::exception& e) {
        ok = false;
        interaction.error(fmt(kCombsReadError, file.string(), std::string(e.what())));
    }
    snap_.clear();
    forgetUndo();
    filters_.clear();
    return ok;
}

bool TCombList::saveFile(const std::filesystem::path& file, Progress& progress, Interaction& interaction) const {
    StatusScope status(progress, fmt(kCombsSavingText, file.string()));
    try {
        writeLcvFile(file, current_);
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
    forgetUndo();
    current_.clear();
    bool ok = true;
    try {
        for (std::string_view line : lines) {
            const TComb c = parseCombination(line);
            // Unreadable, out-of-range or repeated numbers are refused, never stored as 0.
            if (!combIsValid(c)) throw EError(fmt(kBadPastedComb, std::string(trimText(line).substr(0, 60))));
            current_.push_back(c);
        }
    } catch (const std::exception& e) {
        ok = false;
        current_.swap(snap_);  // restore the list as it was
        interaction.error(e.what());
    }
    // A good paste keeps the old list as its undo point, as a filter step does: a paste that
    // replaced a long-filtered list by mistake can be taken back.
    snapCount_ = ok ? snap_.size() : 0;
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

bool TCombList::loadBuffer(int offset, int excluded, Progress& progress, Interaction& interaction) {
    if (!buffer_.holds(offset, excluded)) return false;
    // Read into the snapshot's storage first, so a failure leaves the list as it was.
    forgetUndo();
    snap_.clear();
    if (!buffer_.load(offset, excluded, snap_, progress, interaction)) {
        snap_.clear();
        return false;
    }
    current_.swap(snap_);
    snap_.clear();
    return true;
}

// --- kept start list ---------------------------------------------------------------------------

bool TCombList::ensureKept(const TSettings& settings, Progress& progress, Interaction& interaction) {
    std::pair<uint8_t, std::string> key{settings.generateMode, settings.generateParameters};
    if (keptValid_ && keptKey_ == key) return true;
    keptValid_ = false;
    if (!generate(settings, progress, interaction)) return false;
    kept_.resize(current_.size());
    copyCombs(current_.data(), current_.size(), kept_.data());
    keptSorted_ = isSortedSetList(kept_);
    keptKey_ = std::move(key);
    keptValid_ = true;
    return true;
}

bool TCombList::generateKept(const TSettings& settings, Progress& progress, Interaction& interaction) {
    const bool generated = !(keptValid_ && keptKey_ == std::pair<uint8_t, std::string>{settings.generateMode,
                                                                                      settings.generateParameters});
    if (!ensureKept(settings, progress, interaction)) return false;
    if (generated) return true;  // the list is the one just generated
    StatusScope status(progress, kCombsGeneratingText);
    forgetUndo();
    current_.resize(kept_.size());
    copyCombs(kept_.data(), kept_.size(), current_.data());
    filters_.clear();
    return true;
}

bool TCombList::generateKeptWithoutLastDraws(const TSettings& settings, const TDrawsArray& draws, int endIndex, int n,
                                             Progress& progress, Interaction& interaction) {
    if (!ensureKept(settings, progress, interaction)) return false;
    StatusScope status(progress, fmt(kCombsRemoveDrawsText, n));
    if (keptSorted_) {
        // Each draw is found by a binary search; the list is then one copy with gaps.
        const std::vector<std::size_t> skip = drawnIndices(kept_, draws, endIndex, n);
        forgetUndo();
        current_.resize(kept_.size() - skip.size());
        copyCombsExcept(kept_.data(), kept_.size(), skip, current_.data());
        filters_.clear();
        addAppliedFilter(kFilterLastDraws, std::to_string(n), true);
        return true;
    }
    const TMatchChunk drawn = drawnChunkTest(draws, endIndex, n);
    PercentText percent(progress, [n](double p) { return fmt(kCombsRemoveDrawsProgress, n, p); });
    constexpr std::size_t kChunk = 4096;
    const int64_t kept = parallelMarkChunks(kept_.data(), kept_.size(), drawn, false, kChunk, scratch_, &percent);
    if (kept < 0) return false;
    forgetUndo();
    current_.resize(static_cast<std::size_t>(kept));
    parallelCopyMarked(kept_.data(), scratch_, current_.data());
    filters_.clear();
    addAppliedFilter(kFilterLastDraws, std::to_string(n), true);
    return true;
}

void TCombList::releaseKept() {
    TCombsArray().swap(kept_);
    keptValid_ = false;
    keptKey_ = {};
}

void TCombList::release() {
    releaseKept();
    TCombsArray().swap(current_);
    TCombsArray().swap(snap_);
    forgetUndo();
    filters_.clear();
    buffer_.resetKey();
}

}  // namespace tavlora
