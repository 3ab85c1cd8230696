// Times making each code page's inverse, which firmpack does the first time it writes text in
// that code page: the best of a few rounds, in microseconds.
// Usage: codepage_benchmark
#include <algorithm>
#include <chrono>
#include <cstdio>

#include "CodePageInverse.h"
#include "CodePageTables.h"

int main()
{
    constexpr int kRounds = 20;
    double slowest = 0;
    std::printf("code page  characters  inverse built in (best of %d)\n", kRounds);
    for (std::size_t i = 0; i < kCodePageTableCount; ++i) {
        double best = 1e9;
        std::size_t characters = 0;
        for (int round = 0; round < kRounds; ++round) {
            const auto start = std::chrono::steady_clock::now();
            characters = BuildInverse(kCodePageTables[i]).size();
            const std::chrono::duration<double, std::micro> took = std::chrono::steady_clock::now() - start;
            best = std::min(best, took.count());
        }
        slowest = std::max(slowest, best);
        std::printf("%9d  %10zu  %8.1f us\n", kCodePageTables[i].codePage, characters, best);
    }
    std::printf("slowest    %.1f us (aim: well under 1000 us)\n", slowest);
    return 0;
}
