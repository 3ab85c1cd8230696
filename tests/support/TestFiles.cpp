#include "TestFiles.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <random>

#ifndef _WIN32
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace testing_support {

Bytes ReadBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const fs::path& path, const Bytes& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

Bytes PatternBytes(std::size_t count, std::uint32_t seed)
{
    std::mt19937 random(seed);
    Bytes bytes(count);
    for (auto& b : bytes)
        b = static_cast<std::uint8_t>(random());
    return bytes;
}

void MakeReadOnly(const fs::path& path)
{
    // On Windows this sets the read-only attribute.
    fs::permissions(path, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
}

bool PermissionsIgnored()
{
#ifdef _WIN32
    return false;
#else
    return geteuid() == 0;
#endif
}

ScratchFolder::ScratchFolder()
{
    std::random_device device;
    const fs::path base = fs::temp_directory_path();
    do {
        m_path = base / ("orvane-test-" + std::to_string(device()));
    } while (!fs::create_directory(m_path));
    m_previous = fs::current_path();
    fs::current_path(m_path);
}

ScratchFolder::~ScratchFolder()
{
    fs::current_path(m_previous);
    std::error_code ignored;
    for (const auto& entry : fs::recursive_directory_iterator(m_path, ignored))
        fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(m_path, ignored);
}

std::vector<std::string> ScratchFolder::Entries() const
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(m_path))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace testing_support
