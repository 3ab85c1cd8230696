// What differs between the systems firmpack runs on: how the command line arrives, how the
// console shows text, and what bytes --codepage raw stores.
#pragma once

#include <string>
#include <vector>

// The arguments after the program's name as UTF-8. On Windows they come from the wide
// command line: the ANSI one has already lost what the system's code page lacks.
std::vector<std::string> CommandLineArguments(int argc, char** argv);

// A name as a carrier holds it, as the carrier's system reads it: on Windows 8-bit text in
// the ANSI code page, which becomes UTF-8 here; unchanged on Linux.
std::string StoredNameAsPath(const std::string& stored);

// Typed text as --codepage raw stores it: unchanged on Linux; on Windows in the system's
// ANSI code page, the form 8-bit Windows programs are given. False when that code page
// cannot hold the text: no look-alike or default character is stored for it.
bool AnsiBytes(const std::string& typed, std::string& stored);

// While it lives, a Windows console shows firmpack's UTF-8 output as the text it is
// (redirected output stays UTF-8 bytes); the console's own code page comes back after.
class ConsoleUtf8 {
public:
    ConsoleUtf8();
    ~ConsoleUtf8();
    ConsoleUtf8(const ConsoleUtf8&) = delete;
    ConsoleUtf8& operator=(const ConsoleUtf8&) = delete;

private:
    unsigned m_saved = 0;  // 0: nothing to restore
};
