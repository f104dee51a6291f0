#include "stakes/regulars.h"

#include <algorithm>

#include "archive/draw_archive.h"
#include "core/binary.h"
#include "core/codepage.h"
#include "core/error.h"
#include "core/file_util.h"
#include "core/format.h"
#include "core/game.h"
#include "core/text_forms.h"
#include "stakes/ratings.h"
#include "stakes/stake_actions.h"
#include "stakes/stakes_store.h"

namespace tavlora {

namespace {

bool allZero(const TComb& c) {
    return std::all_of(c.n.begin(), c.n.end(), [](uint8_t v) { return v == 0; });
}

std::string combText(const TComb& c) { return joinedForm(shemaOf(c), ";"); }

}  // namespace

void TRegular::encode(uint8_t* out) const {
    std::fill(out, out + kSize, uint8_t{0});
    const std::string text = utf8ToCp1251(truncateToCp1251Bytes(comment, kCommentMax));
    bin::putU8(out, 0, static_cast<uint8_t>(text.size()));
    bin::putBytes(out, 1, text.data(), text.size());
    bin::putU8(out, 256, usePreviousDraw ? 1 : 0);
    bin::putBytes(out, 257, start.n.data(), 5);
    bin::putBytes(out, 262, current.n.data(), 5);
    bin::putI32(out, 268, step);
    bin::putI32(out, 272, stakes);
}

TRegular TRegular::decode(const uint8_t* p) {
    TRegular r;
    const uint8_t len = bin::getU8(p, 0);
    r.comment = cp1251ToUtf8(std::string(reinterpret_cast<const char*>(p + 1), len));
    const uint8_t mode = bin::getU8(p, 256);
    if (mode > 1) throw EError(fmt("неизвестный режим регуляра %d", mode));
    r.usePreviousDraw = mode == 1;
    bin::getBytes(p, 257, r.start.n.data(), 5);
    bin::getBytes(p, 262, r.current.n.data(), 5);
    // A combination is either empty (a regular made without one) or five distinct numbers.
    for (const TComb* c : {&r.start, &r.current})
        if (!allZero(*c) && !combIsValid(*c)) throw EError(fmt("некорректная комбинация %s", combText(*c)));
    r.step = bin::getI32(p, 268);
    if (r.step < -kRegularStepLimit || r.step > kRegularStepLimit) throw EError(fmt("некорректный шаг %d", r.step));
    r.stakes = bin::getI32(p, 272);
    if (r.stakes < 0) throw EError(fmt("некорректное число ставок %d", r.stakes));
    return r;
}

const std::vector<std::string>& regularListColumns() {
    static const std::vector<std::string> columns{"Комментарий", "Стартовая комбинация", "Шаг", "Текущая комбинация",
                                                  "Ставок"};
    return columns;
}

std::vector<std::string> regularListRow(const TRegular& r) {
    return {r.comment, combText(r.start), std::to_string(r.step), combText(r.current), std::to_string(r.stakes)};
}

int shiftRegularNumber(int n, int step) {
    int v = n + step;
    if (step > 0 && v >= kMaxNumber + 1) v -= kMaxNumber;
    if (step < 0 && v <= 0) v += kMaxNumber;
    return v;
}

std::optional<TComb> regularBase(const TRegular& regular, const DrawArchive& archive) {
    if (regular.usePreviousDraw) {
        if (!archive.validListPos(archive.drawsOffset())) return std::nullopt;
        return archive.numbersAt(archive.drawsOffset());
    }
    if (!combIsValid(regular.current)) return std::nullopt;
    return regular.current;
}

std::optional<std::string> advanceRegular(TRegular& regular, const DrawArchive& archive) {
    const std::optional<TComb> base = regularBase(regular, archive);
    if (!base)
        return fmt(regular.usePreviousDraw ? kRegularNoBaseDraw : kRegularBadCurrent, regular.comment);
    TComb next;
    for (size_t i = 0; i < 5; ++i) next.n[i] = static_cast<uint8_t>(shiftRegularNumber(base->n[i], regular.step));
    sortComb(next);
    regular.current = next;
    ++regular.stakes;
    return std::nullopt;
}

TStakeRecord regularStake(const TRegular& regular, const DrawArchive& archive, const TSettings& settings,
                          int32_t listSize) {
    TStakeRecord r = newManualStake(archive, settings, listSize, regular.current);
    r.kind = static_cast<uint8_t>(TStakeKind::Regular);
    r.comment = regular.comment;
    return r;
}

TRegularsCheck checkRegularInput(const TRegularInput& input, const std::vector<TSelectedComb>& selected,
                                 const std::vector<TRegular>& existing) {
    TRegularsCheck r;
    const bool single = input.usePreviousDraw || selected.size() == 1;
    TComb start{};
    if (!input.usePreviousDraw && selected.size() == 1) {
        const std::optional<TComb> typed = readFiveNumbers(input.startText);
        if (!typed) {
            r.warning = kBadCombinationWarning;
            r.focus = TRegularsCheck::Field::Start;
            return r;
        }
        start = *typed;
    } else if (selected.size() == 1) {
        start = selected.front().second;
    }
    sortComb(start);
    const std::string comment(trimText(input.comment));
    if (comment.empty()) {
        r.warning = kStakeCommentMissing;
        r.focus = TRegularsCheck::Field::Comment;
        return r;
    }
    if (input.step < -kRegularStepLimit || input.step > kRegularStepLimit) {
        r.warning = fmt("Шаг должен быть от %d до %d!", -kRegularStepLimit, kRegularStepLimit);
        r.focus = TRegularsCheck::Field::Step;
        return r;
    }

    std::vector<TRegular> made;
    if (single) {
        made.push_back({comment, input.usePreviousDraw, start, start, input.step, 0});
    } else {
        for (const auto& [position, comb] : selected) {
            TComb c = comb;
            sortComb(c);
            made.push_back({fmt("%s (%d)", comment, static_cast<int64_t>(position)), false, c, c, input.step, 0});
        }
    }
    // Every comment made must fit the field and differ from the others, old and new.
    std::vector<std::string> taken;
    for (const TRegular& e : existing) taken.push_back(e.comment);
    for (const TRegular& m : made) {
        if (utf8Length(m.comment) > static_cast<size_t>(kRegularCommentMaxChars)) {
            r.warning = fmt("Комментарий \"%s\" длиннее %d символов!", m.comment, kRegularCommentMaxChars);
            r.focus = TRegularsCheck::Field::Comment;
            return r;
        }
        const bool dup = std::any_of(taken.begin(), taken.end(),
                                     [&](const std::string& t) { return equalsIgnoreCase(t, m.comment); });
        if (dup) {
            r.warning = kRegularCommentTaken;
            r.focus = TRegularsCheck::Field::Comment;
            return r;
        }
        taken.push_back(m.comment);
    }
    r.created = std::move(made);
    r.ok = true;
    return r;
}

// --- the file ----------------------------------------------------------------------------------

bool TRegulars::load(Progress& progress, Interaction& interaction) {
    items_.clear();
    loaded_ = true;
    readable_ = true;
    std::error_code ec;
    if (!std::filesystem::exists(file_, ec)) return true;
    StatusScope status(progress, "Загрузка файла регулярных ставок...");
    try {
        const std::string bytes = readFileBytes(file_);
        if (bytes.size() % TRegular::kSize != 0)
            throw EError(fmt("размер файла %d байт не кратен размеру записи %d байт",
                             static_cast<int64_t>(bytes.size()), static_cast<int64_t>(TRegular::kSize)));
        const size_t n = bytes.size() / TRegular::kSize;
        std::vector<TRegular> items;
        items.reserve(n);
        for (size_t i = 0; i < n; ++i) {
            try {
                items.push_back(
                    TRegular::decode(reinterpret_cast<const uint8_t*>(bytes.data()) + i * TRegular::kSize));
            } catch (const EError& e) {
                throw EError(fmt("запись %d: %s", static_cast<int64_t>(i + 1), e.what()));
            }
        }
        items_ = std::move(items);
    } catch (const EError& e) {
        status.clear();
        readable_ = false;
        interaction.error(fmt(kRegularsReadError, e.what()));
        return false;
    }
    return true;
}

bool TRegulars::save(Progress& progress, Interaction& interaction) {
    if (!writable()) {
        // The file was not read whole: writing the list back would lose the regulars not read.
        interaction.error(fmt(kRegularsWriteError, "файл регулярных ставок не был прочитан, он оставлен без изменений"));
        return false;
    }
    StatusScope status(progress, "Сохранение файла регулярных ставок...");
    std::string bytes(items_.size() * TRegular::kSize, '\0');
    for (size_t i = 0; i < items_.size(); ++i)
        items_[i].encode(reinterpret_cast<uint8_t*>(bytes.data()) + i * TRegular::kSize);
    try {
        writeFileAtomic(file_, bytes);
    } catch (const EError& e) {
        status.clear();
        interaction.error(fmt(kRegularsWriteError, e.what()));
        return false;
    }
    return true;
}

void TRegulars::unload() {
    items_.clear();
    items_.shrink_to_fit();
    loaded_ = false;
    readable_ = true;
}

bool TRegulars::commentTaken(std::string_view comment) const {
    return std::any_of(items_.begin(), items_.end(),
                       [&](const TRegular& r) { return equalsIgnoreCase(r.comment, comment); });
}

void TRegulars::remove(std::vector<int> rows) {
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    for (int row : rows)
        if (row < 0 || row >= count()) throw EError(fmt(kRegularIndexNotFound, row));
    for (auto it = rows.rbegin(); it != rows.rend(); ++it) items_.erase(items_.begin() + *it);
}

// --- the test ----------------------------------------------------------------------------------

int runRegularsTest(TRegulars& regulars, const std::vector<int>& rows, int n, DrawArchive& archive,
                    TStakesStore& stakes, const TSettings& settings, TRatings& ratings, int32_t listSize,
                    Progress& progress, Interaction& interaction) {
    n = std::min(n, archive.count() - 1);
    if (n <= 0 || rows.empty()) return 0;
    for (int row : rows)
        if (row < 0 || row >= regulars.count()) {
            interaction.error(fmt(kRegularIndexNotFound, row));
            return 0;
        }
    StatusScope status(progress, kRegularsTestStatus);
    const int before = archive.drawsOffset();
    int added = 0;
    bool failed = false;
    progress.setMaximum(n);
    for (int k = n; k >= 1 && !failed; --k) {
        archive.setDrawsOffset(k);
        for (int row : rows) {
            // The regular moves on only when its stake is really in the file, so that the saved
            // regulars always agree with the stakes made.
            TRegular next = regulars.items()[static_cast<size_t>(row)];
            if (const auto problem = advanceRegular(next, archive)) {
                interaction.error(*problem);
                failed = true;
                break;
            }
            if (!stakes.addStakes(regularStake(next, archive, settings, listSize), 1, interaction)) {
                failed = true;
                break;
            }
            regulars.items()[static_cast<size_t>(row)] = next;
            ++added;
        }
        progress.setPosition(n - k + 1);
        progress.pump();
        if (progress.stopRequested()) break;
    }
    archive.setDrawsOffset(before);
    status.clear();
    regulars.save(progress, interaction);
    if (added > 0) stakes.checkAll(archive, settings, ratings, progress, interaction);
    return added;
}

}  // namespace tavlora
