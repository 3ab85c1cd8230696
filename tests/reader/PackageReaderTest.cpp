#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "CarrierImage.h"
#include "PackageReader.h"
#include "PeStub.h"
#include "TestFiles.h"

using namespace package;
using namespace testing_support;
namespace fs = std::filesystem;

namespace {

const Bytes kOldTarget = {'o', 'l', 'd', ' ', 'f', 'i', 'l', 'e', ' ', 'k', 'e', 'p', 't'};

class PackageReaderTest : public ::testing::Test {
protected:
    // Writes the carrier as carrier.exe, opens it and runs the upgrade.
    ExtractResult Extract(const CarrierImage& image)
    {
        WriteBytes("carrier.exe", image.Assemble());
        identity = reader.OpenPath("carrier.exe");
        EXPECT_TRUE(identity.has_value());
        const ExtractResult result = reader.VerifyAndExtract();
        reader.Close();
        return result;
    }

    ScratchFolder folder;
    CPackageReader reader;
    std::optional<PackageIdentity> identity;
};

}  // namespace

TEST_F(PackageReaderTest, ExtractsPayloadOfAnySizeAcrossBlockBoundaries)
{
    for (std::size_t size : {std::size_t{1}, std::size_t{65535}, std::size_t{65536}, std::size_t{65537}, std::size_t{200000}}) {
        const Bytes firmware = PatternBytes(size, static_cast<std::uint32_t>(size));
        EXPECT_EQ(Extract(CarrierImage("Board-7", "fw.bin", firmware)), ExtractResult::Extracted) << size;
        EXPECT_EQ(ReadBytes("fw.bin"), firmware) << size;
        ASSERT_TRUE(identity);
        EXPECT_STREQ(identity->label.data(), "Board-7");
        EXPECT_STREQ(identity->targetName.data(), "fw.bin");
    }
}

// Each row damages or varies one thing in an otherwise valid carrier whose target,
// fw.bin, already exists with old contents.
TEST_F(PackageReaderTest, ResultAndTargetForEachKindOfPackage)
{
    const Bytes firmware = PatternBytes(1000, 11);
    const struct Case {
        const char* name;
        std::function<void(CarrierImage&)> change;
        ExtractResult result;
        Bytes target;  // fw.bin afterwards
    } cases[] = {
        {"valid", [](CarrierImage&) {}, ExtractResult::Extracted, firmware},
        {"payload byte changed", [](CarrierImage& c) { c.payload[500] ^= 0x40; }, ExtractResult::ChecksumMismatch, kOldTarget},
        {"checksum off by one", [&](CarrierImage& c) { c.checksum = ScrambledDecimalText("1"); }, ExtractResult::ChecksumMismatch, kOldTarget},
        {"empty payload, checksum 0",
         [](CarrierImage& c) { c.payload.clear(); c.length = ScrambledDecimalText("0"); c.checksum = ScrambledDecimalText("0"); },
         ExtractResult::Extracted, Bytes{}},
        {"fields as padded text",
         [&](CarrierImage& c) {
             c.length = ScrambledDecimalText("  1000");
             std::uint32_t sum = 0;
             for (auto b : firmware) sum += b;
             c.checksum = ScrambledDecimalText(std::to_string(sum) + "xyz");
         },
         ExtractResult::Extracted, firmware},
        {"junk between checksum and trailer", [](CarrierImage& c) { c.gap = PatternBytes(77, 5); }, ExtractResult::Extracted, firmware},
        {"empty target name", [](CarrierImage& c) { c.targetName = Bytes(16, SwapNibbles(' ')); }, ExtractResult::TargetNotWritable, kOldTarget},
        {"length longer than the file", [](CarrierImage& c) { c.length = ScrambledDecimalText("1001"); }, ExtractResult::ChecksumMismatch, kOldTarget},
        {"length reaching into the tail", [](CarrierImage& c) { c.length = ScrambledDecimalText("1011"); }, ExtractResult::ChecksumMismatch, kOldTarget},
        {"negative length", [](CarrierImage& c) { c.length = ScrambledDecimalText("-1"); }, ExtractResult::ChecksumMismatch, kOldTarget},
        {"payload cut, checksum of the zeros that remain",
         [](CarrierImage& c) { c.payload.assign(10, 0); c.length = ScrambledDecimalText("5000"); c.checksum = ScrambledDecimalText("0"); },
         ExtractResult::ChecksumMismatch, kOldTarget},
        {"negative header position",
         [](CarrierImage& c) { c.trailerFollowsLayout = false; c.trailer = ScrambledDecimalText("-300"); },
         ExtractResult::TargetNotWritable, kOldTarget},
    };
    for (const Case& c : cases) {
        CarrierImage image("Board-7", "fw.bin", firmware);
        c.change(image);
        WriteBytes("fw.bin", kOldTarget);
        EXPECT_EQ(Extract(image), c.result) << c.name;
        // The inspection's prediction reaches the same result without writing.
        CPackageReader inspector;
        ASSERT_TRUE(inspector.OpenPath("carrier.exe"));
        EXPECT_EQ(inspector.PredictResult(inspector.Verify()), c.result) << c.name;
        inspector.Close();
        EXPECT_EQ(ReadBytes("fw.bin"), c.target) << c.name;
        EXPECT_EQ(folder.Entries(), (std::vector<std::string>{"carrier.exe", "fw.bin"})) << c.name;
    }
}

TEST_F(PackageReaderTest, NegativeHeaderReadsEveryFieldAsEmpty)
{
    CarrierImage image("Board-7", "fw.bin", PatternBytes(10, 1));
    image.trailerFollowsLayout = false;
    image.trailer = ScrambledDecimalText("-1");
    EXPECT_EQ(Extract(image), ExtractResult::TargetNotWritable);
    EXPECT_STREQ(identity->label.data(), "");
    EXPECT_STREQ(identity->targetName.data(), "");
}

TEST_F(PackageReaderTest, HeaderInsideTheExecutableImageIsNoPackage)
{
    // A bare stub, or a carrier cut short: the trailer does not convert, so H is 0.
    WriteBytes("carrier.exe", MinimalPeStub(0x300));
    ASSERT_TRUE(reader.OpenPath("carrier.exe"));
    EXPECT_EQ(reader.VerifyAndExtract(), ExtractResult::ChecksumMismatch);
    reader.Close();
    EXPECT_EQ(folder.Entries(), std::vector<std::string>{"carrier.exe"});
}

TEST_F(PackageReaderTest, UnparsableTrailerReadsHeaderAtStartOfFile)
{
    CarrierImage image("unused", "unused", {});
    image.stub.clear();
    image.label = Bytes{'S', 'T', 'A', 'R', 'T', ' '};
    image.trailerFollowsLayout = false;
    image.trailer = ScrambledDecimalText("xyz");
    WriteBytes("carrier.exe", image.Assemble());
    identity = reader.OpenPath("carrier.exe");
    ASSERT_TRUE(identity);
    EXPECT_STREQ(identity->label.data(), "START");
}

TEST_F(PackageReaderTest, FileShorterThanTrailerReadsHeaderAtStart)
{
    WriteBytes("carrier.exe", Bytes{'A', 'B', 'C'});
    identity = reader.OpenPath("carrier.exe");
    ASSERT_TRUE(identity);
    EXPECT_STREQ(identity->label.data(), "ABC");
    EXPECT_STREQ(identity->targetName.data(), "");
    EXPECT_NE(reader.VerifyAndExtract(), ExtractResult::Extracted);
    reader.Close();
    EXPECT_EQ(folder.Entries(), std::vector<std::string>{"carrier.exe"});
}

TEST_F(PackageReaderTest, ChecksumOf2To31OrMoreWrittenUnsignedMatches)
{
    // 8.5 million 0xFF bytes sum to more than 2^31.
    const Bytes firmware(8'500'000, 0xFF);
    CarrierImage image("Big", "big.bin", firmware);
    const std::uint32_t sum = 8'500'000u * 255u;
    ASSERT_GE(sum, 0x80000000u);
    image.checksum = ScrambledDecimalText(std::to_string(sum));
    EXPECT_EQ(Extract(image), ExtractResult::Extracted);
    EXPECT_EQ(fs::file_size("big.bin"), firmware.size());
}

TEST_F(PackageReaderTest, LongerExistingTargetIsTruncatedToPayload)
{
    const Bytes firmware = PatternBytes(100, 2);
    WriteBytes("fw.bin", PatternBytes(5000, 3));
    EXPECT_EQ(Extract(CarrierImage("L", "fw.bin", firmware)), ExtractResult::Extracted);
    EXPECT_EQ(ReadBytes("fw.bin"), firmware);
}

TEST_F(PackageReaderTest, TargetsThatCannotBeOpenedForWriting)
{
    fs::create_directory("folder");
    WriteBytes("locked.bin", kOldTarget);
    MakeReadOnly("locked.bin");
    const struct {
        const char* target;
        bool needsPermissions;
    } cases[] = {{"folder", false}, {"nodir/fw.bin", false}, {"locked.bin", true}};
    for (const auto& c : cases) {
        if (c.needsPermissions && PermissionsIgnored()) {
            ADD_FAILURE() << "run as an unprivileged user: permissions are ignored for " << c.target;
            continue;
        }
        EXPECT_EQ(Extract(CarrierImage("L", c.target, PatternBytes(64, 9))), ExtractResult::TargetNotWritable) << c.target;
    }
    EXPECT_EQ(ReadBytes("locked.bin"), kOldTarget);
    EXPECT_EQ(folder.Entries(), (std::vector<std::string>{"carrier.exe", "folder", "locked.bin"}));
}

TEST_F(PackageReaderTest, TargetNamingThePackageItselfLeavesItIntact)
{
    // The same file under its own name, a hard link and another relative path.
    for (const char* target : {"carrier.exe", "alias.exe", "sub/../alias.exe"}) {
        const CarrierImage image("Self", target, PatternBytes(4000, 4));
        const Bytes bytes = image.Assemble();
        WriteBytes("carrier.exe", bytes);
        fs::create_directories("sub");
        fs::remove("alias.exe");
        fs::create_hard_link("carrier.exe", "alias.exe");
        ASSERT_TRUE(reader.OpenPath("carrier.exe"));
        EXPECT_EQ(reader.VerifyAndExtract(), ExtractResult::TargetNotWritable) << target;
        reader.Close();
        EXPECT_EQ(ReadBytes("carrier.exe"), bytes) << target;
    }
}

#ifndef _WIN32
TEST_F(PackageReaderTest, WriteErrorIsReportedNotSuccess)
{
    // /dev/full accepts the open and fails every write.
    EXPECT_EQ(Extract(CarrierImage("Full", "/dev/full", PatternBytes(100000, 6))), ExtractResult::WriteFailed);
    EXPECT_TRUE(fs::exists("/dev/full"));
    EXPECT_STREQ(ExtractResultMessage(ExtractResult::WriteFailed), "Firmware Upgrade file Fail !!! -> Write error...");
}
#endif

TEST_F(PackageReaderTest, OpenSelfOpensApplicationNameWithExeInWorkingDirectory)
{
    const Bytes firmware = PatternBytes(50, 8);
    WriteBytes("Updater.exe", CarrierImage("Self", "out.bin", firmware).Assemble());
    identity = reader.OpenSelf("Updater");
    ASSERT_TRUE(identity);
    EXPECT_STREQ(identity->label.data(), "Self");
    EXPECT_EQ(reader.VerifyAndExtract(), ExtractResult::Extracted);
    reader.Close();
    EXPECT_EQ(ReadBytes("out.bin"), firmware);
}

TEST_F(PackageReaderTest, OpenSelfWithoutPackageGivesNoPackageAndTouchesNothing)
{
    EXPECT_FALSE(reader.OpenSelf("Missing"));
    EXPECT_EQ(reader.VerifyAndExtract(), ExtractResult::NoPackage);
    EXPECT_EQ(ExtractResultMessage(ExtractResult::NoPackage), nullptr);
    reader.Close();
    reader.Close();
    EXPECT_TRUE(folder.Entries().empty());
}

TEST_F(PackageReaderTest, ApplicationNameMustFitThePathBuffer)
{
    const std::string longest(123, 'n');
    WriteBytes(longest + ".exe", CarrierImage("Long", "x.bin", {}).Assemble());
    EXPECT_TRUE(reader.OpenSelf(longest.c_str()));
    reader.Close();

    const std::string tooLong(124, 'n');
    WriteBytes(tooLong + ".exe", CarrierImage("Long", "x.bin", {}).Assemble());
    EXPECT_FALSE(reader.OpenSelf(tooLong.c_str()));
    EXPECT_EQ(reader.VerifyAndExtract(), ExtractResult::NoPackage);
}

TEST_F(PackageReaderTest, CloseEndsTheSession)
{
    WriteBytes("carrier.exe", CarrierImage("L", "fw.bin", PatternBytes(10, 1)).Assemble());
    ASSERT_TRUE(reader.OpenPath("carrier.exe"));
    reader.Close();
    EXPECT_EQ(reader.VerifyAndExtract(), ExtractResult::NoPackage);
    EXPECT_EQ(folder.Entries(), std::vector<std::string>{"carrier.exe"});
}
