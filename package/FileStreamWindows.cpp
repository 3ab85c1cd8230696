// Paths go to the system's wide functions, converted from the code page the library's
// flavour reads paths in (PACKAGE_PATH_CODE_PAGE, set in package/CMakeLists.txt).
#include "FileStream.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cerrno>

namespace package {

namespace {

// A path as the wide functions take it; empty when it does not convert.
class Wide {
public:
    explicit Wide(const char* path)
    {
        const int size = MultiByteToWideChar(PACKAGE_PATH_CODE_PAGE, 0, path, -1, nullptr, 0);
        m_text = size > 0 ? static_cast<wchar_t*>(std::calloc(static_cast<std::size_t>(size), sizeof(wchar_t))) : nullptr;
        if (m_text != nullptr)
            MultiByteToWideChar(PACKAGE_PATH_CODE_PAGE, 0, path, -1, m_text, size);
    }
    ~Wide() { std::free(m_text); }
    Wide(const Wide&) = delete;
    Wide& operator=(const Wide&) = delete;
    const wchar_t* c_str() const { return m_text != nullptr ? m_text : L""; }

private:
    wchar_t* m_text;
};

HANDLE HandleOf(std::FILE* f)
{
    return reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(f)));
}

bool Identify(HANDLE h, BY_HANDLE_FILE_INFORMATION& info)
{
    return h != INVALID_HANDLE_VALUE && GetFileInformationByHandle(h, &info) != 0;
}

}  // namespace

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
    return GetFileType(HandleOf(f)) == FILE_TYPE_DISK;
}

bool IsSameFile(const char* path, std::FILE* open)
{
    BY_HANDLE_FILE_INFORMATION a, b;
    if (!Identify(HandleOf(open), a))
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
    const Wide wide(path);
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return PathKind::Other;
    // A device may have no attributes at all, or look like a file by them: its handle tells.
    HANDLE h = CreateFileW(wide.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
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

bool SyncToDevice(std::FILE* f)
{
    return FlushFileBuffers(HandleOf(f)) != 0;
}

void WriteBehind::Wrote(std::size_t) {}

}  // namespace package
