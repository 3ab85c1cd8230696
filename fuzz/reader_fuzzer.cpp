// The whole reader on an arbitrary carrier file: open, verify, extract, close; then the
// result, the extracted file and the folder are checked against the plain reading of the
// format in Reference.cpp.
#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>
#include <string>

#include "FuzzCheck.h"
#include "PackageReader.h"
#include "Reference.h"
#include "ScratchTree.h"

namespace {

using package::ExtractResult;

constexpr const char* kCarrierName = "carrier.exe";

void WriteFile(const char* name, const fuzz::Bytes& bytes)
{
    std::ofstream(name, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
}

fuzz::Bytes ReadFile(const char* name)
{
    std::ifstream in(name, std::ios::binary);
    return fuzz::Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string Upper(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return char(std::toupper(c)); });
    return text;
}

// Windows opens these names, in any folder and with any extension, as devices.
bool IsDeviceName(const std::string& name)
{
    const std::string base = name.substr(name.find_last_of("/\\") + 1);
    const std::string stem = Upper(base.substr(0, base.find('.')));
    const bool numbered = stem.size() == 4 && (stem.compare(0, 3, "COM") == 0 || stem.compare(0, 3, "LPT") == 0) &&
                          std::isdigit(static_cast<unsigned char>(stem[3]));
    return numbered || stem == "CON" || stem == "PRN" || stem == "AUX" || stem == "NUL" || stem == "CONIN$" ||
           stem == "CONOUT$" || stem == "CLOCK$";
}

// Names the fuzz target lets the reader write: relative ones, which stay inside the
// private folder. Absolute and drive names, streams and devices are only verified.
bool StaysInside(const std::string& name)
{
    return name.find_first_of("/\\") != 0 && name.find(':') == std::string::npos && !IsDeviceName(name);
}

// A name that any file system accepts for a new file in the work folder.
bool IsPlainName(const std::string& name)
{
    const auto plain = [](unsigned char c) { return std::isalnum(c) || c == '_' || c == '-' || c == '.'; };
    return !name.empty() && name.front() != '.' && name.back() != '.' && std::all_of(name.begin(), name.end(), plain) &&
           Upper(name) != Upper(kCarrierName) && !IsDeviceName(name);
}

bool StartsWithImage(const fuzz::Bytes& file)
{
    return file.size() >= 2 && file[0] == 'M' && file[1] == 'Z';
}

bool IsDefined(ExtractResult result)
{
    switch (result) {
    case ExtractResult::Extracted:
    case ExtractResult::TargetNotWritable:
    case ExtractResult::ChecksumMismatch:
    case ExtractResult::NoPackage:
    case ExtractResult::WriteFailed:
        return true;
    }
    return false;
}

void CheckRun(const fuzz::Bytes& carrier, const fuzz::ScratchTree& tree)
{
    using fuzz::Require;
    const fuzz::CarrierModel model = fuzz::ModelCarrier(carrier);
    WriteFile(kCarrierName, carrier);
    const std::vector<std::string> before = tree.Entries();

    package::CPackageReader reader;
    const auto identity = reader.OpenPath(kCarrierName);
    Require(identity.has_value(), "an existing carrier opens");
    const std::string target = identity->targetName.data();
    Require(identity->label.data() == model.label, "the label reads as stored");
    Require(target == model.targetName, "the target name reads as stored");
    const bool extracting = StaysInside(target);
    const ExtractResult result = extracting ? reader.VerifyAndExtract() : reader.PredictResult(reader.Verify());
    reader.Close();

    Require(IsDefined(result) && result != ExtractResult::NoPackage, "an opened carrier gives a defined result");
    const bool accepted = result != ExtractResult::ChecksumMismatch;
    Require(!accepted || model.checksumMatches, "no package is accepted whose payload does not match");
    // Without an executable image in front (no "MZ"), nothing but a damaged length field
    // may make the reader refuse a package whose payload matches.
    const bool wellFormed = model.checksumMatches && model.plainLength && !StartsWithImage(carrier);
    Require(!wellFormed || accepted, "a well-formed package is accepted");
    Require(!wellFormed || !IsPlainName(target) || result == ExtractResult::Extracted,
            "a well-formed package with a plain target name is extracted");
    Require(ReadFile(kCarrierName) == carrier, "the carrier file is unchanged");

    const std::vector<std::string> after = tree.Entries();
    if (extracting && result == ExtractResult::Extracted) {
        Require(after.size() == before.size() + 1, "extracting adds the target and nothing else");
        Require(ReadFile(target.c_str()) == model.payload, "the target holds exactly the payload");
    } else {
        Require(after == before, "a run that extracts nothing leaves no file behind");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const fuzz::ScratchTree tree;
    {
        const fuzz::WorkingDirectory inside(tree.WorkFolder());
        CheckRun(fuzz::Bytes(data, data + size), tree);
    }
    tree.Clear();
    fuzz::Require(tree.Empty(), "the private folder is empty again");
    return 0;
}
