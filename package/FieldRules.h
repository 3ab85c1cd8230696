// The pure rules of the package format: the nibble transform, the two kinds of field
// and the checksum. No I/O here, so they can be tested byte by byte.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "PackageLayout.h"

namespace package {

using TextField = std::array<std::uint8_t, kTextFieldSize>;
using DecimalField = std::array<std::uint8_t, kDecimalFieldSize>;
using FieldText = std::array<char, kTextBufferSize>;  // NUL-terminated, 0 to 16 bytes

// Exchanges the two halves of a byte; its own inverse.
constexpr std::uint8_t SwapNibbles(std::uint8_t b)
{
    return static_cast<std::uint8_t>(((b >> 4) & 0x0F) | ((b << 4) & 0xF0));
}

void SwapNibbles(std::uint8_t* bytes, std::size_t count);

// The field's bytes up to the first space or NUL; `scrambled` unswaps them first.
FieldText ParseTextField(const TextField& field, bool scrambled);

// Unscrambles the field and converts it as atol does, except that values beyond the
// signed 32-bit range wrap modulo 2^32 instead of being undefined.
std::int32_t ParseDecimalField(const DecimalField& field);

// True when the unscrambled field is a number and nothing else: white space, an optional
// sign, digits, then only spaces or NULs; or blank. A length field must be one, since
// a damaged digit would otherwise shorten the payload to what precedes it.
bool IsPlainDecimalField(const DecimalField& field);

// Unscrambles the bytes in place and adds their values to an unsigned 32-bit running sum.
std::uint32_t UnscrambleAndSum(std::uint32_t sum, std::uint8_t* bytes, std::size_t count);

// Adds each byte's value to an unsigned 32-bit running sum: the checksum of plain payload bytes.
std::uint32_t SumBytes(std::uint32_t sum, const std::uint8_t* bytes, std::size_t count);

}  // namespace package
