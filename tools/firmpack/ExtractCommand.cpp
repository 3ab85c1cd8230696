// firmpack extract: writes the firmware file exactly as the carrier would, with the same reader,
// but never outside the folder it is given.
#include <filesystem>
#include <iostream>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "CarrierReport.h"
#include "CodePageText.h"
#include "Commands.h"
#include "ExitCodes.h"
#include "Messages.h"
#include "PackageReader.h"
#include "Platform.h"
#include "TargetNameRule.h"

namespace fs = std::filesystem;

namespace {

struct ExtractOptions {
    std::string carrier;
    std::string directory = ".";
    std::string output;  // empty: the carried target name; "-": standard output
};

int ExitCodeFor(package::ExtractResult result)
{
    switch (result) {
    case package::ExtractResult::Extracted:
        return kExitSuccess;
    case package::ExtractResult::ChecksumMismatch:
        return kExitVerificationFailed;
    default:
        return kExitIoError;
    }
}

// Standard output carries the firmware itself: bytes as they are, with nothing else on it.
package::ExtractResult ExtractToStandardOutput(package::CPackageReader& reader)
{
#ifdef _WIN32
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    std::cout.flush();
    return reader.VerifyAndExtractInto(stdout);
}

// `output` empty: the carried name, read as the carrier's system reads it.
package::ExtractResult Extract(package::CPackageReader& reader, const std::string& output, const std::string& target)
{
    if (output == "-")
        return ExtractToStandardOutput(reader);
    return reader.VerifyAndExtractTo(output.empty() ? StoredNameAsPath(target).c_str() : output.c_str());
}

int RunExtract(const ExtractOptions& options)
{
    std::error_code error;
    const fs::path carrier = fs::absolute(fs::u8path(options.carrier), error);
    if (error)
        return Fail(kExitIoError, "cannot find " + options.carrier + ": " + error.message());
    // The carrier writes its target relative to the folder it runs in; so do we.
    fs::current_path(fs::u8path(options.directory), error);
    if (error)
        return Fail(kExitIoError, "cannot enter folder " + options.directory + ": " + error.message());

    package::CPackageReader reader;
    const auto identity = reader.OpenPath(carrier.u8string().c_str());
    if (!identity)
        return Fail(kExitIoError, "cannot open " + options.carrier + " for reading: " + OpenFailureText(reader));
    // --output only chooses where the firmware goes: a carrier that could not write its own
    // file, or one that names a file no Windows user can get, is not extracted anywhere.
    const std::string target = identity->targetName.data();
    if (!package::TargetNameRefusal(package::CheckStoredTargetName(target)).empty()) {
        const CarrierReport report = ReportOnOpenCarrier(reader, *identity, {carrier.u8string(), kNoCodePage, false});
        return Fail(kExitVerificationFailed, options.carrier + ": " + CarrierProblem(report) + "; nothing was written");
    }
    const package::ExtractResult result = Extract(reader, options.output, target);
    reader.Close();

    const char* message = package::ExtractResultMessage(result);
    if (result != package::ExtractResult::Extracted)
        return Fail(ExitCodeFor(result), message != nullptr ? message : "no package");
    (options.output == "-" ? std::cerr : std::cout) << message << '\n';
    return kExitSuccess;
}

}  // namespace

void SetupExtract(CLI::App& app, int& exitCode)
{
    auto options = std::make_shared<ExtractOptions>();
    CLI::App* extract = app.add_subcommand("extract", "Write the carried firmware file as the carrier would");
    extract->add_option("CARRIER", options->carrier, "Carrier to extract")->required();
    extract->add_option("-C,--directory", options->directory, "Folder to write the firmware file into")
        ->capture_default_str();
    extract->add_option("-o,--output", options->output,
                        "File to write instead of the carried name (relative: inside the folder; -: standard output)")
        ->type_name("FILE");
    extract->callback([options, &exitCode] { exitCode = RunExtract(*options); });
}
