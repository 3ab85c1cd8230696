// Every way a small carrier can be damaged, or its target refused, against the same
// promises: the result is a defined one; Extracted only with exactly the firmware; a file
// that was there before is unchanged, or after Extracted exactly the firmware; nothing
// stray or partial is left behind.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <optional>

#include "CarrierImage.h"
#include "PackageInspector.h"
#include "PackageReader.h"

#ifndef _WIN32
#include <unistd.h>
#endif

using namespace package;
using namespace testing_support;
namespace fs = std::filesystem;

namespace {

// The temporary names' digits: this program's own, in place of the library's (a case may fix
// them, to plant a file under the very name the writer tries first); else a counter.
std::uint32_t (*g_temporaryNumbers)() = nullptr;

}  // namespace

std::uint32_t package::TemporaryNumber()
{
    static std::uint32_t count = 0;
    return g_temporaryNumbers != nullptr ? g_temporaryNumbers() : count++;
}

namespace {

const Bytes kOldTarget = {'k', 'e', 'e', 'p', ' ', 'm', 'e'};

void MakeReadOnlyFolder()
{
    fs::create_directory("ro");
    WriteBytes("ro/fw.bin", kOldTarget);
    MakeReadOnly("ro");
}

std::size_t CountFiles()
{
    std::size_t count = 0;
    for (const auto& entry : fs::recursive_directory_iterator("."))
        count += entry.is_regular_file() ? 1 : 0;
    return count;
}

// Through the C library, as the reader names files: a damaged target name need not be
// valid text in the encoding std::filesystem assumes. None when there is no such file; at
// most a little more than the firmware, since a device (/dev/full) never ends.
std::optional<Bytes> ReadNamed(const char* name)
{
    std::FILE* f = std::fopen(name, "rb");
    if (f == nullptr)
        return std::nullopt;
    Bytes bytes;
    for (int c; bytes.size() < 1000 && (c = std::fgetc(f)) != EOF;)
        bytes.push_back(static_cast<std::uint8_t>(c));
    std::fclose(f);
    return bytes;
}

class FaultTableTest : public ::testing::Test {
protected:
    Bytes ValidCarrier(const std::string& target = "fw.bin") const
    {
        return CarrierImage("Fault", target, firmware).Assemble();
    }

    // Runs the upgrade on `carrier` in a folder that holds it and an old fw.bin, then
    // checks the promises. `prepare` may change the folder, or the disk, first.
    ExtractResult Run(const Bytes& carrier, const std::string& what, const std::function<void()>& prepare = {})
    {
        WriteBytes("carrier.exe", carrier);
        WriteBytes("fw.bin", kOldTarget);
        if (prepare)
            prepare();
        CPackageReader reader;
        const auto identity = reader.OpenSelf("carrier");
        EXPECT_TRUE(identity) << what;
        const char* target = identity ? identity->targetName.data() : "";
        const bool targetExisted = ReadNamed(target).has_value();
        const std::size_t filesBefore = CountFiles();
        const ExtractResult result = reader.VerifyAndExtract();
        reader.Close();
#ifndef _WIN32
        diskLimit.reset();
#endif

        const bool extracted = result == ExtractResult::Extracted;
        EXPECT_NE(result, ExtractResult::NoPackage) << what;
        EXPECT_EQ(ReadBytes("carrier.exe"), carrier) << what;
        const Bytes old = ReadBytes("fw.bin");
        EXPECT_TRUE(old == kOldTarget || (extracted && old == firmware)) << what << ": fw.bin damaged";
        EXPECT_TRUE(!extracted || ReadNamed(target) == firmware) << what << ": wrong bytes in " << target;
        EXPECT_EQ(CountFiles(), filesBefore + (extracted && !targetExisted ? 1 : 0)) << what << ": stray files";
        folder.Clear();
        return result;
    }

    ScratchFolder folder;
    const Bytes firmware = PatternBytes(300, 21);
#ifndef _WIN32
    std::optional<FileSizeLimit> diskLimit;  // until the end of the next run
#endif
};

}  // namespace

TEST_F(FaultTableTest, CutAtEveryOffsetEachByteFlippedOrJunkAppended)
{
    const Bytes carrier = ValidCarrier();
    for (std::size_t i = 0; i < carrier.size(); ++i) {
        const std::string at = std::to_string(i);
        EXPECT_NE(Run(Bytes(carrier.begin(), carrier.begin() + i), "cut to " + at), ExtractResult::Extracted);
        Bytes flipped = carrier;
        flipped[i] ^= 0xFF;
        Run(flipped, "byte " + at + " flipped");
    }
    for (const Bytes& junk : {Bytes{0}, Bytes(10, ' '), Bytes{'1', '2', '3'}, PatternBytes(100, 5), Bytes(4096, 0)}) {
        Bytes longer = carrier;
        longer.insert(longer.end(), junk.begin(), junk.end());
        Run(longer, std::to_string(junk.size()) + " junk bytes");
    }
}

// Targets that cannot be written, and one beset with a file under the very temporary name
// the writer tries first: it is never opened.
TEST_F(FaultTableTest, TargetsRefusedOrBeset)
{
#ifndef _WIN32
    if (geteuid() == 0)
        GTEST_FAIL() << "run as an unprivileged user: root writes through read-only files";
#endif
    using Results = std::vector<ExtractResult>;
    const ExtractResult notWritable = ExtractResult::TargetNotWritable, failed = ExtractResult::WriteFailed;
    const struct {
        const char* name;
        std::string target;
        std::function<void()> prepare;
        Results allowed;
        std::uint32_t (*numbers)() = nullptr;
    } cases[] = {
        {"read-only target", "fw.bin", [] { MakeReadOnly("fw.bin"); }, {notWritable}},
        {"target is a folder", "dir", [] { fs::create_directory("dir"); }, {notWritable}},
        {"missing folder", "nodir/fw.bin", {}, {notWritable}},
        // The temporary names' digits, fixed: the first try meets the file planted under its name.
        {"file planted under the temporary name", "fw.bin", [] { WriteBytes("fw.bin.tmp0badf00d", kOldTarget); },
         {ExtractResult::Extracted}, [] { static std::uint32_t tries = 0; return 0x0badf00d + tries++; }},
        // While the copy is made, a folder appears under the target's name: the final rename fails.
        {"rename fails", "new.bin", {}, {failed}, [] { return fs::create_directory("new.bin") ? 1u : 2u; }},
#ifdef _WIN32
        // Windows lets a read-only folder take new files (Wine does not); then the upgrade succeeds.
        {"read-only folder", "ro/fw.bin", [] { MakeReadOnlyFolder(); }, {notWritable, ExtractResult::Extracted}},
        {"full device", "Z:\\dev\\full", {}, {failed}},  // Wine's view of /dev/full
#else
        {"read-only folder", "ro/fw.bin", [] { MakeReadOnlyFolder(); }, {notWritable}},
        {"full device", "/dev/full", {}, {failed}},
        {"disk full during the copy", "fw.bin", [this] { diskLimit.emplace(100); }, {failed}},
#endif
    };
    for (const auto& c : cases) {
        g_temporaryNumbers = c.numbers;
        const ExtractResult result = Run(ValidCarrier(c.target), c.name, c.prepare);
        EXPECT_NE(std::find(c.allowed.begin(), c.allowed.end(), result), c.allowed.end()) << c.name;
    }
}

#ifndef _WIN32
TEST_F(FaultTableTest, PayloadThatShrinksUnderTheReaderIsNeverPaddedWithZeros)
{
    // The payload's bytes are zeros, which still sum right; a file cut under the reader must
    // not turn into zeros written out as firmware.
    WriteBytes("carrier.exe", CarrierImage("Fault", "fw.bin", Bytes(200'000, 0)).Assemble());
    CPackageReader reader;
    PackageInspector inspector;
    ASSERT_TRUE(reader.OpenSelf("carrier") && inspector.OpenPath("carrier.exe"));
    fs::resize_file("carrier.exe", kImageEnd + kPayloadOffset + 100'000);
    EXPECT_EQ(reader.VerifyAndExtract(), ExtractResult::ChecksumMismatch);
    // Streamed out, exactly the bytes that were there go out.
    std::FILE* out = std::tmpfile();
    EXPECT_EQ(inspector.VerifyAndExtractInto(out), ExtractResult::ChecksumMismatch);
    EXPECT_EQ(std::ftell(out), 100'000);
    std::fclose(out);
    reader.Close();
    inspector.Close();
    EXPECT_EQ(CountFiles(), 1u);
}
#endif
