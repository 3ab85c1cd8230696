// firmpack verify: silent when the carrier would write its firmware, an exit status otherwise.
#include <algorithm>
#include <cctype>

#include "CarrierReport.h"
#include "CodePageText.h"
#include "Commands.h"
#include "ExitCodes.h"
#include "Messages.h"

namespace {

struct VerifyOptions {
    std::string carrier;
    std::string sha256;      // empty: not pinned
    std::string stubSha256;  // empty: not pinned
    int codePage = kNoCodePage;
    bool allowFolder = false;
};

std::string Lowercase(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

// A pin is 64 hexadecimal digits; an empty one is a mistake (a hash command that failed), not "no pin".
CLI::Validator Sha256Hex()
{
    return CLI::Validator(
        [](const std::string& text) {
            const bool hex = text.size() == 64 &&
                             std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isxdigit(c); });
            return hex ? std::string() : "takes 64 hexadecimal digits, not \"" + EscapeControls(text) + "\"";
        },
        "HEX");
}

// Empty when `actual` is the pinned `pin` (or nothing is pinned); else why not.
std::string PinMismatch(const std::string& what, const std::string& actual, const std::string& pin)
{
    if (pin.empty() || actual == Lowercase(pin))
        return "";
    return "the " + what + "'s SHA-256 is " + (actual.empty() ? "unreadable" : actual) + ", not the pinned " + Lowercase(pin);
}

int RunVerify(const VerifyOptions& options)
{
    std::string failure;
    const auto report = ReadCarrierReport(
        {options.carrier, options.codePage, !options.sha256.empty(), options.allowFolder}, failure);
    const std::string shown = EscapeControls(options.carrier);
    if (!report)
        return Fail(kExitIoError, "cannot open " + shown + " for reading: " + failure);
    std::string problem = CarrierProblem(*report);
    if (problem.empty())
        problem = PinMismatch("firmware", report->payloadSha256, options.sha256);
    if (problem.empty())
        problem = PinMismatch("stub", report->stubSha256, options.stubSha256);
    return problem.empty() ? kExitSuccess : Fail(kExitVerificationFailed, shown + ": " + problem);
}

}  // namespace

void SetupVerify(CLI::App& app, int& exitCode)
{
    auto options = std::make_shared<VerifyOptions>();
    CLI::App* verify = app.add_subcommand("verify", "Check a carrier; silent on success");
    verify->add_option("CARRIER", options->carrier, "Carrier to check")->required();
    verify->add_option("--sha256", options->sha256, "Also require the firmware's SHA-256 to be HEX (64 digits)")
        ->check(Sha256Hex());
    verify->add_option("--stub-sha256", options->stubSha256,
                       "Also require the stub's SHA-256 (of the bytes before the package) to be HEX")
        ->check(Sha256Hex());
    AddCodePageOption(*verify, options->codePage,
                      "Judge the target name as Windows reads it in this code page (949, 932, 936, 950, "
                      "1250-1258); raw or without it: as 1252");
    verify->add_flag("--allow-folder", options->allowFolder,
                     "Accept a target in a folder (fw/x.bin): the folder will exist where the carrier runs");
    verify->callback([options, &exitCode] { exitCode = RunVerify(*options); });
}
