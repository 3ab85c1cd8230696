#include <gtest/gtest.h>

#include <functional>

#include "CarrierImage.h"
#include "PackageReader.h"
#include "PeImage.h"
#include "PeStub.h"
#include "TestFiles.h"

using namespace package;
using namespace testing_support;

namespace {

constexpr std::uint32_t kImageEnd = 0x300;
const Bytes kCertificate = PatternBytes(64, 3);  // stands in for a certificate table

// A carrier with a package behind the image and a certificate table behind the package.
Bytes SignedCarrier(CarrierImage image, bool pe32Plus = false, const Bytes& certificate = kCertificate)
{
    image.stub = MinimalPeStub(kImageEnd);
    Bytes file = image.Assemble();
    SetSecurityDirectory(file, static_cast<std::uint32_t>(file.size()), static_cast<std::uint32_t>(certificate.size()),
                         pe32Plus);
    file.insert(file.end(), certificate.begin(), certificate.end());
    return file;
}

Bytes SignedCarrier(const Bytes& firmware, bool pe32Plus = false)
{
    return SignedCarrier(CarrierImage("Signed", "fw.bin", firmware), pe32Plus);
}

PeLayout LayoutOf(const Bytes& bytes)
{
    WriteBytes("image.exe", bytes);
    FileStream f = OpenFile("image.exe", "rb");
    return ReadPeLayout(f.get(), static_cast<std::int64_t>(bytes.size()));
}

class PeLayoutTest : public ::testing::Test {
protected:
    ScratchFolder folder;
    const Bytes firmware = PatternBytes(500, 8);
};

}  // namespace

TEST_F(PeLayoutTest, PackageEndsWhereASignatureThatClosesTheFileBegins)
{
    const Bytes signedFile = SignedCarrier(firmware);
    const auto packageEnd = static_cast<std::int64_t>(signedFile.size() - kCertificate.size());
    const auto size = static_cast<std::int64_t>(signedFile.size());
    const struct {
        const char* name;
        std::function<void(Bytes&)> change;
        std::int64_t imageEnd;
        std::int64_t end;
    } cases[] = {
        {"signed", [](Bytes&) {}, kImageEnd, packageEnd},
        {"signed, PE32+", [&](Bytes& b) { SetSecurityDirectory(b, packageEnd, 64, true); }, kImageEnd, packageEnd},
        {"directory short of the end", [&](Bytes& b) { SetSecurityDirectory(b, packageEnd, 63); }, kImageEnd, size},
        {"directory past the end", [&](Bytes& b) { SetSecurityDirectory(b, packageEnd, 65); }, kImageEnd, size},
        {"empty directory", [&](Bytes& b) { SetSecurityDirectory(b, 0, 0); }, kImageEnd, size},
        {"fewer than five directories", [](Bytes& b) { Put32(b, 0x58 + 92, 4); }, kImageEnd, size},
        {"e_lfanew out of range", [](Bytes& b) { Put32(b, 0x3C, 0xFFFFFFF0u); }, 0, size},
        {"no PE signature", [](Bytes& b) { b[0x40] = 'X'; }, 0, size},
        {"not MZ", [](Bytes& b) { b[0] = 'Z'; }, 0, size},
    };
    for (const auto& c : cases) {
        Bytes bytes = signedFile;
        c.change(bytes);
        const PeLayout layout = LayoutOf(bytes);
        EXPECT_EQ(layout.imageEnd, c.imageEnd) << c.name;
        EXPECT_EQ(PackageEnd(layout, size), c.end) << c.name;
    }
}

TEST_F(PeLayoutTest, TruncatedHeadersNeverReachOutsideTheFile)
{
    const Bytes signedFile = SignedCarrier(firmware);
    for (std::size_t length = 0; length < kImageEnd; ++length) {
        const Bytes cut(signedFile.begin(), signedFile.begin() + length);
        const PeLayout layout = LayoutOf(cut);
        EXPECT_LE(layout.imageEnd, kImageEnd) << length;
        const std::int64_t end = PackageEnd(layout, static_cast<std::int64_t>(length));
        EXPECT_TRUE(end >= 0 && end <= static_cast<std::int64_t>(length)) << length;
    }
}

TEST_F(PeLayoutTest, SignedCarrierExtractsWithEitherHeaderKind)
{
    for (bool pe32Plus : {false, true}) {
        WriteBytes("carrier.exe", SignedCarrier(firmware, pe32Plus));
        CPackageReader reader;
        const auto identity = reader.OpenPath("carrier.exe");
        ASSERT_TRUE(identity);
        EXPECT_STREQ(identity->label.data(), "Signed");
        EXPECT_EQ(reader.VerifyAndExtract(), ExtractResult::Extracted);
        reader.Close();
        EXPECT_EQ(ReadBytes("fw.bin"), firmware);
    }
}

TEST_F(PeLayoutTest, SignedCarrierWithNegativeHeaderReadsNothingOfTheCertificate)
{
    // A certificate whose first bytes would read as an empty, valid package named cert.bin
    // if the fields were read from wherever the trailer left the stream.
    CarrierImage fake("CERT", "cert.bin", {});
    fake.stub.clear();
    Bytes certificate = fake.Assemble();
    certificate.resize(64);
    CarrierImage image("Signed", "fw.bin", firmware);
    image.trailerFollowsLayout = false;
    image.trailer = ScrambledDecimalText("-1");
    WriteBytes("carrier.exe", SignedCarrier(image, false, certificate));

    CPackageReader reader;
    const auto identity = reader.OpenPath("carrier.exe");
    ASSERT_TRUE(identity);
    EXPECT_STREQ(identity->label.data(), "");
    EXPECT_STREQ(identity->targetName.data(), "");
    EXPECT_EQ(reader.VerifyAndExtract(), ExtractResult::TargetNotWritable);
    reader.Close();
    EXPECT_EQ(folder.Entries(), std::vector<std::string>{"carrier.exe"});
}
