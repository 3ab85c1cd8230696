#include "ScratchTree.h"

#include <algorithm>
#include <chrono>
#include <random>

namespace fs = std::filesystem;

namespace fuzz {

namespace {

constexpr int kDepth = 5;

fs::path MakePrivateFolder()
{
    std::mt19937_64 random(std::random_device{}() ^
                           static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
    for (;;) {
        const fs::path folder = fs::temp_directory_path() / ("orvane-fuzz-" + std::to_string(random()));
        if (fs::create_directory(folder))
            return folder;
    }
}

}  // namespace

ScratchTree::ScratchTree()
{
    m_chain.push_back(MakePrivateFolder());
    for (int level = 1; level <= kDepth; ++level) {
        m_chain.push_back(m_chain.back() / std::to_string(level));
        fs::create_directory(m_chain.back());
    }
}

ScratchTree::~ScratchTree()
{
    std::error_code ignored;
    fs::remove_all(m_chain.front(), ignored);
}

std::vector<std::string> ScratchTree::Entries() const
{
    std::vector<std::string> entries;
    for (const auto& entry : fs::recursive_directory_iterator(m_chain.front()))
        entries.push_back(entry.path().lexically_relative(m_chain.front()).generic_string());
    std::sort(entries.begin(), entries.end());
    return entries;
}

void ScratchTree::Clear() const
{
    for (const fs::path& folder : m_chain)
        for (const auto& entry : fs::directory_iterator(folder))
            if (std::find(m_chain.begin(), m_chain.end(), entry.path()) == m_chain.end())
                fs::remove_all(entry.path());
}

WorkingDirectory::WorkingDirectory(const fs::path& folder) : m_previous(fs::current_path())
{
    fs::current_path(folder);
}

WorkingDirectory::~WorkingDirectory()
{
    std::error_code ignored;
    fs::current_path(m_previous, ignored);
}

}  // namespace fuzz
