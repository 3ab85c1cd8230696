// The code page tables against Windows itself, both ways, for every code page: what Windows
// reads from each byte and pair, and what it writes for each character without a best fit.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "CodePage.h"
#include "TextEscaping.h"
#include "Utf8.h"

namespace {

// Left out of the tables on purpose, as no caption or file name a user reads shows them: C1
// controls, and the private-use characters Windows gives the user-defined areas.
bool LeftOut(unsigned c)
{
    return (c >= 0x80 && c < 0xA0) || (c >= 0xE000 && c <= 0xF8FF);
}

// The character Windows reads from the bytes; 0 for none.
unsigned WindowsDecodes(int codePage, const std::string& bytes)
{
    wchar_t wide[4] = {};
    const int count = MultiByteToWideChar(static_cast<UINT>(codePage), MB_ERR_INVALID_CHARS, bytes.data(),
                                          static_cast<int>(bytes.size()), wide, 4);
    return count == 1 && !LeftOut(wide[0]) ? wide[0] : 0;
}

// The bytes Windows writes for the character; empty for none.
std::string WindowsEncodes(int codePage, wchar_t character)
{
    char out[8] = {};
    BOOL usedDefault = FALSE;
    const int count = WideCharToMultiByte(static_cast<UINT>(codePage), WC_NO_BEST_FIT_CHARS, &character, 1, out,
                                          sizeof(out), nullptr, &usedDefault);
    return count > 0 && !usedDefault ? std::string(out, static_cast<std::size_t>(count)) : "";
}

// The character of ours that the bytes are, whole; 0 for none.
unsigned OursDecodes(int codePage, const std::string& bytes)
{
    char32_t character = 0;
    std::size_t used = 0;
    return DecodeCharacter(bytes, 0, codePage, character, used) && used == bytes.size() ? character : 0;
}

// "decode 8181: 44032/0", "encode 8364: /80" (ours/Windows'): each difference but those
// left out and the forms of ours that Windows lacks because the code page holds the character
// only decomposed.
std::string Differences(int codePage)
{
    std::string found;
    const auto note = [&](const std::string& what, const std::string& ours, const std::string& theirs) {
        found += "\n  " + what + ": " + ours + "/" + theirs;
    };
    for (unsigned first = 1; first < 256; ++first) {
        const bool lead = IsDBCSLeadByteEx(static_cast<UINT>(codePage), static_cast<BYTE>(first));
        for (unsigned second = lead ? 0 : 256; second < (lead ? 256u : 257u); ++second) {
            const std::string bytes = lead ? std::string{char(first), char(second)} : std::string(1, char(first));
            const unsigned ours = OursDecodes(codePage, bytes), theirs = WindowsDecodes(codePage, bytes);
            if (ours != theirs)
                note("decode " + HexBytes(bytes), std::to_string(ours), std::to_string(theirs));
        }
    }
    for (unsigned c = 1; c < 0x10000; ++c) {
        if ((c >= 0xD800 && c < 0xE000) || LeftOut(c))
            continue;
        std::string utf8, ours;
        AppendUtf8Character(c, utf8);
        std::size_t at = 0;
        if (EncodeText(utf8, codePage, ours, at) != Encoding::Converted)
            ours.clear();
        const std::string theirs = WindowsEncodes(codePage, static_cast<wchar_t>(c));
        char32_t first = 0;
        std::size_t used = 0;
        const bool decomposedOnly = theirs.empty() && DecodeCharacter(ours, 0, codePage, first, used) && used < ours.size();
        if (ours != theirs && !decomposedOnly)
            note("encode " + std::to_string(c), HexBytes(ours), HexBytes(theirs));
    }
    return found;
}

TEST(CodePageTables, AgreeWithWindowsBothWays)
{
    for (const int codePage : CodePageNumbers())
        EXPECT_EQ(Differences(codePage), "") << "code page " << codePage;
}

}  // namespace
