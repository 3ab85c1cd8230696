// firmpack inspect: what a carrier holds and what it would do, without writing anything.
#include <iostream>
#include <nlohmann/json.hpp>

#include "CarrierReport.h"
#include "CodePage.h"
#include "CodePageText.h"
#include "Commands.h"
#include "ExitCodes.h"
#include "Messages.h"
#include "TextEscaping.h"

namespace {

// The JSON report's layout: raised when a field is removed or changes its meaning; fields are
// only ever added at the end without it.
constexpr int kReportVersion = 1;

struct InspectOptions {
    std::string carrier;
    bool json = false;
    int codePage = kNoCodePage;
};

nlohmann::ordered_json OrNull(bool present, std::int64_t value)
{
    return present ? nlohmann::ordered_json(value) : nlohmann::ordered_json(nullptr);
}

// Label and target name decoded from the code page given ("cp949"); without one, each byte as the
// code point of the same value ("latin1"). The _hex fields keep the raw bytes either way.
void AddTexts(nlohmann::ordered_json& json, const CarrierReport& r, int codePage)
{
    const bool decoded = codePage > kRawBytes;
    const auto text = [&](const std::string& bytes) {
        return decoded ? DecodeToUtf8(bytes, codePage) : BytesAsLatin1Utf8(bytes);
    };
    json["text_encoding"] = decoded ? "cp" + std::to_string(codePage) : "latin1";
    json["label"] = text(r.label);
    json["label_hex"] = HexBytes(r.label);
    json["target_name"] = text(r.targetName);
    json["target_name_hex"] = HexBytes(r.targetName);
}

const char* FileKindName(FileKind kind)
{
    switch (kind) {
    case FileKind::Carrier:
        return "carrier";
    case FileKind::NotAnExecutable:
        return "not_an_executable";
    case FileKind::BareStub:
        return "bare_stub";
    }
    return "unknown";
}

nlohmann::ordered_json ToJson(const CarrierReport& r, int codePage)
{
    const package::Verification& v = r.verification;
    const char* message = package::ExtractResultMessage(r.verdict);
    nlohmann::ordered_json json;
    json["report_version"] = kReportVersion;
    json["carrier"] = r.path;
    json["file_size"] = r.fileSize;
    json["stub_end"] = r.stubEnd ? nlohmann::ordered_json(*r.stubEnd) : nullptr;
    json["package_found"] = KindOf(r) == FileKind::Carrier;
    json["file_kind"] = FileKindName(KindOf(r));
    json["stub_sha256"] = r.stubSha256.empty() ? nlohmann::ordered_json(nullptr) : nlohmann::ordered_json(r.stubSha256);
    json["stub_is_builtin"] = IsOwnStub(r);
    json["header_position"] = r.headerPosition;
    AddTexts(json, r, codePage);
    json["payload_length"] = v.length;
    json["payload_fits"] = v.fits;
    json["stored_checksum"] = v.fits ? nlohmann::ordered_json(v.storedChecksum) : nullptr;
    json["computed_checksum"] = v.fits ? nlohmann::ordered_json(v.computedChecksum) : nullptr;
    json["payload_sha256"] =
        r.payloadSha256.empty() ? nlohmann::ordered_json(nullptr) : nlohmann::ordered_json(r.payloadSha256);
    json["signature_offset"] = OrNull(r.signatureSize > 0, r.signatureOffset);
    json["signature_size"] = OrNull(r.signatureSize > 0, r.signatureSize);
    json["verdict"] = VerdictName(r.verdict);
    json["message"] = message != nullptr ? nlohmann::ordered_json(message) : nullptr;
    const std::string refusal = package::TargetNameRefusal(r.target);
    json["target_name_allowed"] = refusal.empty();
    json["target_name_refusal"] = refusal.empty() ? nlohmann::ordered_json(nullptr) : nlohmann::ordered_json(refusal);
    return json;
}

void PrintText(const CarrierReport& r, int codePage)
{
    const package::Verification& v = r.verification;
    const auto checksum = [&](std::uint32_t value) { return v.fits ? std::to_string(value) : std::string("not read"); };
    std::cout << "carrier            " << EscapeControls(r.path) << " (" << r.fileSize << " bytes)\n"
              << "stub ends at       " << (r.stubEnd ? std::to_string(*r.stubEnd) : "not a Windows executable") << "\n"
              << "stub SHA-256       "
              << (r.stubSha256.empty() ? "not read" : r.stubSha256 + (IsOwnStub(r) ? " (this firmpack's own)" : " (another stub)"))
              << "\n"
              << "header position    " << r.headerPosition << "\n"
              << "label              " << ShowForTerminal(r.label, codePage) << "\n"
              << "target name        " << ShowForTerminal(r.targetName, codePage) << "\n"
              << "payload length     " << v.length << " bytes" << (v.fits ? "" : " (past the end of the file)") << "\n"
              << "stored checksum    " << checksum(v.storedChecksum) << "\n"
              << "computed checksum  " << checksum(v.computedChecksum) << "\n"
              << "payload SHA-256    " << (r.payloadSha256.empty() ? "not read" : r.payloadSha256) << "\n"
              << "signature          "
              << (r.signatureSize > 0 ? std::to_string(r.signatureSize) + " bytes at " + std::to_string(r.signatureOffset)
                                      : std::string("none")) << "\n"
              << "verdict            " << VerdictName(r.verdict);
    if (const char* message = package::ExtractResultMessage(r.verdict))
        std::cout << ": \"" << message << '"';
    std::cout << '\n';
    const std::string why = ExplainVerdict(r);
    if (!why.empty())
        std::cout << "                   " << why << '\n';
    const std::string refusal = package::TargetNameRefusal(r.target);
    std::cout << "target name check  " << (refusal.empty() ? "allowed" : "refused: " + refusal) << '\n';
}

int RunInspect(const InspectOptions& options)
{
    std::string failure;
    const auto report = ReadCarrierReport({options.carrier, options.codePage, true, false}, failure);
    if (!report)
        return Fail(kExitIoError, "cannot open " + options.carrier + " for reading: " + failure);
    // A file name that is not UTF-8 shows U+FFFD where JSON cannot carry its bytes.
    if (options.json)
        std::cout << ToJson(*report, options.codePage).dump(2, ' ', false, nlohmann::json::error_handler_t::replace)
                  << '\n';
    else
        PrintText(*report, options.codePage);
    return kExitSuccess;
}

}  // namespace

void SetupInspect(CLI::App& app, int& exitCode)
{
    auto options = std::make_shared<InspectOptions>();
    CLI::App* inspect = app.add_subcommand("inspect", "Show what a carrier holds and the verdict it would reach");
    inspect->add_option("CARRIER", options->carrier, "Carrier to read")->required();
    inspect->add_flag("--json", options->json, "Print the report as JSON");
    AddCodePageOption(*inspect, options->codePage,
                      "Show label and target name decoded from this Windows code page (949, 932, 936, 950, "
                      "1250-1258); raw or without it: byte by byte");
    inspect->callback([options, &exitCode] { exitCode = RunInspect(*options); });
}
