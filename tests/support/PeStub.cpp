#include "PeStub.h"

#include <algorithm>

namespace testing_support {

namespace {

constexpr std::size_t kPeHeader = 0x40;
constexpr std::size_t kOptionalHeader = kPeHeader + 24;
constexpr std::uint16_t kOptionalHeaderSize = 0xE0;  // PE32 with 16 data directories
constexpr std::size_t kSectionHeader = kOptionalHeader + kOptionalHeaderSize;

}  // namespace

void Put16(Bytes& bytes, std::size_t offset, std::uint16_t value)
{
    bytes[offset] = static_cast<std::uint8_t>(value);
    bytes[offset + 1] = static_cast<std::uint8_t>(value >> 8);
}

void Put32(Bytes& bytes, std::size_t offset, std::uint32_t value)
{
    Put16(bytes, offset, static_cast<std::uint16_t>(value));
    Put16(bytes, offset + 2, static_cast<std::uint16_t>(value >> 16));
}

void SetSecurityDirectory(Bytes& image, std::uint32_t offset, std::uint32_t size, bool pe32Plus)
{
    Put16(image, kOptionalHeader, pe32Plus ? 0x020B : 0x010B);
    const std::size_t count = kOptionalHeader + (pe32Plus ? 108 : 92);
    Put32(image, count, 16);
    Put32(image, count + 4 + 4 * 8, offset);
    Put32(image, count + 4 + 4 * 8 + 4, size);
}

Bytes MinimalPeStub(std::uint32_t imageEnd)
{
    Bytes stub(kPeSectionStart, 0);
    const Bytes code = PatternBytes(imageEnd - kPeSectionStart, 99);
    stub.insert(stub.end(), code.begin(), code.end());
    stub[0] = 'M';
    stub[1] = 'Z';
    Put32(stub, 0x3C, kPeHeader);
    std::copy_n("PE\0\0", 4, stub.begin() + kPeHeader);
    Put16(stub, kPeHeader + 4, 0x014C);  // i386
    Put16(stub, kPeHeader + 6, 1);       // one section
    Put16(stub, kPeHeader + 20, kOptionalHeaderSize);
    Put16(stub, kOptionalHeader, 0x010B);  // PE32
    Put32(stub, kOptionalHeader + 92, 16);  // data directories
    std::copy_n(".text", 5, stub.begin() + kSectionHeader);
    Put32(stub, kSectionHeader + 16, imageEnd - kPeSectionStart);  // raw size
    Put32(stub, kSectionHeader + 20, kPeSectionStart);             // raw pointer
    return stub;
}

}  // namespace testing_support
