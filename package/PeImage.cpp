#include "PeImage.h"

#include "FileStream.h"

namespace package {

namespace {

constexpr std::int64_t kNewHeaderPointer = 0x3C;
constexpr std::int64_t kSectionCountOffset = 6;       // from "PE\0\0"
constexpr std::int64_t kOptionalHeaderSizeOffset = 20;
constexpr std::int64_t kFileHeaderSize = 24;           // the signature and the file header
constexpr std::int64_t kSectionHeaderSize = 40;
constexpr std::int64_t kRawSizeOffset = 16;            // within a section header
constexpr std::int64_t kRawPointerOffset = 20;

// A little-endian number of `size` bytes at `offset`, when all of it lies in the file.
bool ReadNumber(std::FILE* f, std::int64_t fileSize, std::int64_t offset, int size, std::uint32_t& value)
{
    unsigned char bytes[4] = {};
    if (offset < 0 || offset + size > fileSize || !SeekFile(f, offset, SEEK_SET) ||
        std::fread(bytes, 1, static_cast<std::size_t>(size), f) != static_cast<std::size_t>(size))
        return false;
    value = 0;
    for (int i = size - 1; i >= 0; --i)
        value = value << 8 | bytes[i];
    return true;
}

}  // namespace

std::int64_t PeImageEnd(std::FILE* f, std::int64_t fileSize)
{
    std::uint32_t mz, pe, signature, sections, optionalSize;
    if (!ReadNumber(f, fileSize, 0, 2, mz) || mz != 0x5A4D ||  // "MZ"
        !ReadNumber(f, fileSize, kNewHeaderPointer, 4, pe) ||
        !ReadNumber(f, fileSize, pe, 4, signature) || signature != 0x00004550 ||  // "PE\0\0"
        !ReadNumber(f, fileSize, std::int64_t{pe} + kSectionCountOffset, 2, sections) ||
        !ReadNumber(f, fileSize, std::int64_t{pe} + kOptionalHeaderSizeOffset, 2, optionalSize))
        return 0;
    const std::int64_t table = std::int64_t{pe} + kFileHeaderSize + optionalSize;
    std::int64_t end = 0;
    for (std::uint32_t i = 0; i < sections; ++i) {
        const std::int64_t header = table + i * kSectionHeaderSize;
        std::uint32_t size, pointer;
        if (!ReadNumber(f, fileSize, header + kRawSizeOffset, 4, size) ||
            !ReadNumber(f, fileSize, header + kRawPointerOffset, 4, pointer))
            return 0;
        if (std::int64_t{pointer} + size > end)
            end = std::int64_t{pointer} + size;
    }
    return end;
}

}  // namespace package
