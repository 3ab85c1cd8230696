#include "WideText.h"

#include <windows.h>

std::wstring WidenText(const std::string& text, unsigned codePage)
{
    const int size = static_cast<int>(text.size());
    const int wideSize = size > 0 ? MultiByteToWideChar(codePage, 0, text.data(), size, nullptr, 0) : 0;
    std::wstring wide(static_cast<std::size_t>(wideSize), L'\0');
    if (wideSize > 0)
        MultiByteToWideChar(codePage, 0, text.data(), size, &wide[0], wideSize);
    return wide;
}

// No flags: where a code page lacks a character Windows puts its best fit, as it does for a
// program's ANSI arguments.
std::string NarrowText(const std::wstring& text, unsigned codePage)
{
    const int size = static_cast<int>(text.size());
    const int narrowSize =
        size > 0 ? WideCharToMultiByte(codePage, 0, text.data(), size, nullptr, 0, nullptr, nullptr) : 0;
    std::string narrow(static_cast<std::size_t>(narrowSize), '\0');
    if (narrowSize > 0)
        WideCharToMultiByte(codePage, 0, text.data(), size, &narrow[0], narrowSize, nullptr, nullptr);
    return narrow;
}
