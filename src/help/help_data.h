#pragma once
// The help pages compiled into the program: a table filled by a source that the build generates
// from docs/help (cmake/embed_help.cmake), one entry per page in ascending order of file name.
#include <cstddef>

namespace tavlora::help_data {

struct TEmbeddedPage {
    const char* name;           // file name, e.g. "Filters_1049_NUMS.htm"
    const unsigned char* data;  // the page's bytes (UTF-8 HTML), not terminated
    std::size_t size;
};

extern const TEmbeddedPage kPages[];
extern const std::size_t kPageCount;

}  // namespace tavlora::help_data
