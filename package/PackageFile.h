// The package at the end of an open file: where it lies, its fields each read at its own
// position, and the one pass over the payload that decides the checksum. The carrier's
// reader and firmpack's examiner both stand on it, so they never disagree about a byte.
#pragma once

#include <cstdint>
#include <optional>

#include "FieldRules.h"
#include "FileStream.h"
#include "PeImage.h"

namespace package {

struct PackageIdentity {
    FieldText label;
    FieldText targetName;
};

// What the checksum pass found. When the length does not fit the file, nothing else was read.
struct Verification {
    std::uint32_t length = 0;
    bool plainLength = false;  // the length field holds a number and nothing else
    bool fits = false;         // ... and the payload lies inside the package
    std::uint32_t computedChecksum = 0;
    std::uint32_t storedChecksum = 0;
    bool readComplete = false;  // every payload byte was read (a file that shrank is not)

    bool Matches() const { return fits && readComplete && computedChecksum == storedChecksum; }
};

// Why a file holds no package stream.
enum class OpenFailure {
    None,
    CannotOpen,  // no such file, or no right to read it
    NotAFile,    // a folder, a device or a pipe
    CannotRead,  // it opened, but seeking or reading it failed
};

// Sees the unscrambled payload block by block as the checksum pass reads it (a digest).
class PayloadObserver {
public:
    virtual void Observe(const std::uint8_t* bytes, std::size_t count) = 0;

protected:
    ~PayloadObserver() = default;
};

class PackageFile {
public:
    // Opens `path` (as FileStream.h takes paths) and reads where the package lies and its
    // identity. On failure the file is closed and errno is the C library's reason then.
    OpenFailure Open(const char* path);
    void Close() { m_file.reset(); }
    bool IsOpen() const { return m_file != nullptr; }
    std::FILE* Stream() const { return m_file.get(); }

    const PackageIdentity& Identity() const { return m_identity; }
    std::int32_t HeaderPosition() const { return m_header; }
    std::int64_t FileSize() const { return m_fileSize; }
    const PeLayout& Layout() const { return m_layout; }
    std::int64_t PackageEndPosition() const { return m_packageEnd; }

    // The length field, and whether the payload it declares lies inside the package.
    Verification ReadLength();
    // Sums the payload and, given a stream, writes its unscrambled bytes there (shown to the
    // observer too, when one is given); fills in both checksums. Returns whether every write
    // succeeded.
    bool PassOverPayload(Verification& verification, std::FILE* out, PayloadObserver* observer);

private:
    OpenFailure Fail(OpenFailure failure);
    bool ReadFieldAt(std::int64_t position, std::uint8_t* bytes, std::size_t count);
    std::int64_t FieldPosition(int offset) const;

    FileStream m_file;
    PackageIdentity m_identity{};
    std::int32_t m_header = 0;
    std::int64_t m_fileSize = 0;
    PeLayout m_layout;              // of the executable image the package is appended to
    std::int64_t m_packageEnd = 0;  // the end of the file, or where its signature begins
};

}  // namespace package
