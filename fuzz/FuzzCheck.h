#pragma once

#include <cstdio>
#include <cstdlib>

// Stops a fuzz target when a property does not hold: libFuzzer then keeps the input that
// broke it, and the plain runner fails.
#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "%s:%d: does not hold: %s\n", __FILE__, __LINE__, #condition);    \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)
