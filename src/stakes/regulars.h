#pragma once
// Regular table stakes: a rule that makes one stake per draw by moving every number of a
// combination by a fixed step around the circle 1..69, starting either from a constant start
// combination (then from the previous result) or from the numbers of the latest visible draw.
// The regulars are kept in <base>.ltb as fixed 276-byte records, no header, in list order:
//     0  comment: length byte and up to 255 Windows-1251 characters (unique, case-insensitive)
//   256  use the previous draw (1) or the current combination (0) as the base of a stake
//   257  start combination (five numbers, ascending)
//   262  current combination: the numbers of the last stake made (the start when created)
//   267  zero
//   268  step (int32, -69..69)
//   272  stakes made (int32)
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/interaction.h"
#include "core/progress.h"
#include "core/records.h"
#include "stakes/stake_record.h"

namespace tavlora {

class DrawArchive;
class TSettings;
class TRatings;
class TStakesStore;

inline constexpr const char* kRegularsReadError = "Ошибка чтения файла регулярных ставок!\r\r%s";
inline constexpr const char* kRegularsWriteError = "Ошибка записи в файл регулярных ставок!\r\r%s";
inline constexpr const char* kRegularIndexNotFound = "Запись со индексом %d в файле данных не найдена!";
inline constexpr const char* kRegularCommentTaken =
    "Запись с таким комментарием уже присутствует в списке!\rВыберите другой комментарий.";
inline constexpr const char* kRegularDefaultComment = "Регулярная ставка";
inline constexpr const char* kRegularSelectedCombsText = "{...Выделенные комбинации...}";
inline constexpr const char* kRegularsCreateStatus = "Создание регулярных ставок...";
inline constexpr const char* kRegularsDeleteStatus = "Удаление регулярных ставок...";
inline constexpr const char* kRegularsTestStatus = "Создание ставок по регулярным табличным ставкам...";
// A regular that starts from the previous draw has nothing to start from when the offset hides
// every draw; no stake is made then.
inline constexpr const char* kRegularNoBaseDraw =
    "Нет тиража, от которого строится ставка по регуляру \"%s\"!\rУменьшите смещение назад.";
// A constant-start regular whose current combination is not five distinct numbers 1..69 (a
// damaged file) cannot be moved.
inline constexpr const char* kRegularBadCurrent = "Текущая комбинация регуляра \"%s\" некорректна!";
inline constexpr int kRegularCommentMaxChars = 64;
inline constexpr int kRegularStepLimit = 69;

struct TRegular {
    static constexpr size_t kSize = 276;
    static constexpr size_t kCommentMax = 255;  // Windows-1251 bytes

    std::string comment;  // UTF-8 in memory
    bool usePreviousDraw = false;
    TComb start{};
    TComb current{};
    int32_t step = 1;
    int32_t stakes = 0;

    void encode(uint8_t* out) const;
    // Reads one record; a record whose values the program could never have written (a mode
    // flag other than 0/1, numbers above 69 or repeated, a step outside -69..69, a negative
    // count) throws EError naming what is wrong, so that it never becomes data.
    static TRegular decode(const uint8_t* p);

    bool operator==(const TRegular&) const = default;
};

// Cells of the regulars list: "Комментарий", "Стартовая комбинация", "Шаг", "Текущая комбинация",
// "Ставок".
const std::vector<std::string>& regularListColumns();
std::vector<std::string> regularListRow(const TRegular& regular);

// n moved by step around 1..69 (step 0 leaves it).
int shiftRegularNumber(int n, int step);
// The base of the next stake: the latest visible draw's numbers for a previous-draw regular (none
// when the offset hides every draw), else the current combination (none when it is not five
// distinct numbers 1..69).
std::optional<TComb> regularBase(const TRegular& regular, const DrawArchive& archive);
// Moves the regular to its next combination: the base shifted by the step, ascending, stakes + 1.
// Returns the message to show when there is no base (the regular is then unchanged).
std::optional<std::string> advanceRegular(TRegular& regular, const DrawArchive& archive);
// The stake of a regular already advanced: kind "Регуляр", the next draw after the offset, the
// regular's comment, the list size given and its current combination, unchecked.
TStakeRecord regularStake(const TRegular& regular, const DrawArchive& archive, const TSettings& settings,
                          int32_t listSize);

// What the add dialog gives.
struct TRegularInput {
    std::string comment;
    bool usePreviousDraw = false;
    std::string startText;  // the start field (used with a constant start and one selected combination)
    int32_t step = 1;
};

// A selected combination of the combination list with its 1-based position there.
using TSelectedComb = std::pair<std::size_t, TComb>;

struct TRegularsCheck {
    enum class Field { None, Start, Comment, Step };
    bool ok = false;
    std::string warning;
    Field focus = Field::None;
    std::vector<TRegular> created;  // when ok: the regulars to append, in order
};

// The add dialog's OK checks in order and the regulars they create. With the previous draw as base
// or exactly one selected combination: one regular (start = current = the start field's numbers
// with a constant start, else the selected combination or zeros). Otherwise one regular per
// selected combination, named "<comment> (<position>)"; none without a selection. Every comment
// made, typed or generated, is checked for length (64 characters) and uniqueness.
TRegularsCheck checkRegularInput(const TRegularInput& input, const std::vector<TSelectedComb>& selected,
                                 const std::vector<TRegular>& existing);

// The regulars of a data folder, held in memory in list order.
class TRegulars {
public:
    explicit TRegulars(std::filesystem::path file) : file_(std::move(file)) {}

    const std::filesystem::path& file() const { return file_; }
    const std::vector<TRegular>& items() const { return items_; }
    std::vector<TRegular>& items() { return items_; }
    int count() const { return static_cast<int>(items_.size()); }

    // Reads the file (a missing file is an empty list). A file that cannot be read, or whose size
    // is not a whole number of records, or with a record out of range, is reported with the read
    // error and leaves the list empty and unsaveable, so that it is never overwritten.
    bool load(Progress& progress, Interaction& interaction);
    // Rewrites the file with every regular (through a temporary file and a rename).
    bool save(Progress& progress, Interaction& interaction);
    // Empties the list (the tab was hidden); a later load reads the file again.
    void unload();
    bool loaded() const { return loaded_; }
    // Whether the list was read whole (or the file is new) and may be written back.
    bool writable() const { return loaded_ && readable_; }

    bool commentTaken(std::string_view comment) const;
    // Removes the regulars at the given 0-based rows, scanning from the last one up; a row outside
    // the list throws EError(kRegularIndexNotFound).
    void remove(std::vector<int> rows);

private:
    std::filesystem::path file_;
    std::vector<TRegular> items_;
    bool loaded_ = false;
    bool readable_ = true;
};

// The regulars test: for the offsets n, n - 1, ..., 1 every selected regular (rows, in list order)
// makes its next stake for the first hidden draw, added as one record. A regular advances only
// when its stake was added; the first failure ends the test. The offset is restored afterwards
// (also after an error), the regulars saved and, when stakes were added, all stakes checked.
// Returns the number of stakes added.
int runRegularsTest(TRegulars& regulars, const std::vector<int>& rows, int n, DrawArchive& archive,
                    TStakesStore& stakes, const TSettings& settings, TRatings& ratings, int32_t listSize,
                    Progress& progress, Interaction& interaction);

}  // namespace tavlora
