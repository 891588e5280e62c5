#pragma once

namespace quillomet::bench {

// How many calls of `once` take at least `seconds` by `clock` (doubling
// from 16): the size of a batch that a clock's resolution cannot blur.
template <typename Clock, typename Once>
long BatchFor(Clock clock, double seconds, Once once) {
    long n = 16;
    for (;;) {
        const double start = clock();
        for (long i = 0; i < n; ++i)
            once();
        if (clock() - start > seconds || n > (1L << 26))
            return n;
        n *= 2;
    }
}

} // namespace quillomet::bench
