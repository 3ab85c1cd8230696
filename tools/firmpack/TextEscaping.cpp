#include "TextEscaping.h"

#include "Utf8.h"

namespace {

const char kHexDigits[] = "0123456789abcdef";

}  // namespace

std::string EscapeForTerminal(const std::string& bytes)
{
    std::string out;
    for (unsigned char c : bytes) {
        if (c >= 0x20 && c < 0x7F && c != '\\') {
            out += static_cast<char>(c);
        } else {
            out += "\\x";
            out += kHexDigits[c >> 4];
            out += kHexDigits[c & 0x0F];
        }
    }
    return out;
}

std::string BytesAsLatin1Utf8(const std::string& bytes)
{
    std::string out;
    for (unsigned char c : bytes)
        AppendUtf8Character(c, out);
    return out;
}

std::string HexBytes(const std::string& bytes)
{
    std::string out;
    for (unsigned char c : bytes) {
        out += kHexDigits[c >> 4];
        out += kHexDigits[c & 0x0F];
    }
    return out;
}
