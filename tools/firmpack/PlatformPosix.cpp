#include "Platform.h"

std::vector<std::string> CommandLineArguments(int argc, char** argv)
{
    return std::vector<std::string>(argv + 1, argv + argc);
}

std::string StoredNameAsPath(const std::string& stored)
{
    return stored;
}

bool AnsiBytes(const std::string& typed, std::string& stored)
{
    stored = typed;
    return true;
}

// A terminal takes the bytes as they are.
ConsoleUtf8::ConsoleUtf8() = default;
ConsoleUtf8::~ConsoleUtf8() = default;
