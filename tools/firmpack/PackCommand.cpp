// firmpack pack: appends a firmware file to the carrier stub.
#include <algorithm>
#include <cctype>
#include <filesystem>
#include <iostream>

#include "Commands.h"
#include "EmbeddedStub.h"
#include "ExitCodes.h"
#include "FieldEncoding.h"
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

bool IsPeImage(const std::string& path)
{
    package::FileStream stub = package::OpenFile(path.c_str(), "rb");
    if (!stub || !package::SeekFile(stub.get(), 0, SEEK_END))
        return false;
    return package::ReadPeLayout(stub.get(), package::TellFile(stub.get())).imageEnd > 0;
}

bool EndsWithExe(const std::string& path)
{
    std::string name = fs::path(path).filename().string();
    std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
    return name.size() > 4 && name.compare(name.size() - 4, 4, ".exe") == 0;
}

// Refusals that need no writing; "" when the request can be carried.
std::string CheckOptions(const PackOptions& options, const std::string& target)
{
    std::error_code error;
    if (!fs::is_regular_file(options.firmware, error))
        return "firmware " + options.firmware + " is not a readable file";
    const auto size = fs::file_size(options.firmware, error);
    if (!error && size > static_cast<std::uintmax_t>(package::kMaxFieldValue))
        return "firmware is " + std::to_string(size) + " bytes; a carrier holds at most " +
               std::to_string(package::kMaxFieldValue) + " bytes (2 GiB - 1)";
    std::string problem = package::CheckFieldText(options.label, "label");
    if (problem.empty())
        problem = package::CheckFieldText(target, "target name");
    if (!problem.empty())
        return problem + " (labels and target names hold up to 16 bytes, without spaces or NUL)";
    if (target.empty())
        return "target name is empty; give one with --target";
    if (!options.stub.empty() && !IsPeImage(options.stub))
        return "stub " + options.stub + " is not a Windows executable (no MZ/PE header)";
    return "";
}

int RunPack(const PackOptions& options)
{
    const std::string target = options.target.empty() ? fs::path(options.firmware).filename().string() : options.target;
    const std::string problem = CheckOptions(options, target);
    if (!problem.empty())
        return Fail(fs::exists(options.firmware) ? kExitUsage : kExitIoError, problem);
    if (!EndsWithExe(options.output))
        Warn(options.output + " does not end in \".exe\": the carrier looks for <its name>.exe in its "
             "folder and will not find its own package under this name");

    package::PackageRequest request{options.stub, options.firmware, options.output, options.label, target};
    request.alignForSigning = !options.noAlign;
    if (options.stub.empty()) {
        request.embeddedStub = kEmbeddedStub;
        request.embeddedStubSize = kEmbeddedStubSize;
    }
    std::string error;
    if (!package::WritePackage(request, error))
        return Fail(error.find("input files") != std::string::npos ? kExitUsage : kExitIoError, error);
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
