// Paths are the bytes the system takes.
#include "FileStream.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace package {

namespace {

// Write-back starts once this much has been written since it last started.
constexpr std::int64_t kWriteBehindStep = 8 << 20;

}  // namespace

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

bool SyncToDevice(std::FILE* f)
{
    // Devices and pipes cannot be synced; what they were given is all there is.
    return fsync(fileno(f)) == 0 || errno == EINVAL || errno == EROFS;
}

// Starts the device write of what was written since the last start without waiting for it,
// and waits for what was started before, so that dirty pages never pile up. Failures here
// only cost speed: the final fsync still decides. Pipes refuse it.
void WriteBehind::Wrote(std::size_t count)
{
    m_written += static_cast<std::int64_t>(count);
    if (m_written - m_started < kWriteBehindStep || std::fflush(m_file) != 0)
        return;
    const int fd = fileno(m_file);
    sync_file_range(fd, m_started, m_written - m_started, SYNC_FILE_RANGE_WRITE);
    if (m_started > 0)
        sync_file_range(fd, 0, m_started,
                        SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE | SYNC_FILE_RANGE_WAIT_AFTER);
    m_started = m_written;
}

}  // namespace package
