#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "PackageReader.h"
#include "PackageWriter.h"
#include "TestFiles.h"

using namespace package;
using namespace testing_support;
namespace fs = std::filesystem;

namespace {

const Bytes kOldCarrier = {'o', 'l', 'd'};

class PackageWriterTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        WriteBytes("stub.exe", stub);
        WriteBytes("firmware.bin", firmware);
    }

    PackageRequest Request(const std::string& label, const std::string& target) const
    {
        return {"stub.exe", "firmware.bin", "carrier.exe", label, target};
    }

    ScratchFolder folder;
    const Bytes stub = PatternBytes(4096, 1);
    const Bytes firmware = PatternBytes(150000, 2);
};

}  // namespace

TEST_F(PackageWriterTest, RoundTripThroughTheReader)
{
    std::string error;
    ASSERT_TRUE(WritePackage(Request("ABCDEFGHIJKLMNOP", "out.bin"), error)) << error;

    const Bytes carrier = ReadBytes("carrier.exe");
    ASSERT_EQ(carrier.size(), stub.size() + 42 + firmware.size() + 20);
    EXPECT_TRUE(std::equal(stub.begin(), stub.end(), carrier.begin()));
    DecimalField trailer;
    std::copy(carrier.end() - 10, carrier.end(), trailer.begin());
    EXPECT_EQ(ParseDecimalField(trailer), static_cast<std::int32_t>(stub.size()));

    CPackageReader reader;
    const auto identity = reader.OpenPath("carrier.exe");
    ASSERT_TRUE(identity);
    EXPECT_STREQ(identity->label.data(), "ABCDEFGHIJKLMNOP");
    EXPECT_STREQ(identity->targetName.data(), "out.bin");
    EXPECT_EQ(reader.VerifyAndExtract(), ExtractResult::Extracted);
    reader.Close();
    EXPECT_EQ(ReadBytes("out.bin"), firmware);
}

TEST_F(PackageWriterTest, RefusesBeforeWritingAndTellsUsageFromIo)
{
    // One byte more than a package can place or hold; sparse, so it costs no disk. Refused
    // before anything is copied, or the test would copy 2 GiB first.
    { std::ofstream("huge.bin"); }
    fs::resize_file("huge.bin", static_cast<std::uintmax_t>(kMaxFieldValue) + 1);
    const WriteError usage = WriteError::Usage, io = WriteError::Io;
    const struct {
        PackageRequest request;
        WriteError kind;
        const char* problem;
    } cases[] = {
        {Request("ABCDEFGHIJKLMNOPQ", "out.bin"), usage, "label"},
        {Request("two words", "out.bin"), usage, "space"},
        {Request("L", " out.bin"), usage, "target name"},
        {Request("L", std::string("out\0bin", 7)), usage, "NUL"},
        {Request("L", "seventeen-bytes.x"), usage, "17 bytes"},
        {Request("L", ""), usage, "empty"},
        {Request("L", "../out.bin"), usage, "\"../out.bin\" is refused"},
        {{"missing.exe", "firmware.bin", "carrier.exe", "L", "out.bin"}, io, "missing.exe"},
        {{"stub.exe", "missing.bin", "carrier.exe", "L", "out.bin"}, io, "missing.bin"},
        {{"stub.exe", "firmware.bin", "stub.exe", "L", "out.bin"}, usage, "input"},
        {{"stub.exe", "firmware.bin", "firmware.bin", "L", "out.bin"}, usage, "input"},
        {{"stub.exe", "firmware.bin", "nodir/carrier.exe", "L", "out.bin"}, io, "nodir"},
        {{"stub.exe", "firmware.bin", ".", "L", "out.bin"}, usage, "folder"},
        {{"stub.exe", ".", "carrier.exe", "L", "out.bin"}, usage, "folder"},
        {{"", "firmware.bin", "carrier.exe", "L", "out.bin"}, usage, "no stub"},
        {{"huge.bin", "firmware.bin", "carrier.exe", "L", "out.bin"}, usage, "stub is 2147483648 bytes"},
        {{"stub.exe", "huge.bin", "carrier.exe", "L", "out.bin"}, usage, "firmware is 2147483648 bytes"},
    };
    for (const auto& c : cases) {
        std::string error;
        EXPECT_EQ(WritePackage(c.request, error).error, c.kind) << error;
        EXPECT_NE(error.find(c.problem), std::string::npos) << error;
        EXPECT_EQ(folder.Entries(), (std::vector<std::string>{"firmware.bin", "huge.bin", "stub.exe"})) << error;
    }
    EXPECT_EQ(ReadBytes("stub.exe"), stub);
    EXPECT_EQ(ReadBytes("firmware.bin"), firmware);
}

TEST_F(PackageWriterTest, EmbeddedStubGivesTheSameCarrierAsAStubFile)
{
    std::string error;
    ASSERT_TRUE(WritePackage(Request("L", "out.bin"), error)) << error;
    const Bytes fromFile = ReadBytes("carrier.exe");

    PackageRequest request = Request("L", "out.bin");
    request.stubPath.clear();
    request.embeddedStub = stub.data();
    request.embeddedStubSize = stub.size();
    request.outputPath = "embedded.exe";
    ASSERT_TRUE(WritePackage(request, error)) << error;
    EXPECT_EQ(ReadBytes("embedded.exe"), fromFile);
}

// A read-only folder does not stop file creation on Windows: this holds on POSIX only.
#ifndef _WIN32
TEST_F(PackageWriterTest, FailureKeepsTheExistingCarrierAndLeavesNoTemporaryFile)
{
    if (PermissionsIgnored())
        GTEST_FAIL() << "run as an unprivileged user: a read-only folder does not stop root";
    fs::create_directory("out");
    WriteBytes("out/carrier.exe", kOldCarrier);
    fs::permissions("out", fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    std::string error;
    EXPECT_EQ(WritePackage({"stub.exe", "firmware.bin", "out/carrier.exe", "L", "out.bin"}, error).error,
              WriteError::Io);
    EXPECT_NE(error.find("out/carrier.exe"), std::string::npos) << error;
    fs::permissions("out", fs::perms::owner_all, fs::perm_options::add);
    EXPECT_EQ(ReadBytes("out/carrier.exe"), kOldCarrier);
    EXPECT_EQ(std::distance(fs::directory_iterator("out"), fs::directory_iterator()), 1);
}
#endif
