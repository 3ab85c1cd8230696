// Alone in its file: a program that links the library may define TemporaryNumber itself.
#include <windows.h>

#include "FileStream.h"

namespace package {

// The process id mixed with a fine clock and a counter.
std::uint32_t TemporaryNumber()
{
    static std::uint32_t counter = 0;
    LARGE_INTEGER ticks;
    QueryPerformanceCounter(&ticks);
    return (GetCurrentProcessId() * 2654435761u) ^ static_cast<std::uint32_t>(ticks.QuadPart) ^
           (++counter * 40503u);
}

}  // namespace package
