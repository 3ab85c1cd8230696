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

using fuzz::Bytes;
using fuzz::Require;

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
    Require(package::ParseDecimalField(decimal) == fuzz::DecimalValue(decimal.data()), "a decimal field reads as atol does");
    for (const bool scrambled : {false, true})
        Require(package::ParseTextField(text, scrambled).data() == fuzz::TextValue(text.data(), scrambled),
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
        expected += fuzz::Unscramble(b);
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
