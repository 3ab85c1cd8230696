// firmpack pack: appends a firmware file to the carrier stub.
#include <filesystem>
#include <iostream>

#include "CarrierReport.h"
#include "CodePageText.h"
#include "Commands.h"
#include "EmbeddedStub.h"
#include "ExitCodes.h"
#include "FileStream.h"
#include "Messages.h"
#include "PackageWriter.h"
#include "PeImage.h"

namespace fs = std::filesystem;

namespace {

struct PackOptions {
    std::string firmware;
    std::string output;
    std::string label;
    std::string target;  // empty: the firmware's file name
    std::string stub;    // empty: the stub built into firmpack
    int codePage = kNoCodePage;
    bool noAlign = false;
    bool allowFolder = false;
};

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
    // The default target is the firmware's file name as typed, so that it converts as a typed one does.
    const std::string typedTarget =
        options.target.empty() ? fs::u8path(options.firmware).filename().u8string() : options.target;
    std::string label, target;
    std::string problem = ToFieldBytes(options.label, "label", options.codePage, label);
    if (problem.empty())
        problem = ToFieldBytes(typedTarget, "target name", options.codePage, target);
    if (!problem.empty())
        return Fail(kExitUsage, problem);
    const std::string& stub = options.stub;
    if (!stub.empty() && IsUnusableStub(stub))
        return Fail(kExitUsage, "stub " + options.stub + " is not a Windows executable (no MZ/PE header)");

    package::PackageRequest request{stub, options.firmware, options.output, label, target,
                                    TargetContextFor(options.output, options.codePage, options.allowFolder)};
    request.alignForSigning = !options.noAlign;
    if (options.stub.empty()) {
        request.embeddedStub = kEmbeddedStub;
        request.embeddedStubSize = kEmbeddedStubSize;
    }
    std::string error;
    const package::WriteOutcome outcome = package::WritePackage(request, error);
    if (!outcome.target.Allowed())
        return Fail(kExitUsage, (outcome.target.rule == package::TargetNameRule::CarrierNotFound ? options.output + ": " : "") +
                                    TargetProblem(target, outcome.target, options.codePage));
    switch (outcome.error) {
    case package::WriteError::None:
        break;
    case package::WriteError::Usage:
        return Fail(kExitUsage, error);
    case package::WriteError::Io:
        return Fail(kExitIoError, error);
    }
    std::cout << "packed " << EscapeControls(options.firmware) << " into " << EscapeControls(options.output) << " (target \""
              << ShowForTerminal(target, options.codePage) << "\", label \"" << ShowForTerminal(label, options.codePage)
              << "\")\n";
    return kExitSuccess;
}

}  // namespace

void SetupPack(CLI::App& app, int& exitCode)
{
    auto options = std::make_shared<PackOptions>();
    CLI::App* pack = app.add_subcommand("pack", "Build a carrier: the stub with FIRMWARE appended");
    pack->add_option("FIRMWARE", options->firmware, "Firmware file to carry")->required();
    pack->add_option("-o,--output", options->output, "Carrier to write (CARRIER.exe)")->required();
    pack->add_option("--label", options->label, "What the firmware is, shown in the caption: up to 16 bytes, no spaces");
    pack->add_option("--target", options->target,
                     "File name the carrier writes: up to 16 bytes, no spaces (default: FIRMWARE's file name)");
    pack->add_option("--stub", options->stub, "Stub executable to use instead of the built-in one");
    AddCodePageOption(*pack, options->codePage,
                      "Windows code page to store label and target name in (949, 932, 936, 950, 1250-1258); "
                      "raw: the bytes exactly as given. Without it both must be plain ASCII");
    pack->add_flag("--allow-folder", options->allowFolder,
                   "Let the target name a file in a folder (fw/x.bin): the carrier creates no folder, so it must "
                   "exist where the carrier runs");
    pack->add_flag("--no-align", options->noAlign,
                   "Write the exact layout, without the zero bytes that round the carrier to a multiple of 8 "
                   "(signed afterwards, a carrier 1 or 2 bytes over a multiple of 8 loses its package)");
    pack->footer("The target must stay in the carrier's folder and be a name Windows allows: no absolute "
                 "name, drive, \"..\", \":\" or device (CON, COM1...), none of < > \" | ? * or a control "
                 "character, no part ending in a dot or a space, not the carrier's own name. The manual page "
                 "(man firmpack) gives every rule.");
    pack->callback([options, &exitCode] { exitCode = RunPack(*options); });
}
