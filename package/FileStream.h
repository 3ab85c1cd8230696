// The few file operations the package code needs beyond <cstdio>: an owning stream,
// 64-bit positions, and file identity. Platform differences live in FileStreamPosix.cpp and
// FileStreamWindows.cpp alone. On Windows, paths are handed to the system's wide functions,
// converted from the ANSI code page in the carrier's flavour of the library or from UTF-8 in
// firmpack's, so that no name a user types is narrowed to a code page (package/CMakeLists.txt);
// on POSIX they are the bytes the system takes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace package {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using FileStream = std::unique_ptr<std::FILE, FileCloser>;

struct TextFreer {
    void operator()(char* text) const { std::free(text); }
};
using TextBuffer = std::unique_ptr<char, TextFreer>;  // NUL-terminated, from malloc

FileStream OpenFile(const char* path, const char* mode);

bool RemoveFile(const char* path);

// Closes the stream and reports whether everything it buffered reached the file.
bool CloseFile(FileStream& stream);

// True when the stream reads an ordinary file (not a folder, a device or a pipe).
bool IsRegularFile(std::FILE* f);

// fseek/ftell on 64-bit positions (the 32-bit Windows runtime's long is 32 bits).
bool SeekFile(std::FILE* f, std::int64_t offset, int origin);
std::int64_t TellFile(std::FILE* f);

// True when `path` exists and is the very file that `open` reads (same device and
// inode, or same volume and file index): a name comparison would miss links and aliases.
bool IsSameFile(const char* path, std::FILE* open);

enum class PathKind { Missing, RegularFile, Other };  // Other: a folder, a device

PathKind KindOfPath(const char* path);

// Creates a new, empty file beside `path` for writing ("<path>.tmp<eight hex digits>"),
// exclusively: an existing file or link under the name is never opened or followed. Its name
// goes into `name`; an empty stream when none can be made (the folder is missing or may not
// be written).
FileStream CreateTemporaryBeside(const char* path, TextBuffer& name);

// Opens `path` for writing only if no file or link of that name exists yet.
FileStream CreateExclusive(const char* path);

// The temporary names' digits: no one can know them in advance (TemporaryNumber*.cpp).
std::uint32_t TemporaryNumber();

// Has the system start writing each few MiB to the device as soon as they are written, so
// that the final flush finds little left to do (Linux); elsewhere the flush does it all.
class WriteBehind {
public:
    explicit WriteBehind(std::FILE* f) : m_file(f) {}
    void Wrote(std::size_t count);

private:
    std::FILE* m_file;
    std::int64_t m_written = 0;
    std::int64_t m_started = 0;  // bytes handed to the device so far
};

// Flushes the stream down to the device, then closes it; false when any of it failed.
bool SyncAndClose(FileStream& stream);
bool SyncToDevice(std::FILE* f);

// Makes a rename into the folder of `path` durable (POSIX); nothing to do on Windows.
void SyncFolderOf(const char* path);

// Moves `from` onto `to`, replacing an existing `to` in one step.
bool RenameReplacing(const char* from, const char* to);

}  // namespace package
