// Byte layout of the package appended behind the carrier's executable image.
#pragma once

#include <cstdint>

namespace package {

constexpr int kTextFieldSize = 16;     // label, target name
constexpr int kDecimalFieldSize = 10;  // length, checksum, trailer

constexpr int kLabelOffset = 0;
constexpr int kTargetNameOffset = kLabelOffset + kTextFieldSize;
constexpr int kLengthOffset = kTargetNameOffset + kTextFieldSize;
constexpr int kPayloadOffset = kLengthOffset + kDecimalFieldSize;

// What follows the payload: the checksum field, then (at the very end) the trailer.
constexpr int kTailSize = 2 * kDecimalFieldSize;

// Fixed-size text buffers: a field's bytes plus the terminating NUL.
constexpr int kTextBufferSize = kTextFieldSize + 1;
constexpr int kPathBufferSize = 128;

// Largest value a decimal field may carry when it is read back as a signed 32-bit number.
constexpr std::int64_t kMaxFieldValue = INT32_MAX;

}  // namespace package
