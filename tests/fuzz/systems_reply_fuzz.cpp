// The catalogue replies of the systems service and the normalisation of a pasted system list: any
// text is read without harm. A list reply is refused or gives rows with usable values only, and
// the rows rendered as a reply read back as the same rows; a save reply gives an id above 0; the
// normalised list is normalised already and agrees with its own count and K.
#include "core/error.h"
#include "fuzz_check.h"
#include "stakes/systems_catalogue.h"

#include <string>

using namespace tavlora;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text = fuzzText(data, size);
    try {
        const TSystemListReply list = parseSystemListReply(text);
        for (const TSystemInfo& s : list.systems) {
            FUZZ_CHECK(s.id > 0);
            FUZZ_CHECK(s.numbers >= kSystemMinNumbers && s.numbers <= kSystemMaxNumbers);
            FUZZ_CHECK(s.block <= kSystemMaxBlock);
            FUZZ_CHECK(s.count >= 0 && s.downloads >= 0);
            FUZZ_CHECK(s.created.empty() || parseSystemDate(s.created));
        }
        const TSystemListReply again = parseSystemListReply(renderSystemListReply(list.systems));
        FUZZ_CHECK(again.systems == list.systems);
        FUZZ_CHECK(again.skipped == 0);
    } catch (const EError&) {
    }
    try {
        FUZZ_CHECK(parseSystemSaveReply(text) > 0);
    } catch (const EError&) {
    }
    try {
        const std::string clist = parseSystemDataReply(text);
        FUZZ_CHECK(clist.size() <= text.size() * 4);  // entities only shrink; Windows-1251 at most doubles
    } catch (const EError&) {
    }
    const TNormalisedSystem n = normaliseSystemText(text);
    const TNormalisedSystem twice = normaliseSystemText(n.text);
    FUZZ_CHECK(twice.text == n.text && twice.count == n.count && twice.numbers == n.numbers);
    FUZZ_CHECK(n.numbers <= kSystemMaxNumbers && n.text.size() == static_cast<size_t>(n.count) * 15);
    return 0;
}
