// firmpack extract: writes the firmware file exactly as the carrier would, with the same reader.
#include <filesystem>
#include <iostream>

#include "Commands.h"
#include "ExitCodes.h"
#include "Messages.h"
#include "PackageReader.h"

namespace fs = std::filesystem;

namespace {

struct ExtractOptions {
    std::string carrier;
    std::string directory = ".";
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

int RunExtract(const ExtractOptions& options)
{
    std::error_code error;
    const fs::path carrier = fs::absolute(options.carrier, error);
    // The carrier writes its target relative to the folder it runs in; so do we.
    fs::current_path(options.directory, error);
    if (error)
        return Fail(kExitIoError, "cannot enter folder " + options.directory + ": " + error.message());

    package::CPackageReader reader;
    if (!reader.OpenPath(carrier.string().c_str()))
        return Fail(kExitIoError, "cannot open " + options.carrier + " for reading");
    const package::ExtractResult result = reader.VerifyAndExtract();
    reader.Close();

    const char* message = package::ExtractResultMessage(result);
    if (result != package::ExtractResult::Extracted)
        return Fail(ExitCodeFor(result), message != nullptr ? message : "no package");
    std::cout << message << '\n';
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
    extract->callback([options, &exitCode] { exitCode = RunExtract(*options); });
}
