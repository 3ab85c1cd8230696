#include "PeImage.h"

#include <algorithm>
#include <fstream>

namespace {

constexpr std::streamoff kNewHeaderPointer = 0x3C;
constexpr std::streamoff kSectionCountOffset = 6;           // in the file header, after "PE\0\0"
constexpr std::streamoff kOptionalHeaderSizeOffset = 20;
constexpr std::streamoff kFileHeaderSize = 24;               // signature and file header
constexpr std::streamoff kSectionHeaderSize = 40;
constexpr std::streamoff kRawSizeOffset = 16;                // in a section header
constexpr std::streamoff kRawPointerOffset = 20;

// Reads a little-endian number of `size` bytes at `offset`; none past the end of the file.
std::optional<std::uint32_t> ReadNumber(std::ifstream& in, std::streamoff offset, int size)
{
    unsigned char bytes[4] = {};
    if (!in.seekg(offset).read(reinterpret_cast<char*>(bytes), size)) {
        in.clear();
        return std::nullopt;
    }
    std::uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i)
        value = value << 8 | bytes[i];
    return value;
}

// Where "PE\0\0" stands, or none.
std::optional<std::uint32_t> PeHeaderOffset(std::ifstream& in)
{
    const auto mz = ReadNumber(in, 0, 2);
    if (!mz || *mz != 0x5A4D)  // "MZ"
        return std::nullopt;
    const auto offset = ReadNumber(in, kNewHeaderPointer, 4);
    const auto signature = offset ? ReadNumber(in, *offset, 4) : std::nullopt;
    if (!signature || *signature != 0x00004550)  // "PE\0\0"
        return std::nullopt;
    return offset;
}

}  // namespace

bool IsPeImage(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return PeHeaderOffset(in).has_value();
}

std::optional<std::int64_t> PeImageEnd(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    const auto pe = PeHeaderOffset(in);
    if (!pe)
        return std::nullopt;
    const auto sections = ReadNumber(in, *pe + kSectionCountOffset, 2);
    const auto optionalSize = ReadNumber(in, *pe + kOptionalHeaderSizeOffset, 2);
    if (!sections || !optionalSize)
        return std::nullopt;
    std::int64_t end = 0;
    const std::streamoff table = *pe + kFileHeaderSize + *optionalSize;
    for (std::uint32_t i = 0; i < *sections; ++i) {
        const std::streamoff header = table + i * kSectionHeaderSize;
        const auto size = ReadNumber(in, header + kRawSizeOffset, 4);
        const auto pointer = ReadNumber(in, header + kRawPointerOffset, 4);
        if (!size || !pointer)
            return std::nullopt;
        end = std::max(end, std::int64_t{*pointer} + *size);
    }
    return end;
}
