// Times CPackageReader::VerifyAndExtract against copies of the same payload (read once,
// write once, 64 KiB blocks): one as cat makes it, one flushed to the disk as the
// extraction's is, and reports peak memory.
// Usage: extract_benchmark [payload MiB, default 256]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "FileStream.h"
#include "PackageReader.h"
#include "PackageWriter.h"

#ifndef _WIN32
#include <sys/resource.h>
#endif

namespace fs = std::filesystem;
using package::FileStream;

namespace {

constexpr std::size_t kBlockSize = 64 * 1024;

void WritePayload(const fs::path& path, std::size_t mebibytes)
{
    FileStream out = package::OpenFile(path.string().c_str(), "wb");
    std::vector<unsigned char> block(kBlockSize);
    std::mt19937 random(1);
    for (std::size_t i = 0; i < mebibytes * 16; ++i) {
        for (auto& b : block)
            b = static_cast<unsigned char>(random());
        std::fwrite(block.data(), 1, block.size(), out.get());
    }
}

void PlainCopy(const fs::path& from, const fs::path& to, bool durable)
{
    FileStream in = package::OpenFile(from.string().c_str(), "rb");
    FileStream out = package::OpenFile(to.string().c_str(), "wb");
    unsigned char block[kBlockSize];
    std::size_t got;
    while ((got = std::fread(block, 1, sizeof(block), in.get())) > 0)
        std::fwrite(block, 1, got, out.get());
    if (durable)
        package::SyncAndClose(out);
}

bool Extract()
{
    package::CPackageReader reader;
    reader.OpenSelf("carrier");
    const bool ok = reader.VerifyAndExtract() == package::ExtractResult::Extracted;
    reader.Close();
    return ok;
}

double Seconds(const std::function<void()>& work)
{
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

long PeakKiB()
{
#ifdef _WIN32
    return -1;
#else
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
#endif
}

}  // namespace

int main(int argc, char** argv)
{
    const std::size_t mebibytes = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 256;
    const fs::path dir = fs::temp_directory_path() / ("orvane-bench-" + std::to_string(std::random_device()()));
    fs::create_directory(dir);
    fs::current_path(dir);

    WritePayload("firmware.bin", mebibytes);
    WritePayload("stub.exe", 0);
    std::string error;
    if (!package::WritePackage({"stub.exe", "firmware.bin", "carrier.exe", "bench", "out.bin"}, error)) {
        std::fprintf(stderr, "extract_benchmark: %s\n", error.c_str());
        return 1;
    }
    const long peakBefore = PeakKiB();

    // Best of three, alternating, so all see the same page-cache state: once writing a new
    // file each time, once replacing the file the previous round wrote.
    struct Times {
        double copy = 1e9, durableCopy = 1e9, extract = 1e9;
    } fresh, replacing;
    bool ok = true;
    for (Times* times : {&fresh, &replacing}) {
        for (int round = 0; round < 3; ++round) {
            if (times == &fresh)
                for (const char* name : {"copy.bin", "synced.bin", "out.bin"})
                    fs::remove(name);
            times->copy = std::min(times->copy, Seconds([] { PlainCopy("firmware.bin", "copy.bin", false); }));
            times->durableCopy =
                std::min(times->durableCopy, Seconds([] { PlainCopy("firmware.bin", "synced.bin", true); }));
            times->extract = std::min(times->extract, Seconds([&] { ok = Extract() && ok; }));
        }
    }
    const long peakAfter = PeakKiB();
    const bool same = fs::file_size("out.bin") == fs::file_size("firmware.bin");

    fs::current_path(fs::temp_directory_path());
    fs::remove_all(dir);

    std::printf("payload            %zu MiB\n", mebibytes);
    for (const auto& [name, t] : {std::pair<const char*, Times>{"new target", fresh}, {"existing target", replacing}}) {
        std::printf("%s:\n", name);
        std::printf("  copy (as cat)      %.3f s (%.0f MiB/s)\n", t.copy, mebibytes / t.copy);
        std::printf("  copy + fsync       %.3f s (%.0f MiB/s)\n", t.durableCopy, mebibytes / t.durableCopy);
        std::printf("  VerifyAndExtract   %.3f s (%.0f MiB/s)\n", t.extract, mebibytes / t.extract);
        std::printf("  ratio to cat       %.2f\n", t.extract / t.copy);
        std::printf("  ratio to copy + fsync %.2f (aim: at most 1.15)\n", t.extract / t.durableCopy);
    }
    std::printf("peak memory        %ld KiB before extracting, %ld KiB after\n", peakBefore, peakAfter);
    if (!ok || !same) {
        std::fprintf(stderr, "extract_benchmark: extraction did not produce the payload\n");
        return 1;
    }
    return 0;
}
