#include "Utf8.h"

bool ReadUtf8Character(const std::string& text, std::size_t at, char32_t& codePoint, std::size_t& length)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[at + i]); };
    const unsigned char lead = byte(0);
    length = lead < 0x80 ? 1 : lead >= 0xC2 && lead <= 0xDF ? 2 : lead >= 0xE0 && lead <= 0xEF ? 3
           : lead >= 0xF0 && lead <= 0xF4                   ? 4
                                                            : 0;
    if (length == 0 || at + length > text.size())
        return false;
    codePoint = length == 1 ? lead : lead & (0x7Fu >> length);
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80)
            return false;
        codePoint = codePoint << 6 | (byte(i) & 0x3Fu);
    }
    const char32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    return codePoint >= smallest[length] && codePoint <= 0x10FFFF && (codePoint < 0xD800 || codePoint > 0xDFFF);
}

void AppendUtf8Character(char32_t codePoint, std::string& out)
{
    const int length = codePoint < 0x80 ? 1 : codePoint < 0x800 ? 2 : codePoint < 0x10000 ? 3 : 4;
    const unsigned char lead[] = {0, 0x00, 0xC0, 0xE0, 0xF0};
    out += static_cast<char>(lead[length] | codePoint >> (6 * (length - 1)));
    for (int i = length - 2; i >= 0; --i)
        out += static_cast<char>(0x80 | (codePoint >> (6 * i) & 0x3F));
}
