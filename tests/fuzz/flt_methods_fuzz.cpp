// Method files (favourites, list options and custom captions): a file read into the registry and
// written back reads again into the same favourites, options and captions, and writing those
// once more gives the same bytes.
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/ini_file.h"
#include "core/records.h"
#include "core/settings.h"
#include "fuzz_check.h"
#include "stats/stat_list.h"

using namespace tavlora;

namespace {

struct MethodState {
    bool allFavourites;
    bool ordered;
    bool showGroupName;
    bool showMethodFlags;
    std::string favourites;
    std::vector<std::pair<int, std::string>> captions;  // the methods with a caption of their own
    bool operator==(const MethodState&) const = default;
};

// One registry for the whole run (building it per input would cost more than the reading);
// reset to the state of a fresh rebuild before each file.
TStatList& registry() {
    static const TSettings settings;
    static const TDrawsArray draws;
    static TStatList* list = [] {
        auto* l = new TStatList(settings, draws);
        l->rebuild();
        return l;
    }();
    return *list;
}

void reset(TStatList& list) {
    list.selectAll();
    list.ordered = false;
    list.showGroupName = true;
    list.showMethodFlags = true;
    for (int i = 0; i < list.count(); ++i) list.item(i).customCaption.clear();
}

MethodState state(const TStatList& list) {
    MethodState s{list.allFavourites, list.ordered, list.showGroupName, list.showMethodFlags, list.favouritesText(), {}};
    for (int i = 0; i < list.count(); ++i)
        if (!list.item(i).customCaption.empty()) s.captions.emplace_back(i, list.item(i).customCaption);
    return s;
}

// Reads a method file into the registry, reset first, and writes it back; returns what was read
// and the bytes written.
std::pair<MethodState, std::string> readAndWrite(TStatList& list, std::string_view bytes) {
    reset(list);
    IniFile file;
    file.loadFromBytes(bytes);
    list.applyMethodFile(file, true);
    // Some method is listed (a favourites text naming no method must not hide them all).
    bool listed = false;
    for (int i = 0; !listed && i < list.count(); ++i) listed = list.shown(i) && list.available(i) && list.listed(i);
    FUZZ_CHECK(listed);
    MethodState read = state(list);
    list.writeMethodFile(file, true, false);
    return {std::move(read), file.toBytes()};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TStatList& list = registry();
    const auto [first, written] = readAndWrite(list, fuzzText(data, size));
    const auto [again, rewritten] = readAndWrite(list, written);
    // A file marked as UTF-8 may hold text the code page of the written file cannot (it is
    // written as "?"); after that first save nothing changes.
    const bool markedUtf8 = size >= 3 && fuzzText(data, 3) == "\xEF\xBB\xBF";
    if (!markedUtf8) FUZZ_CHECK(again == first);
    FUZZ_CHECK(rewritten == written);
    if (markedUtf8) FUZZ_CHECK(readAndWrite(list, rewritten).first == again);
    return 0;
}
