// What the tests share: files in a private working folder, and a carrier assembled in memory
// field by field, so that a test can damage exactly one field. Fields are stored here, not by
// the package code, which must read them back.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#ifndef _WIN32
#include <sys/resource.h>
#endif

namespace testing_support {

using Bytes = std::vector<std::uint8_t>;

Bytes PatternBytes(std::size_t count, std::uint32_t seed);
Bytes ReadBytes(const std::filesystem::path& path);
void WriteBytes(const std::filesystem::path& path, const Bytes& bytes);
void MakeReadOnly(const std::filesystem::path& path);
inline std::uint8_t Scrambled(std::uint8_t byte) { return static_cast<std::uint8_t>(byte << 4 | byte >> 4); }
// A field as stored: the text cut or padded to `size` bytes, scrambled when asked.
Bytes StoredField(const std::string& text, std::size_t size, std::uint8_t padding, bool scrambled);
inline Bytes ScrambledDecimalText(const std::string& text) { return StoredField(text, 10, '\0', true); }

// The smallest executable image the reader recognises: PE32 headers and one section, whose
// raw data ends at kImageEnd. SetSecurityDirectory makes its header name a certificate table.
constexpr std::uint32_t kImageEnd = 0x300;
Bytes MinimalPeStub();
void SetSecurityDirectory(Bytes& image, std::uint32_t offset, std::uint32_t size, bool pe32Plus = false);

struct CarrierImage {
    CarrierImage(const std::string& label, const std::string& targetName, const Bytes& firmware);
    Bytes Assemble() const;

    Bytes stub = MinimalPeStub();
    Bytes label, targetName, length;
    Bytes payload;  // scrambled
    Bytes checksum;
    Bytes gap;  // between the checksum field and the trailer; never read
    Bytes trailer;
    bool trailerFollowsLayout = true;  // recompute the trailer from the stub's size
    Bytes certificate;  // when not empty: appended, and named by the stub's security directory
};

// A fresh folder, the working directory for the object's lifetime: the reader resolves target
// names against the working directory.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::filesystem::path& Path() const { return m_path; }
    std::vector<std::string> Entries() const;  // file names in UTF-8, sorted
    void Clear() const;  // read-only entries too

private:
    std::filesystem::path m_path, m_previous;
};

// A full disk, as a write sees it: no file grows past `bytes` (0: any size) while the object
// lives. POSIX only; on Windows nothing is limited.
class FileSizeLimit {
public:
    explicit FileSizeLimit(std::uint64_t bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
#ifndef _WIN32
    rlimit m_saved{};
#endif
};

}  // namespace testing_support
