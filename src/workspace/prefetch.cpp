#include "workspace/prefetch.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <exception>
#include <memory>
#include <mutex>
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

void removeQuietly(const std::filesystem::path& file) {
    std::error_code ec;
    std::filesystem::remove(file, ec);
}

// A progress that maps a nested operation's gauge (0..its own maximum) onto the part from..to of
// the outer gauge, passing the stop request and pump on; the text stays the outer one's.
class SpanProgress : public Progress {
public:
    SpanProgress(Progress& outer, int64_t from, int64_t to) : outer_(outer), from_(from), to_(to) {}
    void setText(const std::string&) override {}
    void setMaximum(int64_t maximum) override { maximum_ = std::max<int64_t>(maximum, 1); }
    void setPosition(int64_t position) override {
        const int64_t p = std::clamp<int64_t>(position, 0, maximum_);
        outer_.setPosition(from_ + (to_ - from_) * p / maximum_);
    }
    void pump() override { outer_.pump(); }
    bool stopRequested() const override { return outer_.stopRequested(); }

private:
    Progress& outer_;
    int64_t from_, to_;
    int64_t maximum_ = 1;
};

// The C(69,3) three-number prefixes in lexicographic order: the work items of a full-set run,
// where each worker produces the combinations of its prefixes itself, so the full list is never
// stored.
struct Prefix {
    uint8_t a, b, c;
};

std::vector<Prefix> threeNumberPrefixes() {
    std::vector<Prefix> prefixes;
    prefixes.reserve(52394);
    for (int a = 1; a <= 65; ++a)
        for (int b = a + 1; b <= 66; ++b)
            for (int c = b + 1; c <= 67; ++c)
                prefixes.push_back({static_cast<uint8_t>(a), static_cast<uint8_t>(b), static_cast<uint8_t>(c)});
    return prefixes;
}

// Appends the combinations of one prefix, in lexicographic order.
void appendCombsOf(const Prefix& prefix, std::vector<TComb>& out) {
    TComb comb;
    comb.n[0] = prefix.a;
    comb.n[1] = prefix.b;
    comb.n[2] = prefix.c;
    for (int d = comb.n[2] + 1; d <= 68; ++d) {
        comb.n[3] = static_cast<uint8_t>(d);
        for (int e = d + 1; e <= 69; ++e) {
            comb.n[4] = static_cast<uint8_t>(e);
            out.push_back(comb);
        }
    }
}

// Methods counted together in one full-set pass, at most: every method keeps counts per worker
// (a direct table of some 32 KB plus a hash part for large keys), so with many workers the due
// methods are counted in a few passes instead of one.
constexpr std::size_t kCountsPerPass = 256;

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
    std::vector<TFullSetOutcome> outcomes;
    if (!fullSetValuesOfMethods(registry, {methodIndex}, outcomes, progress)) return false;
    if (!outcomes[0].error.empty()) throw EError(outcomes[0].error);
    values = std::move(outcomes[0].values);
    return true;
}

bool fullSetValuesOfMethods(const TStatList& registry, const std::vector<int>& methodIndices,
                            std::vector<TFullSetOutcome>& outcomes, Progress& progress) {
    const std::size_t methods = methodIndices.size();
    outcomes.assign(methods, TFullSetOutcome{});
    if (methods == 0) return true;
    const std::vector<Prefix> prefixes = threeNumberPrefixes();

    // One instance and one count table per method and worker; the worker's batch and scratch
    // list are shared by its methods. Each worker's state is on cache lines of its own.
    struct Counting {
        std::unique_ptr<TCustomStat> method;
        TValueCounts counter;
    };
    struct alignas(64) Worker {
        explicit Worker(std::size_t methods) : counting(methods) {}
        std::vector<Counting> counting;
        TStatDrawArray list;
        std::vector<TComb> batch;
    };
    // A failed method is left out by every worker from the next batch on; its first message is kept.
    const auto failed = std::make_unique<std::atomic<bool>[]>(methods);
    std::mutex errorMutex;
    auto fail = [&](std::size_t k, const char* what) {
        const std::lock_guard<std::mutex> lock(errorMutex);
        // An empty message would read as success: the failure always carries a text.
        if (!failed[k].exchange(true)) outcomes[k].error = (what && *what) ? what : "неизвестная ошибка";
    };

    const unsigned workers = std::max(1u, workerCount());
    std::vector<std::unique_ptr<Worker>> state;
    for (unsigned w = 0; w < workers; ++w) {
        state.push_back(std::make_unique<Worker>(methods));
        state.back()->batch.reserve(kCountBatch + 2145);  // a batch ends after the prefix that fills it
    }
    std::vector<char> shortcut(methods, 0);
    for (std::size_t k = 0; k < methods; ++k) {
        try {
            for (unsigned w = 0; w < workers; ++w) {
                Counting& c = state[w]->counting[k];
                c.method = registry.createInstance(methodIndices[k]);
                c.method->countValuesInto(&c.counter);
            }
            // Whether the method counts batches itself (asked with an empty batch).
            Counting& first = state[0]->counting[k];
            shortcut[k] = first.method->countCombValues(nullptr, 0, first.counter) ? 1 : 0;
        } catch (const std::exception& e) {
            fail(k, e.what());
        }
    }

    const bool done = parallelForChunks(
        prefixes.size(),
        [&](std::size_t begin, std::size_t end, unsigned worker) {
            Worker& w = *state[worker];
            auto countBatch = [&] {
                for (std::size_t k = 0; k < methods; ++k) {
                    if (failed[k].load(std::memory_order_relaxed)) continue;
                    Counting& c = w.counting[k];
                    try {
                        if (shortcut[k]) {
                            c.method->countCombValues(w.batch.data(), w.batch.size(), c.counter);
                            continue;
                        }
                        for (const TComb& comb : w.batch) {
                            c.method->valuesOfComb(comb, w.list);
                            // Values a method lists besides its counted ones: gathered a few at a
                            // time, since neighbouring combinations share most of them.
                            if (w.list.size() >= kScratchFlush) {
                                c.counter.addList(w.list);
                                w.list.clear();
                            }
                        }
                        c.counter.addList(w.list);
                        w.list.clear();
                    } catch (const std::exception& e) {
                        w.list.clear();
                        fail(k, e.what());
                    }
                }
                w.batch.clear();
            };
            w.batch.clear();
            for (std::size_t i = begin; i < end; ++i) {
                appendCombsOf(prefixes[i], w.batch);
                if (w.batch.size() >= kCountBatch) countBatch();
            }
            if (!w.batch.empty()) countBatch();
        },
        &progress, 16);
    if (!done) return false;

    for (std::size_t k = 0; k < methods; ++k) {
        if (failed[k].load()) continue;
        try {
            TValueCounts& total = state[0]->counting[k].counter;
            for (unsigned w = 1; w < workers; ++w) {
                total.merge(state[w]->counting[k].counter);
                const Counting merged = std::move(state[w]->counting[k]);  // its memory goes now
            }
            outcomes[k].values = total.values();
        } catch (const std::exception& e) {
            fail(k, e.what());
        }
        const Counting counted = std::move(state[0]->counting[k]);
    }
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
    progress.setPosition(0);
    if (progress.stopRequested()) return false;

    // The due methods: those with a norm whose file is missing, or whose group is forced.
    std::vector<int> due;
    for (int i = 0; i < registry.count(); ++i) {
        if (!registry.hasNorm(i)) continue;
        std::error_code ec;
        const bool exists = std::filesystem::exists(prefetchPath(dataDir, registry.item(i).code()), ec);
        const int group = registry.item(i).statClass().group;
        if (!exists || (group >= 0 && group < static_cast<int>(groups.size()) && groups.test(static_cast<std::size_t>(group))))
            due.push_back(i);
    }
    // A failure is shown for its own file, which is then removed: a failed build never leaves a file.
    auto reportFailure = [&](int method, const std::string& what) {
        const std::filesystem::path file = prefetchPath(dataDir, registry.item(method).code());
        removeQuietly(file);
        status.clear();
        interaction.error(fmt(kPrefetchCreateError, file.string(), what));
        status.update(kPrefetchEnsureText);
    };
    if (!due.empty()) {
        std::error_code ec;
        std::filesystem::create_directories(dataDir / kPrefetchFolder, ec);
        if (ec) {
            for (int method : due) reportFailure(method, ec.message());
            due.clear();
        }
    }

    const std::size_t perPass = std::max<std::size_t>(1, kCountsPerPass / std::max(1u, workerCount()));
    int64_t reached = 0;
    for (std::size_t first = 0; first < due.size(); first += perPass) {
        const std::vector<int> pass(due.begin() + static_cast<std::ptrdiff_t>(first),
                                    due.begin() + static_cast<std::ptrdiff_t>(std::min(due.size(), first + perPass)));
        // One file's build shows its own text; several show the text of the whole run.
        if (due.size() == 1)
            status.update(fmt(kPrefetchCreatingText, prefetchPath(dataDir, registry.item(pass[0]).code()).filename().string()));
        // The pass moves the gauge up to its last method; the gauge counts registered methods.
        const int64_t upTo = pass.back() + 1;
        SpanProgress span(progress, reached, upTo);
        std::vector<TFullSetOutcome> outcomes;
        bool completed = false;
        try {
            completed = fullSetValuesOfMethods(registry, pass, outcomes, span);
        } catch (const std::exception& e) {
            for (int method : pass) reportFailure(method, e.what());
            reached = upTo;
            continue;
        }
        if (!completed) return false;
        for (std::size_t k = 0; k < pass.size(); ++k) {
            if (!outcomes[k].error.empty()) {
                reportFailure(pass[k], outcomes[k].error);
                continue;
            }
            try {
                writeFileAtomic(prefetchPath(dataDir, registry.item(pass[k]).code()),
                                prefetchBytes(prefetchDataOf(std::move(outcomes[k].values))));
            } catch (const std::exception& e) {
                reportFailure(pass[k], e.what());
            }
            outcomes[k].values = TStatDrawArray();
        }
        reached = upTo;
        progress.setPosition(reached);
        progress.pump();
    }
    progress.setPosition(registry.count());
    progress.pump();
    return true;
}

}  // namespace tavlora
