// The smallest Windows executable image the package code recognises: headers and one
// section whose raw data ends at `imageEnd`, so that tests can carry packages on a
// realistic stub of a few hundred bytes.
#pragma once

#include <cstdint>

#include "TestFiles.h"

namespace testing_support {

constexpr std::uint32_t kPeSectionStart = 0x200;

// `imageEnd` must exceed kPeSectionStart.
Bytes MinimalPeStub(std::uint32_t imageEnd);

// Points the security directory of a MinimalPeStub image at `offset`, `size`; with
// `pe32Plus` the optional header becomes the 64-bit kind first.
void SetSecurityDirectory(Bytes& image, std::uint32_t offset, std::uint32_t size, bool pe32Plus = false);

void Put16(Bytes& bytes, std::size_t offset, std::uint16_t value);
void Put32(Bytes& bytes, std::size_t offset, std::uint32_t value);

}  // namespace testing_support
