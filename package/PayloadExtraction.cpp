#include "PayloadExtraction.h"

#include <cerrno>

namespace package {

namespace {

ExtractResult WriteDevice(PackageFile& package, const char* name, const Verification& verification)
{
    FileStream target = OpenFile(name, "wb");
    if (!target)
        return ExtractResult::TargetNotWritable;
    Verification again = verification;
    const bool written = package.PassOverPayload(again, target.get(), nullptr);
    return CloseFile(target) && written && again.Matches() ? ExtractResult::Extracted : ExtractResult::WriteFailed;
}

}  // namespace

// One pass: each block is read once, summed, unscrambled and written to a new file beside
// the target, which replaces the target only when the checksum matched and the file is on
// the disk. A target that cannot be written is known before anything is replaced; the sum
// still decides between a damaged package and an unwritable target.
ExtractResult ExtractPayloadTo(PackageFile& package, const char* path, int& writeErrno)
{
    writeErrno = 0;
    if (!package.IsOpen())
        return ExtractResult::NoPackage;
    Verification verification = package.ReadLength();
    if (!verification.fits)
        return ExtractResult::ChecksumMismatch;

    const PathKind kind = KindOfPath(path);
    // A device (such as /dev/full) is written as it is, after the sum pass; our own file
    // never is, since replacing it would destroy the package.
    if (kind == PathKind::Other || IsSameFile(path, package.Stream())) {
        package.PassOverPayload(verification, nullptr, nullptr);
        if (!verification.Matches())
            return ExtractResult::ChecksumMismatch;
        return kind == PathKind::Other ? WriteDevice(package, path, verification) : ExtractResult::TargetNotWritable;
    }

    TextBuffer temporary;
    FileStream copy;
    // An existing target must be writable itself, not only its folder: a read-only file stays.
    // An empty name names no file at all.
    errno = 0;
    if (path[0] != '\0' && (kind == PathKind::Missing || OpenFile(path, "r+b")))
        copy = CreateTemporaryBeside(path, temporary);
    writeErrno = copy ? 0 : errno;
    const bool written = package.PassOverPayload(verification, copy.get(), nullptr);
    if (!copy)
        return verification.Matches() ? ExtractResult::TargetNotWritable : ExtractResult::ChecksumMismatch;

    ExtractResult result = ExtractResult::Extracted;
    if (!verification.Matches())
        result = ExtractResult::ChecksumMismatch;
    else if (!SyncAndClose(copy) || !written || !RenameReplacing(temporary.get(), path))
        result = ExtractResult::WriteFailed;
    copy.reset();
    if (result != ExtractResult::Extracted) {
        RemoveFile(temporary.get());
        return result;
    }
    SyncFolderOf(path);
    return result;
}

}  // namespace package
