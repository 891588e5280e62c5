#pragma once

#include <cstdio>
#include <cstdlib>

// Stops the run with the broken invariant named.
inline void Require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "invariant broken: %s\n", what);
        std::abort();
    }
}
