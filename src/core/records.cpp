#include "core/records.h"

#include <algorithm>

#include "core/binary.h"
#include "core/game.h"
#include "core/numbers.h"

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

TComb drawNumbers(const TDraw& d) {
    TComb c;
    c.n = d.nums;
    return c;
}

TShema shemaOf(const TComb& c) {
    TShema s;
    s.count = kBallsInDraw;
    std::copy(c.n.begin(), c.n.end(), s.nums.begin());
    return s;
}

bool drawContains(int n, const TDraw& d) {
    return std::any_of(d.nums.begin(), d.nums.end(), [n](uint8_t x) { return x == n; });
}

bool combContains(int n, const TComb& c) {
    return std::any_of(c.n.begin(), c.n.end(), [n](uint8_t x) { return x == n; });
}

bool combHasChannel(int k, const TComb& c, int channelWidth) {
    return std::any_of(c.n.begin(), c.n.end(),
                       [&](uint8_t x) { return channelOf(x, channelWidth) == k; });
}

bool combHasSegment(int k, const TComb& c, const std::array<uint8_t, 69>& segments) {
    return std::any_of(c.n.begin(), c.n.end(), [&](uint8_t x) { return segmentOf(x, segments) == k; });
}

bool arrayContains(int n, const TByteArray& a) {
    return std::any_of(a.begin(), a.end(), [n](uint8_t x) { return x == n; });
}

void addToSet(int n, TByteArray& a) {
    if (!arrayContains(n, a)) a.push_back(static_cast<uint8_t>(n));
}

void appendNumber(int n, TByteArray& a) { a.push_back(static_cast<uint8_t>(n)); }

namespace {

int commonCount(const std::array<uint8_t, 5>& a, const std::array<uint8_t, 5>& b) {
    int m = 0;
    for (uint8_t x : a)
        for (uint8_t y : b)
            if (x == y) ++m;
    return m;
}

// Straight insertion sort of the first count bytes; equal bytes keep their order.
void insertionSort(uint8_t* p, int count) {
    for (int i = 1; i < count; ++i) {
        uint8_t v = p[i];
        int j = i - 1;
        while (j >= 0 && p[j] > v) {
            p[j + 1] = p[j];
            --j;
        }
        p[j + 1] = v;
    }
}

}  // namespace

int matches(const TDraw& a, const TDraw& b) { return commonCount(a.nums, b.nums); }
int matches(const TDraw& a, const TComb& b) { return commonCount(a.nums, b.n); }
int matches(const TComb& a, const TComb& b) { return commonCount(a.n, b.n); }

int distinctNumberCount(const TCombsArray& combs) {
    std::array<bool, 256> seen{};
    int count = 0;
    for (const TComb& c : combs) {
        for (uint8_t x : c.n) {
            if (!seen[x]) {
                seen[x] = true;
                if (++count >= kMaxNumber) return count;
            }
        }
    }
    return count;
}

TByteArray distinctNumbers(const TCombsArray& combs) {
    std::array<bool, 256> seen{};
    TByteArray result;
    for (const TComb& c : combs) {
        for (uint8_t x : c.n) {
            if (!seen[x]) {
                seen[x] = true;
                result.push_back(x);
                if (result.size() >= static_cast<size_t>(kMaxNumber)) return result;
            }
        }
    }
    return result;
}

TDraw sortedDraw(const TDraw& d) {
    TDraw r = d;
    insertionSort(r.nums.data(), kBallsInDraw);
    return r;
}

void sortComb(TComb& c) { insertionSort(c.n.data(), kBallsInDraw); }

int shemaCount(const TShema& s) {
    return std::clamp<int32_t>(s.count, 0, static_cast<int32_t>(s.nums.size()));
}

uint64_t sortedKey(TComb c) {
    sortComb(c);
    uint64_t k = 0;
    for (uint8_t x : c.n) k = (k << 8) | x;
    return k;
}

void sortShema(TShema& s) { insertionSort(s.nums.data(), shemaCount(s)); }

}  // namespace tavlora
