// The field rules on arbitrary bytes, checked against C's own strtoll and a plain reading of
// a text field, and the encoders' round trips. The input is cut into fixed slices:
//   [0, 10) a stored decimal field   [10, 26) a stored text field
//   [26, 30) a number to encode      [30, 47) a text to encode
// and the whole input is summed as payload.
#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "FieldEncoding.h"
#include "FuzzCheck.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using fuzz::Require;

std::uint8_t Unscramble(std::uint8_t stored)
{
    return static_cast<std::uint8_t>(stored % 16 * 16 + stored / 16);
}

// Ten characters always fit a long long; the field keeps its low 32 bits.
std::int32_t DecimalValue(const package::DecimalField& stored)
{
    char text[package::kDecimalFieldSize + 1] = {};
    std::transform(stored.begin(), stored.end(), text, [](std::uint8_t b) { return char(Unscramble(b)); });
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(std::strtoll(text, nullptr, 10)));
}

std::string TextValue(const package::TextField& stored, bool scrambled)
{
    std::string text;
    for (const std::uint8_t b : stored) {
        const char c = char(scrambled ? Unscramble(b) : b);
        if (c == ' ' || c == '\0')
            break;
        text += c;
    }
    return text;
}

// `N` bytes from `offset`; bytes past the end of the input read as zeros.
template <std::size_t N>
std::array<std::uint8_t, N> Slice(const Bytes& input, std::size_t offset)
{
    std::array<std::uint8_t, N> bytes{};
    for (std::size_t i = 0; i < N && offset + i < input.size(); ++i)
        bytes[i] = input[offset + i];
    return bytes;
}

void CheckFields(const package::DecimalField& decimal, const package::TextField& text)
{
    Require(package::ParseDecimalField(decimal) == DecimalValue(decimal), "a decimal field reads as atol does");
    for (const bool scrambled : {false, true})
        Require(package::ParseTextField(text, scrambled).data() == TextValue(text, scrambled),
                "a text field ends at its first space or NUL");
}

// Summing in two parts from any start equals the plain sum, wrapped to 32 bits.
void CheckChecksum(const Bytes& input, std::uint32_t start)
{
    const std::size_t split = input.empty() ? 0 : input[0] % (input.size() + 1);
    const std::uint32_t first = package::AccumulateChecksum(start, input.data(), split);
    const std::uint32_t whole = package::AccumulateChecksum(first, input.data() + split, input.size() - split);
    std::uint32_t expected = start;
    for (const std::uint8_t b : input)
        expected += Unscramble(b);
    Require(whole == expected, "the checksum is the wrapped sum of the unscrambled bytes");
}

void CheckRoundTrips(std::uint32_t value, const std::string& text)
{
    Require(static_cast<std::uint32_t>(package::ParseDecimalField(package::EncodeDecimalField(value))) == value,
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
    const Bytes input(data, data + size);
    const auto number = Slice<4>(input, 26);
    const std::uint32_t value = number[0] | number[1] << 8 | number[2] << 16 | std::uint32_t{number[3]} << 24;
    const std::size_t textStart = size < 30 ? size : 30;

    CheckFields(Slice<package::kDecimalFieldSize>(input, 0), Slice<package::kTextFieldSize>(input, 10));
    CheckChecksum(input, value);
    CheckRoundTrips(value, std::string(input.begin() + textStart, input.begin() + std::min(size, textStart + 17)));
    return 0;
}
