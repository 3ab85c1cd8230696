// A second, deliberately plain reading of the package format, written from the format's
// table rather than from the package code, so that the fuzz targets check the reader against
// something that does not share its faults. Fuzzing with it finds what no table anticipates:
// a length bound that forgets a signature, a field that reads as zeros at offset 0.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace fuzz {

using Bytes = std::vector<std::uint8_t>;

// Scrambled bytes store a value with its two hex digits exchanged.
std::uint8_t Unscramble(std::uint8_t stored);

// The ten stored bytes of a decimal field as C's strtoll reads their unscrambled text,
// wrapped to 32 bits.
std::int32_t DecimalValue(const std::uint8_t* stored);

// The sixteen stored bytes of a text field up to the first space or NUL.
std::string TextValue(const std::uint8_t* stored, bool scrambled);

// What a reader may find in a carrier file. The reader may refuse more than this plain
// reading does (a length that is not a plain number, a header inside the executable image),
// never less.
struct CarrierModel {
    std::string label;
    std::string targetName;
    bool checksumMatches = false;  // and the length fits the file
    Bytes payload;                 // unscrambled; only when checksumMatches
};

CarrierModel ModelCarrier(const Bytes& file);

}  // namespace fuzz
