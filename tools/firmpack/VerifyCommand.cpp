// firmpack verify: silent when the carrier would write its firmware, an exit status otherwise.
#include "CarrierReport.h"
#include "Commands.h"
#include "ExitCodes.h"
#include "Messages.h"

namespace {

int RunVerify(const std::string& carrier)
{
    const auto report = ReadCarrierReport(carrier);
    if (!report)
        return Fail(kExitIoError, "cannot open " + carrier + " for reading");
    if (report->verdict != package::ExtractResult::Extracted)
        return Fail(kExitVerificationFailed, carrier + ": " + ExplainVerdict(*report));
    return kExitSuccess;
}

}  // namespace

void SetupVerify(CLI::App& app, int& exitCode)
{
    auto carrier = std::make_shared<std::string>();
    CLI::App* verify = app.add_subcommand("verify", "Check a carrier; silent on success");
    verify->add_option("CARRIER", *carrier, "Carrier to check")->required();
    verify->callback([carrier, &exitCode] { exitCode = RunVerify(*carrier); });
}
