#include "workspace/prefetch.h"

#include <algorithm>
#include <cstring>
#include <exception>
#include <memory>
#include <system_error>

#include "core/error.h"
#include "core/file_util.h"
#include "core/format.h"
#include "core/parallel.h"
#include "stats/custom_stat.h"
#include "stats/stat_list.h"

namespace tavlora {

namespace {

constexpr std::size_t kRecordSize = 12;
// Entries a worker's scratch value list may reach before it is emptied into the worker's counts.
constexpr std::size_t kScratchFlush = 8;
// Combinations handed to a method's counting shortcut at once (a little more: whole prefixes).
constexpr std::size_t kCountBatch = 8192;

void putU16(std::string& out, uint16_t v) {
    out.push_back(static_cast<char>(v & 0xFF));
    out.push_back(static_cast<char>(v >> 8));
}
void putI32(std::string& out, int32_t v) {
    const auto u = static_cast<uint32_t>(v);
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((u >> (8 * i)) & 0xFF));
}
uint16_t getU16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
int32_t getI32(const unsigned char* p) {
    return static_cast<int32_t>(uint32_t{p[0]} | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) |
                                (uint32_t{p[3]} << 24));
}

bool keysLess(const std::array<uint16_t, 4>& a, const std::array<uint16_t, 4>& b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end());
}

// A progress that passes the text and the stop request on but keeps its own gauge, so that the
// per-method gauge of ensurePrefetchFiles is not moved by the build of one file.
class TextOnlyProgress : public Progress {
public:
    explicit TextOnlyProgress(Progress& outer) : outer_(outer) {}
    void setText(const std::string& text) override { outer_.setText(text); }
    void setMaximum(int64_t) override {}
    void setPosition(int64_t) override { outer_.pump(); }
    void pump() override { outer_.pump(); }
    bool stopRequested() const override { return outer_.stopRequested(); }

private:
    Progress& outer_;
};

void removeQuietly(const std::filesystem::path& file) {
    std::error_code ec;
    std::filesystem::remove(file, ec);
}

}  // namespace

std::filesystem::path prefetchPath(const std::filesystem::path& dataDir, std::string_view code) {
    std::string name("Tavlora_5d69");
    name += "_";
    name += code;
    name += ".dfc";
    return dataDir / kPrefetchFolder / name;
}

std::string prefetchBytes(const TPrefetchData& data) {
    std::string out;
    out.reserve((data.entries.size() + 1) * kRecordSize);
    for (const TPrefetchEntry& e : data.entries) {
        for (uint16_t k : e.keys) putU16(out, k);
        putI32(out, e.count);
    }
    putI32(out, data.minCount);
    putI32(out, data.maxCount);
    putI32(out, 0);
    return out;
}

TPrefetchData parsePrefetchBytes(std::string_view bytes) {
    if (bytes.size() < kRecordSize || bytes.size() % kRecordSize != 0)
        throw EError(fmt("Неверный размер файла: %d байт (ожидается 12 * (N + 1))", static_cast<int64_t>(bytes.size())));
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t n = bytes.size() / kRecordSize - 1;
    TPrefetchData data;
    data.entries.resize(n);
    for (std::size_t i = 0; i < n; ++i, p += kRecordSize) {
        for (int k = 0; k < 4; ++k) data.entries[i].keys[static_cast<std::size_t>(k)] = getU16(p + 2 * k);
        data.entries[i].count = getI32(p + 8);
    }
    data.minCount = getI32(p);
    data.maxCount = getI32(p + 4);
    return data;
}

TPrefetchData prefetchDataOf(TStatDrawArray values) {
    std::stable_sort(values.begin(), values.end(),
                     [](const TStatDraw& a, const TStatDraw& b) { return keysLess(a.keys, b.keys); });
    TPrefetchData data;
    data.entries.reserve(values.size());
    for (const TStatDraw& v : values) data.entries.push_back({v.keys, v.count});
    if (!values.empty()) {
        const auto [lo, hi] = std::minmax_element(values.begin(), values.end(), [](const TStatDraw& a, const TStatDraw& b) {
            return a.count < b.count;
        });
        data.minCount = lo->count;
        data.maxCount = hi->count;
    }
    return data;
}

bool fullSetValues(const TStatList& registry, int methodIndex, TStatDrawArray& values, Progress& progress) {
    values.clear();
    // Work items: the C(69,3) three-number prefixes in lexicographic order; each worker produces
    // the combinations of its prefixes itself, so the full list is never stored.
    struct Prefix {
        uint8_t a, b, c;
    };
    std::vector<Prefix> prefixes;
    prefixes.reserve(52394);
    for (int a = 1; a <= 65; ++a)
        for (int b = a + 1; b <= 66; ++b)
            for (int c = b + 1; c <= 67; ++c)
                prefixes.push_back({static_cast<uint8_t>(a), static_cast<uint8_t>(b), static_cast<uint8_t>(c)});

    // Each worker's method, scratch list and counts on cache lines of their own: the scratch
    // list's end pointer is written for every value, and neighbouring workers must not share it.
    struct alignas(64) Worker {
        std::unique_ptr<TCustomStat> method;
        TStatDrawArray list;
        TValueCounts counter;
        std::vector<TComb> batch;
    };
    const unsigned workers = std::max(1u, workerCount());
    std::vector<std::unique_ptr<Worker>> state;
    for (unsigned w = 0; w < workers; ++w) {
        state.push_back(std::make_unique<Worker>());
        state.back()->method = registry.createInstance(methodIndex);
        state.back()->method->countValuesInto(&state.back()->counter);
    }

    // Whether the method counts batches of combinations itself (asked with an empty batch).
    const bool shortcut = state[0]->method->countCombValues(nullptr, 0, state[0]->counter);
    const bool done = parallelForChunks(
        prefixes.size(),
        [&](std::size_t begin, std::size_t end, unsigned worker) {
            TCustomStat& method = *state[worker]->method;
            TValueCounts& counter = state[worker]->counter;
            TStatDrawArray& list = state[worker]->list;
            // Calls f for every combination of the prefixes begin..end-1, in lexicographic order.
            auto forEachComb = [&](auto&& f, auto&& afterPrefix) {
                TComb comb;
                for (std::size_t i = begin; i < end; ++i) {
                    comb.n[0] = prefixes[i].a;
                    comb.n[1] = prefixes[i].b;
                    comb.n[2] = prefixes[i].c;
                    for (int d = comb.n[2] + 1; d <= 68; ++d) {
                        comb.n[3] = static_cast<uint8_t>(d);
                        for (int e = d + 1; e <= 69; ++e) {
                            comb.n[4] = static_cast<uint8_t>(e);
                            f(comb);
                        }
                    }
                    afterPrefix(i + 1 == end);
                }
            };
            if (shortcut) {
                // The combinations are gathered in batches of some thousands, so that the
                // method's counting shortcut pays its set-up once per batch.
                std::vector<TComb>& batch = state[worker]->batch;
                batch.clear();
                forEachComb([&](const TComb& c) { batch.push_back(c); },
                            [&](bool last) {
                                if (batch.size() >= kCountBatch || last) {
                                    method.countCombValues(batch.data(), batch.size(), counter);
                                    batch.clear();
                                }
                            });
                return;
            }
            forEachComb(
                [&](const TComb& c) {
                    method.valuesOfComb(c, list);
                    // Neighbouring combinations share most of their values, so a short list
                    // gathers several of them before it is emptied into the counter.
                    if (list.size() >= kScratchFlush) {
                        counter.addList(list);
                        list.clear();
                    }
                },
                [](bool) {});
            counter.addList(list);
            list.clear();
        },
        &progress, 16);
    if (!done) return false;

    for (std::size_t w = 1; w < state.size(); ++w) state[0]->counter.merge(state[w]->counter);
    values = state[0]->counter.values();
    return true;
}

bool createPrefetchFile(const TStatList& registry, int methodIndex, const std::filesystem::path& dataDir,
                        Progress& progress, Interaction& interaction) {
    const std::filesystem::path file = prefetchPath(dataDir, registry.item(methodIndex).code());
    StatusScope status(progress, fmt(kPrefetchCreatingText, file.filename().string()));
    bool written = false;
    try {
        std::error_code ec;
        std::filesystem::create_directories(file.parent_path(), ec);
        if (ec) throw EError(ec.message());
        TStatDrawArray values;
        if (fullSetValues(registry, methodIndex, values, progress)) {
            writeFileAtomic(file, prefetchBytes(prefetchDataOf(std::move(values))));
            written = true;
        } else {
            removeQuietly(file);
        }
    } catch (const std::exception& e) {
        removeQuietly(file);
        status.clear();
        interaction.error(fmt(kPrefetchCreateError, file.string(), std::string(e.what())));
        return false;
    }
    return written;
}

std::optional<TPrefetchData> openPrefetchFile(const TStatList& registry, int methodIndex,
                                              const std::filesystem::path& dataDir, Progress& progress,
                                              Interaction& interaction) {
    const std::filesystem::path file = prefetchPath(dataDir, registry.item(methodIndex).code());
    std::error_code ec;
    const bool exists = std::filesystem::exists(file, ec);
    const auto size = exists ? std::filesystem::file_size(file, ec) : 0;
    if (!exists || ec || size == 0) {
        if (!createPrefetchFile(registry, methodIndex, dataDir, progress, interaction)) return std::nullopt;
    }
    try {
        return parsePrefetchBytes(readFileBytes(file));
    } catch (const std::exception& e) {
        interaction.error(fmt(kPrefetchOpenError, file.string(), std::string(e.what())));
        return std::nullopt;
    }
}

bool ensurePrefetchFiles(const TStatList& registry, const std::filesystem::path& dataDir, bool enabled, bool force,
                         const TGroupSet& groups, Progress& progress, Interaction& interaction) {
    if (!force && !enabled) return true;
    StatusScope status(progress, kPrefetchEnsureText);
    progress.setMaximum(registry.count());
    TextOnlyProgress inner(progress);
    for (int i = 0; i < registry.count(); ++i) {
        if (progress.stopRequested()) return false;
        if (registry.hasNorm(i)) {
            const std::filesystem::path file = prefetchPath(dataDir, registry.item(i).code());
            std::error_code ec;
            const bool exists = std::filesystem::exists(file, ec);
            const int group = registry.item(i).statClass().group;
            if (!exists || (group >= 0 && group < static_cast<int>(groups.size()) && groups.test(static_cast<std::size_t>(group)))) {
                createPrefetchFile(registry, i, dataDir, inner, interaction);
                if (progress.stopRequested()) return false;
                // The norm file's own text was cleared when it ended.
                status.update(kPrefetchEnsureText);
            }
        }
        progress.setPosition(i + 1);
        progress.pump();
    }
    return true;
}

}  // namespace tavlora
