// The whole reader on an arbitrary carrier file in a private folder: open, inspect, extract,
// close; then the upgrade is checked against the inspection, and the folder and the written
// file against the fields the inspection read.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <numeric>
#include <string>

#include "CarrierImage.h"
#include "PackageExaminer.h"
#include "PackageReader.h"
#include "TargetVerdict.h"

namespace {

// A broken invariant aborts, which libFuzzer records as a finding and the replay driver as a
// failed test.
void Require(bool holds, const char* what)
{
    if (!holds) {
        std::fprintf(stderr, "fuzz check failed: %s\n", what);
        std::abort();
    }
}

using package::ExtractResult;
using testing_support::Bytes;
using testing_support::ReadBytes;

constexpr const char* kCarrierName = "carrier$.exe";  // a name no plain name below can take
constexpr const char* kCarrierApplication = "carrier$";  // ... as the carrier names itself

// Names that every file system takes for a new file in the folder; the others are only
// inspected, so that nothing is written elsewhere (or to a device).
bool IsPlainName(const std::string& name)
{
    const auto plain = [](unsigned char c) { return std::isalnum(c) || c == '_' || c == '-' || c == '.'; };
    return !name.empty() && name.front() != '.' && name.back() != '.' && std::all_of(name.begin(), name.end(), plain) &&
           package::JudgeTarget(name, {}).Allowed();
}

void CheckRun(const Bytes& carrier, const testing_support::ScratchFolder& folder)
{
    testing_support::WriteBytes(kCarrierName, carrier);
    package::PackageExaminer examiner;
    package::CPackageReader reader;
    const auto identity = examiner.OpenPath(kCarrierName);
    Require(identity.has_value() && reader.OpenSelf(kCarrierApplication).has_value(), "an existing carrier opens");
    const std::string target = identity->targetName.data();
    const package::Verification verification = examiner.Verify();
    const ExtractResult predicted = examiner.PredictResult(verification, package::JudgeTarget(target, {0, kCarrierName, false}));
    const bool extracting = IsPlainName(target);
    const ExtractResult result = extracting ? reader.VerifyAndExtract() : predicted;
    examiner.Close();
    reader.Close();

    Require(result != ExtractResult::NoPackage && package::ExtractResultMessage(result) != nullptr,
            "an opened carrier gives a defined result");
    Require(result == predicted, "the inspection predicts the upgrade's result");
    Require(ReadBytes(kCarrierName) == carrier, "the carrier file is unchanged");
    Require(result == ExtractResult::ChecksumMismatch || verification.Matches(),
            "no package is accepted whose payload does not match");
    const bool extracted = extracting && result == ExtractResult::Extracted;
    const Bytes written = extracted ? ReadBytes(target) : Bytes();
    const std::uint32_t sum = std::accumulate(written.begin(), written.end(), 0u);
    Require(!extracted || (written.size() == verification.length && sum == verification.storedChecksum),
            "the target holds a payload of the stored length and checksum");
    std::vector<std::string> expected = {kCarrierName};
    if (extracted)
        expected.push_back(target);
    std::sort(expected.begin(), expected.end());
    Require(folder.Entries() == expected, "only an extraction leaves a file, the target");
    folder.Clear();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const testing_support::ScratchFolder folder;  // the working directory from now on
    CheckRun(Bytes(data, data + size), folder);
    return 0;
}
