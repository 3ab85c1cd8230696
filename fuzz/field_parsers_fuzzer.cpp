// The field rules on arbitrary bytes, checked against the plain reading in Reference.cpp,
// and the encoders' round trips. The input is cut into fixed slices:
//   [0, 10) a stored decimal field   [10, 26) a stored text field
//   [26, 30) a number to encode      [30, 47) a text to encode
// and the whole input is summed as payload.
#include <algorithm>
#include <string>

#include "FieldEncoding.h"
#include "FuzzCheck.h"
#include "Reference.h"

namespace {

using fuzz::Require;

// `N` bytes from `offset`; bytes past the end of the input read as zeros.
template <std::size_t N>
std::array<std::uint8_t, N> Slice(const fuzz::Bytes& input, std::size_t offset)
{
    std::array<std::uint8_t, N> bytes{};
    for (std::size_t i = 0; i < N && offset + i < input.size(); ++i)
        bytes[i] = input[offset + i];
    return bytes;
}

void CheckDecimalField(const package::DecimalField& field)
{
    Require(package::ParseDecimalField(field) == fuzz::DecimalValue(field.data()),
            "a decimal field reads as atol does");
}

void CheckTextField(const package::TextField& field)
{
    for (const bool scrambled : {false, true}) {
        const package::FieldText text = package::ParseTextField(field, scrambled);
        Require(text.back() == '\0', "a text field reads as a terminated text");
        Require(text.data() == fuzz::TextValue(field.data(), scrambled), "a text field ends at its first space or NUL");
    }
}

// Summing in two parts from any start equals the plain sum, wrapped to 32 bits.
void CheckChecksum(const fuzz::Bytes& input, std::uint32_t start)
{
    const std::size_t split = input.empty() ? 0 : input[0] % (input.size() + 1);
    const std::uint32_t first = package::AccumulateChecksum(start, input.data(), split);
    const std::uint32_t whole = package::AccumulateChecksum(first, input.data() + split, input.size() - split);
    std::uint32_t expected = start;
    for (const std::uint8_t b : input)
        expected += fuzz::Unscramble(b);
    Require(whole == expected, "the checksum is the wrapped sum of the unscrambled bytes");
}

void CheckDecimalRoundTrip(std::uint32_t value)
{
    const package::DecimalField field = package::EncodeDecimalField(value);
    Require(static_cast<std::uint32_t>(package::ParseDecimalField(field)) == value,
            "an encoded number reads back as the same 32-bit pattern");
}

void CheckTextRoundTrip(const std::string& text)
{
    const bool valid = package::CheckFieldText(text, "label").empty();
    for (const bool scrambled : {false, true}) {
        const std::string back = package::ParseTextField(package::EncodeTextField(text, scrambled), scrambled).data();
        if (valid)
            Require(back == text, "an accepted text reads back whole");
        else
            Require(text.compare(0, back.size(), back) == 0 && back.size() < text.size(),
                    "a refused text reads back cut short");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const fuzz::Bytes input(data, data + size);
    const auto number = Slice<4>(input, 26);
    const std::uint32_t value = number[0] | number[1] << 8 | number[2] << 16 | std::uint32_t{number[3]} << 24;
    const std::size_t textStart = size < 30 ? size : 30;

    CheckDecimalField(Slice<package::kDecimalFieldSize>(input, 0));
    CheckTextField(Slice<package::kTextFieldSize>(input, 10));
    CheckChecksum(input, value);
    CheckDecimalRoundTrip(value);
    CheckTextRoundTrip(std::string(input.begin() + textStart, input.begin() + std::min(size, textStart + 17)));
    return 0;
}
