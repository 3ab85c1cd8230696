// Which target names a Windows user's carrier writes, judged as Windows reads them.
#include <gtest/gtest.h>

#include "TargetVerdict.h"

using namespace package;

TEST(TargetVerdict, EachEdgeOfEachRule)
{
    using R = TargetNameRule;
    const TargetContext anywhere, folders{0, "", true}, korean{949, "", false}, up{0, "Up.exe", false};
    const std::string longest(123, 'a');  // with ".exe", the most the carrier's path buffer holds
    const TargetContext fits{0, longest + ".EXE", false}, tooLong{0, longest + "a.exe", false},
        notExe{0, "Up.bin", false}, bare{0, "Up", false};
    struct Row {
        R rule;
        TargetContext context;
        std::vector<std::string> names;  // stored bytes
    };
    const Row rows[] = {
        {R::Allowed, anywhere, {"fw.bin", "..x", ".x", "x..y", "./x", "a\x7f" "b", "COM0", "COM10", "CO", "CONX", "NULL",
                                "xNUL", "\xC6\xDF\xBF\xFE\xBE\xEE.bin"}},
        {R::Allowed, folders, {"sub/fw.bin", "a\\b", "a/./b"}},
        {R::Allowed, korean, {"\xC6\xDF\xBF\xFE\xBE\xEE.bin"}},
        {R::Allowed, up, {"Up.exe.bin", "Up.ex"}},
        {R::Allowed, fits, {"fw.bin"}},
        {R::Empty, anywhere, {""}},
        {R::NoFileName, folders, {".", "x/", "a/.", "sub/", "./", "a\\"}},
        {R::Folder, anywhere, {"sub/fw.bin", "a\\b", "a/./b"}},
        {R::NetworkPath, anywhere, {"\\\\srv\\x", "//srv/x"}},
        {R::Absolute, anywhere, {"\\x", "/x"}},
        {R::Drive, anywhere, {"A:x", "z:\\x"}},
        {R::Colon, anywhere, {"@:x", "[:x", "`:x", "{:x", "fw.bin:ads"}},
        {R::Parent, folders, {"..", "a/../b", "a\\.."}},
        {R::TrailingDotOrSpace, folders, {"x.", "x..", "fw.bin.", "sub./x", "x "}},
        {R::ReservedCharacter, anywhere, {"a?b", "a<b", "a>b", "a|b", "a\"b", "a*b", "a\tb", "\x1f"}},
        // COM followed by the superscript one, two and three of 1252 and of 949: a device in
        // whichever code page the context names.
        {R::Device, folders, {"NUL", "nul.txt", "sub/Aux.h", "CONIN$", "conout$.x", "CON.", "COM1", "lpt9.bin",
                              "COM\xB9.bin", "LPT\xB2", "COM\xB3", "COM\xA9\xF6.bin", "lpt\xA9\xF8"}},
        {R::Device, korean, {"COM\xB9.bin", "COM\xA9\xF7"}},
        {R::NamesCarrier, up, {"Up.exe", "./UP.EXE", ".\\up.Exe", "././Up.exe"}},
        {R::CarrierNotFound, notExe, {"fw.bin"}},
        {R::CarrierNotFound, bare, {"fw.bin"}},
        {R::CarrierNotFound, tooLong, {"fw.bin"}},
    };
    for (const Row& row : rows) {
        for (const std::string& name : row.names) {
            const TargetVerdict verdict = JudgeTarget(name, row.context);
            EXPECT_EQ(static_cast<int>(verdict.rule), static_cast<int>(row.rule)) << name;
            EXPECT_EQ(TargetNameRefusal(verdict).empty(), row.rule == R::Allowed) << name;
        }
    }
}

TEST(TargetVerdict, SaysWhatTheCarrierAnswersAndWhy)
{
    const TargetContext anywhere;
    const std::pair<std::string, ExtractResult> results[] = {
        {"fw.bin", ExtractResult::Extracted},        {"", ExtractResult::TargetNotWritable},
        {"x/", ExtractResult::TargetNotWritable},    {"a/b", ExtractResult::TargetNotWritable},
        {"a?b", ExtractResult::TargetNotWritable},   {"../x", ExtractResult::Extracted},
    };
    for (const auto& [name, result] : results)
        EXPECT_EQ(JudgeTarget(name, anywhere).result, result) << name;
    EXPECT_EQ(JudgeTarget("Up.exe", {0, "UP.EXE", false}).result, ExtractResult::TargetNotWritable);
    EXPECT_EQ(JudgeTarget("fw.bin", {0, "Up.bin", false}).result, ExtractResult::NoPackage);

    EXPECT_EQ(TargetNameRefusal(JudgeTarget("a?b", anywhere)), "it holds \"?\", which Windows does not allow in a file name");
    EXPECT_EQ(TargetNameRefusal(JudgeTarget("a\tb", anywhere)),
              "it holds the control character 0x09, which Windows does not allow in a file name");
    EXPECT_EQ(TargetNameRefusal(JudgeTarget("COM\xA9\xF6.bin", anywhere)), "it names a Windows device (read in code page 949)");
    EXPECT_EQ(TargetNameRefusal(JudgeTarget("COM\xA9\xF6.bin", {949, "", false})), "it names a Windows device");
}
