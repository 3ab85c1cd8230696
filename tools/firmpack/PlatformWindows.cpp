#include <windows.h>

#include <shellapi.h>

#include <iostream>

#include "Platform.h"
#include "WideText.h"

std::vector<std::string> CommandLineArguments(int argc, char** argv)
{
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> arguments;
    if (wide == nullptr) {
        for (int i = 1; i < argc; ++i)
            arguments.push_back(NarrowText(WidenText(argv[i], CP_ACP), CP_UTF8));
        return arguments;
    }
    for (int i = 1; i < count; ++i)
        arguments.push_back(NarrowText(wide[i], CP_UTF8));
    LocalFree(wide);
    return arguments;
}

std::string StoredNameAsPath(const std::string& stored)
{
    return NarrowText(WidenText(stored, CP_ACP), CP_UTF8);
}

bool AnsiBytes(const std::string& typed, std::string& stored)
{
    const std::wstring wide = WidenText(typed, CP_UTF8);
    const int size = static_cast<int>(wide.size());
    BOOL usedDefault = FALSE;
    const int narrowSize =
        size > 0 ? WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), size, nullptr, 0, nullptr, &usedDefault) : 0;
    stored.assign(static_cast<std::size_t>(narrowSize), '\0');
    if (narrowSize > 0)
        WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), size, &stored[0], narrowSize, nullptr, &usedDefault);
    return !usedDefault;
}

ConsoleUtf8::ConsoleUtf8()
{
    DWORD mode = 0;
    const bool console = GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &mode) ||
                         GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode);
    if (console && GetConsoleOutputCP() != CP_UTF8) {
        m_saved = GetConsoleOutputCP();
        SetConsoleOutputCP(CP_UTF8);
    }
}

ConsoleUtf8::~ConsoleUtf8()
{
    std::cout.flush();
    std::cerr.flush();
    if (m_saved != 0)
        SetConsoleOutputCP(m_saved);
}
