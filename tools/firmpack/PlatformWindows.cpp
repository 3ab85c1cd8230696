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

std::string AnsiBytes(const std::string& typed)
{
    return NarrowText(WidenText(typed, CP_UTF8), CP_ACP);
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
