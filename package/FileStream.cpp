#include "FileStream.h"

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <cstring>

namespace package {

namespace {

unsigned long ProcessId()
{
#ifdef _WIN32
    return GetCurrentProcessId();
#else
    return static_cast<unsigned long>(getpid());
#endif
}

}  // namespace

bool TemporaryNameBeside(const char* path, char* out, std::size_t size)
{
    char digits[24];
    int count = 0;
    for (unsigned long id = ProcessId(); id > 0 || count == 0; id /= 10)
        digits[count++] = static_cast<char>('0' + id % 10);
    const std::size_t length = std::strlen(path);
    if (length + 4 + count + 1 > size)
        return false;
    std::memcpy(out, path, length);
    std::memcpy(out + length, ".tmp", 4);
    for (int i = 0; i < count; ++i)
        out[length + 4 + i] = digits[count - 1 - i];
    out[length + 4 + count] = '\0';
    return true;
}

FileStream OpenFile(const char* path, const char* mode)
{
    return FileStream(std::fopen(path, mode));
}

bool CloseFile(FileStream& stream)
{
    std::FILE* f = stream.release();
    if (f == nullptr)
        return true;
    const bool flushed = std::fflush(f) == 0 && !std::ferror(f);
    return std::fclose(f) == 0 && flushed;
}

#ifdef _WIN32

bool SeekFile(std::FILE* f, std::int64_t offset, int origin)
{
    return _fseeki64(f, offset, origin) == 0;
}

std::int64_t TellFile(std::FILE* f)
{
    return _ftelli64(f);
}

namespace {

bool Identify(HANDLE h, BY_HANDLE_FILE_INFORMATION& info)
{
    return h != INVALID_HANDLE_VALUE && GetFileInformationByHandle(h, &info) != 0;
}

}  // namespace

bool IsSameFile(const char* path, std::FILE* open)
{
    BY_HANDLE_FILE_INFORMATION a, b;
    if (!Identify(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(open))), a))
        return false;
    // No access rights asked: this only looks, it never opens for reading or writing.
    HANDLE h = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    const bool known = Identify(h, b);
    if (h != INVALID_HANDLE_VALUE)
        CloseHandle(h);
    return known && a.dwVolumeSerialNumber == b.dwVolumeSerialNumber &&
           a.nFileIndexHigh == b.nFileIndexHigh && a.nFileIndexLow == b.nFileIndexLow;
}

PathKind KindOfPath(const char* path)
{
    const DWORD attributes = GetFileAttributesA(path);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return PathKind::Other;
    // A device may have no attributes at all, or look like a file by them: its handle tells.
    HANDLE h = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return attributes == INVALID_FILE_ATTRIBUTES ? PathKind::Missing : PathKind::RegularFile;
    const DWORD type = GetFileType(h);
    CloseHandle(h);
    return type == FILE_TYPE_DISK ? PathKind::RegularFile : PathKind::Other;
}

bool RenameReplacing(const char* from, const char* to)
{
    return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING) != 0;
}

#else

bool SeekFile(std::FILE* f, std::int64_t offset, int origin)
{
    return fseeko(f, static_cast<off_t>(offset), origin) == 0;
}

std::int64_t TellFile(std::FILE* f)
{
    return ftello(f);
}

bool IsSameFile(const char* path, std::FILE* open)
{
    struct stat a, b;
    return fstat(fileno(open), &a) == 0 && stat(path, &b) == 0 && a.st_dev == b.st_dev &&
           a.st_ino == b.st_ino;
}

PathKind KindOfPath(const char* path)
{
    struct stat st;
    if (stat(path, &st) != 0)
        return PathKind::Missing;
    return S_ISREG(st.st_mode) ? PathKind::RegularFile : PathKind::Other;
}

bool RenameReplacing(const char* from, const char* to)
{
    return std::rename(from, to) == 0;
}

#endif

}  // namespace package
