// The stakes grid's share of one repaint over a file of a million stakes: the rows of one page
// (40) read from the file through the store and turned into their nine cell texts, as the grid's
// model does for the rows it has not cached, at pages spread over the whole file. The drawing of
// the texts is the toolkit's and is not part of this figure.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

#include "bench_util.h"
#include "stakes/stake_record.h"
#include "stakes/stakes_store.h"

using namespace tavlora;

namespace {
constexpr int64_t kStakes = 1000000;
constexpr int64_t kPageRows = 40;
constexpr int kPages = 50;
}  // namespace

bool benchStakesPage(double baseline) {
    if (!bench::wanted("stakes_page_1e6")) return true;
    const auto dir = std::filesystem::temp_directory_path() / ("tavlora-bench-stakes-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const auto file = dir / "Tavlora_5d69.lsk";
    {
        // The file written in one pass: checked scenario stakes with a typical comment.
        std::ofstream out(file, std::ios::binary);
        std::string chunk;
        for (int64_t i = 0; i < kStakes; ++i) {
            TStakeRecord r;
            r.kind = 3;
            r.drawNumber = static_cast<int32_t>(1000 + i / 1000);
            r.checked = true;
            r.listSize = 5000;
            r.numbers.count = 5;
            r.numbers.nums = {1, 12, 23, 34, 45, 0, 0, 0};
            r.drawNums = {12, 2, 45, 60, 7};
            r.matches.count = 2;
            r.matches.nums = {12, 45, 0, 0, 0, 0, 0, 0};
            r.profit = -20000;
            r.comment = "01.001: Шаг 1 @ CURR:0#NONE + TMD1#SUMS:200#CLV:1#SF:1";
            chunk += r.toBytes();
            if (chunk.size() > (1u << 22)) out << chunk, chunk.clear();
        }
        out << chunk;
        if (!out) {
            std::fprintf(stderr, "tavlora-bench: the stakes file could not be written\n");
            std::filesystem::remove_all(dir);
            return false;
        }
    }
    TStakesStore store(file);
    store.open();
    int64_t cells = 0;
    // Each run reads 50 pages spread over the file; the figure is the time of one page.
    const double ms = bench::bestOf(5, nullptr, [&] {
        for (int p = 0; p < kPages; ++p) {
            const int64_t first = (kStakes - kPageRows) * p / (kPages - 1);
            for (int64_t i = first; i < first + kPageRows; ++i)
                cells += static_cast<int64_t>(stakeGridRow(store.readRecord(TStakesStore::Origin::Start, i)).size());
        }
    }) / kPages;
    store.close();
    std::filesystem::remove_all(dir);
    if (cells == 0) return false;
    bench::printFigure("stakes_page_1e6", ms, baseline);
    return true;
}
