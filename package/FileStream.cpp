// What every platform does the same way; FileStreamPosix.cpp and FileStreamWindows.cpp hold
// the rest.
#include "FileStream.h"

#include <cerrno>
#include <cstring>

namespace package {

namespace {

// Attempts at a free temporary name before giving up (each collision is a file someone
// else made, or planted, under the name).
constexpr int kTemporaryAttempts = 16;

}  // namespace

FileStream CreateTemporaryBeside(const char* path, TextBuffer& name)
{
    char suffix[] = ".tmp00000000";
    const std::size_t length = std::strlen(path);
    name.reset(static_cast<char*>(std::malloc(length + sizeof(suffix))));
    if (!name)
        return FileStream();
    for (int attempt = 0; attempt < kTemporaryAttempts; ++attempt) {
        std::uint32_t number = TemporaryNumber();
        for (char* digit = suffix + sizeof(suffix) - 2; digit > suffix + 3; --digit, number >>= 4)
            *digit = "0123456789abcdef"[number & 0xF];
        std::memcpy(name.get(), path, length);
        std::memcpy(name.get() + length, suffix, sizeof(suffix));
        FileStream file = CreateExclusive(name.get());
        if (file || errno != EEXIST)
            return file;
    }
    return FileStream();
}

bool SyncAndClose(FileStream& stream)
{
    std::FILE* f = stream.get();
    const bool synced = f == nullptr || (std::fflush(f) == 0 && !std::ferror(f) && SyncToDevice(f));
    return CloseFile(stream) && synced;
}

bool CloseFile(FileStream& stream)
{
    std::FILE* f = stream.release();
    if (f == nullptr)
        return true;
    const bool flushed = std::fflush(f) == 0 && !std::ferror(f);
    return std::fclose(f) == 0 && flushed;
}

}  // namespace package
