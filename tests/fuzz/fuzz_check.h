#pragma once
// What every harness checks besides "no crash": a broken property aborts the run, which
// libFuzzer reports as a crash and keeps the input that caused it.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#define FUZZ_CHECK(cond)                                                                   \
    do {                                                                                   \
        if (!(cond)) {                                                                     \
            std::fprintf(stderr, "%s:%d: property broken: %s\n", __FILE__, __LINE__, #cond); \
            std::abort();                                                                  \
        }                                                                                  \
    } while (0)

inline std::string_view fuzzText(const uint8_t* data, size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}
