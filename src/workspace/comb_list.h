#pragma once
// The combination list: the working set of candidate combinations with its single undo
// snapshot, the list commands (generate, remove the last draws, remove selected rows, undo,
// open/save/paste/copy), the generic filter step of the statistics filters and the
// applied-filters list. The generator (comb_generator.h), the .lcv text (lcv_file.h) and the
// buffer file of scenario tests (comb_buffer.h) are their own pieces; the list only calls them.
// The list persists nothing itself: the generator memory is the settings' business.
//
// Storage: the current list and the undo snapshot are two vectors, each reserved once for the
// full C(69,5) records. Taking an undo point and building the new list is done by building the
// new list into the snapshot's storage and exchanging the two buffers: the old list becomes the
// undo point without a copy. A step that removes nothing copies nothing either: the list is then
// its own undo point. The only third full-size array is the kept start list of a scenario run
// (generateKept), held while the run lasts.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/interaction.h"
#include "core/parallel.h"
#include "core/progress.h"
#include "core/records.h"
#include "core/settings.h"
#include "workspace/comb_buffer.h"
#include "workspace/comb_generator.h"

namespace tavlora {

// --- texts -----------------------------------------------------------------------------------
inline constexpr const char* kCombsUndoPointText = "Создание файла отката...";
inline constexpr const char* kCombsGeneratingText = "Генерация возможных комбинаций...";
inline constexpr const char* kCombsGenerateError = "Ошибка генерации файла комбинаций!\r\r%s";
inline constexpr const char* kCombsRemoveDrawsText = "Удаление из списка комбинаций %d последних тиражей...";
inline constexpr const char* kCombsRemoveDrawsProgress =
    "Удаление из списка комбинаций %d последних тиражей ( завершено %.0f %% )...";
inline constexpr const char* kCombsRemoveSelectedText = "Удаление выделенных комбинаций...";
inline constexpr const char* kCombsUndoText = "Отмена изменений...";
inline constexpr const char* kCombsLoadingText = "Загрузка файла \"%s\"...";
inline constexpr const char* kCombsSavingText = "Сохранение файла \"%s\"...";
inline constexpr const char* kBadPastedComb = "Некорректная комбинация: \"%s\" (нужны пять разных чисел от 1 до 69)!";
inline constexpr const char* kCombsReadError = "Ошибка чтения файла \"%s\"!\r\r%s";
inline constexpr const char* kCombsWriteError = "Ошибка записи в файл \"%s\"!\r\r%s";
inline constexpr const char* kCombsWaitText = "Подождите пожалуйста...";
inline constexpr const char* kCombsUniqueNumbers = "В текущем списке комбинаций содержится %d уникальных номеров";
inline constexpr const char* kCombsFindText = "Поиск по архиву тиражей...";
inline constexpr const char* kCombsFoundInDraws = "Выделенная комбинация найдена в следующих тиражах:";
inline constexpr const char* kCombsNotFoundInDraws = "Выделенная комбинация не найдена архиве тиражей!";
inline constexpr const char* kCombsCountStatus = "Комбинаций: %d";
inline constexpr const char* kFilterLastDraws = "Последние тиражи";
inline constexpr const char* kFilterSelectedCombs = "Выделенные комбинации";
inline constexpr const char* kFilterUndoRow = "Отмена последней операции";

// "Find in draws" stops scanning once more than this many draws are listed (so it lists at most
// one more than this).
inline constexpr int kFindInDrawsMaxLines = 25;

// --- applied filters -------------------------------------------------------------------------
enum class TFilterIcon { Remove, Keep, Undo };

struct TAppliedFilter {
    std::string name;    // "Примененные фильтры"
    std::string values;  // "Значения"
    int64_t count = 0;   // "Комбинаций": the list count after the change
    TFilterIcon icon = TFilterIcon::Remove;
    bool operator==(const TAppliedFilter&) const = default;
};

// Whether a filter step keeps the combinations that match or removes them.
enum class TCombFilterMode { Keep, Remove };

// The chunk form of a match test: for the count combinations starting at list index first
// (combs points at the first of them), sets matched[k] to 1 when combination first + k matches
// and to 0 otherwise. worker (0..workerCount()-1) identifies the calling thread, so a test may
// keep per-worker scratch state or method instances. Called concurrently for distinct chunks
// (of at most 4096 combinations); its answer must depend on the combinations only.
using TMatchChunk =
    std::function<void(const TComb* combs, std::size_t first, std::size_t count, unsigned worker, uint8_t* matched)>;

class TCombList {
public:
    // bufferFile: the scenario buffer <data>/Tavlora_5d69.~buff (may be set later).
    explicit TCombList(std::filesystem::path bufferFile = {});
    // The list is never copied whole: two full-size arrays are all it may hold.
    TCombList(const TCombList&) = delete;
    TCombList& operator=(const TCombList&) = delete;

    // --- the list ------------------------------------------------------------------------------
    const TCombsArray& combs() const { return current_; }
    std::size_t count() const { return current_.size(); }
    bool empty() const { return current_.empty(); }
    const TComb& at(std::size_t index) const { return current_.at(index); }
    // "Комбинаций: %d"
    std::string countStatusText() const;

    // --- undo ----------------------------------------------------------------------------------
    bool canUndo() const { return snapCount_ > 0 || undoIsCurrent_; }
    // Copies the current list into the snapshot (used by callers that change the list by their
    // own means; the list commands below take their undo point themselves).
    void takeUndoPoint(Progress& progress);
    // The snapshot becomes the current list; one level only; the last applied-filter row is
    // dropped. Returns false (and changes nothing) when there is no undo.
    bool undo(Progress& progress);
    // Forgets the snapshot (its storage stays reserved): the current list can no longer be undone.
    void discardUndo() { forgetUndo(); }

    // --- generation ----------------------------------------------------------------------------
    // Builds the list for the mode and parameter (modes 0..3 in lexicographic order, mode 4 from
    // the .lcv file named by the parameter). Clears the applied filters and leaves no undo.
    // Errors are shown through interaction: a mode-4 read error with kCombsReadError (the list
    // then holds what was read before the error), anything else with kCombsGenerateError and the
    // list as before. Returns false on an error or a stop; a stopped generation leaves the list
    // exactly as it was.
    bool generate(uint8_t mode, std::string_view parameters, Progress& progress, Interaction& interaction);
    // Generates from the generator memory of the settings (start-up); the settings are only read.
    bool generate(const TSettings& settings, Progress& progress, Interaction& interaction) {
        return generate(settings.generateMode, settings.generateParameters, progress, interaction);
    }

    // --- filter step ---------------------------------------------------------------------------
    // Runs match(comb) (or match(comb, index)) on every combination in parallel chunks and keeps,
    // in order, those that match (Keep) or those that do not (Remove). The old list becomes the
    // undo point. match must be safe to call from several threads at once. On a stop the list is
    // left exactly as before and false is returned; the undo point is then gone (its storage held
    // the unfinished result). Exceptions of match are rethrown with the list as before. The
    // caller adds its applied-filter row when this returns true.
    template <typename Match>
    bool filterStep(TCombFilterMode mode, Match&& match, Progress& progress);
    // The same step with a chunk test (one call per chunk instead of one per combination). The
    // match buffers are kept for the next step. A step that removes nothing leaves the list in
    // place as its own undo point (no copy). On a stop, or an exception of match, the list and
    // its undo point are left as they were.
    bool filterStepChunks(TCombFilterMode mode, const TMatchChunk& match, Progress& progress);

    // Removes the combinations equal (order ignored) to one of the draws at archive indices
    // max(0, endIndex - n + 1)..endIndex; adds the row "Последние тиражи" / n.
    bool removeLastDraws(const TDrawsArray& draws, int endIndex, int n, Progress& progress);
    // Removes the rows whose indices are listed (indices beyond the list are ignored); adds the
    // row "Выделенные комбинации" / number of selected rows.
    bool removeSelected(const std::vector<std::size_t>& selected, Progress& progress);

    // --- applied-filters list ------------------------------------------------------------------
    const std::vector<TAppliedFilter>& appliedFilters() const { return filters_; }
    // A row with the current count: the remove icon when removed, the keep icon otherwise.
    void addAppliedFilter(std::string name, std::string values, bool removed);
    // "Отмена последней операции", empty values, current count, undo icon.
    void addUndoRow();
    void clearAppliedFilters() { filters_.clear(); }

    // --- files and clipboard -------------------------------------------------------------------
    // Replaces the list by the file's combinations. On a read error the error is shown and the
    // list restored. In both cases the undo is dropped and the applied filters cleared.
    bool openFile(const std::filesystem::path& file, Progress& progress, Interaction& interaction);
    // Writes the whole list as .lcv text; shows kCombsWriteError on failure.
    bool saveFile(const std::filesystem::path& file, Progress& progress, Interaction& interaction) const;
    // Replaces the list by the text's lines (CR LF, LF or CR), one combination each. Nothing
    // happens for a text without lines. A line that is not five words shows the error
    // "Некорректная комбинация: ..." and restores the list (the undo is then dropped). On
    // success the old list becomes the undo point and the applied filters are cleared.
    bool pasteText(std::string_view text, Progress& progress, Interaction& interaction);
    // The listed rows in list order, blank form, joined by CR LF.
    std::string copyText(const std::vector<std::size_t>& selected, Progress& progress) const;

    // --- queries -------------------------------------------------------------------------------
    // Distinct numbers 1..69 occurring in the list.
    int uniqueNumberCount() const;
    void showUniqueNumbers(Interaction& interaction) const;
    // Draw lines of the draws (newest first) whose five numbers equal comb (order ignored); the
    // scan stops once more than kFindInDrawsMaxLines are listed.
    static std::vector<std::string> findInDraws(const TComb& comb, const TDrawsArray& draws);
    // Shows the found / not found information box.
    static void showFindInDraws(const TComb& comb, const TDrawsArray& draws, Progress& progress,
                                Interaction& interaction);
    // A record equal byte by byte (order matters).
    bool containsCombination(const TComb& comb) const;

    // --- buffer file of scenario tests (TCombBuffer) -------------------------------------------
    void setBufferFile(std::filesystem::path file) { buffer_.setFile(std::move(file)); }
    const std::filesystem::path& bufferFile() const { return buffer_.file(); }
    std::pair<int, int> bufferKey() const { return buffer_.key(); }
    // Writes the list to the buffer under the key (nothing when the key is already stored).
    // A failure shows kBufferSaveError, forgets the key and removes the file.
    bool saveBuffer(int offset, int excluded, Progress& progress, Interaction& interaction) {
        return buffer_.save(current_, offset, excluded, progress, interaction);
    }
    // Replaces the list by the buffer when the key matches and the file exists. A read failure
    // shows kBufferLoadError and leaves the list as it was. Either way (once a file was read) no
    // undo is left.
    bool loadBuffer(int offset, int excluded, Progress& progress, Interaction& interaction);
    // Forgets the key and deletes the file, ignoring errors.
    void dropBuffer() { buffer_.drop(); }
    void resetBufferKey() { buffer_.resetKey(); }

    // --- kept start list of scenario runs ---------------------------------------------------
    // As generate(settings), except that the generated list is also kept, read-only, in an array
    // of its own: while the generation mode and parameters stay the same, later calls copy it
    // instead of generating again (a .lcv file is then not read again either).
    bool generateKept(const TSettings& settings, Progress& progress, Interaction& interaction);
    // The same start list less the combinations of the last n draws (as removeLastDraws, whose
    // row it adds), filtered straight from the kept list into the list: one pass, no copy of the
    // full list first. Leaves no undo. Returns false on an error or a stop; a stop leaves the
    // list as it was.
    bool generateKeptWithoutLastDraws(const TSettings& settings, const TDrawsArray& draws, int endIndex, int n,
                                      Progress& progress, Interaction& interaction);
    // Frees the kept start list (the end of a run).
    void releaseKept();
    bool holdsKept() const { return keptValid_; }
    // Whether the kept list is ascending sets in ascending order, so that draws are removed from
    // it by a search instead of a test of every combination.
    bool keptIsSorted() const { return keptValid_ && keptSorted_; }

    // Releases the arrays (shutdown) and forgets the buffer key.
    void release();

private:
    void forgetUndo() {
        snapCount_ = 0;
        undoIsCurrent_ = false;
    }
    // Generates the kept list when it is missing or was made under another mode or parameters.
    bool ensureKept(const TSettings& settings, Progress& progress, Interaction& interaction);
    // Builds the filtered list into the snapshot storage and exchanges the buffers on success.
    template <typename Keep>
    bool rebuild(Keep&& keep, Progress& progress);

    TCombsArray current_;
    TCombsArray snap_;
    std::size_t snapCount_ = 0;
    bool undoIsCurrent_ = false;  // the undo point is the current list itself (nothing was removed)
    TFilterScratch scratch_;      // the chunk filter's mask and counts, reused by every step
    TCombsArray kept_;            // the kept start list (generateKept)
    bool keptValid_ = false;
    bool keptSorted_ = false;     // ascending sets in ascending order: draws are found by search
    std::pair<uint8_t, std::string> keptKey_;  // its generation mode and parameters
    std::vector<TAppliedFilter> filters_;
    TCombBuffer buffer_;
};

// --- template members ------------------------------------------------------------------------

template <typename Keep>
bool TCombList::rebuild(Keep&& keep, Progress& progress) {
    forgetUndo();
    snap_.clear();
    bool done = false;
    try {
        done = parallelFilterAppend(current_, snap_, std::forward<Keep>(keep), &progress);
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

template <typename Match>
bool TCombList::filterStep(TCombFilterMode mode, Match&& match, Progress& progress) {
    const bool keepMatching = mode == TCombFilterMode::Keep;
    if constexpr (std::is_invocable_v<Match&, const TComb&, std::size_t>) {
        return rebuild([&](const TComb& c, std::size_t i) { return static_cast<bool>(match(c, i)) == keepMatching; },
                       progress);
    } else {
        return rebuild([&](const TComb& c) { return static_cast<bool>(match(c)) == keepMatching; }, progress);
    }
}

}  // namespace tavlora
