// tavlora-bench figures of one filter per statistics family and of a few more norm files, in the
// harness's format "name<TAB>milliseconds<TAB>ratio".
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <unistd.h>
#include <vector>

#include "bench_util.h"
#include "core/interaction.h"
#include "core/progress.h"
#include "core/records.h"
#include "stats/stat_list.h"
#include "workspace/prefetch.h"
#include "workspace/stat_filter.h"
#include "workspace/stat_method.h"
#include "workspace/stat_table.h"

namespace tavlora {
class TCombList;
}

using namespace tavlora;

namespace {

using bench::printFigure;

// Keeps about a third of the values that occurred in the last 100 draws (every third row in
// value-list order, at most 12), the kind of selection a user makes.
TStatFilterRequest typicalKeep(const TStatList& registry, int method, const TDrawsArray& draws) {
    TStatTableInput in;
    in.draws = &draws;
    in.endIndex = static_cast<int>(draws.size()) - 1;
    in.window = 100;
    const TStatTable table = computeStatTable(registry, method, in);
    std::vector<std::size_t> rows;
    int seen = 0;
    for (std::size_t i = 0; i < table.rows.size() && rows.size() < 12; ++i)
        if (table.rows[i].value.count > 0 && seen++ % 3 == 0) rows.push_back(i);
    const TStatSelection sel = statSelection(table.rows, rows);
    TStatFilterRequest r;
    r.name = statMethodListCaption(registry, method);
    r.selection = sel.values;
    r.valuesText = sel.text;
    r.remove = false;
    r.referenceIndex = in.endIndex;
    return r;
}

}  // namespace

// Called by the harness with the full list, a way to regenerate it and the baseline of the run.
void benchFamilies(TCombList& list, const std::function<void()>& regenerate, const TDrawsArray& draws,
                   double baseline) {
    const TSettings settings;
    TStatList registry(settings, draws);
    registry.rebuild();
    NullProgress progress;
    ScriptedInteraction ui;

    for (const char* code : {"DIFA", "SEQL", "RPC2", "KNM2", "KNM3", "HCO1", "CHAN", "COLV", "ROWV", "CHNV", "KCM2",
                             "KFM3", "SGMS", "GRPV", "PRDV", "SDV2"}) {
        if (!bench::wanted(std::string("stat_filter_keep_") + code)) continue;
        const int method = statMethodIndex(registry, code);
        if (method < 0) {
            std::fprintf(stderr, "tavlora-bench: no method %s\n", code);
            continue;
        }
        const TStatFilterRequest keep = typicalKeep(registry, method, draws);
        printFigure(std::string("stat_filter_keep_") + code,
                    bench::bestOf(3, regenerate, [&] { statFilter(list, registry, method, keep, progress); }), baseline);
    }

    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("tavlora-bench-families-" + std::to_string(::getpid()));
    for (const char* code : {"DIFA", "CHNV", "COLM", "COLV"}) {
        if (!bench::wanted(std::string("norm_file_") + code)) continue;
        const int method = statMethodIndex(registry, code);
        if (method < 0) continue;
        printFigure(std::string("norm_file_") + code,
                    bench::bestOf(2, nullptr, [&] { createPrefetchFile(registry, method, dir, progress, ui); }), baseline);
    }
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
    for (const auto& m : ui.messages) std::fprintf(stderr, "%s\n", m.text.c_str());
    if (bench::wanted("stat_filter_keep_")) regenerate();
}

namespace {

// Prints the median and the largest of the ratios under the given name.
void printSpread(const std::string& name, std::vector<double> ratios) {
    if (ratios.empty()) return;
    std::sort(ratios.begin(), ratios.end());
    const std::size_t n = ratios.size();
    const double median = n % 2 ? ratios[n / 2] : (ratios[n / 2 - 1] + ratios[n / 2]) / 2;
    std::printf("%s\tmethods %zu\tmedian %.2f\tmax %.2f\n", name.c_str(), n, median, ratios.back());
    std::fflush(stdout);
}

}  // namespace

// --all-methods: the typical keep filter of every method of the registry over the full list, and
// the norm file of every method that has one; then the median and maximum ratio of each kind.
void benchAllMethods(TCombList& list, const std::function<void()>& regenerate, const TDrawsArray& draws,
                     double baseline) {
    const TSettings settings;
    TStatList registry(settings, draws);
    registry.rebuild();
    NullProgress progress;
    ScriptedInteraction ui;
    std::vector<double> filterRatios, normRatios;
    for (int method = 0; method < registry.count(); ++method) {
        const std::string name = std::string("all_filter_keep_") + registry.item(method).code();
        if (!bench::wanted(name)) continue;
        const TStatFilterRequest keep = typicalKeep(registry, method, draws);
        if (keep.selection.empty()) {
            std::fprintf(stderr, "tavlora-bench: %s has no value to keep\n", name.c_str());
            continue;
        }
        const double ms = bench::bestOf(2, regenerate, [&] { statFilter(list, registry, method, keep, progress); });
        printFigure(name, ms, baseline);
        filterRatios.push_back(ms / baseline);
    }
    printSpread("all_filter_keep", filterRatios);
    regenerate();

    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("tavlora-bench-all-" + std::to_string(::getpid()));
    for (int method = 0; method < registry.count(); ++method) {
        const std::string name = std::string("all_norm_file_") + registry.item(method).code();
        if (!registry.hasNorm(method) || !bench::wanted(name)) continue;
        const double ms = bench::bestOf(1, nullptr, [&] { createPrefetchFile(registry, method, dir, progress, ui); });
        printFigure(name, ms, baseline);
        normRatios.push_back(ms / baseline);
    }
    printSpread("all_norm_file", normRatios);
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
    for (const auto& m : ui.messages) std::fprintf(stderr, "%s\n", m.text.c_str());
}
