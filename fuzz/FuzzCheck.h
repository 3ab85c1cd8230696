// The fuzz targets' one assertion: a broken invariant aborts, which libFuzzer records as
// a finding and the replay driver as a failed test.
#pragma once

#include <cstdio>
#include <cstdlib>

namespace fuzz {

inline void Require(bool holds, const char* what)
{
    if (holds)
        return;
    std::fprintf(stderr, "fuzz check failed: %s\n", what);
    std::fflush(stderr);
    std::abort();
}

}  // namespace fuzz
