#pragma once
// What the fuzz targets do when a rule they check is broken: say which and
// abort, so that libFuzzer keeps the input that did it (and a corpus replay
// fails).

#include <cstdio>
#include <cstdlib>

namespace stepdrive::fuzz {

inline void require(bool holds, const char* rule) {
    if (holds)
        return;
    std::fprintf(stderr, "broken: %s\n", rule);
    std::abort();
}

} // namespace stepdrive::fuzz
