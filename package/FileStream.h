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

// Creates a new, empty file beside `path` for writing ("<path>.tmp<unpredictable digits>"),
// exclusively: an existing file or link under the name is never opened or followed. Its name
// goes into `out`; an empty stream when none can be made (`out` does not fit `size` bytes,
// the folder is missing or may not be written).
FileStream CreateTemporaryBeside(const char* path, char* out, std::size_t size);

// Flushes the stream down to the device, then closes it; false when any of it failed.
bool SyncAndClose(FileStream& stream);

// Makes a rename into the folder of `path` durable (POSIX); nothing to do on Windows.
void SyncFolderOf(const char* path);

// Moves `from` onto `to`, replacing an existing `to` in one step.
bool RenameReplacing(const char* from, const char* to);

}  // namespace package
