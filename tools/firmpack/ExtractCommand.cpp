// firmpack extract: writes the firmware file exactly as the carrier would, with the same reader,
// but never outside the folder it is given.
#include <algorithm>
#include <cstring>
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
#include "PackageExaminer.h"
#include "Platform.h"

namespace fs = std::filesystem;

namespace {

struct ExtractOptions {
    std::string carrier;
    std::string directory = ".";
    std::string output;  // empty: the carried target name; "-": standard output
    int codePage = kNoCodePage;
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
package::ExtractResult ExtractToStandardOutput(package::PackageExaminer& examiner)
{
#ifdef _WIN32
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    std::cout.flush();
    return examiner.VerifyAndExtractInto(stdout);
}

// The carried name as a path here: decoded from the code page given, else as the carrier's
// system reads it; "\\" separates folders, as on Windows.
std::string TargetPath(const std::string& stored, int codePage)
{
    std::string path = codePage > kRawBytes ? DecodeToUtf8(stored, codePage) : StoredNameAsPath(stored);
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

// Why the target could not be written: the path and the system's reason, then the carrier's message.
std::string WriteFailure(const package::PackageExaminer& examiner, package::ExtractResult result, const std::string& path)
{
    const char* message = package::ExtractResultMessage(result);
    const int error = examiner.LastWriteErrno();
    if (result != package::ExtractResult::TargetNotWritable || path == "-")
        return message != nullptr ? message : "no package";
    return "cannot write " + path + ": " + (error != 0 ? std::strerror(error) : "the system gave no reason") + "; " +
           message;
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

    package::PackageExaminer examiner;
    const auto identity = examiner.OpenPath(carrier.u8string().c_str());
    if (!identity)
        return Fail(kExitIoError, "cannot open " + options.carrier + " for reading: " + OpenFailureText(examiner));
    // --output only chooses where the firmware goes: a carrier that could not write its own
    // file, or one that names a file no Windows user can get, is not extracted anywhere. The
    // carrier writes into a folder that exists, as extract does.
    const std::string target = identity->targetName.data();
    const package::TargetVerdict verdict =
        package::JudgeTarget(target, TargetContextFor(carrier.u8string(), options.codePage, true));
    if (!verdict.Allowed())
        return Fail(kExitVerificationFailed, options.carrier + ": " + TargetProblem(target, verdict, options.codePage) +
                                                 "; nothing was written");
    const std::string path = options.output.empty() ? TargetPath(target, options.codePage) : options.output;
    const package::ExtractResult result =
        path == "-" ? ExtractToStandardOutput(examiner) : examiner.VerifyAndExtractTo(path.c_str());
    examiner.Close();

    if (result != package::ExtractResult::Extracted)
        return Fail(ExitCodeFor(result), WriteFailure(examiner, result, path));
    (path == "-" ? std::cerr : std::cout) << package::ExtractResultMessage(result) << '\n';
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
    AddCodePageOption(*extract, options->codePage,
                      "Read the target name in this Windows code page (949, 932, 936, 950, 1250-1258) and write it "
                      "under that name; raw or without it: the bytes as they are");
    extract->callback([options, &exitCode] { exitCode = RunExtract(*options); });
}
