// The whole reader on an arbitrary carrier file in a private folder: open, inspect, extract,
// close; then the result, the extracted file and the folder are checked against the plain
// reading of the format in Reference.cpp, and the upgrade against the inspection.
#include <algorithm>
#include <cctype>
#include <string>

#include "CarrierImage.h"
#include "FuzzCheck.h"
#include "PackageReader.h"
#include "Reference.h"
#include "TargetNameRule.h"

namespace {

using fuzz::Require;
using package::ExtractResult;
using testing_support::Bytes;
using testing_support::ReadBytes;

constexpr const char* kCarrierName = "carrier$.exe";  // a name no plain name below can take

// Names that every file system takes for a new file in the folder; the others are only
// inspected, so that nothing is written elsewhere (or to a device).
bool IsPlainName(const std::string& name)
{
    const auto plain = [](unsigned char c) { return std::isalnum(c) || c == '_' || c == '-' || c == '.'; };
    return !name.empty() && name.front() != '.' && name.back() != '.' && std::all_of(name.begin(), name.end(), plain) &&
           package::CheckTargetName(name.c_str()) == package::TargetNameRule::Allowed;
}

void CheckRun(const Bytes& carrier, const testing_support::ScratchFolder& folder)
{
    const fuzz::CarrierModel model = fuzz::ModelCarrier(carrier);
    testing_support::WriteBytes(kCarrierName, carrier);
    package::CPackageReader reader;
    const auto identity = reader.OpenPath(kCarrierName);
    Require(identity.has_value(), "an existing carrier opens");
    const std::string target = identity->targetName.data();
    Require(identity->label.data() == model.label && target == model.targetName, "the label and target name read as stored");
    const package::Verification verification = reader.Verify();
    const ExtractResult predicted = reader.PredictResult(verification);
    const bool extracting = IsPlainName(target);
    const ExtractResult result = extracting ? reader.VerifyAndExtract() : predicted;
    reader.Close();

    Require(result != ExtractResult::NoPackage && package::ExtractResultMessage(result) != nullptr,
            "an opened carrier gives a defined result");
    Require(result == predicted, "the inspection predicts the upgrade's result");
    Require(ReadBytes(kCarrierName) == carrier, "the carrier file is unchanged");
    const bool accepted = result != ExtractResult::ChecksumMismatch;
    Require(!accepted || model.checksumMatches, "no package is accepted whose payload does not match");
    // Without an executable image in front (no "MZ"), nothing but a length field that is not
    // a plain number may make the reader refuse a package whose payload matches.
    const bool wellFormed = model.checksumMatches && verification.plainLength &&
                            !(carrier.size() > 1 && carrier[0] == 'M' && carrier[1] == 'Z');
    Require(!wellFormed || accepted, "a well-formed package is accepted");
    Require(!wellFormed || !extracting || result == ExtractResult::Extracted, "a well-formed package is extracted");
    const bool extracted = extracting && result == ExtractResult::Extracted;
    Require(!extracted || ReadBytes(target) == model.payload, "the target holds exactly the payload");
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
