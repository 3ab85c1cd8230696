#include "SystemError.h"

#include <cerrno>
#include <cstring>

#ifdef _WIN32
#include <windows.h>
#endif

namespace package {

std::string LastLibraryError()
{
    return std::strerror(errno);
}

#ifdef _WIN32

std::string LastSystemError()
{
    const DWORD code = GetLastError();
    char text[256] = "";
    if (FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text,
                       sizeof(text), nullptr) == 0)
        return "system error " + std::to_string(code);
    std::string message(text);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == ' '))
        message.pop_back();
    return message;
}

#else

std::string LastSystemError()
{
    return LastLibraryError();
}

#endif

}  // namespace package
