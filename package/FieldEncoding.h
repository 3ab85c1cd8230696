// The writing side of the field rules: what a package builder stores so that the
// reader gets the same text and numbers back.
#pragma once

#include <cstdint>
#include <string>

#include "FieldRules.h"

namespace package {

// Why `text` would not read back whole from a sixteen-byte field, or "" when it would.
// `what` names the field in the message ("label", "target name").
std::string CheckFieldText(const std::string& text, const char* what);

// The text followed by spaces, scrambled when asked. Text that fails CheckFieldText is cut.
TextField EncodeTextField(const std::string& text, bool scrambled);

// Ten zero-padded decimal digits, scrambled: reads back as the same 32-bit pattern.
DecimalField EncodeDecimalField(std::uint32_t value);

}  // namespace package
