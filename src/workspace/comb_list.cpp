#include "workspace/comb_list.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstddef>
#include <functional>
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
            snapCount_ = 0;
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
            snapCount_ = 0;
            if (generator.generate(snap_, progress)) {
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

// --- the list ----------------------------------------------------------------------------------

TCombList::TCombList(std::filesystem::path bufferFile) : buffer_(std::move(bufferFile)) {
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
    // The file is read into the snapshot storage; on success the buffers are exchanged, so the
    // old list is the undo point of this step (dropped below: a loaded list cannot be undone).
    snapCount_ = 0;
    snap_.clear();
    try {
        readLcvFile(file, snap_);
        current_.swap(snap_);
    } catch (const std::exception& e) {
        ok = false;
        interaction.error(fmt(kCombsReadError, file.string(), std::string(e.what())));
    }
    snap_.clear();
    snapCount_ = 0;
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
    snapCount_ = 0;
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
    snapCount_ = 0;
    snap_.clear();
    if (!buffer_.load(offset, excluded, snap_, progress, interaction)) {
        snap_.clear();
        return false;
    }
    current_.swap(snap_);
    snap_.clear();
    return true;
}

void TCombList::release() {
    TCombsArray().swap(current_);
    TCombsArray().swap(snap_);
    snapCount_ = 0;
    filters_.clear();
    buffer_.resetKey();
}

}  // namespace tavlora
