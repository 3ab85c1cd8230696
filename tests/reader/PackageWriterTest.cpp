#include <gtest/gtest.h>

#include "CarrierImage.h"
#include "PackageLayout.h"
#include "PackageWriter.h"

using namespace package;
using namespace testing_support;
namespace fs = std::filesystem;

namespace {

[[maybe_unused]] constexpr const char* kShrinking = "/sys/kernel/uevent_seqnum";

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
    Bytes firmware = PatternBytes(150000, 2);
};

}  // namespace

// A 16-byte label, partly beyond ASCII, as a Korean one is. The carrier holds the fields as the
// test support stores them, which the fault table reads back; packed for signing, it ends on an
// 8-byte boundary, with fewer than 8 zeros before the trailer. The sizes: no firmware at all, one
// byte past a copy block, and one whose carrier is already on a boundary.
TEST_F(PackageWriterTest, WritesTheLayoutAsTheTestsStoreIt)
{
    const std::string label = "\xB0\xA1" "CDEFGHIJKLMNOP";
    for (const std::size_t size : {0, 65537, 150002}) {
        firmware = PatternBytes(size, 2);
        WriteBytes("firmware.bin", firmware);
        for (const bool align : {false, true}) {
            PackageRequest request = Request(label, "out.bin");
            request.alignForSigning = align;
            std::string error;
            ASSERT_TRUE(WritePackage(request, error)) << error;
            const Bytes carrier = ReadBytes("carrier.exe");
            CarrierImage expected(label, "out.bin", firmware);
            expected.stub = stub;
            ASSERT_GE(carrier.size(), expected.Assemble().size());
            expected.gap.assign(carrier.size() - expected.Assemble().size(), 0);
            EXPECT_TRUE(align ? carrier.size() % 8 == 0 && expected.gap.size() < 8 : expected.gap.empty()) << size;
            EXPECT_EQ(carrier, expected.Assemble()) << size << align;

            // The stub built into firmpack gives the same carrier as the stub file.
            request.stubPath.clear();
            request.outputPath = "embedded.exe";
            request.embeddedStub = stub.data();
            request.embeddedStubSize = stub.size();
            ASSERT_TRUE(WritePackage(request, error)) << error;
            EXPECT_EQ(ReadBytes("embedded.exe"), carrier);
        }
    }
}

// Refused before anything is written, or failing part-way: usage is told from I/O, and the folder
// is left as it was, an old carrier included.
TEST_F(PackageWriterTest, RefusesOrFailsAndLeavesTheFolderAsItWas)
{
    // One byte more than a package can place or hold; sparse, so it costs no disk. Refused
    // before anything is copied, or the test would copy 2 GiB first.
    WriteBytes("huge.bin", {});
    fs::resize_file("huge.bin", static_cast<std::uintmax_t>(kMaxFieldValue) + 1);
    const Bytes old = {'o', 'l', 'd'};
    WriteBytes("carrier.exe", old);
    WriteBytes("small.bin", PatternBytes(100, 3));
    const std::vector<std::string> before = folder.Entries();
    const WriteError usage = WriteError::Usage, io = WriteError::Io;
    const struct {
        PackageRequest request;
        WriteError kind;
        const char* problem;
        std::uint64_t diskFullAt = 0;  // the most a file may hold; 0: any size
    } cases[] = {
        {Request("ABCDEFGHIJKLMNOPQ", "out.bin"), usage, "label \"ABCDEFGHIJKLMNOPQ\" is 17 bytes long"},
        {Request("L", " out.bin"), usage, "target name \" out.bin\" contains a space"},
        {Request("L", std::string("out\0bin", 7)), usage, "target name contains a NUL byte"},
        {Request("L", ""), usage, "empty"},
        {{"", "firmware.bin", "carrier.exe", "L", "out.bin"}, usage, "no stub"},
        {{"missing.exe", "firmware.bin", "carrier.exe", "L", "out.bin"}, io, "missing.exe"},
        {{"stub.exe", "missing.bin", "carrier.exe", "L", "out.bin"}, io, "missing.bin"},
        {{"stub.exe", "firmware.bin", "stub.exe", "L", "out.bin"}, usage, "input"},
        {{"stub.exe", "firmware.bin", "firmware.bin", "L", "out.bin"}, usage, "input"},
        {{"stub.exe", "firmware.bin", "nodir/carrier.exe", "L", "out.bin"}, io, "nodir"},
        {{"stub.exe", "firmware.bin", ".", "L", "out.bin"}, usage, "folder"},
        {{"stub.exe", ".", "carrier.exe", "L", "out.bin"}, usage, "folder"},
        {{"huge.bin", "firmware.bin", "carrier.exe", "L", "out.bin"}, usage, "stub is 2147483648 bytes"},
        {{"stub.exe", "huge.bin", "carrier.exe", "L", "out.bin"}, usage, "firmware is 2147483648 bytes"},
#ifndef _WIN32
        // A kernel file says 4096 bytes and holds fewer: an input that shrinks while it is copied.
        {{"stub.exe", kShrinking, "carrier.exe", "L", "out.bin"}, io, "cannot read firmware /sys"},
        {{kShrinking, "firmware.bin", "carrier.exe", "L", "out.bin"}, io, "cannot read stub /sys"},
        // A disk that fills part-way: in a write of the copy, or only when the small carrier, whole
        // in the stream's buffer, is flushed to the device.
        {{"firmware.bin", "firmware.bin", "carrier.exe", "L", "out.bin"}, io, "cannot write carrier.exe", 1000},
        {{"small.bin", "small.bin", "carrier.exe", "L", "out.bin"}, io, "cannot write carrier.exe", 200},
#endif
    };
    for (const auto& c : cases) {
        std::string error;
        {
            const FileSizeLimit full(c.diskFullAt);
            EXPECT_EQ(WritePackage(c.request, error).error, c.kind) << error;
        }
        EXPECT_NE(error.find(c.problem), std::string::npos) << error;
        EXPECT_EQ(folder.Entries(), before) << error;
    }
    EXPECT_EQ(ReadBytes("stub.exe"), stub);
    EXPECT_EQ(ReadBytes("firmware.bin"), firmware);
    EXPECT_EQ(ReadBytes("carrier.exe"), old);
}
