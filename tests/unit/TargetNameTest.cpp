// Which target names a Windows user's carrier may write, judged as Windows reads them.
#include <gtest/gtest.h>

#include "TargetNameRule.h"

using namespace package;

TEST(TargetNameRule, EachEdgeOfEachRule)
{
    using R = TargetNameRule;
    const std::pair<R, std::vector<std::u32string>> cases[] = {
        {R::Allowed, {U"fw.bin", U"sub/fw.bin", U"a\\b", U"..x", U".x", U"x..y", U"./x", U"a\x7f" U"b", U"COM0",
                      U"COM10", U"COM\u2074", U"CO", U"CONX", U"NULL", U"xNUL"}},
        {R::Empty, {U""}},
        {R::NetworkPath, {U"\\\\srv\\x", U"//srv/x"}},
        {R::Absolute, {U"\\x", U"/x"}},
        {R::Drive, {U"A:x", U"z:\\x"}},
        {R::Colon, {U"@:x", U"[:x", U"`:x", U"{:x", U"fw.bin:ads"}},
        {R::Parent, {U"..", U"a/../b", U"a\\.."}},
        {R::TrailingDotOrSpace, {U"x.", U"x..", U"fw.bin.", U"sub./x", U"x "}},
        {R::ReservedCharacter, {U"a?b", U"a<b", U"a>b", U"a|b", U"a\"b", U"a*b", U"a\tb", U"\x1f"}},
        {R::Device, {U"NUL", U"nul.txt", U"sub/Aux.h", U"CONIN$", U"conout$.x", U"CON.", U"COM1", U"lpt9.bin",
                     U"COM\u00B9.bin", U"LPT\u00B2", U"COM\u00B3"}},
    };
    for (const auto& [rule, names] : cases) {
        for (const std::u32string& name : names) {
            EXPECT_EQ(static_cast<int>(CheckTargetName(name).rule), static_cast<int>(rule))
                << std::string(name.begin(), name.end());
            EXPECT_EQ(TargetNameRefusal(CheckTargetName(name)).empty(), rule == R::Allowed);
        }
    }
    // Bytes of an unknown code page are read as a Western Windows reads them.
    EXPECT_EQ(CheckStoredTargetName("COM\xB9.bin").rule, R::Device);
    EXPECT_EQ(CheckStoredTargetName("COM\xA9\xF6.bin").rule, R::Allowed);
    EXPECT_EQ(TargetNameRefusal(CheckTargetName(U"a?b")), "it holds \"?\", which Windows does not allow in a file name");
    EXPECT_EQ(TargetNameRefusal(CheckTargetName(U"a\tb")),
              "it holds the control character 0x09, which Windows does not allow in a file name");
}
