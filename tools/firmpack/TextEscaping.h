// Labels and target names are 8-bit text in the carrier's code page, not necessarily
// UTF-8; these make them safe to print.
#pragma once

#include <string>

// Printable ASCII as it is, every other byte as \xNN.
std::string EscapeForTerminal(const std::string& bytes);

// Each byte as the code point of the same value (U+0000 to U+00FF), encoded as UTF-8.
std::string BytesAsLatin1Utf8(const std::string& bytes);

// Each byte as two lower-case hexadecimal digits.
std::string HexBytes(const std::string& bytes);
