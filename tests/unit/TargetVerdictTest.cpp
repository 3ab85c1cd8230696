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
    const ExtractResult written = ExtractResult::Extracted, unwritable = ExtractResult::TargetNotWritable;
    struct Row {
        R rule;
        ExtractResult result;  // what the carrier answers: it writes what it can open, elsewhere too
        TargetContext context;
        const char* refusal;  // a phrase the refusal holds
        std::vector<std::string> names;  // stored bytes
    };
    const Row rows[] = {
        {R::Allowed, written, anywhere, "", {"fw.bin", "..x", ".x", "x..y", "./x", "a\x7f" "b", "COM0", "COM10", "CO",
                                             "CONX", "NULL", "xNUL", "\xC6\xDF\xBF\xFE\xBE\xEE.bin"}},
        {R::Allowed, written, folders, "", {"sub/fw.bin", "a\\b", "a/./b"}},
        {R::Allowed, written, korean, "", {"\xC6\xDF\xBF\xFE\xBE\xEE.bin"}},
        {R::Allowed, written, up, "", {"Up.exe.bin", "Up.ex"}},
        {R::Allowed, written, fits, "", {"fw.bin"}},
        {R::Empty, unwritable, anywhere, "it is empty", {""}},
        {R::NoFileName, unwritable, folders, "names a folder", {".", "x/", "a/.", "sub/", "./", "a\\"}},
        {R::Folder, unwritable, anywhere, "a file in a folder", {"sub/fw.bin", "a\\b", "a/./b"}},
        {R::NetworkPath, written, anywhere, "a network or device path", {"\\\\srv\\x", "//srv/x", "\\/srv/x"}},
        {R::Absolute, written, anywhere, "an absolute path", {"\\x", "/x"}},
        {R::Drive, written, anywhere, "names a drive", {"A:x", "z:\\x"}},
        {R::Colon, written, anywhere, "a colon", {"@:x", "[:x", "`:x", "{:x", "fw.bin:ads"}},
        {R::Parent, written, folders, "a \"..\" component", {"..", "a/../b", "a\\.."}},
        {R::TrailingDotOrSpace, written, folders, "ends in a dot or a space", {"x.", "x..", "fw.bin.", "sub./x", "x "}},
        {R::ReservedCharacter, unwritable, anywhere, "which Windows does not allow",
         {"a?b", "a<b", "a>b", "a|b", "a\"b", "a*b", "a\tb"}},
        {R::ReservedCharacter, unwritable, anywhere, "the control character 0x1F", {"\x1f"}},
        // COM followed by the superscript one, two and three of 1252 and of 949: a device in
        // whichever code page the context names.
        {R::Device, written, folders, "a Windows device", {"NUL", "nul.txt", "sub/Aux.h", "CONIN$", "conout$.x", "CON.",
                                                           "COM1", "lpt9.bin", "COM\xB9.bin", "LPT\xB2", "COM\xB3",
                                                           "COM\xA9\xF6.bin", "lpt\xA9\xF8"}},
        {R::Device, written, korean, "a Windows device", {"COM\xB9.bin", "COM\xA9\xF7"}},
        {R::NamesCarrier, unwritable, up, "the carrier itself", {"Up.exe", "./UP.EXE", ".\\up.Exe", "././Up.exe"}},
        {R::CarrierNotFound, ExtractResult::NoPackage, notExe, "must end in \".exe\"", {"fw.bin"}},
        {R::CarrierNotFound, ExtractResult::NoPackage, bare, "must end in \".exe\"", {"fw.bin"}},
        {R::CarrierNotFound, ExtractResult::NoPackage, tooLong, "at most 127 bytes", {"fw.bin"}},
    };
    for (const Row& row : rows) {
        for (const std::string& name : row.names) {
            const TargetVerdict verdict = JudgeTarget(name, row.context);
            EXPECT_EQ(static_cast<int>(verdict.rule), static_cast<int>(row.rule)) << name;
            EXPECT_EQ(verdict.result, row.result) << name;
            const std::string refusal = TargetNameRefusal(verdict);
            EXPECT_TRUE(refusal.empty() == (row.rule == R::Allowed) && refusal.find(row.refusal) != std::string::npos)
                << name << ": " << refusal;
        }
    }
}
