#include "FieldEncoding.h"

#include <cstdio>

namespace package {

std::string CheckFieldText(const std::string& text, const char* what)
{
    const std::string name(what);
    if (text.size() > kTextFieldSize)
        return name + " \"" + text + "\" is " + std::to_string(text.size()) + " bytes long; at most " +
               std::to_string(kTextFieldSize) + " bytes fit";
    if (text.find('\0') != std::string::npos)
        return name + " contains a NUL byte, which would end it early";
    if (text.find(' ') != std::string::npos)
        return name + " \"" + text + "\" contains a space; the text would end there";
    return "";
}

TextField EncodeTextField(const std::string& text, bool scrambled)
{
    TextField field;
    field.fill(' ');
    for (std::size_t i = 0; i < text.size() && i < field.size(); ++i)
        field[i] = static_cast<std::uint8_t>(text[i]);
    if (scrambled)
        SwapNibbles(field.data(), field.size());
    return field;
}

DecimalField EncodeDecimalField(std::uint32_t value)
{
    char digits[kDecimalFieldSize + 1];
    std::snprintf(digits, sizeof(digits), "%010lu", static_cast<unsigned long>(value));
    DecimalField field;
    for (int i = 0; i < kDecimalFieldSize; ++i)
        field[i] = SwapNibbles(static_cast<std::uint8_t>(digits[i]));
    return field;
}

}  // namespace package
