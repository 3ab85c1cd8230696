#include "PackageExaminer.h"

#include <cerrno>

#include "PayloadExtraction.h"

namespace package {

std::optional<PackageIdentity> PackageExaminer::OpenPath(const char* path)
{
    m_openFailure = m_package.Open(path);
    m_openErrno = m_openFailure == OpenFailure::None ? 0 : errno;
    if (m_openFailure != OpenFailure::None)
        return std::nullopt;
    return m_package.Identity();
}

Verification PackageExaminer::Verify(PayloadObserver* observer)
{
    Verification verification = m_package.ReadLength();
    if (verification.fits)
        m_package.PassOverPayload(verification, nullptr, observer);
    return verification;
}

ExtractResult PackageExaminer::PredictResult(const Verification& verification, const TargetVerdict& target) const
{
    if (!m_package.IsOpen() || target.result == ExtractResult::NoPackage)
        return ExtractResult::NoPackage;
    if (!verification.Matches())
        return ExtractResult::ChecksumMismatch;
    return target.result;
}

ExtractResult PackageExaminer::VerifyAndExtractTo(const char* path)
{
    return ExtractPayloadTo(m_package, path, m_writeErrno);
}

ExtractResult PackageExaminer::VerifyAndExtractInto(std::FILE* out)
{
    if (!m_package.IsOpen())
        return ExtractResult::NoPackage;
    Verification verification = m_package.ReadLength();
    if (!verification.fits)
        return ExtractResult::ChecksumMismatch;
    const bool written = m_package.PassOverPayload(verification, out, nullptr);
    if (!verification.Matches())
        return ExtractResult::ChecksumMismatch;
    // A flush that failed along the way (the write-behind's) leaves only the stream's error flag.
    return written && std::fflush(out) == 0 && !std::ferror(out) ? ExtractResult::Extracted
                                                                  : ExtractResult::WriteFailed;
}

}  // namespace package
