#include <gtest/gtest.h>

#include <filesystem>

#include "PackageReader.h"
#include "PackageWriter.h"
#include "TestFiles.h"

using namespace package;
using namespace testing_support;
namespace fs = std::filesystem;

namespace {

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

TEST_F(PackageWriterTest, RefusesWhatTheFormatCannotCarryAndWritesNothing)
{
    const struct {
        PackageRequest request;
        const char* problem;
    } cases[] = {
        {Request("ABCDEFGHIJKLMNOPQ", "out.bin"), "label"},
        {Request("two words", "out.bin"), "space"},
        {Request("L", " out.bin"), "target name"},
        {Request("L", std::string("out\0bin", 7)), "NUL"},
        {Request("L", "seventeen-bytes.x"), "17 bytes"},
        {Request("L", ""), "empty"},
        {{"missing.exe", "firmware.bin", "carrier.exe", "L", "out.bin"}, "missing.exe"},
        {{"stub.exe", "missing.bin", "carrier.exe", "L", "out.bin"}, "missing.bin"},
        {{"stub.exe", "firmware.bin", "stub.exe", "L", "out.bin"}, "input"},
        {{"stub.exe", "firmware.bin", "firmware.bin", "L", "out.bin"}, "input"},
        {{"stub.exe", "firmware.bin", "nodir/carrier.exe", "L", "out.bin"}, "nodir"},
    };
    for (const auto& c : cases) {
        std::string error;
        EXPECT_FALSE(WritePackage(c.request, error)) << c.problem;
        EXPECT_NE(error.find(c.problem), std::string::npos) << error;
        EXPECT_EQ(folder.Entries(), (std::vector<std::string>{"firmware.bin", "stub.exe"})) << error;
    }
    EXPECT_EQ(ReadBytes("stub.exe"), stub);
    EXPECT_EQ(ReadBytes("firmware.bin"), firmware);
}

#ifndef _WIN32
TEST_F(PackageWriterTest, WriteErrorIsReported)
{
    std::string error;
    EXPECT_FALSE(WritePackage({"stub.exe", "firmware.bin", "/dev/full", "L", "out.bin"}, error));
    EXPECT_NE(error.find("/dev/full"), std::string::npos) << error;
    EXPECT_TRUE(fs::exists("/dev/full"));
}
#endif
