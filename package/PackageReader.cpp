#include "PackageReader.h"

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
    m_package = OpenFile(path, "rb");
    if (!m_package)
        return std::nullopt;
    std::FILE* f = m_package.get();

    SeekFile(f, 0, SEEK_END);
    m_fileSize = TellFile(f);
    m_layout = ReadPeLayout(f, m_fileSize);
    // A code signature appended behind the package: the trailer comes before it.
    m_packageEnd = PackageEnd(m_layout, m_fileSize);
    // A file shorter than the trailer reads it as zeros, which gives H = 0.
    DecimalField trailer;
    ReadFieldAt(m_packageEnd - kDecimalFieldSize, trailer.data(), trailer.size());
    m_header = ParseDecimalField(trailer);

    PackageIdentity identity;
    TextField field;
    ReadFieldAt(FieldPosition(kLabelOffset), field.data(), field.size());
    identity.label = ParseTextField(field, false);
    ReadFieldAt(FieldPosition(kTargetNameOffset), field.data(), field.size());
    identity.targetName = ParseTextField(field, true);
    m_targetName = identity.targetName;
    return identity;
}

ExtractResult CPackageReader::VerifyAndExtract()
{
    return VerifyAndExtractTo(m_targetName.data());
}

Verification CPackageReader::Verify()
{
    Verification verification = ReadLength();
    if (verification.fits)
        PassOverPayload(verification, nullptr);
    return verification;
}

ExtractResult CPackageReader::PredictResult(const Verification& verification) const
{
    if (!m_package)
        return ExtractResult::NoPackage;
    if (!verification.Matches())
        return ExtractResult::ChecksumMismatch;
    // An empty name can never be opened; any other depends on the folder the carrier runs in.
    if (m_targetName[0] == '\0' || IsSameFile(m_targetName.data(), m_package.get()))
        return ExtractResult::TargetNotWritable;
    return ExtractResult::Extracted;
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
        PassOverPayload(verification, nullptr);
        if (!verification.Matches())
            return ExtractResult::ChecksumMismatch;
        return kind == PathKind::Other ? WriteDevice(path, verification) : ExtractResult::TargetNotWritable;
    }

    char temporary[kPathBufferSize];
    FileStream copy;
    // An existing target must be writable itself, not only its folder: a read-only file stays.
    // An empty name names no file at all.
    if (path[0] != '\0' && (kind == PathKind::Missing || OpenFile(path, "r+b")))
        copy = CreateTemporaryBeside(path, temporary, sizeof(temporary));
    const bool written = PassOverPayload(verification, copy.get());
    if (!copy)
        return verification.Matches() ? ExtractResult::TargetNotWritable : ExtractResult::ChecksumMismatch;

    ExtractResult result = ExtractResult::Extracted;
    if (!verification.Matches())
        result = ExtractResult::ChecksumMismatch;
    else if (!SyncAndClose(copy) || !written)
        result = ExtractResult::WriteFailed;
    else if (!RenameReplacing(temporary, path))
        result = ExtractResult::WriteFailed;
    copy.reset();
    if (result != ExtractResult::Extracted) {
        std::remove(temporary);
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
    const bool written = PassOverPayload(verification, out);
    if (!verification.Matches())
        return ExtractResult::ChecksumMismatch;
    return written && std::fflush(out) == 0 ? ExtractResult::Extracted : ExtractResult::WriteFailed;
}

// Reads a field at its own position; what lies before the file's start or past its end
// reads as zeros, so a negative header gives all-zero fields.
void CPackageReader::ReadFieldAt(std::int64_t position, std::uint8_t* bytes, std::size_t count)
{
    std::memset(bytes, 0, count);
    if (position >= 0 && SeekFile(m_package.get(), position, SEEK_SET))
        std::fread(bytes, 1, count, m_package.get());
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
    ReadFieldAt(FieldPosition(kLengthOffset), field.data(), field.size());
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
bool CPackageReader::PassOverPayload(Verification& verification, std::FILE* out)
{
    std::FILE* f = m_package.get();
    const std::int64_t payload = FieldPosition(kPayloadOffset);
    bool written = true;
    bool complete = payload < 0 || SeekFile(f, payload, SEEK_SET);
    std::uint8_t block[kBlockSize];
    std::uint32_t sum = 0;
    for (std::uint32_t left = verification.length; left > 0 && complete;) {
        const std::uint32_t count = left < kBlockSize ? left : kBlockSize;
        complete = std::fread(block, 1, count, f) == count;
        sum = UnscrambleAndSum(sum, block, count);
        if (out != nullptr && written)
            written = std::fwrite(block, 1, count, out) == count;
        left -= count;
    }
    verification.readComplete = complete;
    verification.computedChecksum = sum;
    DecimalField stored;
    ReadFieldAt(payload < 0 ? payload : payload + verification.length, stored.data(), stored.size());
    verification.storedChecksum = static_cast<std::uint32_t>(ParseDecimalField(stored));
    return written;
}

ExtractResult CPackageReader::WriteDevice(const char* name, const Verification& verification)
{
    FileStream target = OpenFile(name, "wb");
    if (!target)
        return ExtractResult::TargetNotWritable;
    Verification again = verification;
    const bool written = PassOverPayload(again, target.get());
    return CloseFile(target) && written && again.Matches() ? ExtractResult::Extracted : ExtractResult::WriteFailed;
}

}  // namespace package
