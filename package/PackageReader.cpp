#include "PackageReader.h"

#include <cstring>

namespace package {

namespace {

// Payload bytes move through blocks of this size; memory use does not depend on N.
constexpr std::uint32_t kBlockSize = 64 * 1024;

// Reads `count` bytes; whatever lies past the end of the file reads as zeros.
void ReadZeroFilled(std::FILE* f, std::uint8_t* bytes, std::size_t count)
{
    const std::size_t got = std::fread(bytes, 1, count, f);
    std::memset(bytes + got, 0, count - got);
}

DecimalField ReadDecimalBytes(std::FILE* f)
{
    DecimalField field;
    ReadZeroFilled(f, field.data(), field.size());
    return field;
}

std::int32_t ReadDecimalField(std::FILE* f)
{
    return ParseDecimalField(ReadDecimalBytes(f));
}

FieldText ReadTextField(std::FILE* f, bool scrambled)
{
    TextField field;
    ReadZeroFilled(f, field.data(), field.size());
    return ParseTextField(field, scrambled);
}

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

    // A file shorter than the trailer fails the second seek and reads the trailer as
    // zeros from its end, which gives H = 0.
    SeekFile(f, 0, SEEK_END);
    m_fileSize = TellFile(f);
    m_layout = ReadPeLayout(f, m_fileSize);
    // A code signature appended behind the package: the trailer comes before it.
    m_packageEnd = PackageEnd(m_layout, m_fileSize);
    SeekFile(f, 0, SEEK_END);
    SeekFile(f, m_packageEnd - m_fileSize - kDecimalFieldSize, SEEK_END);
    m_header = ReadDecimalField(f);

    // A negative H fails the seek and leaves the position at the end: every later field
    // then reads as zeros.
    SeekFile(f, m_header, SEEK_SET);
    PackageIdentity identity;
    identity.label = ReadTextField(f, false);
    identity.targetName = ReadTextField(f, true);
    m_targetName = identity.targetName;
    return identity;
}

ExtractResult CPackageReader::VerifyAndExtract()
{
    if (!m_package)
        return ExtractResult::NoPackage;
    const Verification verification = Verify();
    if (!verification.Matches())
        return ExtractResult::ChecksumMismatch;
    SeekFile(m_package.get(), std::int64_t{m_header} + kPayloadOffset, SEEK_SET);
    return WriteTarget(verification.length);
}

Verification CPackageReader::Verify()
{
    Verification verification;
    if (!m_package)
        return verification;
    const DecimalField lengthField = ReadDecimalBytes(m_package.get());
    verification.length = static_cast<std::uint32_t>(ParseDecimalField(lengthField));
    verification.plainLength = IsPlainDecimalField(lengthField);
    verification.fits = verification.plainLength && PayloadFits(verification.length);
    if (!verification.fits)
        return verification;
    verification.computedChecksum = SumPayload(verification.length);
    verification.storedChecksum = static_cast<std::uint32_t>(ReadDecimalField(m_package.get()));
    return verification;
}

ExtractResult CPackageReader::PredictResult(const Verification& verification) const
{
    if (!m_package)
        return ExtractResult::NoPackage;
    if (!verification.Matches())
        return ExtractResult::ChecksumMismatch;
    // An empty name can never be opened; any other depends on the folder the carrier runs in.
    if (m_targetName[0] == '\0' || TargetIsPackage())
        return ExtractResult::TargetNotWritable;
    return ExtractResult::Extracted;
}

void CPackageReader::Close()
{
    m_package.reset();
}

// A length that reaches into the checksum field, the trailer or beyond the end of the
// file marks a damaged package: trusting it would write zeros or read for minutes. So
// does a header inside the executable image, where a cut or garbled trailer points
// (an unreadable trailer gives 0): no package starts there.
bool CPackageReader::PayloadFits(std::uint32_t length) const
{
    if (m_header < 0)
        return true;  // every field read as zero, so the length is 0
    if (m_header < m_layout.imageEnd)
        return false;
    const std::int64_t available = m_packageEnd - kTailSize - (std::int64_t{m_header} + kPayloadOffset);
    return std::int64_t{length} <= available;
}

std::uint32_t CPackageReader::SumPayload(std::uint32_t length)
{
    std::uint8_t block[kBlockSize];
    std::uint32_t sum = 0;
    for (std::uint32_t left = length; left > 0;) {
        const std::uint32_t count = left < kBlockSize ? left : kBlockSize;
        ReadZeroFilled(m_package.get(), block, count);
        sum = AccumulateChecksum(sum, block, count);
        left -= count;
    }
    return sum;
}

bool CPackageReader::CopyPayload(std::uint32_t length, std::FILE* target)
{
    std::uint8_t block[kBlockSize];
    for (std::uint32_t left = length; left > 0;) {
        const std::uint32_t count = left < kBlockSize ? left : kBlockSize;
        ReadZeroFilled(m_package.get(), block, count);
        SwapNibbles(block, count);
        if (std::fwrite(block, 1, count, target) != count)
            return false;
        left -= count;
    }
    return true;
}

// Opening our own file for writing would truncate the package while it is read.
bool CPackageReader::TargetIsPackage() const
{
    return IsSameFile(m_targetName.data(), m_package.get());
}

ExtractResult CPackageReader::WriteTarget(std::uint32_t length)
{
    const char* name = m_targetName.data();
    if (TargetIsPackage())
        return ExtractResult::TargetNotWritable;
    const PathKind kind = KindOfPath(name);
    // A device (such as /dev/full) is written as it is; an ordinary file never is.
    if (kind == PathKind::Other)
        return WriteInPlace(name, length);

    // Opening for appending proves the target may be written (a read-only one may not)
    // without truncating it, and creates a missing one.
    if (!OpenFile(name, "ab"))
        return ExtractResult::TargetNotWritable;
    if (kind == PathKind::Missing) {
        // A new file has nothing to keep: it is written where it stands, removed on failure.
        const ExtractResult result = WriteInPlace(name, length);
        if (result != ExtractResult::Extracted)
            std::remove(name);
        return result;
    }
    // An existing target is replaced only by a whole copy written beside it, so a failed
    // write leaves it as it was.
    char temporary[kPathBufferSize];
    FileStream copy;
    if (TemporaryNameBeside(name, temporary, sizeof(temporary)))
        copy = OpenFile(temporary, "wb");
    if (!copy)
        return ExtractResult::TargetNotWritable;
    const bool copied = CopyPayload(length, copy.get());
    if (CloseFile(copy) && copied && RenameReplacing(temporary, name))
        return ExtractResult::Extracted;
    std::remove(temporary);
    return ExtractResult::WriteFailed;
}

ExtractResult CPackageReader::WriteInPlace(const char* name, std::uint32_t length)
{
    FileStream target = OpenFile(name, "wb");
    if (!target)
        return ExtractResult::TargetNotWritable;
    const bool copied = CopyPayload(length, target.get());
    return CloseFile(target) && copied ? ExtractResult::Extracted : ExtractResult::WriteFailed;
}

}  // namespace package
