// firmpack verify: silent when the carrier would write its firmware, an exit status otherwise.
#include <algorithm>
#include <cctype>

#include "CarrierReport.h"
#include "CodePage.h"
#include "Commands.h"
#include "ExitCodes.h"
#include "Messages.h"
#include "CodePageText.h"

namespace {

struct VerifyOptions {
    std::string carrier;
    std::string sha256;  // empty: not pinned
};

std::string Lowercase(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

bool IsSha256Hex(const std::string& text)
{
    return text.size() == 64 && std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isxdigit(c); });
}

int RunVerify(const VerifyOptions& options)
{
    if (!options.sha256.empty() && !IsSha256Hex(options.sha256))
        return Fail(kExitUsage, "--sha256 takes 64 hexadecimal digits, not \"" + options.sha256 + "\"");
    std::string failure;
    const auto report = ReadCarrierReport({options.carrier, kNoCodePage, !options.sha256.empty()}, failure);
    if (!report)
        return Fail(kExitIoError, "cannot open " + options.carrier + " for reading: " + failure);
    const std::string problem = CarrierProblem(*report);
    if (!problem.empty())
        return Fail(kExitVerificationFailed, options.carrier + ": " + problem);
    if (!options.sha256.empty()) {
        const std::string& actual = report->payloadSha256;
        if (actual != Lowercase(options.sha256))
            return Fail(kExitVerificationFailed, options.carrier + ": the firmware's SHA-256 is " +
                                                     (actual.empty() ? "unreadable" : actual) + ", not the pinned " +
                                                     Lowercase(options.sha256));
    }
    return kExitSuccess;
}

}  // namespace

void SetupVerify(CLI::App& app, int& exitCode)
{
    auto options = std::make_shared<VerifyOptions>();
    CLI::App* verify = app.add_subcommand("verify", "Check a carrier; silent on success");
    verify->add_option("CARRIER", options->carrier, "Carrier to check")->required();
    verify->add_option("--sha256", options->sha256, "Also require the firmware's SHA-256 to be HEX (64 digits)");
    verify->callback([options, &exitCode] { exitCode = RunVerify(*options); });
}
