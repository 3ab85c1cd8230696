#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "CarrierImage.h"
#include "PackageInspector.h"
#include "PackageReader.h"

using namespace package;
using namespace testing_support;

namespace {

using Change = std::function<void(CarrierImage&)>;

// Longer than some payloads: a target must be replaced, never overwritten in place.
const Bytes kOldTarget = PatternBytes(70000, 5);

// A certificate table whose first bytes read as an empty package named cert.bin, should
// the reader take its fields from wherever the stream happens to be.
Bytes CertificateLikeAPackage()
{
    CarrierImage fake("CERT", "cert.bin", {});
    fake.stub.clear();
    Bytes certificate = fake.Assemble();
    certificate.resize(64);
    return certificate;
}

}  // namespace

// Each row changes one thing in a valid carrier whose target, fw.bin, already exists: a
// part, or the text of a decimal field. The upgrade and the inspection's prediction reach the
// row's result; fw.bin then holds the payload, or its old bytes. What else it leaves is the
// fault table's.
TEST(PackageReader, ResultAndTargetForEachKindOfPackage)
{
    ScratchFolder folder;
    const Bytes firmware = PatternBytes(65537, 11);  // one byte past a read block
    const ExtractResult extracted = ExtractResult::Extracted, mismatch = ExtractResult::ChecksumMismatch,
                        notWritable = ExtractResult::TargetNotWritable;
    const Change none = [](CarrierImage&) {}, noPayload = [](CarrierImage& c) { c.payload.clear(); };
    const struct {
        const char* name;
        Change change;
        const char *length, *checksum, *trailer;  // null: as the layout has it
        ExtractResult result;
    } cases[] = {
        {"valid", none, nullptr, nullptr, nullptr, extracted},
        {"payload byte changed", [](CarrierImage& c) { c.payload[500] ^= 0x40; }, nullptr, nullptr, nullptr, mismatch},
        {"empty payload; fields as text with spaces and junk", noPayload, " 0  ", "0xyz", nullptr, extracted},
        {"junk between checksum and trailer", [](CarrierImage& c) { c.gap = PatternBytes(77, 5); }, nullptr, nullptr,
         nullptr, extracted},
        {"empty target name", [](CarrierImage& c) { c.targetName.assign(16, Scrambled(' ')); }, nullptr, nullptr,
         nullptr, notWritable},
        {"the carrier itself as target", [&](CarrierImage& c) { c = CarrierImage("L", "./carrier.exe", firmware); },
         nullptr, nullptr, nullptr, notWritable},
        // A bound one byte too generous would read "0" as the payload and 48 as its sum.
        {"length one byte into the checksum field", noPayload, "1", "048", nullptr, mismatch},
        {"negative length", none, "-1", nullptr, nullptr, mismatch},
        // Read as atol reads it, the length would be 1, and one zero byte sums to 0.
        {"damaged digit in the length", [](CarrierImage& c) { c.payload.assign(100, 0); }, "1\xcc", "0", nullptr,
         mismatch},
        {"header inside the executable image", none, nullptr, nullptr, "0", mismatch},
        {"no image; trailer not a number, read as 0", [](CarrierImage& c) { c.stub.clear(); }, nullptr, nullptr, "xyz",
         extracted},
        // Counted from the start of the file, the target name would be "MZ" unscrambled.
        {"negative header: every field reads as empty", none, nullptr, nullptr, "-16", notWritable},
        {"signed", [](CarrierImage& c) { c.certificate = PatternBytes(64, 3); }, nullptr, nullptr, nullptr, extracted},
        // Behind a certificate the file goes on: the bound is the package's end, not the file's.
        {"signed, length one byte into the checksum field",
         [](CarrierImage& c) { c.payload.clear(); c.certificate = PatternBytes(64, 3); }, "1", "048", nullptr,
         mismatch},
        {"signed, negative header: nothing of the certificate is read",
         [](CarrierImage& c) { c.certificate = CertificateLikeAPackage(); }, nullptr, nullptr, "-1", notWritable},
    };
    for (const auto& c : cases) {
        CarrierImage image("Board-7", "fw.bin", firmware);
        c.change(image);
        for (const auto& [text, field] : {std::pair(c.length, &image.length), std::pair(c.checksum, &image.checksum),
                                          std::pair(c.trailer, &image.trailer)})
            *field = text != nullptr ? ScrambledDecimalText(text) : *field;
        image.trailerFollowsLayout = c.trailer == nullptr;
        WriteBytes("carrier.exe", image.Assemble());
        WriteBytes("fw.bin", kOldTarget);
        for (const bool inspect : {true, false}) {
            CPackageReader reader;
            PackageInspector inspector;
            const auto identity = inspect ? inspector.OpenPath("carrier.exe") : reader.OpenSelf("carrier");
            ASSERT_TRUE(identity) << c.name;
            EXPECT_TRUE(c.result != extracted || identity->label.data() == std::string("Board-7")) << c.name;
            const TargetVerdict target = JudgeTarget(identity->targetName.data(), {0, "carrier.exe", false});
            EXPECT_EQ(inspect ? inspector.PredictResult(inspector.Verify(), target) : reader.VerifyAndExtract(), c.result)
                << c.name;
        }
        Bytes payload = image.payload;
        std::transform(payload.begin(), payload.end(), payload.begin(), Scrambled);  // its own inverse
        EXPECT_EQ(ReadBytes("fw.bin"), c.result == extracted ? payload : kOldTarget) << c.name;
    }
}

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
        {"signed, PE32+",
         [&](Bytes& b) {
             SetSecurityDirectory(b, 0, 0);  // nothing where a PE32 header has its directory
             SetSecurityDirectory(b, packageEnd, 64, true);
         },
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
