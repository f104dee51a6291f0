// The INI reader: any text reads without harm, and a file it wrote reads back as the same
// sections, keys and values and is written again as the same bytes.
#include "core/ini_file.h"
#include "fuzz_check.h"

using namespace tavlora;

namespace {

std::string contents(const IniFile& ini) {
    std::string out;
    for (const std::string& s : ini.sections()) {
        out += "[" + s + "]\n";
        for (const std::string& k : ini.sectionKeys(s)) out += k + "=" + ini.readString(s, k) + "\n";
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // What was read once is written; written text read and written again stays the same text.
    // (The first reading may lose what the code page cannot hold, e.g. bytes of a broken UTF-8
    // file; nothing is lost after that.)
    IniFile first;
    first.loadFromBytes(fuzzText(data, size));
    const std::string bytes = first.toBytes();
    IniFile second;
    second.loadFromBytes(bytes);
    const std::string again = second.toBytes();
    IniFile third;
    third.loadFromBytes(again);
    FUZZ_CHECK(contents(third) == contents(second));
    FUZZ_CHECK(third.toBytes() == again);
    return 0;
}
