// The few file operations the package code needs beyond <cstdio>: an owning stream,
// 64-bit positions, and file identity. Platform differences live in FileStream.cpp alone.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>

namespace package {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using FileStream = std::unique_ptr<std::FILE, FileCloser>;

FileStream OpenFile(const char* path, const char* mode);

// Closes the stream and reports whether everything it buffered reached the file.
bool CloseFile(FileStream& stream);

// fseek/ftell on 64-bit positions (the 32-bit Windows runtime's long is 32 bits).
bool SeekFile(std::FILE* f, std::int64_t offset, int origin);
std::int64_t TellFile(std::FILE* f);

// True when `path` exists and is the very file that `open` reads (same device and
// inode, or same volume and file index): a name comparison would miss links and aliases.
bool IsSameFile(const char* path, std::FILE* open);

enum class PathKind { Missing, RegularFile, Other };  // Other: a folder, a device

PathKind KindOfPath(const char* path);

// Writes into `out` a name beside `path` for a file while it is being written
// ("<path>.tmp<process id>"); false when that does not fit in `size` bytes.
bool TemporaryNameBeside(const char* path, char* out, std::size_t size);

// Moves `from` onto `to`, replacing an existing `to` in one step.
bool RenameReplacing(const char* from, const char* to);

}  // namespace package
