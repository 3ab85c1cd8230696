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
    wchar_t text[256] = L"";
    if (FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text,
                       sizeof(text) / sizeof(text[0]), nullptr) == 0)
        return "system error " + std::to_string(code);
    // In UTF-8, as firmpack writes all its text.
    char utf8[1024] = "";
    WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8, sizeof(utf8), nullptr, nullptr);
    std::string message(utf8);
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
