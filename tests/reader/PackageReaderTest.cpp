#include <gtest/gtest.h>

#include <functional>

#include "CarrierImage.h"
#include "PackageReader.h"

using namespace package;
using namespace testing_support;

// The carrier opens "<its name>.exe" in the working directory. A name too long for its
// 128-byte path buffer, like a missing file, is no package: nothing is written.
TEST(PackageReader, OpenSelfReadsNameDotExeThatFitsThePathBuffer)
{
    ScratchFolder folder;
    const std::string longest(123, 'n'), tooLong(124, 'n');
    for (const std::string& name : {longest, tooLong})
        WriteBytes(name + ".exe", CarrierImage("Self", "out.bin", PatternBytes(50, 8)).Assemble());
    for (const std::string& name : {tooLong, std::string("Missing"), longest}) {
        const bool fits = name == longest;
        CPackageReader reader;
        EXPECT_EQ(reader.OpenSelf(name.c_str()).has_value(), fits) << name;
        EXPECT_EQ(reader.VerifyAndExtract(), fits ? ExtractResult::Extracted : ExtractResult::NoPackage) << name;
        EXPECT_EQ(folder.Entries().size(), fits ? 3u : 2u) << name;
    }
}

// Where the image ends, and whether a certificate table that closes the file ends the package.
TEST(PeLayout, PackageEndsWhereASignatureThatClosesTheFileBegins)
{
    ScratchFolder folder;
    CarrierImage image("Signed", "fw.bin", PatternBytes(500, 8));
    image.certificate = PatternBytes(64, 3);
    const Bytes signedFile = image.Assemble();
    const auto size = static_cast<std::int64_t>(signedFile.size());
    const auto packageEnd = static_cast<std::uint32_t>(size - 64);
    const struct {
        const char* name;
        std::function<void(Bytes&)> change;
        std::int64_t imageEnd;
        std::int64_t end;
    } cases[] = {
        {"signed", [](Bytes&) {}, kImageEnd, packageEnd},
        // Nothing left where a PE32 header has its directory.
        {"signed, PE32+", [&](Bytes& b) { SetSecurityDirectory(b, 0, 0); SetSecurityDirectory(b, packageEnd, 64, true); },
         kImageEnd, packageEnd},
        {"directory short of the end", [&](Bytes& b) { SetSecurityDirectory(b, packageEnd, 63); }, kImageEnd, size},
        {"directory past the end", [&](Bytes& b) { SetSecurityDirectory(b, packageEnd, 65); }, kImageEnd, size},
        {"empty directory", [&](Bytes& b) { SetSecurityDirectory(b, 0, 0); }, kImageEnd, size},
        {"fewer than five directories", [](Bytes& b) { b[0x58 + 92] = 4; }, kImageEnd, size},
        {"an entry past the section count", [](Bytes& b) { b[0x138 + 40 + 17] = 0x10; }, kImageEnd, packageEnd},
        // The section table then lies among the directories, which hold no section.
        {"directory ends past the optional header", [](Bytes& b) { b[0x54] = 132; }, 0, size},
        {"e_lfanew out of range", [](Bytes& b) { b[0x3F] = 0xFF; }, 0, size},
        {"no PE signature", [](Bytes& b) { b[0x40] = 'X'; }, 0, size},
        {"not MZ", [](Bytes& b) { b[0] = 'Z'; }, 0, size},
    };
    for (const auto& c : cases) {
        Bytes bytes = signedFile;
        c.change(bytes);
        WriteBytes("image.exe", bytes);
        const PeLayout layout = ReadPeLayout(OpenFile("image.exe", "rb").get(), size);
        EXPECT_EQ(layout.imageEnd, c.imageEnd) << c.name;
        EXPECT_EQ(PackageEnd(layout, size), c.end) << c.name;
    }
}
