// The field rules on arbitrary bytes, checked against C's own strtoll and a plain reading of
// a text field, and the encoders' round trips. The input, padded with zeros to 47 bytes, is
// cut into fixed slices:
//   [0, 10) a stored decimal field   [10, 26) a stored text field
//   [26, 30) a number to encode      [30, 47) a text to encode (as long as the input goes).
#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "FieldEncoding.h"
#include "FuzzCheck.h"

namespace {

using fuzz::Require;

std::uint8_t Unscramble(std::uint8_t stored)
{
    return static_cast<std::uint8_t>(stored % 16 * 16 + stored / 16);
}

void CheckFields(const std::uint8_t* stored)
{
    package::DecimalField decimal;
    package::TextField text;
    std::copy_n(stored, decimal.size(), decimal.begin());
    std::copy_n(stored + decimal.size(), text.size(), text.begin());
    // Ten characters always fit a long long; the field keeps its low 32 bits.
    char digits[package::kDecimalFieldSize + 1] = {};
    std::transform(decimal.begin(), decimal.end(), digits, Unscramble);
    Require(package::ParseDecimalField(decimal) == std::int32_t(std::uint32_t(std::strtoll(digits, nullptr, 10))),
            "a decimal field reads as atol does");
    for (const bool scrambled : {false, true}) {
        std::string plain;
        for (const std::uint8_t b : text)
            plain += char(scrambled ? Unscramble(b) : b);
        plain.erase(std::find_if(plain.begin(), plain.end(), [](char c) { return c == ' ' || c == '\0'; }), plain.end());
        Require(package::ParseTextField(text, scrambled).data() == plain, "a text field ends at its first space or NUL");
    }
}

void CheckRoundTrips(std::uint32_t value, const std::string& text)
{
    Require(std::uint32_t(package::ParseDecimalField(package::EncodeDecimalField(value))) == value,
            "an encoded number reads back as the same 32-bit pattern");
    const bool valid = package::CheckFieldText(text, "label").empty();
    for (const bool scrambled : {false, true}) {
        const std::string back = package::ParseTextField(package::EncodeTextField(text, scrambled), scrambled).data();
        Require(valid ? back == text : text.compare(0, back.size(), back) == 0 && back.size() < text.size(),
                "an accepted text reads back whole, a refused one cut short");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::vector<std::uint8_t> input(data, data + size);
    input.resize(std::max<std::size_t>(size, 47));
    const std::uint32_t value = input[26] | input[27] << 8 | input[28] << 16 | std::uint32_t{input[29]} << 24;
    const std::size_t textStart = std::min<std::size_t>(size, 30), textEnd = std::min<std::size_t>(size, 47);

    CheckFields(input.data());
    CheckRoundTrips(value, std::string(input.begin() + textStart, input.begin() + textEnd));
    return 0;
}
