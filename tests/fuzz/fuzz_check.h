// SPDX-License-Identifier: MIT
// An invariant of a fuzz target. A broken one prints what was expected and
// aborts, which libFuzzer reports as a crash and saves the input.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

#define FUZZ_CHECK(condition, what)                                                                                    \
    do {                                                                                                               \
        if (!(condition)) {                                                                                            \
            std::fprintf(stderr, "\nINVARIANT BROKEN at %s:%d: %s\n  %s\n", __FILE__, __LINE__, #condition,            \
                         std::string(what).c_str());                                                                   \
            std::abort();                                                                                              \
        }                                                                                                              \
    } while (0)

// Printable form of bytes for the messages above.
std::string Escaped(const std::string& bytes, std::size_t limit = 120);
