// File helpers for tests that run on real files in a private temporary folder.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace testing_support {

using Bytes = std::vector<std::uint8_t>;

Bytes ReadBytes(const std::filesystem::path& path);
void WriteBytes(const std::filesystem::path& path, const Bytes& bytes);
Bytes PatternBytes(std::size_t count, std::uint32_t seed);
void MakeReadOnly(const std::filesystem::path& path);
// True where the process ignores file permissions (root on POSIX).
bool PermissionsIgnored();

// A fresh folder that is also the working directory for the object's lifetime, since
// the reader resolves target names against the working directory.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::filesystem::path& Path() const { return m_path; }
    std::vector<std::string> Entries() const;  // file names, sorted

private:
    std::filesystem::path m_path;
    std::filesystem::path m_previous;
};

}  // namespace testing_support
