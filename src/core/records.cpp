#include "core/records.h"

#include <algorithm>

#include "core/binary.h"

namespace tavlora {

void TDraw::setDateText(std::string_view text) {
    date.fill(0);
    dateLen = static_cast<uint8_t>(std::min(text.size(), kDateMax));
    std::copy_n(text.begin(), dateLen, date.begin());
}

void TDraw::encode(uint8_t* out) const {
    bin::putI32(out, 0, number);
    bin::putBytes(out, 4, nums.data(), 5);
    bin::putU8(out, 9, extra);
    bin::putU8(out, 10, dateLen);
    bin::putBytes(out, 11, date.data(), kDateMax);
    bin::putBytes(out, 21, unused.data(), 3);
}

TDraw TDraw::decode(const uint8_t* p) {
    TDraw d;
    d.number = bin::getI32(p, 0);
    bin::getBytes(p, 4, d.nums.data(), 5);
    d.extra = bin::getU8(p, 9);
    d.dateLen = bin::getU8(p, 10);
    bin::getBytes(p, 11, d.date.data(), kDateMax);
    bin::getBytes(p, 21, d.unused.data(), 3);
    return d;
}

void TShema::encode(uint8_t* out) const {
    bin::putI32(out, 0, count);
    bin::putBytes(out, 4, nums.data(), 8);
}

TShema TShema::decode(const uint8_t* p) {
    TShema s;
    s.count = bin::getI32(p, 0);
    bin::getBytes(p, 4, s.nums.data(), 8);
    return s;
}

}  // namespace tavlora
