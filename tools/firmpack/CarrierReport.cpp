#include "CarrierReport.h"

#include <algorithm>
#include <cstring>
#include <filesystem>

#include "CodePageText.h"
#include "EmbeddedStub.h"
#include "Platform.h"
#include "Sha256.h"
#include "TextEscaping.h"

namespace fs = std::filesystem;

namespace {

class PayloadDigest : public package::PayloadObserver {
public:
    void Observe(const std::uint8_t* bytes, std::size_t count) override { m_sha256.Update(bytes, count); }
    std::string FinishHex() { return m_sha256.FinishHex(); }

private:
    Sha256 m_sha256;
};

// The SHA-256 of the file's first `size` bytes; empty when they cannot be read.
std::string HashOfStart(const std::string& path, std::int64_t size)
{
    const package::FileStream file = package::OpenFile(path.c_str(), "rb");
    if (!file)
        return "";
    Sha256 sha256;
    unsigned char block[64 * 1024];
    for (std::int64_t left = size; left > 0;) {
        const std::size_t want = left < std::int64_t{sizeof(block)} ? static_cast<std::size_t>(left) : sizeof(block);
        if (std::fread(block, 1, want, file.get()) != want)
            return "";
        sha256.Update(block, want);
        left -= static_cast<std::int64_t>(want);
    }
    return sha256.FinishHex();
}

}  // namespace

std::optional<CarrierReport> ReadCarrierReport(const ReportRequest& request, std::string& failure)
{
    package::CPackageReader reader;
    const auto identity = reader.OpenPath(request.path.c_str());
    if (!identity) {
        failure = OpenFailureText(reader);
        return std::nullopt;
    }
    return ReportOnOpenCarrier(reader, *identity, request);
}

package::TargetContext TargetContextFor(const std::string& path, int codePage, bool allowFolder)
{
    return {codePage > kRawBytes ? codePage : 0, fs::u8path(path).filename().u8string(), allowFolder};
}

CarrierReport ReportOnOpenCarrier(package::CPackageReader& reader, const package::PackageIdentity& identity,
                                  const ReportRequest& request)
{
    CarrierReport report;
    report.path = request.path;
    report.fileSize = reader.FileSize();
    report.headerPosition = reader.HeaderPosition();
    if (reader.Layout().imageEnd > 0)
        report.stubEnd = reader.Layout().imageEnd;
    if (reader.PackageEndPosition() < report.fileSize) {
        report.signatureOffset = reader.Layout().signatureOffset;
        report.signatureSize = reader.Layout().signatureSize;
    }
    report.label = identity.label.data();
    report.targetName = identity.targetName.data();
    report.codePage = request.codePage;
    report.target = package::JudgeTarget(report.targetName, TargetContextFor(request.path, request.codePage, request.allowFolder));
    PayloadDigest digest;
    report.verification = reader.Verify(request.withSha256 ? &digest : nullptr);
    if (request.withSha256 && report.verification.fits && report.verification.readComplete)
        report.payloadSha256 = digest.FinishHex();
    report.verdict = reader.PredictResult(report.verification, report.target);
    if (KindOf(report) == FileKind::Carrier)
        report.stubSha256 = HashOfStart(request.path, report.headerPosition);
    return report;
}

std::string OpenFailureText(const package::CPackageReader& reader)
{
    const int error = reader.LastOpenErrno();
    const std::string cause = error != 0 ? std::strerror(error) : "the system gave no reason";
    switch (reader.LastOpenFailure()) {
    case package::OpenFailure::NotAFile:
        return "it is not a file (a folder or a device)";
    case package::OpenFailure::CannotRead:
        return "reading it failed: " + cause;
    case package::OpenFailure::CannotOpen:
    case package::OpenFailure::None:
        break;
    }
    return cause;
}

bool IsOwnStub(const CarrierReport& report)
{
    return !report.stubSha256.empty() && report.stubSha256 == kEmbeddedStubSha256;
}

const char* VerdictName(package::ExtractResult verdict)
{
    switch (verdict) {
    case package::ExtractResult::Extracted:
        return "Extracted";
    case package::ExtractResult::TargetNotWritable:
        return "TargetNotWritable";
    case package::ExtractResult::ChecksumMismatch:
        return "ChecksumMismatch";
    case package::ExtractResult::NoPackage:
        return "NoPackage";
    case package::ExtractResult::WriteFailed:
        return "WriteFailed";
    }
    return "unknown";
}

std::string ExplainVerdict(const CarrierReport& report)
{
    const package::Verification& v = report.verification;
    switch (KindOf(report)) {
    case FileKind::NotAnExecutable:
        return "no carrier: it is not a Windows executable";
    case FileKind::BareStub:
        return "no package: the header position " + std::to_string(report.headerPosition) +
               " lies inside the executable image, which ends at " + std::to_string(*report.stubEnd) +
               " (is this a bare stub?)";
    case FileKind::Carrier:
        break;
    }
    switch (report.verdict) {
    case package::ExtractResult::Extracted:
        return "";
    case package::ExtractResult::ChecksumMismatch:
        if (!v.plainLength)
            return "damaged package: the length field is not a plain number";
        if (!v.fits)
            return "damaged package: payload length " + std::to_string(v.length) +
                   " reaches past the checksum field and trailer (file is " + std::to_string(report.fileSize) +
                   " bytes, header at " + std::to_string(report.headerPosition) + ")";
        if (!v.readComplete)
            return "damaged package: the payload could not be read whole";
        return "damaged package: stored checksum " + std::to_string(v.storedChecksum) + ", computed " +
               std::to_string(v.computedChecksum);
    default:
        if (!report.target.Allowed())
            return TargetProblem(report.targetName, report.target, report.codePage);
        return "no package";
    }
}

std::string CarrierProblem(const CarrierReport& report)
{
    if (report.verdict != package::ExtractResult::Extracted)
        return ExplainVerdict(report);
    return report.target.Allowed() ? "" : TargetProblem(report.targetName, report.target, report.codePage);
}

std::string TargetProblem(const std::string& stored, const package::TargetVerdict& verdict, int codePage)
{
    const std::string refusal = package::TargetNameRefusal(verdict);
    if (verdict.rule == package::TargetNameRule::CarrierNotFound)
        return refusal;
    return "target name \"" + ShowForTerminal(stored, codePage) + "\" is refused: " + refusal;
}
