#include "CarrierReport.h"

#include <algorithm>
#include <cstring>
#include <filesystem>

#include "CodePageText.h"
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

// The carried name in quotes, every byte outside printable ASCII escaped.
std::string QuotedTarget(const CarrierReport& report)
{
    return "\"" + EscapeForTerminal(report.targetName) + "\"";
}

bool SameIgnoringAsciiCase(const std::string& a, const std::string& b)
{
    const auto lower = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c; };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [&](unsigned char x, unsigned char y) { return lower(x) == lower(y); });
}

// The carrier runs in its own folder and writes its target there, so the target is the
// carrier itself when it names that file, in whatever case: Windows ignores it.
bool TargetIsCarrier(const package::CPackageReader& reader, const std::string& carrier, const std::string& stored)
{
    const std::string target = StoredNameAsPath(stored);
    const fs::path path = fs::u8path(carrier);
    return !target.empty() && (reader.IsPackageFile((path.parent_path() / fs::u8path(target)).u8string().c_str()) ||
                               SameIgnoringAsciiCase(target, path.filename().u8string()));
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
    report.targetNameCheck = CheckTargetNameIn(report.targetName, request.codePage);
    PayloadDigest digest;
    report.verification = reader.Verify(request.withSha256 ? &digest : nullptr);
    if (request.withSha256 && report.verification.fits && report.verification.readComplete)
        report.payloadSha256 = digest.FinishHex();
    report.verdict =
        reader.PredictResult(report.verification, TargetIsCarrier(reader, request.path, report.targetName));
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
    if (!PackageFound(report))
        return "no package: the header position " + std::to_string(report.headerPosition) +
               " lies inside the executable image, which ends at " + std::to_string(*report.stubEnd) +
               " (is this a bare stub?)";
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
    case package::ExtractResult::TargetNotWritable:
        if (report.targetName.empty())
            return "the package names no target file, so the carrier cannot write one";
        return "the target file " + QuotedTarget(report) + " names the carrier itself";
    default:
        return "no package";
    }
}

std::string CarrierProblem(const CarrierReport& report)
{
    if (report.verdict != package::ExtractResult::Extracted)
        return ExplainVerdict(report);
    const std::string refusal = package::TargetNameRefusal(report.targetNameCheck);
    if (refusal.empty())
        return "";
    return "target name " + QuotedTarget(report) + " is refused: " + refusal;
}
