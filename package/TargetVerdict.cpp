#include "TargetVerdict.h"

#include <cstdio>
#include <vector>

#include "CodePage.h"
#include "PackageLayout.h"
#include "Utf8.h"

namespace package {

namespace {

constexpr int kWesternCodePage = 1252;

bool IsSeparator(char32_t c)
{
    return c == '/' || c == '\\';
}

// Upper case as Windows compares file names, for the scripts whose cases are one block apart.
char32_t Upper(char32_t c)
{
    if ((c >= 'a' && c <= 'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7) || (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2) ||
        (c >= 0x430 && c <= 0x44F))
        return c - 0x20;
    return c >= 0x450 && c <= 0x45F ? c - 0x50 : c;
}

std::u32string UpperText(std::u32string text)
{
    for (char32_t& c : text)
        c = Upper(c);
    return text;
}

bool IsReserved(char32_t c)
{
    return c < 0x20 || c == '<' || c == '>' || c == '"' || c == '|' || c == '?' || c == '*';
}

// A Windows device name before the first dot ("nul", "COM3.bin", "CONOUT$"): opening it
// reaches the device, in whatever folder. Windows also takes the superscript digits one,
// two and three as port numbers.
bool IsDeviceName(const std::u32string& component)
{
    const std::u32string stem = UpperText(component.substr(0, component.find('.')));
    for (const char32_t* device : {U"CON", U"PRN", U"AUX", U"NUL", U"CONIN$", U"CONOUT$"})
        if (stem == device)
            return true;
    const bool port = stem.size() == 4 && (stem.compare(0, 3, U"COM") == 0 || stem.compare(0, 3, U"LPT") == 0);
    const char32_t number = port ? stem[3] : 0;
    return (number >= '1' && number <= '9') || number == U'\u00B9' || number == U'\u00B2' || number == U'\u00B3';
}

// The name's parts between separators, "." parts left out as Windows leaves them out.
std::vector<std::u32string> Parts(const std::u32string& name, bool& lastNamesNoFile)
{
    std::vector<std::u32string> parts;
    std::u32string part;
    for (std::size_t at = 0; at <= name.size(); ++at) {
        if (at < name.size() && !IsSeparator(name[at])) {
            part += name[at];
            continue;
        }
        lastNamesNoFile = part.empty() || part == U".";
        if (part != U"." && !part.empty())
            parts.push_back(part);
        part.clear();
    }
    return parts;
}

// The stored bytes as Windows reads them in `codePage`; a byte that starts no character is U+FFFD.
std::u32string Reading(const std::string& bytes, int codePage)
{
    std::u32string name;
    std::size_t used = 1;
    for (std::size_t at = 0; at < bytes.size(); at += used) {
        char32_t character = 0;
        if (!DecodeCharacter(bytes, at, codePage, character, used)) {
            character = U'\uFFFD';
            used = 1;
        }
        name += character;
    }
    return name;
}

// The first rule a reading breaks, folders aside: those are the context's to allow.
TargetVerdict CheckReading(const std::u32string& name)
{
    using R = TargetNameRule;
    if (name.empty())
        return {R::Empty};
    const char32_t first = name[0], second = name.size() < 2 ? 0 : name[1];
    if (IsSeparator(first) && IsSeparator(second))
        return {R::NetworkPath};
    if (IsSeparator(first))
        return {R::Absolute};
    if (Upper(first) >= 'A' && Upper(first) <= 'Z' && second == ':')
        return {R::Drive};
    if (name.find(':') != std::u32string::npos)
        return {R::Colon};
    for (const char32_t c : name)
        if (IsReserved(c))
            return {R::ReservedCharacter, c};
    bool noFile = false;
    for (const std::u32string& part : Parts(name, noFile)) {
        if (part == U"..")
            return {R::Parent};
        if (IsDeviceName(part))
            return {R::Device};
        if (part.back() == '.' || part.back() == ' ')
            return {R::TrailingDotOrSpace};
    }
    return {noFile ? R::NoFileName : R::Allowed};
}

// A rule that holds in any code page a carrier may meet: the name leaves the folder or opens a device.
bool HoldsInEveryCodePage(TargetNameRule rule)
{
    using R = TargetNameRule;
    return rule == R::Absolute || rule == R::NetworkPath || rule == R::Drive || rule == R::Parent || rule == R::Device;
}

std::u32string FromUtf8(const std::string& text)
{
    std::u32string decoded;
    std::size_t length = 1;
    for (std::size_t at = 0; at < text.size(); at += length) {
        char32_t c = U'\uFFFD';
        if (!ReadUtf8Character(text, at, c, length))
            length = 1;
        decoded += c;
    }
    return decoded;
}

// The carrier opens "<its name up to the last dot>.exe" in a 128-byte buffer.
bool CarrierFindsItself(const std::string& fileName, int codePage)
{
    const std::size_t dot = fileName.rfind('.');
    if (dot == std::string::npos || UpperText(FromUtf8(fileName.substr(dot))) != U".EXE")
        return false;
    const std::string name = fileName.substr(0, dot);
    std::string ansi;
    std::size_t at = 0;
    const bool converted = codePage > 0 && EncodeText(name, codePage, ansi, at) == Encoding::Converted;
    return (converted ? ansi.size() : name.size()) + sizeof(".exe") <= static_cast<std::size_t>(kPathBufferSize);
}

ExtractResult ResultOf(TargetNameRule rule)
{
    using R = TargetNameRule;
    switch (rule) {
    case R::Empty:
    case R::NoFileName:
    case R::ReservedCharacter:
    case R::Folder:
    case R::NamesCarrier:
        return ExtractResult::TargetNotWritable;
    case R::CarrierNotFound:
        return ExtractResult::NoPackage;
    default:  // written, if elsewhere or under another name
        return ExtractResult::Extracted;
    }
}

// " (read in code page 949)" when another code page than the context's broke the rule.
std::string ReadIn(const TargetVerdict& verdict)
{
    return verdict.readIn == 0 ? "" : " (read in code page " + std::to_string(verdict.readIn) + ")";
}

TargetVerdict Verdict(TargetVerdict verdict, int readIn = 0)
{
    verdict.readIn = readIn;
    verdict.result = ResultOf(verdict.rule);
    return verdict;
}

}  // namespace

TargetVerdict JudgeTarget(const std::string& stored, const TargetContext& context)
{
    using R = TargetNameRule;
    const int codePage = context.codePage > 0 ? context.codePage : kWesternCodePage;
    if (!context.carrierFileName.empty() && !CarrierFindsItself(context.carrierFileName, context.codePage))
        return Verdict({R::CarrierNotFound});
    const std::u32string name = Reading(stored, codePage);
    const TargetVerdict verdict = CheckReading(name);
    if (!verdict.Allowed())
        return Verdict(verdict);
    for (const int other : CodePageNumbers()) {
        const TargetVerdict elsewhere = CheckReading(Reading(stored, other));
        if (HoldsInEveryCodePage(elsewhere.rule))
            return Verdict(elsewhere, other == codePage ? 0 : other);
    }
    bool noFile = false;
    const std::vector<std::u32string> parts = Parts(name, noFile);
    if (parts.size() == 1 && !context.carrierFileName.empty() &&
        UpperText(parts[0]) == UpperText(FromUtf8(context.carrierFileName)))
        return Verdict({R::NamesCarrier});
    if (parts.size() > 1 && !context.folderExists)
        return Verdict({R::Folder});
    return Verdict({});
}

std::string TargetNameRefusal(const TargetVerdict& verdict)
{
    using R = TargetNameRule;
    switch (verdict.rule) {
    case R::Allowed:
        break;
    case R::Empty:
        return "it is empty, so the carrier has no file to write";
    case R::NoFileName:
        return "its last part is empty or \".\", so it names a folder, not a file";
    case R::Absolute:
        return "it is an absolute path";
    case R::NetworkPath:
        return "it starts with \\\\, a network or device path";
    case R::Drive:
        return "it names a drive";
    case R::Parent:
        return "it has a \"..\" component, which leads out of the folder" + ReadIn(verdict);
    case R::Colon:
        return "it holds a colon (a drive or a Windows stream)";
    case R::Device:
        return "it names a Windows device" + ReadIn(verdict);
    case R::ReservedCharacter: {
        char shown[48];
        if (verdict.character < 0x20)
            std::snprintf(shown, sizeof(shown), "the control character 0x%02X", static_cast<unsigned>(verdict.character));
        else
            std::snprintf(shown, sizeof(shown), "\"%c\"", static_cast<char>(verdict.character));
        return std::string("it holds ") + shown + ", which Windows does not allow in a file name";
    }
    case R::TrailingDotOrSpace:
        return "a part of it ends in a dot or a space, which Windows drops from file names";
    case R::Folder:
        return "it names a file in a folder, which the carrier does not create (--allow-folder: the folder exists "
               "where the carrier runs)";
    case R::NamesCarrier:
        return "it names the carrier itself, which is open for reading";
    case R::CarrierNotFound:
        return "the carrier's file name must end in \".exe\" and be at most " + std::to_string(kPathBufferSize - 1) +
               " bytes long, or the carrier cannot find its own package";
    }
    return "";
}

}  // namespace package
