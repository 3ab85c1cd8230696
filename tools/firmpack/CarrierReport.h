// What firmpack reads from a carrier without writing anything: the same reader the
// carrier runs, stopped before it would open the target file.
#pragma once

#include <optional>
#include <string>

#include "PackageExaminer.h"
#include "TargetVerdict.h"

struct CarrierReport {
    std::string path;
    std::int64_t fileSize = 0;
    std::int32_t headerPosition = 0;
    std::optional<std::int64_t> stubEnd;  // where the executable image ends, when it is one
    std::int64_t signatureOffset = 0;     // a code signature closing the file; size 0: none
    std::int64_t signatureSize = 0;
    std::string label;
    std::string targetName;
    int codePage = 0;               // the one label and target name were judged and shown in
    package::TargetVerdict target;  // the target name's verdict
    package::Verification verification;
    package::ExtractResult verdict = package::ExtractResult::NoPackage;
    std::string payloadSha256;  // when asked for and the payload was read whole
    std::string stubSha256;     // of the bytes before the package, when one was found and read
};

// Whether the stub is the one this firmpack builds carriers from.
bool IsOwnStub(const CarrierReport& report);

// What the file is: a carrier, or a file that only reads as a damaged one.
enum class FileKind {
    Carrier,
    NotAnExecutable,  // no Windows executable at all
    BareStub,         // the header lies inside the executable image: no package behind it
};

inline FileKind KindOf(const CarrierReport& report)
{
    if (!report.stubEnd)
        return FileKind::NotAnExecutable;
    return report.headerPosition >= 0 && report.headerPosition < *report.stubEnd ? FileKind::BareStub
                                                                                 : FileKind::Carrier;
}

struct ReportRequest {
    std::string path;
    int codePage;      // the target name's, for judging it as Windows will read it
    bool withSha256;   // hash the payload in the same pass that sums it
    bool allowFolder;  // the target's folder will exist where the carrier runs
};

// How the target name of the carrier at `path` is judged.
package::TargetContext TargetContextFor(const std::string& path, int codePage, bool allowFolder);

// None when the file cannot be read as a carrier; then `failure` says why.
std::optional<CarrierReport> ReadCarrierReport(const ReportRequest& request, std::string& failure);

// The same, from an examiner OpenPath has just opened on request.path; its checksum pass is spent.
CarrierReport ReportOnOpenCarrier(package::PackageExaminer& examiner, const package::PackageIdentity& identity,
                                  const ReportRequest& request);

// Why OpenPath found no package stream, for "cannot open X for reading: ...".
std::string OpenFailureText(const package::PackageExaminer& examiner);

// The verdict's name ("Extracted", "ChecksumMismatch", ...).
const char* VerdictName(package::ExtractResult verdict);

// Why the verdict is not Extracted, in words for a person; empty when it is.
std::string ExplainVerdict(const CarrierReport& report);

// Why the carrier would not give a Windows user its firmware under an allowed name: the
// verdict's reason, else the target name's refusal; empty when it would.
std::string CarrierProblem(const CarrierReport& report);

// Why the target name `stored` is refused, quoting it as shown in `codePage`.
std::string TargetProblem(const std::string& stored, const package::TargetVerdict& verdict, int codePage);
