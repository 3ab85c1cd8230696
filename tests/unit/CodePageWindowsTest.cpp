// The code page tables against Windows itself, both ways, for every code page: what Windows
// reads from each byte and pair, and what it writes for each character without a best fit.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <set>
#include <string>

#include "CodePage.h"
#include "Utf8.h"

namespace {

// A character of ours or of Windows, "-" for none.
std::string Shown(bool present, unsigned value)
{
    char text[16] = "-";
    if (present)
        std::snprintf(text, sizeof(text), "%04X", value);
    return text;
}

bool WindowsDecodes(int codePage, const std::string& bytes, wchar_t& character)
{
    wchar_t wide[4] = {};
    const int count = MultiByteToWideChar(static_cast<UINT>(codePage), MB_ERR_INVALID_CHARS, bytes.data(),
                                          static_cast<int>(bytes.size()), wide, 4);
    character = wide[0];
    return count == 1;
}

bool WindowsEncodes(int codePage, wchar_t character, std::string& bytes)
{
    char out[8] = {};
    BOOL usedDefault = FALSE;
    const int count = WideCharToMultiByte(static_cast<UINT>(codePage), WC_NO_BEST_FIT_CHARS, &character, 1, out,
                                          sizeof(out), nullptr, &usedDefault);
    bytes.assign(out, count > 0 ? static_cast<std::size_t>(count) : 0);
    return count > 0 && !usedDefault;
}

// Left out of the tables on purpose, as no caption or file name a user reads shows them: C1
// controls, and the private-use characters Windows gives the user-defined areas.
bool LeftOut(unsigned c)
{
    return (c >= 0x80 && c < 0xA0) || (c >= 0xE000 && c <= 0xF8FF);
}

// How many characters of `codePage` the bytes hold.
std::size_t CharacterCount(const std::string& bytes, int codePage)
{
    std::size_t count = 0, used = 1;
    for (std::size_t at = 0; at < bytes.size(); at += used, ++count) {
        char32_t character = 0;
        if (!DecodeCharacter(bytes, at, codePage, character, used))
            used = 1;
    }
    return count;
}

std::string Hex(const std::string& bytes)
{
    std::string text;
    char pair[4];
    for (const unsigned char b : bytes) {
        std::snprintf(pair, sizeof(pair), "%02X", b);
        text += pair;
    }
    return text.empty() ? "-" : text;
}

// "949 decode 8181: AC00/-" (ours/Windows'): each difference but those left out and the forms
// of ours that Windows lacks because the code page holds the character only decomposed.
std::set<std::string> Differences(int codePage)
{
    std::set<std::string> found;
    for (unsigned first = 1; first < 256; ++first) {
        const bool lead = IsDBCSLeadByteEx(static_cast<UINT>(codePage), static_cast<BYTE>(first));
        for (unsigned second = lead ? 0 : 256; second < (lead ? 256u : 257u); ++second) {
            std::string bytes(1, static_cast<char>(first));
            if (lead)
                bytes += static_cast<char>(second);
            wchar_t theirs = 0;
            char32_t ours = 0;
            std::size_t used = 0;
            const bool windows = WindowsDecodes(codePage, bytes, theirs) && !LeftOut(theirs);
            const bool table = DecodeCharacter(bytes, 0, codePage, ours, used) && used == bytes.size();
            if (windows != table || (windows && static_cast<unsigned>(theirs) != ours))
                found.insert(std::to_string(codePage) + " decode " + Hex(bytes) + ": " + Shown(table, ours) + "/" +
                             Shown(windows, theirs));
        }
    }
    for (unsigned c = 1; c < 0x10000; ++c) {
        if ((c >= 0xD800 && c < 0xE000) || LeftOut(c))
            continue;
        std::string utf8, ours, theirs;
        AppendUtf8Character(c, utf8);
        std::size_t at = 0;
        const bool table = EncodeText(utf8, codePage, ours, at) == Encoding::Converted;
        const bool windows = WindowsEncodes(codePage, static_cast<wchar_t>(c), theirs);
        const bool decomposedOnly = table && !windows && CharacterCount(ours, codePage) > 1;
        if (!decomposedOnly && (table != windows || (table && ours != theirs)))
            found.insert(std::to_string(codePage) + " encode " + Shown(true, c) + ": " + (table ? Hex(ours) : "-") +
                         "/" + (windows ? Hex(theirs) : "-"));
    }
    return found;
}

TEST(CodePageTables, AgreeWithWindowsBothWays)
{
    for (const int codePage : CodePageNumbers()) {
        std::string listed;
        for (const std::string& difference : Differences(codePage))
            listed += "\n  " + difference;
        EXPECT_TRUE(listed.empty()) << "code page " << codePage << ":" << listed;
    }
}

}  // namespace
