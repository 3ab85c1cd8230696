#include "FileStream.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <cerrno>
#include <cstring>
#include <ctime>

namespace package {

namespace {

// Attempts at a free temporary name before giving up (each collision is a file someone
// else made, or planted, under the name).
constexpr int kTemporaryAttempts = 16;

// Opens `path` for writing only if no file or link of that name exists yet.
FileStream CreateExclusive(const char* path);

// Digits no one can know in advance: the process id mixed with a fine clock and a counter.
std::uint32_t UnpredictableNumber();

NumberSource g_numberSource = &UnpredictableNumber;

// Write-back starts once this much has been written since it last started.
constexpr std::int64_t kWriteBehindStep = 8 << 20;

// Starts the device write of bytes [from, to) without waiting for it, and waits for what was
// started before `from`, so that dirty pages never pile up.
void StartDeviceWrite(std::FILE* f, std::int64_t from, std::int64_t to);

bool SyncToDevice(std::FILE* f);

}  // namespace

FileStream CreateTemporaryBeside(const char* path, TextBuffer& name)
{
    char suffix[] = ".tmp00000000";
    const std::size_t length = std::strlen(path);
    name.reset(static_cast<char*>(std::malloc(length + sizeof(suffix))));
    if (!name)
        return FileStream();
    for (int attempt = 0; attempt < kTemporaryAttempts; ++attempt) {
        std::uint32_t number = g_numberSource();
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

void SetTemporaryNumberSource(NumberSource source)
{
    g_numberSource = source != nullptr ? source : &UnpredictableNumber;
}

void WriteBehind::Wrote(std::size_t count)
{
    m_written += static_cast<std::int64_t>(count);
    if (m_written - m_started < kWriteBehindStep || std::fflush(m_file) != 0)
        return;
    StartDeviceWrite(m_file, m_started, m_written);
    m_started = m_written;
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

#ifdef _WIN32

namespace {

UINT g_pathCodePage = CP_ACP;

// A path as the wide functions take it; empty when it does not convert.
class Wide {
public:
    explicit Wide(const char* path)
    {
        const int size = MultiByteToWideChar(g_pathCodePage, 0, path, -1, nullptr, 0);
        m_text = size > 0 ? static_cast<wchar_t*>(std::calloc(static_cast<std::size_t>(size), sizeof(wchar_t))) : nullptr;
        if (m_text != nullptr)
            MultiByteToWideChar(g_pathCodePage, 0, path, -1, m_text, size);
    }
    ~Wide() { std::free(m_text); }
    Wide(const Wide&) = delete;
    Wide& operator=(const Wide&) = delete;
    const wchar_t* c_str() const { return m_text != nullptr ? m_text : L""; }

private:
    wchar_t* m_text;
};

}  // namespace

void UsePathsInUtf8()
{
    g_pathCodePage = CP_UTF8;
}

FileStream OpenFile(const char* path, const char* mode)
{
    wchar_t wideMode[8] = {};
    for (std::size_t i = 0; i + 1 < sizeof(wideMode) / sizeof(wideMode[0]) && mode[i] != '\0'; ++i)
        wideMode[i] = static_cast<wchar_t>(mode[i]);  // "rb", "wb": ASCII
    return FileStream(_wfopen(Wide(path).c_str(), wideMode));
}

bool RemoveFile(const char* path)
{
    return DeleteFileW(Wide(path).c_str()) != 0;
}

// Through fgetpos and fsetpos, whose positions msvcrt.dll keeps in 64 bits: the static
// runtime's _fseeki64 and _ftelli64 are an emulation of the same that brings unwind tables
// into the carrier.
bool SeekFile(std::FILE* f, std::int64_t offset, int origin)
{
    fpos_t position = 0;
    if (origin == SEEK_END) {
        if (std::fflush(f) != 0 || (position = _filelengthi64(_fileno(f))) < 0)
            return false;
    } else if (origin == SEEK_CUR && std::fgetpos(f, &position) != 0) {
        return false;
    }
    position += offset;
    return position >= 0 && std::fsetpos(f, &position) == 0;
}

std::int64_t TellFile(std::FILE* f)
{
    fpos_t position = 0;
    return std::fgetpos(f, &position) == 0 ? position : -1;
}

bool IsRegularFile(std::FILE* f)
{
    return GetFileType(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(f)))) == FILE_TYPE_DISK;
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
    HANDLE h = CreateFileW(Wide(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    const bool known = Identify(h, b);
    if (h != INVALID_HANDLE_VALUE)
        CloseHandle(h);
    return known && a.dwVolumeSerialNumber == b.dwVolumeSerialNumber &&
           a.nFileIndexHigh == b.nFileIndexHigh && a.nFileIndexLow == b.nFileIndexLow;
}

PathKind KindOfPath(const char* path)
{
    const DWORD attributes = GetFileAttributesW(Wide(path).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return PathKind::Other;
    // A device may have no attributes at all, or look like a file by them: its handle tells.
    HANDLE h = CreateFileW(Wide(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return attributes == INVALID_FILE_ATTRIBUTES ? PathKind::Missing : PathKind::RegularFile;
    const DWORD type = GetFileType(h);
    CloseHandle(h);
    return type == FILE_TYPE_DISK ? PathKind::RegularFile : PathKind::Other;
}

bool RenameReplacing(const char* from, const char* to)
{
    const Wide source(from), target(to);
    // An existing target keeps its security, attributes and creation time. Where the replace
    // fails, part-way too, a move still puts the new bytes under the target's name; it goes
    // through to the disk before we report success.
    if (GetFileAttributesW(target.c_str()) != INVALID_FILE_ATTRIBUTES &&
        ReplaceFileW(target.c_str(), source.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr))
        return true;
    return MoveFileExW(source.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

void SyncFolderOf(const char*) {}

namespace {

FileStream CreateExclusive(const char* path)
{
    HANDLE h = CreateFileW(Wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        const bool missing = error == ERROR_PATH_NOT_FOUND || error == ERROR_FILE_NOT_FOUND;
        errno = error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS ? EEXIST : missing ? ENOENT : EACCES;
        return FileStream();
    }
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(h), _O_WRONLY | _O_BINARY);
    if (fd < 0) {
        CloseHandle(h);
        return FileStream();
    }
    FileStream file(_fdopen(fd, "wb"));
    if (!file)
        _close(fd);
    return file;
}

std::uint32_t UnpredictableNumber()
{
    static std::uint32_t counter = 0;
    LARGE_INTEGER ticks;
    QueryPerformanceCounter(&ticks);
    return (GetCurrentProcessId() * 2654435761u) ^ static_cast<std::uint32_t>(ticks.QuadPart) ^
           (++counter * 40503u);
}

bool SyncToDevice(std::FILE* f)
{
    return FlushFileBuffers(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(f)))) != 0;
}

void StartDeviceWrite(std::FILE*, std::int64_t, std::int64_t) {}

}  // namespace

#else

void UsePathsInUtf8() {}

FileStream OpenFile(const char* path, const char* mode)
{
    return FileStream(std::fopen(path, mode));
}

bool RemoveFile(const char* path)
{
    return std::remove(path) == 0;
}

bool SeekFile(std::FILE* f, std::int64_t offset, int origin)
{
    return fseeko(f, static_cast<off_t>(offset), origin) == 0;
}

std::int64_t TellFile(std::FILE* f)
{
    return ftello(f);
}

bool IsRegularFile(std::FILE* f)
{
    struct stat st;
    return fstat(fileno(f), &st) == 0 && S_ISREG(st.st_mode);
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
    // A replaced file keeps its permission bits, and its owner and group where we may set them.
    struct stat old;
    if (stat(to, &old) == 0 && S_ISREG(old.st_mode)) {
        const bool owned =
            chown(from, old.st_uid, old.st_gid) == 0 || chown(from, static_cast<uid_t>(-1), old.st_gid) == 0;
        chmod(from, old.st_mode & (owned ? 07777 : 0777));  // no set-id bits for someone else's file
    }
    return std::rename(from, to) == 0;
}

void SyncFolderOf(const char* path)
{
    char folder[4096] = ".";
    const char* slash = std::strrchr(path, '/');
    const std::size_t length = slash == nullptr ? 0 : slash == path ? 1 : static_cast<std::size_t>(slash - path);
    if (length >= sizeof(folder))
        return;
    if (length > 0) {
        std::memcpy(folder, path, length);
        folder[length] = '\0';
    }
    const int fd = open(folder, O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
}

namespace {

FileStream CreateExclusive(const char* path)
{
    // O_EXCL with O_CREAT fails on an existing name, a link included, without following it.
    const int fd = open(path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0)
        return FileStream();
    FileStream file(fdopen(fd, "wb"));
    if (!file)
        close(fd);
    return file;
}

std::uint32_t UnpredictableNumber()
{
    static std::uint32_t counter = 0;
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (static_cast<std::uint32_t>(getpid()) * 2654435761u) ^ static_cast<std::uint32_t>(now.tv_nsec) ^
           static_cast<std::uint32_t>(now.tv_sec) ^ (++counter * 40503u);
}

bool SyncToDevice(std::FILE* f)
{
    // Devices and pipes cannot be synced; what they were given is all there is.
    return fsync(fileno(f)) == 0 || errno == EINVAL || errno == EROFS;
}

void StartDeviceWrite(std::FILE* f, std::int64_t from, std::int64_t to)
{
    // Failures here only cost speed: the final fsync still decides. Pipes refuse it.
    const int fd = fileno(f);
    sync_file_range(fd, from, to - from, SYNC_FILE_RANGE_WRITE);
    if (from > 0)
        sync_file_range(fd, 0, from, SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE | SYNC_FILE_RANGE_WAIT_AFTER);
}

}  // namespace

#endif

}  // namespace package
