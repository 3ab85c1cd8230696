// Finds, identifies, verifies and extracts the package at the end of a file.
#pragma once

#include <cstdint>
#include <optional>

#include "ExtractResult.h"
#include "FieldRules.h"
#include "FileStream.h"
#include "PeImage.h"
#include "TargetVerdict.h"

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

// Why OpenPath found no package stream.
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

// Calling order: OpenSelf (or OpenPath) once; then VerifyAndExtract followed by Close,
// or Close alone. The stream stays open between the calls; every field is read at its
// own position.
class CPackageReader {
public:
    // Opens "<applicationName>.exe" in the working directory, as the carrier does.
    std::optional<PackageIdentity> OpenSelf(const char* applicationName);
    // Opens a package at an explicit path, as FileStream.h takes paths (the packer and the tests).
    std::optional<PackageIdentity> OpenPath(const char* path);
    // After OpenPath returned none: why, and the C library's error number then (0: none).
    OpenFailure LastOpenFailure() const { return m_openFailure; }
    int LastOpenErrno() const { return m_openErrno; }

    // Writes the carried firmware under its target name, relative to the working directory
    // (a name as the carrier holds it: in the ANSI code page on Windows).
    ExtractResult VerifyAndExtract();
    // The same, under another name (firmpack extract --output), a path as FileStream.h takes it.
    ExtractResult VerifyAndExtractTo(const char* path);
    // The same pass into an open stream (standard output): its bytes go out as they are
    // read, so a damaged package is known only at the end.
    ExtractResult VerifyAndExtractInto(std::FILE* out);
    // After TargetNotWritable: the C library's error number when the target was opened (0: none).
    int LastWriteErrno() const { return m_writeErrno; }
    void Close();

    // Instead of VerifyAndExtract, for inspection: the checksum pass alone (shown each
    // payload block when an observer is given), and the result the upgrade would reach from
    // it, without opening the target: the target name's verdict says what the carrier answers.
    Verification Verify(PayloadObserver* observer = nullptr);
    ExtractResult PredictResult(const Verification& verification, const TargetVerdict& target) const;

    std::int32_t HeaderPosition() const { return m_header; }
    std::int64_t FileSize() const { return m_fileSize; }
    const PeLayout& Layout() const { return m_layout; }
    std::int64_t PackageEndPosition() const { return m_packageEnd; }

private:
    std::optional<PackageIdentity> FailToOpen(OpenFailure failure);
    bool ReadFieldAt(std::int64_t position, std::uint8_t* bytes, std::size_t count);
    std::int64_t FieldPosition(int offset) const;
    Verification ReadLength();
    bool PassOverPayload(Verification& verification, std::FILE* out, PayloadObserver* observer);
    ExtractResult WriteDevice(const char* name, const Verification& verification);

    FileStream m_package;
    OpenFailure m_openFailure = OpenFailure::None;
    int m_openErrno = 0;
    int m_writeErrno = 0;
    std::int32_t m_header = 0;
    std::int64_t m_fileSize = 0;
    PeLayout m_layout;             // of the executable image the package is appended to
    std::int64_t m_packageEnd = 0;  // the end of the file, or where its signature begins
    FieldText m_targetName{};
};

}  // namespace package
