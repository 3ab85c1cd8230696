// firmpack's text at its edges: UTF-8 as typed, bytes stored in a code page, and bytes shown
// on a terminal, where nothing carried may act as a control sequence.
#include <gtest/gtest.h>

#include "CodePageText.h"
#include "TextEscaping.h"
#include "Utf8.h"

TEST(Utf8, EachBoundaryOfAValidCharacter)
{
    const struct {
        std::string bytes;
        char32_t codePoint;  // 0: not UTF-8
    } cases[] = {
        {"\x7f", 0x7F}, {"\xc2\x80", 0x80}, {"\xc1\xbf", 0}, {"\xdf\xbf", 0x7FF}, {"\xe0\xa0\x80", 0x800},
        {"\xe0\x9f\xbf", 0}, {"\xed\x9f\xbf", 0xD7FF}, {"\xed\xa0\x80", 0}, {"\xee\x80\x80", 0xE000},
        {"\xef\xbf\xbf", 0xFFFF}, {"\xf0\x90\x80\x80", 0x10000}, {"\xf0\x8f\xbf\xbf", 0},
        {"\xf4\x8f\xbf\xbf", 0x10FFFF}, {"\xf4\x90\x80\x80", 0}, {"\xf5\x80\x80\x80", 0}, {"\x80", 0},
        {"\xc2", 0}, {"\xe0\xa0", 0}, {"\xc2\x41", 0},
    };
    for (const auto& c : cases) {
        char32_t codePoint = 0;
        std::size_t length = 0;
        const bool valid = ReadUtf8Character(c.bytes, 0, codePoint, length);
        EXPECT_EQ(valid, c.codePoint != 0) << HexBytes(c.bytes);
        if (valid) {
            EXPECT_EQ(std::make_pair(codePoint, length), std::make_pair(c.codePoint, c.bytes.size()))
                << HexBytes(c.bytes);
        }
    }
}

// Without a code page every byte outside printable ASCII is escaped; with one, characters
// show and what starts none (or is a control, C1 included) is escaped.
TEST(CodePageText, ShownOnATerminal)
{
    const struct {
        std::string bytes;
        int codePage;
        std::string shown;
    } cases[] = {
        {" ~", kNoCodePage, " ~"}, {"\x1b]0;x\a", kNoCodePage, "\\x1b]0;x\\x07"},
        {"\x7f\\\x80\xff", kRawBytes, "\\x7f\\x5c\\x80\\xff"}, {"\x80\x81\xe9", 1252, "\xe2\x82\xac\\x81\xc3\xa9"},
        {"\x1b\x9b", 1252, "\\x1b\xe2\x80\xba"}, {"\xb0\xa1\xb0", 949, "\xea\xb0\x80\\xb0"},
        {"\xa9\xf6", 949, "\xc2\xb9"}, {"\x83\x5c", 932, "\xe3\x82\xbd"}, {"\x80", 932, "\\x80"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ShowForTerminal(c.bytes, c.codePage), c.shown) << HexBytes(c.bytes) << " in " << c.codePage;
}
