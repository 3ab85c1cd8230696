// firmpack pack: appends a firmware file to the carrier stub.
#include <algorithm>
#include <cctype>
#include <filesystem>
#include <iostream>

#include "Commands.h"
#include "EmbeddedStub.h"
#include "ExitCodes.h"
#include "FileStream.h"
#include "Messages.h"
#include "PackageWriter.h"
#include "PeImage.h"
#include "TextEscaping.h"

namespace fs = std::filesystem;

namespace {

struct PackOptions {
    std::string firmware;
    std::string output;
    std::string label;
    std::string target;  // empty: the firmware's file name
    std::string stub;    // empty: the stub built into firmpack
    bool noAlign = false;
};

bool EndsWithExe(const std::string& path)
{
    std::string name = fs::path(path).filename().string();
    std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
    return name.size() > 4 && name.compare(name.size() - 4, 4, ".exe") == 0;
}

// A stub given by the user must be a Windows executable; one that cannot be opened is
// left to the writer, which reports it as an I/O error.
bool IsUnusableStub(const std::string& path)
{
    package::FileStream stub = package::OpenFile(path.c_str(), "rb");
    if (!stub)
        return false;
    return !package::SeekFile(stub.get(), 0, SEEK_END) ||
           package::ReadPeLayout(stub.get(), package::TellFile(stub.get())).imageEnd <= 0;
}

int RunPack(const PackOptions& options)
{
    const std::string target = options.target.empty() ? fs::path(options.firmware).filename().string() : options.target;
    if (!options.stub.empty() && IsUnusableStub(options.stub))
        return Fail(kExitUsage, "stub " + options.stub + " is not a Windows executable (no MZ/PE header)");

    package::PackageRequest request{options.stub, options.firmware, options.output, options.label, target};
    request.alignForSigning = !options.noAlign;
    if (options.stub.empty()) {
        request.embeddedStub = kEmbeddedStub;
        request.embeddedStubSize = kEmbeddedStubSize;
    }
    std::string error;
    switch (package::WritePackage(request, error).error) {
    case package::WriteError::None:
        break;
    case package::WriteError::Usage:
        return Fail(kExitUsage, error);
    case package::WriteError::Io:
        return Fail(kExitIoError, error);
    }
    if (!EndsWithExe(options.output))
        Warn(options.output + " does not end in \".exe\": the carrier looks for <its name>.exe in its "
             "folder and will not find its own package under this name");
    std::cout << "packed " << options.firmware << " into " << options.output << " (target \""
              << EscapeForTerminal(target) << "\", label \"" << EscapeForTerminal(options.label) << "\")\n";
    return kExitSuccess;
}

}  // namespace

void SetupPack(CLI::App& app, int& exitCode)
{
    auto options = std::make_shared<PackOptions>();
    CLI::App* pack = app.add_subcommand("pack", "Build a carrier: the stub with FIRMWARE appended");
    pack->add_option("FIRMWARE", options->firmware, "Firmware file to carry")->required();
    pack->add_option("-o,--output", options->output, "Carrier to write (CARRIER.exe)")->required();
    pack->add_option("--label", options->label, "What the firmware is, shown in the caption (up to 16 bytes)");
    pack->add_option("--target", options->target,
                     "File name the carrier writes (up to 16 bytes; default: FIRMWARE's file name)");
    pack->add_option("--stub", options->stub, "Stub executable to use instead of the built-in one");
    pack->add_flag("--no-align", options->noAlign,
                   "Write the exact layout, without the zero bytes that round the carrier to a multiple of 8 "
                   "(a carrier signed afterwards may then no longer find its package)");
    pack->callback([options, &exitCode] { exitCode = RunPack(*options); });
}
