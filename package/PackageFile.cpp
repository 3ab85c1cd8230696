#include "PackageFile.h"

#include <cerrno>
#include <cstring>

namespace package {

namespace {

// Payload bytes move through blocks of this size; memory use does not depend on N.
constexpr std::uint32_t kBlockSize = 64 * 1024;

}  // namespace

OpenFailure PackageFile::Open(const char* path)
{
    Close();
    errno = 0;
    m_file = OpenFile(path, "rb");
    if (!m_file) {
        const int error = errno;
        // Windows refuses to open a folder at all.
        const bool folder = KindOfPath(path) == PathKind::Other;
        errno = error;
        return Fail(folder ? OpenFailure::NotAFile : OpenFailure::CannotOpen);
    }
    std::FILE* f = m_file.get();
    // A folder opens for reading on POSIX, and every read of it fails: no package is there.
    if (!IsRegularFile(f))
        return Fail(OpenFailure::NotAFile);
    if (!SeekFile(f, 0, SEEK_END) || (m_fileSize = TellFile(f)) < 0)
        return Fail(OpenFailure::CannotRead);
    m_layout = ReadPeLayout(f, m_fileSize);
    // A code signature appended behind the package: the trailer comes before it.
    m_packageEnd = PackageEnd(m_layout, m_fileSize);
    // A file shorter than the trailer reads it as zeros, which gives H = 0.
    DecimalField trailer;
    TextField label, target;
    if (!ReadFieldAt(m_packageEnd - kDecimalFieldSize, trailer.data(), trailer.size()))
        return Fail(OpenFailure::CannotRead);
    m_header = ParseDecimalField(trailer);
    if (!ReadFieldAt(FieldPosition(kLabelOffset), label.data(), label.size()) ||
        !ReadFieldAt(FieldPosition(kTargetNameOffset), target.data(), target.size()))
        return Fail(OpenFailure::CannotRead);
    m_identity.label = ParseTextField(label, false);
    m_identity.targetName = ParseTextField(target, true);
    return OpenFailure::None;
}

OpenFailure PackageFile::Fail(OpenFailure failure)
{
    const int error = errno;
    Close();
    errno = error;
    return failure;
}

// Reads a field at its own position; what lies before the file's start or past its end
// reads as zeros, so a negative header gives all-zero fields. False when the system failed
// to seek or read, which is no package at all rather than a short one.
bool PackageFile::ReadFieldAt(std::int64_t position, std::uint8_t* bytes, std::size_t count)
{
    std::FILE* f = m_file.get();
    std::memset(bytes, 0, count);
    if (position < 0 || position >= m_fileSize)
        return true;
    if (!SeekFile(f, position, SEEK_SET))
        return false;
    const std::size_t got = std::fread(bytes, 1, count, f);
    return got == count || !std::ferror(f);
}

std::int64_t PackageFile::FieldPosition(int offset) const
{
    return m_header < 0 ? -1 : std::int64_t{m_header} + offset;
}

// A length that reaches into the checksum field, the trailer or beyond the end of the
// file marks a damaged package: trusting it would write zeros or read for minutes. So
// does a header inside the executable image, where a cut or garbled trailer points
// (an unreadable trailer gives 0): no package starts there.
Verification PackageFile::ReadLength()
{
    Verification verification;
    if (!m_file)
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

// No byte is ever invented: a payload read that comes up short is an I/O error, which leaves
// the package unverified. After a failed write the sum goes on, so that damage is still told
// apart.
bool PackageFile::PassOverPayload(Verification& verification, std::FILE* out, PayloadObserver* observer)
{
    std::FILE* f = m_file.get();
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

}  // namespace package
