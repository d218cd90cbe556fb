#pragma once

#include <cstdlib>
#include <string_view>

// Whether the tests run under continuous integration, where the real traces must be there.
inline bool RunsUnderCi() {
    const char* ci = std::getenv("CI");
    return ci != nullptr && std::string_view(ci) == "true";
}

// Skips a GoogleTest test when the real traces are absent; under continuous integration a
// missing folder fails the test instead.
#define SKIP_WITHOUT_REAL_TRACES(missing)                                                          \
    if (missing) {                                                                                 \
        if (RunsUnderCi()) {                                                                       \
            FAIL() << "no real traces in " << VELQUOR_TRACES_DIR << " under CI";                   \
        }                                                                                          \
        GTEST_SKIP() << "no real traces in " << VELQUOR_TRACES_DIR;                                \
    }
