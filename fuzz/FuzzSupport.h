#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

// A property the operations promise; a broken one is a crash the fuzzer keeps.
#define FUZZ_CHECK(condition)                                                              \
    do {                                                                                   \
        if (!(condition)) {                                                                \
            std::fprintf(stderr, "%s:%d: property failed: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                  \
        }                                                                                  \
    } while (false)

// A directory for this run's files, on tmpfs where there is one, removed at
// exit. Ends with '/'.
const std::string& ScratchDir();

void WriteInput(const std::string& path, std::string_view bytes);
std::string_view AsBytes(const std::uint8_t* data, std::size_t size);
