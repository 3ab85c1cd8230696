#include "CarrierReport.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <vector>

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

struct FieldPatch {
    std::int64_t at;  // four little-endian bytes there
    std::uint32_t value;
};

// Hands `use` the file's first `size` bytes, in blocks of an even size, with `patches` written
// over them; false when they cannot be read.
template <typename Use>
bool ReadStart(const std::string& path, std::int64_t size, const std::vector<FieldPatch>& patches, Use use)
{
    const package::FileStream file = package::OpenFile(path.c_str(), "rb");
    if (!file)
        return false;
    unsigned char block[64 * 1024];
    for (std::int64_t done = 0; done < size;) {
        const auto count = static_cast<std::size_t>(std::min<std::int64_t>(size - done, sizeof(block)));
        if (std::fread(block, 1, count, file.get()) != count)
            return false;
        for (const FieldPatch& patch : patches)
            for (std::int64_t i = std::max(patch.at, done); i < std::min<std::int64_t>(patch.at + 4, done + count); ++i)
                block[i - done] = static_cast<unsigned char>(patch.value >> (8 * (i - patch.at)));
        use(block, count);
        done += static_cast<std::int64_t>(count);
    }
    return true;
}

// A signer rewrites two fields of the stub it signs behind: the image checksum and the
// certificate table's entry. The stub is hashed as it was before, the entry zero and the
// checksum the stub's own (as linkers write it: the 16-bit words summed with the carries
// folded back in, plus the size), so that a signed carrier keeps its stub's pin.
std::string StubSha256(const std::string& path, std::int64_t stubSize, const package::PeLayout& layout)
{
    std::vector<FieldPatch> patches;
    if (layout.signatureSize > 0 && layout.signatureOffset >= stubSize && layout.checksumAt > 0 &&
        layout.securityEntryAt + 8 <= stubSize && layout.checksumAt + 4 <= stubSize) {
        patches = {{layout.securityEntryAt, 0}, {layout.securityEntryAt + 4, 0}, {layout.checksumAt, 0}};
        std::uint64_t sum = 0;
        if (!ReadStart(path, stubSize, patches, [&sum](const unsigned char* bytes, std::size_t count) {
                for (std::size_t i = 0; i < count; ++i)
                    sum += std::uint64_t{bytes[i]} << (8 * (i % 2));
            }))
            return "";
        while (sum > 0xFFFF)
            sum = (sum & 0xFFFF) + (sum >> 16);
        patches.back().value = static_cast<std::uint32_t>(sum + static_cast<std::uint64_t>(stubSize));
    }
    Sha256 sha256;
    if (!ReadStart(path, stubSize, patches, [&sha256](const unsigned char* bytes, std::size_t count) {
            sha256.Update(bytes, count);
        }))
        return "";
    return sha256.FinishHex();
}

}  // namespace

std::optional<CarrierReport> ReadCarrierReport(const ReportRequest& request, std::string& failure)
{
    package::PackageExaminer examiner;
    const auto identity = examiner.OpenPath(request.path.c_str());
    if (!identity) {
        failure = OpenFailureText(examiner);
        return std::nullopt;
    }
    return ReportOnOpenCarrier(examiner, *identity, request);
}

package::TargetContext TargetContextFor(const std::string& path, int codePage, bool allowFolder)
{
    return {codePage > kRawBytes ? codePage : 0, fs::u8path(path).filename().u8string(), allowFolder};
}

CarrierReport ReportOnOpenCarrier(package::PackageExaminer& examiner, const package::PackageIdentity& identity,
                                  const ReportRequest& request)
{
    CarrierReport report;
    report.path = request.path;
    report.fileSize = examiner.FileSize();
    report.headerPosition = examiner.HeaderPosition();
    if (examiner.Layout().imageEnd > 0)
        report.stubEnd = examiner.Layout().imageEnd;
    if (examiner.PackageEndPosition() < report.fileSize) {
        report.signatureOffset = examiner.Layout().signatureOffset;
        report.signatureSize = examiner.Layout().signatureSize;
    }
    report.label = identity.label.data();
    report.targetName = identity.targetName.data();
    report.codePage = request.codePage;
    report.target = package::JudgeTarget(report.targetName, TargetContextFor(request.path, request.codePage, request.allowFolder));
    PayloadDigest digest;
    report.verification = examiner.Verify(request.withSha256 ? &digest : nullptr);
    if (request.withSha256 && report.verification.fits && report.verification.readComplete)
        report.payloadSha256 = digest.FinishHex();
    report.verdict = examiner.PredictResult(report.verification, report.target);
    if (KindOf(report) == FileKind::Carrier)
        report.stubSha256 = StubSha256(request.path, report.headerPosition, examiner.Layout());
    return report;
}

std::string OpenFailureText(const package::PackageExaminer& examiner)
{
    const int error = examiner.LastOpenErrno();
    const std::string cause = error != 0 ? std::strerror(error) : "the system gave no reason";
    switch (examiner.LastOpenFailure()) {
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
