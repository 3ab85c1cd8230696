#include "TargetNameRule.h"

#include <cstdio>

namespace package {

namespace {

bool IsSeparator(char32_t c)
{
    return c == '/' || c == '\\';
}

char32_t Upper(char32_t c)
{
    return c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c;
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
    std::u32string stem = component.substr(0, component.find('.'));
    for (char32_t& c : stem)
        c = Upper(c);
    for (const char32_t* device : {U"CON", U"PRN", U"AUX", U"NUL", U"CONIN$", U"CONOUT$"})
        if (stem == device)
            return true;
    const bool port = stem.size() == 4 && (stem.compare(0, 3, U"COM") == 0 || stem.compare(0, 3, U"LPT") == 0);
    const char32_t number = port ? stem[3] : 0;
    return (number >= '1' && number <= '9') || number == U'\u00B9' || number == U'\u00B2' || number == U'\u00B3';
}

TargetNameRule CheckComponent(const std::u32string& component)
{
    if (component == U"..")
        return TargetNameRule::Parent;
    if (IsDeviceName(component))
        return TargetNameRule::Device;
    const char32_t last = component.empty() ? 0 : component.back();
    if ((last == '.' || last == ' ') && component != U".")
        return TargetNameRule::TrailingDotOrSpace;
    return TargetNameRule::Allowed;
}

}  // namespace

TargetNameCheck CheckTargetName(const std::u32string& name)
{
    if (name.empty())
        return {TargetNameRule::Empty};
    const char32_t first = name[0], second = name.size() < 2 ? 0 : name[1];
    if (IsSeparator(first) && IsSeparator(second))
        return {TargetNameRule::NetworkPath};
    if (IsSeparator(first))
        return {TargetNameRule::Absolute};
    if (Upper(first) >= 'A' && Upper(first) <= 'Z' && second == ':')
        return {TargetNameRule::Drive};
    if (name.find(':') != std::u32string::npos)
        return {TargetNameRule::Colon};
    for (const char32_t c : name)
        if (IsReserved(c))
            return {TargetNameRule::ReservedCharacter, c};
    for (std::size_t start = 0; start < name.size();) {
        std::size_t end = start;
        while (end < name.size() && !IsSeparator(name[end]))
            ++end;
        const TargetNameRule rule = CheckComponent(name.substr(start, end - start));
        if (rule != TargetNameRule::Allowed)
            return {rule};
        start = end + 1;
    }
    return {};
}

TargetNameCheck CheckStoredTargetName(const std::string& bytes)
{
    std::u32string name;
    for (const unsigned char b : bytes)
        name += static_cast<char32_t>(b);
    return CheckTargetName(name);
}

std::string TargetNameRefusal(const TargetNameCheck& check)
{
    switch (check.rule) {
    case TargetNameRule::Allowed:
        break;
    case TargetNameRule::Empty:
        return "it is empty, so the carrier has no file to write";
    case TargetNameRule::Absolute:
        return "it is an absolute path";
    case TargetNameRule::NetworkPath:
        return "it starts with \\\\, a network or device path";
    case TargetNameRule::Drive:
        return "it names a drive";
    case TargetNameRule::Parent:
        return "it has a \"..\" component, which leads out of the folder";
    case TargetNameRule::Colon:
        return "it holds a colon (a drive or a Windows stream)";
    case TargetNameRule::Device:
        return "it names a Windows device";
    case TargetNameRule::ReservedCharacter: {
        char shown[48];
        if (check.character < 0x20)
            std::snprintf(shown, sizeof(shown), "the control character 0x%02X", static_cast<unsigned>(check.character));
        else
            std::snprintf(shown, sizeof(shown), "\"%c\"", static_cast<char>(check.character));
        return std::string("it holds ") + shown + ", which Windows does not allow in a file name";
    }
    case TargetNameRule::TrailingDotOrSpace:
        return "a part of it ends in a dot or a space, which Windows drops from file names";
    }
    return "";
}

}  // namespace package
