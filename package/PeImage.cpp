#include "PeImage.h"

#include "FileStream.h"

namespace package {

namespace {

constexpr std::int64_t kNewHeaderPointer = 0x3C;
constexpr std::int64_t kSectionCountOffset = 6;  // from "PE\0\0"
constexpr std::int64_t kOptionalHeaderSizeOffset = 20;
constexpr std::int64_t kOptionalHeader = 24;  // the signature and the file header
constexpr std::int64_t kSectionHeaderSize = 40;
constexpr std::int64_t kRawSizeOffset = 16;  // within a section header
constexpr std::int64_t kRawPointerOffset = 20;
constexpr std::uint32_t kPe32 = 0x10B, kPe32Plus = 0x20B;
constexpr std::int64_t kSecurityDirectory = 4;
constexpr std::int64_t kDirectorySize = 8;
constexpr std::int64_t kChecksumOffset = 64;  // within the optional header, PE32 and PE32+ alike

class HeaderReader {
public:
    HeaderReader(std::FILE* f, std::int64_t fileSize) : m_file(f), m_fileSize(fileSize) {}

    // A little-endian number of `size` bytes at `offset`, when all of it lies in the file.
    bool Read(std::int64_t offset, int size, std::uint32_t& value) const
    {
        unsigned char bytes[4] = {};
        if (offset < 0 || offset + size > m_fileSize || !SeekFile(m_file, offset, SEEK_SET) ||
            std::fread(bytes, 1, static_cast<std::size_t>(size), m_file) != static_cast<std::size_t>(size))
            return false;
        value = 0;
        for (int i = size - 1; i >= 0; --i)
            value = value << 8 | bytes[i];
        return true;
    }

private:
    std::FILE* m_file;
    std::int64_t m_fileSize;
};

// The end of the last section's raw data, or 0.
std::int64_t SectionsEnd(const HeaderReader& header, std::int64_t pe, std::uint32_t optionalSize)
{
    std::uint32_t sections;
    if (!header.Read(pe + kSectionCountOffset, 2, sections))
        return 0;
    const std::int64_t table = pe + kOptionalHeader + optionalSize;
    std::int64_t end = 0;
    for (std::uint32_t i = 0; i < sections; ++i) {
        std::uint32_t size, pointer;
        const std::int64_t section = table + i * kSectionHeaderSize;
        if (!header.Read(section + kRawSizeOffset, 4, size) || !header.Read(section + kRawPointerOffset, 4, pointer))
            return 0;
        if (std::int64_t{pointer} + size > end)
            end = std::int64_t{pointer} + size;
    }
    return end;
}

// The security directory's file offset and size, when the optional header has one.
void ReadSecurityDirectory(const HeaderReader& header, std::int64_t optional, std::uint32_t optionalSize,
                           PeLayout& layout)
{
    std::uint32_t magic, count, offset, size;
    if (!header.Read(optional, 2, magic) || (magic != kPe32 && magic != kPe32Plus))
        return;
    const std::int64_t countAt = optional + (magic == kPe32 ? 92 : 108);
    const std::int64_t directories = countAt + 4;
    const std::int64_t entry = directories + kSecurityDirectory * kDirectorySize;
    if (!header.Read(countAt, 4, count) || count <= kSecurityDirectory ||
        entry + kDirectorySize > optional + optionalSize || !header.Read(entry, 4, offset) ||
        !header.Read(entry + 4, 4, size))
        return;
    layout.signatureOffset = offset;
    layout.signatureSize = size;
    layout.checksumAt = optional + kChecksumOffset;
    layout.securityEntryAt = entry;
}

}  // namespace

PeLayout ReadPeLayout(std::FILE* f, std::int64_t fileSize)
{
    PeLayout layout;
    const HeaderReader header(f, fileSize);
    std::uint32_t mz, pe, signature, optionalSize;
    if (!header.Read(0, 2, mz) || mz != 0x5A4D ||  // "MZ"
        !header.Read(kNewHeaderPointer, 4, pe) || !header.Read(pe, 4, signature) ||
        signature != 0x00004550 ||  // "PE\0\0"
        !header.Read(std::int64_t{pe} + kOptionalHeaderSizeOffset, 2, optionalSize))
        return layout;
    layout.imageEnd = SectionsEnd(header, pe, optionalSize);
    ReadSecurityDirectory(header, std::int64_t{pe} + kOptionalHeader, optionalSize, layout);
    return layout;
}

std::int64_t PackageEnd(const PeLayout& layout, std::int64_t fileSize)
{
    const bool signedToTheEnd =
        layout.signatureSize > 0 && layout.signatureOffset + layout.signatureSize == fileSize;
    return signedToTheEnd ? layout.signatureOffset : fileSize;
}

}  // namespace package
