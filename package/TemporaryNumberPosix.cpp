// Alone in its file: a program that links the library may define TemporaryNumber itself.
#include <unistd.h>

#include <ctime>

#include "FileStream.h"

namespace package {

// The process id mixed with a fine clock and a counter.
std::uint32_t TemporaryNumber()
{
    static std::uint32_t counter = 0;
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (static_cast<std::uint32_t>(getpid()) * 2654435761u) ^ static_cast<std::uint32_t>(now.tv_nsec) ^
           static_cast<std::uint32_t>(now.tv_sec) ^ (++counter * 40503u);
}

}  // namespace package
