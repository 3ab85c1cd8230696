// firmpack's view of a carrier: its layout, the checksum pass alone, the result the carrier
// would reach, and extraction to another name or into an open stream.
#pragma once

#include <cstdio>
#include <optional>

#include "ExtractResult.h"
#include "PackageFile.h"
#include "TargetVerdict.h"

namespace package {

// Calling order: OpenPath once; then any of the others; Close last.
class PackageExaminer {
public:
    // Opens a package at `path`, as FileStream.h takes paths.
    std::optional<PackageIdentity> OpenPath(const char* path);
    // After OpenPath returned none: why, and the C library's error number then (0: none).
    OpenFailure LastOpenFailure() const { return m_openFailure; }
    int LastOpenErrno() const { return m_openErrno; }

    // The checksum pass alone (shown each payload block when an observer is given), and the
    // result the upgrade would reach from it, without opening the target: the target name's
    // verdict says what the carrier answers.
    Verification Verify(PayloadObserver* observer = nullptr);
    ExtractResult PredictResult(const Verification& verification, const TargetVerdict& target) const;

    // Writes the firmware as the carrier does, under another name (a path as FileStream.h takes it).
    ExtractResult VerifyAndExtractTo(const char* path);
    // The same pass into an open stream (standard output): its bytes go out as they are
    // read, so a damaged package is known only at the end.
    ExtractResult VerifyAndExtractInto(std::FILE* out);
    // After TargetNotWritable: the C library's error number when the target was opened (0: none).
    int LastWriteErrno() const { return m_writeErrno; }
    void Close() { m_package.Close(); }

    std::int32_t HeaderPosition() const { return m_package.HeaderPosition(); }
    std::int64_t FileSize() const { return m_package.FileSize(); }
    const PeLayout& Layout() const { return m_package.Layout(); }
    std::int64_t PackageEndPosition() const { return m_package.PackageEndPosition(); }

private:
    PackageFile m_package;
    OpenFailure m_openFailure = OpenFailure::None;
    int m_openErrno = 0;
    int m_writeErrno = 0;
};

}  // namespace package
