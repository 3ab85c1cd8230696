#include "PackageReader.h"

#include <cerrno>
#include <cstring>

namespace package {

namespace {

// Payload bytes move through blocks of this size; memory use does not depend on N.
constexpr std::uint32_t kBlockSize = 64 * 1024;

}  // namespace

std::optional<PackageIdentity> CPackageReader::OpenSelf(const char* applicationName)
{
    // The name plus ".exe" and its terminator must fit the path buffer; a longer one
    // cannot be the carrier's own file.
    char path[kPathBufferSize] = {};
    const std::size_t length = std::strlen(applicationName);
    if (length + sizeof(".exe") > sizeof(path))
        return std::nullopt;
    std::memcpy(path, applicationName, length);
    std::memcpy(path + length, ".exe", sizeof(".exe"));
    return OpenPath(path);
}

std::optional<PackageIdentity> CPackageReader::OpenPath(const char* path)
{
    Close();
    m_openFailure = OpenFailure::None;
    m_openErrno = 0;
    errno = 0;
    m_package = OpenFile(path, "rb");
    if (!m_package) {
        const int error = errno;
        // Windows refuses to open a folder at all.
        const bool folder = KindOfPath(path) == PathKind::Other;
        errno = error;
        return FailToOpen(folder ? OpenFailure::NotAFile : OpenFailure::CannotOpen);
    }
    std::FILE* f = m_package.get();
    // A folder opens for reading on POSIX, and every read of it fails: no package is there.
    if (!IsRegularFile(f))
        return FailToOpen(OpenFailure::NotAFile);
    if (!SeekFile(f, 0, SEEK_END) || (m_fileSize = TellFile(f)) < 0)
        return FailToOpen(OpenFailure::CannotRead);
    m_layout = ReadPeLayout(f, m_fileSize);
    // A code signature appended behind the package: the trailer comes before it.
    m_packageEnd = PackageEnd(m_layout, m_fileSize);
    // A file shorter than the trailer reads it as zeros, which gives H = 0.
    DecimalField trailer;
    TextField label, target;
    if (!ReadFieldAt(m_packageEnd - kDecimalFieldSize, trailer.data(), trailer.size()))
        return FailToOpen(OpenFailure::CannotRead);
    m_header = ParseDecimalField(trailer);
    if (!ReadFieldAt(FieldPosition(kLabelOffset), label.data(), label.size()) ||
        !ReadFieldAt(FieldPosition(kTargetNameOffset), target.data(), target.size()))
        return FailToOpen(OpenFailure::CannotRead);

    PackageIdentity identity;
    identity.label = ParseTextField(label, false);
    identity.targetName = ParseTextField(target, true);
    m_targetName = identity.targetName;
    return identity;
}

std::optional<PackageIdentity> CPackageReader::FailToOpen(OpenFailure failure)
{
    m_openFailure = failure;
    m_openErrno = errno;
    Close();
    return std::nullopt;
}

ExtractResult CPackageReader::VerifyAndExtract()
{
    return VerifyAndExtractTo(m_targetName.data());
}

Verification CPackageReader::Verify(PayloadObserver* observer)
{
    Verification verification = ReadLength();
    if (verification.fits)
        PassOverPayload(verification, nullptr, observer);
    return verification;
}

ExtractResult CPackageReader::PredictResult(const Verification& verification, const TargetVerdict& target) const
{
    if (!m_package || target.result == ExtractResult::NoPackage)
        return ExtractResult::NoPackage;
    if (!verification.Matches())
        return ExtractResult::ChecksumMismatch;
    return target.result;
}

void CPackageReader::Close()
{
    m_package.reset();
}

// One pass: each block is read once, summed, unscrambled and written to a new file beside
// the target, which replaces the target only when the checksum matched and the file is on
// the disk. A target that cannot be written is known before anything is replaced; the sum
// still decides between a damaged package and an unwritable target.
ExtractResult CPackageReader::VerifyAndExtractTo(const char* path)
{
    if (!m_package)
        return ExtractResult::NoPackage;
    Verification verification = ReadLength();
    if (!verification.fits)
        return ExtractResult::ChecksumMismatch;

    const PathKind kind = KindOfPath(path);
    // A device (such as /dev/full) is written as it is, after the sum pass; our own file
    // never is, since replacing it would destroy the package.
    if (kind == PathKind::Other || IsSameFile(path, m_package.get())) {
        PassOverPayload(verification, nullptr, nullptr);
        if (!verification.Matches())
            return ExtractResult::ChecksumMismatch;
        return kind == PathKind::Other ? WriteDevice(path, verification) : ExtractResult::TargetNotWritable;
    }

    TextBuffer temporary;
    FileStream copy;
    // An existing target must be writable itself, not only its folder: a read-only file stays.
    // An empty name names no file at all.
    errno = 0;
    if (path[0] != '\0' && (kind == PathKind::Missing || OpenFile(path, "r+b")))
        copy = CreateTemporaryBeside(path, temporary);
    m_writeErrno = copy ? 0 : errno;
    const bool written = PassOverPayload(verification, copy.get(), nullptr);
    if (!copy)
        return verification.Matches() ? ExtractResult::TargetNotWritable : ExtractResult::ChecksumMismatch;

    ExtractResult result = ExtractResult::Extracted;
    if (!verification.Matches())
        result = ExtractResult::ChecksumMismatch;
    else if (!SyncAndClose(copy) || !written)
        result = ExtractResult::WriteFailed;
    else if (!RenameReplacing(temporary.get(), path))
        result = ExtractResult::WriteFailed;
    copy.reset();
    if (result != ExtractResult::Extracted) {
        RemoveFile(temporary.get());
        return result;
    }
    SyncFolderOf(path);
    return result;
}

ExtractResult CPackageReader::VerifyAndExtractInto(std::FILE* out)
{
    if (!m_package)
        return ExtractResult::NoPackage;
    Verification verification = ReadLength();
    if (!verification.fits)
        return ExtractResult::ChecksumMismatch;
    const bool written = PassOverPayload(verification, out, nullptr);
    if (!verification.Matches())
        return ExtractResult::ChecksumMismatch;
    return written && std::fflush(out) == 0 ? ExtractResult::Extracted : ExtractResult::WriteFailed;
}

// Reads a field at its own position; what lies before the file's start or past its end
// reads as zeros, so a negative header gives all-zero fields. False when the system failed
// to seek or read, which is no package at all rather than a short one.
bool CPackageReader::ReadFieldAt(std::int64_t position, std::uint8_t* bytes, std::size_t count)
{
    std::FILE* f = m_package.get();
    std::memset(bytes, 0, count);
    if (position < 0 || position >= m_fileSize)
        return true;
    if (!SeekFile(f, position, SEEK_SET))
        return false;
    const std::size_t got = std::fread(bytes, 1, count, f);
    return got == count || !std::ferror(f);
}

std::int64_t CPackageReader::FieldPosition(int offset) const
{
    return m_header < 0 ? -1 : std::int64_t{m_header} + offset;
}

// A length that reaches into the checksum field, the trailer or beyond the end of the
// file marks a damaged package: trusting it would write zeros or read for minutes. So
// does a header inside the executable image, where a cut or garbled trailer points
// (an unreadable trailer gives 0): no package starts there.
Verification CPackageReader::ReadLength()
{
    Verification verification;
    if (!m_package)
        return verification;
    DecimalField field;
    if (!ReadFieldAt(FieldPosition(kLengthOffset), field.data(), field.size()))
        return verification;
    verification.length = static_cast<std::uint32_t>(ParseDecimalField(field));
    verification.plainLength = IsPlainDecimalField(field);
    if (!verification.plainLength)
        return verification;
    if (m_header < 0) {
        verification.fits = true;  // every field reads as zero: no payload
    } else if (m_header >= m_layout.imageEnd) {
        const std::int64_t payload = std::int64_t{m_header} + kPayloadOffset;
        verification.fits = std::int64_t{verification.length} <= m_packageEnd - kTailSize - payload;
    }
    return verification;
}

// Sums the payload and, given a stream, writes its unscrambled bytes there; fills in the
// computed and stored checksums. No byte is ever invented: a payload read that comes up
// short is an I/O error, which leaves the package unverified. Returns whether every write
// succeeded; after a failed write the sum goes on, so that damage is still told apart.
bool CPackageReader::PassOverPayload(Verification& verification, std::FILE* out, PayloadObserver* observer)
{
    std::FILE* f = m_package.get();
    const std::int64_t payload = FieldPosition(kPayloadOffset);
    bool written = true;
    bool complete = payload < 0 || SeekFile(f, payload, SEEK_SET);
    std::uint8_t block[kBlockSize];
    std::uint32_t sum = 0;
    WriteBehind writeBehind(out);
    for (std::uint32_t left = verification.length; left > 0 && complete;) {
        const std::uint32_t want = left < kBlockSize ? left : kBlockSize;
        const std::size_t got = std::fread(block, 1, want, f);
        complete = got == want;
        sum = UnscrambleAndSum(sum, block, got);
        if (observer != nullptr)
            observer->Observe(block, got);
        if (out != nullptr && written) {
            written = std::fwrite(block, 1, got, out) == got;
            writeBehind.Wrote(got);
        }
        left -= want;
    }
    verification.readComplete = complete;
    verification.computedChecksum = sum;
    DecimalField stored;
    if (!ReadFieldAt(payload < 0 ? payload : payload + verification.length, stored.data(), stored.size()))
        verification.readComplete = false;
    verification.storedChecksum = static_cast<std::uint32_t>(ParseDecimalField(stored));
    return written;
}

ExtractResult CPackageReader::WriteDevice(const char* name, const Verification& verification)
{
    FileStream target = OpenFile(name, "wb");
    if (!target)
        return ExtractResult::TargetNotWritable;
    Verification again = verification;
    const bool written = PassOverPayload(again, target.get(), nullptr);
    return CloseFile(target) && written && again.Matches() ? ExtractResult::Extracted : ExtractResult::WriteFailed;
}

}  // namespace package
