#include "TargetNameRule.h"

#include <cstring>

namespace package {

namespace {

bool IsSeparator(char c)
{
    return c == '/' || c == '\\';
}

char Upper(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// A Windows device name before the first dot ("nul", "COM3.bin", "CONOUT$"): opening it
// reaches the device, in whatever folder. Windows also takes the superscript digits one,
// two and three (0xB9, 0xB2, 0xB3 in the Western code page) as port numbers.
bool IsDeviceName(const char* component, std::size_t length)
{
    const char* dot = static_cast<const char*>(std::memchr(component, '.', length));
    const std::size_t stem = dot != nullptr ? static_cast<std::size_t>(dot - component) : length;
    char name[8] = {};
    if (stem < 3 || stem > 7)
        return false;
    for (std::size_t i = 0; i < stem; ++i)
        name[i] = Upper(component[i]);
    static const char* const kDevices[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
    for (const char* device : kDevices)
        if (std::strcmp(name, device) == 0)
            return true;
    const bool port = stem == 4 && (std::strncmp(name, "COM", 3) == 0 || std::strncmp(name, "LPT", 3) == 0);
    return port && ((name[3] >= '1' && name[3] <= '9') || std::strchr("\xB9\xB2\xB3", name[3]) != nullptr);
}

}  // namespace

TargetNameRule CheckTargetName(const char* name)
{
    if (IsSeparator(name[0]) && IsSeparator(name[1]))
        return TargetNameRule::NetworkPath;
    if (IsSeparator(name[0]))
        return TargetNameRule::Absolute;
    if (Upper(name[0]) >= 'A' && Upper(name[0]) <= 'Z' && name[1] == ':')
        return TargetNameRule::Drive;
    if (std::strchr(name, ':') != nullptr)
        return TargetNameRule::Colon;
    for (const char* component = name; *component != '\0';) {
        std::size_t length = 0;
        while (component[length] != '\0' && !IsSeparator(component[length]))
            ++length;
        if (length == 2 && component[0] == '.' && component[1] == '.')
            return TargetNameRule::Parent;
        if (IsDeviceName(component, length))
            return TargetNameRule::Device;
        component += component[length] != '\0' ? length + 1 : length;
    }
    return TargetNameRule::Allowed;
}

const char* TargetNameRefusal(TargetNameRule rule)
{
    switch (rule) {
    case TargetNameRule::Allowed:
        break;
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
    }
    return nullptr;
}

}  // namespace package
