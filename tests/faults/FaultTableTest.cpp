// Every way a small carrier can be damaged, or its target refused, against the same
// promises: the result is a defined one; Extracted only with exactly the firmware; a file
// that was there before is unchanged, or after Extracted exactly the firmware; nothing
// stray or partial is left behind.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <iostream>
#include <map>

#include "CarrierImage.h"
#include "PackageReader.h"
#include "PeStub.h"
#include "TestFiles.h"

#ifndef _WIN32
#include <csignal>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

using namespace package;
using namespace testing_support;
namespace fs = std::filesystem;

namespace {

const Bytes kOldTarget = {'k', 'e', 'e', 'p', ' ', 'm', 'e'};

std::size_t CountFiles()
{
    std::size_t count = 0;
    for (const auto& entry : fs::recursive_directory_iterator("."))
        count += entry.is_regular_file() ? 1 : 0;
    return count;
}

// Through the C library, as the reader names files: a target name need not be valid
// text in the encoding std::filesystem assumes.
Bytes ReadNamed(const char* name)
{
    Bytes bytes;
    if (std::FILE* f = std::fopen(name, "rb")) {
        for (int c; (c = std::fgetc(f)) != EOF;)
            bytes.push_back(static_cast<std::uint8_t>(c));
        std::fclose(f);
    }
    return bytes;
}

bool Exists(const char* name)
{
    std::FILE* f = std::fopen(name, "rb");
    if (f != nullptr)
        std::fclose(f);
    return f != nullptr;
}

class FaultTableTest : public ::testing::Test {
protected:
    CarrierImage ValidCarrier(const std::string& target = "fw.bin") const
    {
        CarrierImage image("Fault", target, firmware);
        image.stub = MinimalPeStub(0x300);
        return image;
    }

    // Runs the upgrade on `carrier` in a folder that holds it and an old fw.bin, then
    // checks the promises. `prepare` may change the folder first.
    ExtractResult Run(const Bytes& carrier, const std::string& what, const std::function<void()>& prepare = {})
    {
        WriteBytes("carrier.exe", carrier);
        WriteBytes("fw.bin", kOldTarget);
        if (prepare)
            prepare();
        CPackageReader reader;
        const auto identity = reader.OpenPath("carrier.exe");
        EXPECT_TRUE(identity) << what;
        const char* target = identity ? identity->targetName.data() : "";
        const bool targetExisted = Exists(target);
        const std::size_t filesBefore = CountFiles();

        const ExtractResult result = reader.VerifyAndExtract();
        reader.Close();

        EXPECT_NE(result, ExtractResult::NoPackage) << what;
        EXPECT_EQ(ReadBytes("carrier.exe"), carrier) << what;
        const Bytes old = ReadBytes("fw.bin");
        const bool extracted = result == ExtractResult::Extracted;
        EXPECT_TRUE(old == kOldTarget || (extracted && old == firmware)) << what << ": fw.bin damaged";
        if (extracted) {
            EXPECT_EQ(ReadNamed(target), firmware) << what << ": wrong bytes in " << target;
        }
        EXPECT_EQ(CountFiles(), filesBefore + (extracted && !targetExisted ? 1 : 0)) << what << ": stray files";
        ++tally[result];
        Clear();
        return result;
    }

    void Clear() const
    {
        std::error_code ignored;
        for (const auto& entry : fs::directory_iterator(".")) {
            fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add, ignored);
            fs::remove_all(entry.path(), ignored);
        }
    }

    void PrintTally(const char* group)
    {
        std::size_t total = 0;
        for (const auto& [result, count] : tally)
            total += count;
        std::cout << "[ FIGURES  ] " << group << ": " << total << " cases; Extracted " << tally[ExtractResult::Extracted]
                  << ", ChecksumMismatch " << tally[ExtractResult::ChecksumMismatch] << ", TargetNotWritable "
                  << tally[ExtractResult::TargetNotWritable] << ", WriteFailed " << tally[ExtractResult::WriteFailed]
                  << std::endl;
    }

    ScratchFolder folder;
    const Bytes firmware = PatternBytes(300, 21);
    std::map<ExtractResult, int> tally;
};

TEST_F(FaultTableTest, TruncatedAtEveryOffset)
{
    const Bytes carrier = ValidCarrier().Assemble();
    for (std::size_t length = 0; length < carrier.size(); ++length)
        Run(Bytes(carrier.begin(), carrier.begin() + length), "cut to " + std::to_string(length));
    EXPECT_EQ(tally[ExtractResult::Extracted], 0);
    PrintTally("truncation");
}

TEST_F(FaultTableTest, EachByteFlippedInTurn)
{
    const Bytes carrier = ValidCarrier().Assemble();
    for (std::size_t i = 0; i < carrier.size(); ++i) {
        Bytes flipped = carrier;
        flipped[i] ^= 0xFF;
        Run(flipped, "byte " + std::to_string(i) + " flipped");
    }
    PrintTally("flipped bytes");
}

TEST_F(FaultTableTest, JunkAppendedBehindTheTrailer)
{
    const Bytes carrier = ValidCarrier().Assemble();
    for (const Bytes& junk : {Bytes{0}, Bytes(10, ' '), Bytes{'1', '2', '3'}, PatternBytes(100, 5), Bytes(4096, 0)}) {
        Bytes longer = carrier;
        longer.insert(longer.end(), junk.begin(), junk.end());
        Run(longer, std::to_string(junk.size()) + " junk bytes");
    }
    PrintTally("junk appended");
}

TEST_F(FaultTableTest, TargetsThatCannotBeWritten)
{
    if (PermissionsIgnored())
        GTEST_FAIL() << "run as an unprivileged user: permissions are ignored";
#ifdef _WIN32
    const char* fullDevice = "Z:\\dev\\full";  // Wine's view of /dev/full
#else
    const char* fullDevice = "/dev/full";
#endif
    const struct {
        const char* name;
        std::string target;
        std::function<void()> prepare;
        std::vector<ExtractResult> allowed;
    } cases[] = {
        {"read-only target", "fw.bin", [] { MakeReadOnly("fw.bin"); }, {ExtractResult::TargetNotWritable}},
        {"target is a folder", "dir", [] { fs::create_directory("dir"); }, {ExtractResult::TargetNotWritable}},
        {"missing folder", "nodir/fw.bin", {}, {ExtractResult::TargetNotWritable}},
        {"the carrier itself", "carrier.exe", {}, {ExtractResult::TargetNotWritable}},
        {"read-only folder", "ro/fw.bin",
         [] {
             fs::create_directory("ro");
             WriteBytes("ro/fw.bin", kOldTarget);
             MakeReadOnly("ro");
         },
         // Windows lets a read-only folder take new files; then the upgrade succeeds.
         {ExtractResult::TargetNotWritable, ExtractResult::Extracted}},
        {"disk full", fullDevice, {}, {ExtractResult::WriteFailed, ExtractResult::TargetNotWritable}},
    };
    for (const auto& c : cases) {
        const ExtractResult result = Run(ValidCarrier(c.target).Assemble(), c.name, c.prepare);
        EXPECT_NE(std::find(c.allowed.begin(), c.allowed.end(), result), c.allowed.end()) << c.name;
    }
    PrintTally("refused targets");
}

#ifndef _WIN32
TEST_F(FaultTableTest, DiskFullDuringCopyKeepsTheExistingTarget)
{
    // A file-size limit fails the copy pass's writes past 100 bytes, as a full disk does.
    const Bytes carrier = ValidCarrier().Assemble();
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    const auto limitWrites = [&] {
        rlimit small = saved;
        small.rlim_cur = 100;
        setrlimit(RLIMIT_FSIZE, &small);
    };
    const ExtractResult result = Run(carrier, "disk full", limitWrites);
    setrlimit(RLIMIT_FSIZE, &saved);
    EXPECT_EQ(result, ExtractResult::WriteFailed);
}

TEST_F(FaultTableTest, CrashPartWayLeavesTheOldTargetWhole)
{
    // A file-size limit whose signal keeps its default action ends the process at that byte
    // of the copy, as a crash or a power cut would.
    const Bytes carrier = ValidCarrier().Assemble();
    for (const bool targetExisted : {true, false}) {
        for (const rlim_t limit : {0, 1, 150, 299}) {
            const std::string what = "killed at byte " + std::to_string(limit);
            WriteBytes("carrier.exe", carrier);
            if (targetExisted)
                WriteBytes("fw.bin", kOldTarget);
            const pid_t child = fork();
            if (child == 0) {
                std::signal(SIGXFSZ, SIG_DFL);
                const rlimit small{limit, limit};
                setrlimit(RLIMIT_FSIZE, &small);
                CPackageReader reader;
                reader.OpenPath("carrier.exe");
                _exit(static_cast<int>(reader.VerifyAndExtract()));
            }
            int status = 0;
            waitpid(child, &status, 0);
            EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGXFSZ) << what;
            if (targetExisted)
                EXPECT_EQ(ReadBytes("fw.bin"), kOldTarget) << what;
            else
                EXPECT_FALSE(Exists("fw.bin")) << what;
            Clear();
        }
    }
}

TEST_F(FaultTableTest, LinkPlantedUnderATemporaryNameIsNotFollowed)
{
    // Names a writer beside the target might pick: the process id, as an older scheme did.
    const std::string pid = std::to_string(getpid());
    WriteBytes("victim", kOldTarget);
    for (const std::string& planted : {"fw.bin.tmp" + pid, std::string("fw.bin.tmp"), std::string("fw.bin.tmp0")})
        fs::create_symlink("victim", planted);
    WriteBytes("carrier.exe", ValidCarrier().Assemble());
    CPackageReader reader;
    ASSERT_TRUE(reader.OpenPath("carrier.exe"));
    EXPECT_EQ(reader.VerifyAndExtract(), ExtractResult::Extracted);
    EXPECT_EQ(ReadBytes("fw.bin"), firmware);
    EXPECT_EQ(ReadBytes("victim"), kOldTarget);
}

TEST_F(FaultTableTest, PayloadThatShrinksUnderTheReaderIsNeverPaddedWithZeros)
{
    // The payload's bytes become zeros that still sum right; a file cut under the reader
    // must not turn into zeros written out as firmware.
    const Bytes zeros(200'000, 0);  // beyond what the stream has buffered at opening
    CarrierImage image("Fault", "fw.bin", zeros);
    image.stub = MinimalPeStub(0x300);
    const Bytes carrier = image.Assemble();
    WriteBytes("carrier.exe", carrier);
    CPackageReader reader;
    ASSERT_TRUE(reader.OpenPath("carrier.exe"));
    fs::resize_file("carrier.exe", 0x300 + 42 + 100'000);
    EXPECT_EQ(reader.VerifyAndExtract(), ExtractResult::ChecksumMismatch);
    reader.Close();
    EXPECT_EQ(CountFiles(), 1u);
}
#endif

}  // namespace
