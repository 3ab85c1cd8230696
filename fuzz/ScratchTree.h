// A private folder for the reader fuzz target, made once per process and removed at its
// end. The reader works five folders down, so that a target name that climbs out with
// "../" (sixteen bytes climb at most five levels) still lands inside the private folder.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace fuzz {

class ScratchTree {
public:
    ScratchTree();
    ~ScratchTree();
    ScratchTree(const ScratchTree&) = delete;
    ScratchTree& operator=(const ScratchTree&) = delete;

    const std::filesystem::path& WorkFolder() const { return m_chain.back(); }
    // Every file and folder below the private folder, sorted.
    std::vector<std::string> Entries() const;
    // Removes all but the chain of folders down to the work folder.
    void Clear() const;
    bool Empty() const { return Entries().size() == m_chain.size() - 1; }

private:
    std::vector<std::filesystem::path> m_chain;  // the private folder first
};

// The working directory for the object's lifetime.
class WorkingDirectory {
public:
    explicit WorkingDirectory(const std::filesystem::path& folder);
    ~WorkingDirectory();
    WorkingDirectory(const WorkingDirectory&) = delete;
    WorkingDirectory& operator=(const WorkingDirectory&) = delete;

private:
    std::filesystem::path m_previous;
};

}  // namespace fuzz
