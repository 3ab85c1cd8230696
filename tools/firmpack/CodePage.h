// Labels and target names are 8-bit text in the Windows code page of the carrier's users,
// while vendors type Unicode. The platform converts, with no tables of our own: iconv on
// Linux (CodePageIconv.cpp), the system's code page functions on Windows
// (CodePageWindows.cpp). Also here: how each platform hands over the command line.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// The Windows code pages --codepage names.
constexpr int kCodePages[] = {949, 932, 936, 950, 1250, 1251, 1252, 1253, 1254, 1255, 1256, 1257, 1258};

enum class Encoding {
    Converted,
    NoForm,       // a character the code page cannot hold
    NotUtf8,      // bytes that are not UTF-8 text
    NoConverter,  // this system cannot convert into the code page
};

// Converts UTF-8 `text` into `codePage`. On NoForm and NotUtf8, `at` is the offset in `text`
// of the character or byte at fault.
Encoding EncodeText(const std::string& text, int codePage, std::string& out, std::size_t& at);

// Decodes the character at `at` of `bytes` in `codePage`: true with its UTF-8 in `utf8` and
// its length in `used`; false when no character of the code page starts there.
bool DecodeCharacter(const std::string& bytes, std::size_t at, int codePage, std::string& utf8, std::size_t& used);

// The arguments after the program's name as UTF-8. On Windows they come from the wide
// command line: the ANSI one has already lost what the system's code page lacks.
std::vector<std::string> CommandLineArguments(int argc, char** argv);

// Text from the command line as the system's 8-bit functions take it: file names, and the
// bytes --codepage raw stores. Unchanged on Linux; on Windows the ANSI code page, the form
// its C library hands a program.
std::string SystemText(const std::string& typed);
