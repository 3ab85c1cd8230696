// Every way a carrier can be damaged, or its target refused, against the same promises: the
// result is a defined one; Extracted only with exactly the firmware; a file that was there
// before is unchanged, or after Extracted exactly the firmware; nothing stray or partial is
// left behind.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <optional>

#include "CarrierImage.h"
#include "FileStream.h"
#include "PackageExaminer.h"
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

using Change = std::function<void(CarrierImage&)>;

// Longer than the small carrier's firmware: a target must be replaced, never overwritten in place.
const Bytes kOldTarget = PatternBytes(400, 5);

std::ptrdiff_t CountFiles()
{
    return std::count_if(fs::recursive_directory_iterator("."), {}, [](const auto& e) { return e.is_regular_file(); });
}

// Through the C library, as the reader names files: a damaged target name need not be
// valid text in the encoding std::filesystem assumes. None when there is no such file; at
// most `most` bytes, since a device (/dev/full) never ends.
std::optional<Bytes> ReadNamed(const char* name, std::size_t most)
{
    std::FILE* f = std::fopen(name, "rb");
    if (f == nullptr)
        return std::nullopt;
    Bytes bytes;
    for (int c; bytes.size() < most && (c = std::fgetc(f)) != EOF;)
        bytes.push_back(static_cast<std::uint8_t>(c));
    std::fclose(f);
    return bytes;
}

class FaultTableTest : public ::testing::Test {
protected:
    // Runs the upgrade on `carrier` in a folder that holds it and an old fw.bin, then checks the
    // promises. `prepare` may change the folder, or the disk, first; `predictable`: no I/O fault
    // is in play, so the inspection's prediction is the result.
    ExtractResult Run(const Bytes& carrier, const std::string& what, const std::function<void()>& prepare = {},
                      bool predictable = false)
    {
        WriteBytes("carrier.exe", carrier);
        WriteBytes("fw.bin", kOldTarget);
        if (prepare)
            prepare();
        PackageExaminer examiner;
        const auto identity = examiner.OpenPath("carrier.exe");
        EXPECT_TRUE(identity) << what;
        const char* target = identity ? identity->targetName.data() : "";
        const bool targetExisted = ReadNamed(target, 0).has_value();
        const std::ptrdiff_t filesBefore = CountFiles();
        const ExtractResult predicted =
            examiner.PredictResult(examiner.Verify(), JudgeTarget(target, {0, "carrier.exe"}));
        examiner.Close();
        CPackageReader reader;
        EXPECT_TRUE(reader.OpenSelf("carrier")) << what;
        const ExtractResult result = reader.VerifyAndExtract();
        reader.Close();
        diskLimit.reset();

        const bool extracted = result == ExtractResult::Extracted;
        EXPECT_NE(result, ExtractResult::NoPackage) << what;
        EXPECT_TRUE(!predictable || result == predicted) << what << ": the inspection predicted otherwise";
        EXPECT_EQ(ReadBytes("carrier.exe"), carrier) << what;
        const Bytes old = ReadBytes("fw.bin");
        EXPECT_TRUE(old == kOldTarget || (extracted && old == firmware)) << what << ": fw.bin damaged";
        EXPECT_TRUE(!extracted || ReadNamed(target, firmware.size() + 1) == firmware)
            << what << ": wrong bytes in " << target;
        EXPECT_EQ(CountFiles(), filesBefore + (extracted && !targetExisted ? 1 : 0)) << what << ": stray files";
        folder.Clear();
        return result;
    }

    ScratchFolder folder;
    Bytes firmware = PatternBytes(300, 21);  // what the carrier of the next run carries
    std::optional<FileSizeLimit> diskLimit;  // until the end of the next run
};

}  // namespace

// Each row changes one thing in a valid carrier, its firmware one byte past a read block: a part,
// or the text of a decimal field.
TEST_F(FaultTableTest, ResultForEachKindOfPackage)
{
    const Bytes valid = PatternBytes(65537, 11);
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
        {"the carrier itself as target", [&](CarrierImage& c) { c = CarrierImage("L", "./carrier.exe", valid); },
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
        // A certificate table that reads as a package named cert.bin, should the reader take its
        // fields from wherever the stream happens to be.
        {"signed, negative header: nothing of the certificate is read",
         [](CarrierImage& c) {
             CarrierImage fake("CERT", "cert.bin", {});
             fake.stub.clear();
             c.certificate = fake.Assemble();
         },
         nullptr, nullptr, "-1", notWritable},
    };
    for (const auto& c : cases) {
        CarrierImage image("Board-7", "fw.bin", valid);
        c.change(image);
        for (const auto& [text, field] : {std::pair(c.length, &image.length), std::pair(c.checksum, &image.checksum),
                                          std::pair(c.trailer, &image.trailer)})
            *field = text != nullptr ? ScrambledDecimalText(text) : *field;
        image.trailerFollowsLayout = c.trailer == nullptr;
        firmware = image.payload;
        std::transform(firmware.begin(), firmware.end(), firmware.begin(), Scrambled);  // its own inverse
        EXPECT_EQ(Run(image.Assemble(), c.name, {}, true), c.result) << c.name;
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
    const auto readOnlyFolder = [] { fs::create_directory("ro"); WriteBytes("ro/fw.bin", kOldTarget); MakeReadOnly("ro"); };
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
        {"read-only folder", "ro/fw.bin", readOnlyFolder, {notWritable, ExtractResult::Extracted}},
        {"full device", "Z:\\dev\\full", {}, {failed}},  // Wine's view of /dev/full
#else
        {"read-only folder", "ro/fw.bin", readOnlyFolder, {notWritable}},
        {"full device", "/dev/full", {}, {failed}},
        {"disk full during the copy", "fw.bin", [this] { diskLimit.emplace(100); }, {failed}},
#endif
    };
    for (const auto& c : cases) {
        g_temporaryNumbers = c.numbers;
        const ExtractResult result = Run(CarrierImage("Fault", c.target, firmware).Assemble(), c.name, c.prepare);
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
    PackageExaminer examiner;
    ASSERT_TRUE(reader.OpenSelf("carrier") && examiner.OpenPath("carrier.exe"));
    fs::resize_file("carrier.exe", kImageEnd + kPayloadOffset + 100'000);
    EXPECT_EQ(reader.VerifyAndExtract(), ExtractResult::ChecksumMismatch);
    // Streamed out, exactly the bytes that were there go out.
    std::FILE* out = std::tmpfile();
    EXPECT_EQ(examiner.VerifyAndExtractInto(out), ExtractResult::ChecksumMismatch);
    EXPECT_EQ(std::ftell(out), 100'000);
    std::fclose(out);
    reader.Close();
    examiner.Close();
    EXPECT_EQ(CountFiles(), 1);
}
#endif
