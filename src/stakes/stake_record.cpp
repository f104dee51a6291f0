#include "stakes/stake_record.h"

#include <algorithm>

#include "archive/draw_archive.h"
#include "core/binary.h"
#include "core/codepage.h"
#include "core/format.h"
#include "core/settings.h"
#include "core/text_forms.h"

namespace tavlora {

TStakeRecord TStakeRecord::separator() { return TStakeRecord{}; }

void TStakeRecord::encode(uint8_t* out) const {
    std::fill(out, out + kSize, uint8_t{0});
    bin::putU8(out, 0, version);
    bin::putU8(out, 1, kind);
    bin::putI32(out, 4, drawNumber);
    bin::putU8(out, 8, checked ? 1 : 0);
    bin::putI32(out, 12, listSize);
    numbers.encode(out + 16);
    bin::putBytes(out, 28, drawNums.data(), drawNums.size());
    matches.encode(out + 36);
    bin::putI64(out, 48, profit);
    const std::string text = utf8ToCp1251(truncateToCp1251Bytes(comment, kCommentMax));
    bin::putU8(out, 56, static_cast<uint8_t>(text.size()));
    bin::putBytes(out, 57, text.data(), text.size());
}

TStakeRecord TStakeRecord::decode(const uint8_t* p) {
    TStakeRecord r;
    r.version = bin::getU8(p, 0);
    r.kind = bin::getU8(p, 1);
    r.drawNumber = bin::getI32(p, 4);
    r.checked = bin::getU8(p, 8) != 0;
    r.listSize = bin::getI32(p, 12);
    r.numbers = TShema::decode(p + 16);
    bin::getBytes(p, 28, r.drawNums.data(), r.drawNums.size());
    r.matches = TShema::decode(p + 36);
    r.profit = bin::getI64(p, 48);
    const size_t len = bin::getU8(p, 56);  // a byte: never beyond the 255 bytes of the field
    r.comment = cp1251ToUtf8(std::string(reinterpret_cast<const char*>(p + 57), len));
    return r;
}

std::string TStakeRecord::toBytes() const {
    std::string bytes(kSize, '\0');
    encode(reinterpret_cast<uint8_t*>(bytes.data()));
    return bytes;
}

TStakeRecord newManualStake(const DrawArchive& archive, const TSettings& settings, int32_t listSize,
                            const std::optional<TComb>& combination) {
    TStakeRecord r;
    r.kind = static_cast<uint8_t>(TStakeKind::Manual);
    // The latest visible draw sits at list position = offset; an offset hiding every draw
    // still gives a number after the oldest one rather than an invalid -1.
    const int next = archive.nextDrawNumber(archive.drawsOffset());
    r.drawNumber = next > 0 ? next : 1;
    r.comment = kManualStakeComment;
    r.listSize = listSize;
    if (combination) {
        r.numbers = shemaOf(*combination);
        sortShema(r.numbers);
    }
    r.matches = TShema{-1, {}};
    r.profit = settings.stakeResult(shemaCount(r.numbers), -1);
    r.checked = false;
    return r;
}

void applyDrawResult(TStakeRecord& stake, const TDraw& draw, const TSettings& settings) {
    const int n = shemaCount(stake.numbers);
    stake.drawNums = draw.nums;
    TShema m{};
    for (uint8_t x : draw.nums) {
        bool inStake = false;
        for (int i = 0; i < n; ++i)
            if (stake.numbers.nums[i] == x) inStake = true;
        if (inStake && m.count < 8) m.nums[m.count++] = x;
    }
    sortShema(m);
    stake.matches = m;
    stake.profit = settings.stakeResult(n, m.count);
    stake.checked = true;
}

const std::vector<std::string>& stakeGridColumns() {
    static const std::vector<std::string> columns{"№ тиража",   "Вид ставки", "Моя ставка", "Выборка",    "Результаты тиража",
                                                  "Совпадений", "Совпадения", "Профит",     "Комментарий"};
    return columns;
}

std::string moneyText(int64_t amount) { return fmt("%.2f", static_cast<long double>(amount) / 10000.0L); }

std::vector<std::string> stakeGridRow(const TStakeRecord& s) {
    std::vector<std::string> cells(9);
    if (s.drawNumber <= 0) return cells;
    cells[0] = std::to_string(s.drawNumber);
    cells[1] = stakeSourceText(s.kind);
    cells[2] = joinedForm(s.numbers, ";");
    cells[3] = std::to_string(s.listSize);
    if (s.checked) {
        TShema drawSet{5, {}};
        std::copy(s.drawNums.begin(), s.drawNums.end(), drawSet.nums.begin());
        cells[4] = joinedForm(drawSet, ";");
        cells[5] = std::to_string(s.matches.count);
        cells[6] = joinedForm(s.matches, " ");
    }
    cells[7] = moneyText(s.profit);
    cells[8] = s.comment;
    return cells;
}

}  // namespace tavlora
