#include "FieldRules.h"

namespace package {

namespace {

bool IsAtolSpace(std::uint8_t c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

bool IsDigit(std::uint8_t c)
{
    return c >= '0' && c <= '9';
}

}  // namespace

void SwapNibbles(std::uint8_t* bytes, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i)
        bytes[i] = SwapNibbles(bytes[i]);
}

FieldText ParseTextField(const TextField& field, bool scrambled)
{
    FieldText text{};
    for (int i = 0; i < kTextFieldSize; ++i) {
        const std::uint8_t b = scrambled ? SwapNibbles(field[i]) : field[i];
        if (b != ' ')
            text[i] = static_cast<char>(b);
    }
    // A space left a NUL behind, so the text ends at the first space or NUL.
    return text;
}

std::int32_t ParseDecimalField(const DecimalField& field)
{
    // The eleventh byte stays NUL, so the conversion always ends inside the buffer.
    std::uint8_t text[kDecimalFieldSize + 1] = {};
    for (int i = 0; i < kDecimalFieldSize; ++i)
        text[i] = SwapNibbles(field[i]);

    const std::uint8_t* p = text;
    while (IsAtolSpace(*p))
        ++p;
    const bool negative = *p == '-';
    if (*p == '-' || *p == '+')
        ++p;
    std::uint32_t value = 0;  // unsigned, so that ten digits wrap instead of overflowing
    for (; IsDigit(*p); ++p)
        value = value * 10u + static_cast<std::uint32_t>(*p - '0');
    if (negative)
        value = 0u - value;
    return static_cast<std::int32_t>(value);
}

bool IsPlainDecimalField(const DecimalField& field)
{
    int i = 0;
    const auto at = [&](int index) { return SwapNibbles(field[index]); };
    while (i < kDecimalFieldSize && IsAtolSpace(at(i)))
        ++i;
    if (i < kDecimalFieldSize && (at(i) == '-' || at(i) == '+'))
        ++i;
    const int firstDigit = i;
    while (i < kDecimalFieldSize && IsDigit(at(i)))
        ++i;
    const bool blank = firstDigit == i && (i == kDecimalFieldSize || at(i) == '\0');
    if (firstDigit == i && !blank)
        return false;
    for (; i < kDecimalFieldSize; ++i) {
        if (at(i) != ' ' && at(i) != '\0')
            return false;
    }
    return true;
}

std::uint32_t SumBytes(std::uint32_t sum, const std::uint8_t* bytes, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i)
        sum += bytes[i];
    return sum;
}

std::uint32_t UnscrambleAndSum(std::uint32_t sum, std::uint8_t* bytes, std::size_t count)
{
    SwapNibbles(bytes, count);
    return SumBytes(sum, bytes, count);
}

}  // namespace package
