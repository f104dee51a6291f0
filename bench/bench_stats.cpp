// tavlora-bench figures of the statistics view: the statistics filter step over the full list
// and the norm files, printed in the harness's format "name<TAB>milliseconds<TAB>ratio".
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

// A filter request selecting the table rows of the method whose value texts are listed.
TStatFilterRequest requestFor(const TStatList& registry, int method, const TDrawsArray& draws,
                              const std::vector<std::string>& values, bool remove) {
    TStatTableInput in;
    in.draws = &draws;
    in.endIndex = static_cast<int>(draws.size()) - 1;
    const TStatTable table = computeStatTable(registry, method, in);
    std::vector<std::size_t> rows;
    for (const auto& v : values)
        if (const auto i = findStatRow(table.rows, v)) rows.push_back(*i);
    const TStatSelection sel = statSelection(table.rows, rows);
    TStatFilterRequest r;
    r.name = statMethodListCaption(registry, method);
    r.selection = sel.values;
    r.valuesText = sel.text;
    r.remove = remove;
    r.referenceIndex = in.endIndex;
    return r;
}

}  // namespace

// Called by the harness with the full list, a way to regenerate it and the baseline of the run.
void benchStatistics(TCombList& list, const std::function<void()>& regenerate, const TDrawsArray& draws,
                     double baseline) {
    const TSettings settings;
    TStatList registry(settings, draws);
    registry.rebuild();
    NullProgress progress;
    ScriptedInteraction ui;
    const int nums = statMethodIndex(registry, "NUMS");
    const int sums = statMethodIndex(registry, "SUMS");

    if (bench::wanted("stat_filter_keep_10_nums_values")) {
        const TStatFilterRequest keepNums =
            requestFor(registry, nums, draws, {"3", "9", "14", "22", "31", "38", "45", "52", "60", "67"}, false);
        printFigure("stat_filter_keep_10_nums_values",
                    bench::bestOf(5, regenerate, [&] { statFilter(list, registry, nums, keepNums, progress); }),
                    baseline);
    }
    if (bench::wanted("stat_filter_remove_25_sums_values")) {
        std::vector<std::string> sumValues;
        for (int s = 150; s < 200; s += 2) sumValues.push_back(std::to_string(s));
        const TStatFilterRequest removeSums = requestFor(registry, sums, draws, sumValues, true);
        printFigure("stat_filter_remove_25_sums_values",
                    bench::bestOf(5, regenerate, [&] { statFilter(list, registry, sums, removeSums, progress); }),
                    baseline);
    }
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("tavlora-bench-" + std::to_string(::getpid()));
    if (bench::wanted("norm_file_sums"))
        printFigure("norm_file_sums",
                    bench::bestOf(3, nullptr, [&] { createPrefetchFile(registry, sums, dir, progress, ui); }), baseline);
    if (bench::wanted("norm_file_nums"))
        printFigure("norm_file_nums",
                    bench::bestOf(3, nullptr, [&] { createPrefetchFile(registry, nums, dir, progress, ui); }), baseline);
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
    for (const auto& m : ui.messages) std::fprintf(stderr, "%s\n", m.text.c_str());
}
