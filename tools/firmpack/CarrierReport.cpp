#include "CarrierReport.h"

std::optional<CarrierReport> ReadCarrierReport(const std::string& path)
{
    package::CPackageReader reader;
    const auto identity = reader.OpenPath(path.c_str());
    if (!identity)
        return std::nullopt;
    CarrierReport report;
    report.path = path;
    report.fileSize = reader.FileSize();
    report.headerPosition = reader.HeaderPosition();
    if (reader.Layout().imageEnd > 0)
        report.stubEnd = reader.Layout().imageEnd;
    if (reader.PackageEndPosition() < report.fileSize) {
        report.signatureOffset = reader.Layout().signatureOffset;
        report.signatureSize = reader.Layout().signatureSize;
    }
    report.label = identity->label.data();
    report.targetName = identity->targetName.data();
    report.targetNameRule = package::CheckTargetName(report.targetName.c_str());
    report.verification = reader.Verify();
    report.verdict = reader.PredictResult(report.verification);
    reader.Close();
    return report;
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
        return "damaged package: stored checksum " + std::to_string(v.storedChecksum) + ", computed " +
               std::to_string(v.computedChecksum);
    case package::ExtractResult::TargetNotWritable:
        if (report.targetName.empty())
            return "the package names no target file, so the carrier cannot write one";
        return "the target file \"" + report.targetName + "\" names the carrier itself";
    default:
        return "no package";
    }
}
