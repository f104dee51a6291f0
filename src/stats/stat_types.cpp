#include "stats/stat_types.h"

#include <algorithm>
#include <cstdlib>

#include "core/format.h"

namespace tavlora {

namespace {

bool keysLess(const TStatDraw& a, const TStatDraw& b) {
    for (size_t k = 0; k < 4; ++k)
        if (a.keys[k] != b.keys[k]) return a.keys[k] < b.keys[k];
    return false;
}

}  // namespace

int findValue(const TStatDrawArray& list, const TStatDraw& keys) {
    const uint64_t want = keys.packedKeys();
    for (size_t i = 0; i < list.size(); ++i)
        if (list[i].packedKeys() == want) return static_cast<int>(i);
    return -1;
}

void addValue(TStatDrawArray& list, const TStatDraw& value, bool fromDraw) {
    const int at = findValue(list, value);
    if (at < 0) {
        TStatDraw copy = value;
        copy.norm = 0;
        list.push_back(copy);
        return;
    }
    TStatDraw& e = list[static_cast<size_t>(at)];
    e.count += value.count;
    if (e.depth == 0 || (value.depth > 0 && value.depth <= e.depth)) {
        e.lastDraw = value.lastDraw;
        e.depth = value.depth;
    }
    if (fromDraw && value.lastDraw > 0 && e.runningDraw > 0) {
        const int64_t gap64 = std::llabs(static_cast<int64_t>(e.runningDraw) - value.lastDraw);
        const uint16_t gap = static_cast<uint16_t>(gap64 > 0xFFFF ? 0xFFFF : gap64);
        if (gap < e.minPeriod || e.minPeriod == 0) e.minPeriod = gap;
        if (gap > e.maxPeriod || e.maxPeriod == 0) e.maxPeriod = gap;
    }
    e.runningDraw = value.lastDraw;
}

void sortValues(TStatDrawArray& list) {
    // Straight insertion: stable, and value lists are short.
    for (size_t i = 1; i < list.size(); ++i) {
        TStatDraw x = list[i];
        size_t j = i;
        while (j > 0 && keysLess(x, list[j - 1])) {
            list[j] = list[j - 1];
            --j;
        }
        list[j] = x;
    }
}

void mergeValueCounts(TStatDrawArray& into, const TStatDrawArray& from) {
    for (const TStatDraw& v : from) {
        const int at = findValue(into, v);
        if (at < 0)
            into.push_back(v);
        else
            into[static_cast<size_t>(at)].count += v.count;
    }
}

TValueCounts::TValueCounts() : direct_(kDirect, 0), slots_(64) {}

void TValueCounts::addOther(uint64_t key, int64_t count) {
    const size_t mask = slots_.size() - 1;
    for (size_t i = static_cast<size_t>((key * 0x9E3779B97F4A7C15ull) >> 32) & mask;; i = (i + 1) & mask) {
        Slot& s = slots_[i];
        if (s.key == key) {
            s.count += count;
            return;
        }
        if (s.key == 0) {
            s.key = key;
            s.count = count;
            if (++used_ * 2 > slots_.size()) grow();
            return;
        }
    }
}

void TValueCounts::grow() {
    std::vector<Slot> old(slots_.size() * 2);
    old.swap(slots_);
    used_ = 0;
    for (const Slot& s : old)
        if (s.key != 0) addOther(s.key, s.count);
}

void TValueCounts::merge(const TValueCounts& other) {
    for (size_t k = 0; k < kDirect; ++k) {
        const int64_t c = other.direct_[k];
        if (c != 0) direct_[k] = (direct_[k] == 0 ? 1 : direct_[k]) + (c - 1);
    }
    for (const Slot& s : other.slots_)
        if (s.key != 0) addOther(s.key, s.count);
}

TStatDrawArray TValueCounts::values() const {
    TStatDrawArray out;
    auto push = [&](uint64_t key, int64_t count) {
        TStatDraw v;
        v.setPackedKeys(key);
        v.count = static_cast<int32_t>(count);
        out.push_back(v);
    };
    for (size_t k = 0; k < kDirect; ++k)
        if (direct_[k] != 0) push(k, direct_[k] - 1);
    for (const Slot& s : slots_)
        if (s.key != 0) push(s.key, s.count);
    std::sort(out.begin(), out.end(), keysLess);
    return out;
}

TStatSummary summarize(const TStatDrawArray& list) {
    TStatSummary s;
    for (size_t i = 0; i < list.size(); ++i) {
        const TStatDraw& v = list[i];
        s.total += v.count;
        if (i == 0 || v.count < s.minCount) s.minCount = v.count;
        if (i == 0 || v.count > s.maxCount) s.maxCount = v.count;
        if (v.depth > s.maxDepth) s.maxDepth = v.depth;
    }
    return s;
}

bool selHasKeys(const TStatDrawArray& sel, uint16_t k1, uint16_t k2, uint16_t k3, uint16_t k4) {
    const uint64_t want = TStatDraw::packKeys({k1, k2, k3, k4});
    for (const TStatDraw& v : sel)
        if (v.packedKeys() == want) return true;
    return false;
}

bool selHasKey(const TStatDrawArray& sel, int t, uint16_t x) {
    if (t < 1 || t > 4) return false;
    for (const TStatDraw& v : sel)
        if (v.keys[static_cast<size_t>(t - 1)] == x) return true;
    return false;
}

bool selHasByte(const TStatDrawArray& sel, int t, uint8_t x) {
    if (t < 1 || t > 8) return false;
    const size_t key = static_cast<size_t>(t - 1) / 2;
    const int shift = ((t - 1) % 2) * 8;
    for (const TStatDraw& v : sel)
        if (static_cast<uint8_t>(v.keys[key] >> shift) == x) return true;
    return false;
}

bool selHasInt(const TStatDrawArray& sel, int variant, int32_t x) {
    for (const TStatDraw& v : sel)
        if ((variant == 2 ? v.keys34() : v.keys12()) == x) return true;
    return false;
}

bool selHasPair(const TStatDrawArray& sel, uint16_t x, uint16_t y) {
    for (const TStatDraw& v : sel)
        if (v.keys12() == static_cast<int32_t>(x) && v.keys34() == static_cast<int32_t>(y)) return true;
    return false;
}

TKey1Set::TKey1Set(const TStatDrawArray& sel) {
    for (const TStatDraw& v : sel) {
        const int k = v.keys[0];
        if (k >= kBits) {
            if (v.keys[1] == 0 && v.keys[2] == 0 && v.keys[3] == 0) highExact_ = true;
            continue;
        }
        if (v.keys[1] == 0 && v.keys[2] == 0 && v.keys[3] == 0) exactBytes_[static_cast<size_t>(k)] = 1;
        any_[static_cast<size_t>(k) >> 6] |= uint64_t{1} << (k & 63);
        if (v.keys[1] == 0 && v.keys[2] == 0 && v.keys[3] == 0)
            exact_[static_cast<size_t>(k) >> 6] |= uint64_t{1} << (k & 63);
    }
}

void TKey1Set::exactTable(const TStatDrawArray& sel, uint8_t* table, size_t size) const {
    const size_t low = size < kBits ? size : kBits;
    std::memcpy(table, exactBytes_.data(), low);
    size_t k = low;
    if (!highExact_) {
        if (size > k) std::memset(table + k, 0, size - k);
        return;
    }
    for (; k < size; ++k) table[k] = hasExact(sel, static_cast<int>(k)) ? 1 : 0;
}

int32_t noteOccurrence(TLastValueArray& table, int32_t position, uint16_t k1, uint16_t k2, uint16_t k3, uint16_t k4) {
    const std::array<uint16_t, 4> keys{k1, k2, k3, k4};
    const uint64_t want = TStatDraw::packKeys(keys);
    for (TLastValue& e : table) {
        if (TStatDraw::packKeys(e.keys) == want) {
            const int32_t old = e.position;
            e.position = position;
            return position - old;
        }
    }
    table.push_back({position, keys});
    return -1;
}

void addToCounter(TStatSimpleArray& table, int32_t key, int32_t amount) {
    for (TStatSimple& e : table) {
        if (e.key == key) {
            if (amount > 0) e.count += amount;
            return;
        }
    }
    table.push_back({key, amount});
}

void sortCounters(TStatSimpleArray& table) {
    for (size_t i = 1; i < table.size(); ++i) {
        TStatSimple x = table[i];
        size_t j = i;
        while (j > 0 && x.key < table[j - 1].key) {
            table[j] = table[j - 1];
            --j;
        }
        table[j] = x;
    }
}

std::string kindLetters(TStatKinds kinds) {
    static constexpr char kLetters[] = "SNDPG";
    std::string out;
    for (int i = 0; i < 5; ++i)
        if (kinds & (1u << i)) out += kLetters[i];
    return out;
}

namespace {

struct GroupInfo {
    std::string_view code;
    std::string_view caption;
};

constexpr std::array<GroupInfo, kStatGroupCount> kGroups{{
    {"num", "Числа тиража"},
    {"sum", "Сумма чисел тиража"},
    {"dif", "Разности между числами тиража"},
    {"grp", "Каналы (группы чисел)"},
    {"mtx", "Матрица тиража"},
    {"sgm", "Сегменты матрицы тиража"},
    {"seq", "Последовательности чисел в одном тираже"},
    {"rep", "Повторяющиеся числа в нескольких тиражах"},
    {"ser", "Серии (цепочки) значений"},
    {"per", "Периоды повторения значений"},
    {"mov", "Переходы (изменения) значений между тиражами"},
    {"tsk", "Характеристическое число Tesk"},
    {"shr", "Методы шинковки"},
}};

}  // namespace

std::string_view groupCode(int group) {
    return group >= 0 && group < kStatGroupCount ? kGroups[static_cast<size_t>(group)].code : std::string_view{};
}

std::string_view groupCaption(int group) {
    return group >= 0 && group < kStatGroupCount ? kGroups[static_cast<size_t>(group)].caption : std::string_view{};
}

std::string groupText(int group) {
    if (group < 0 || group >= kStatGroupCount) return "#ERROR#";
    return fmt("{ %1:s } %0:s", std::string(groupCaption(group)), std::string(groupCode(group)));
}

}  // namespace tavlora
