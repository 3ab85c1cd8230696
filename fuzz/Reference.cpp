#include "Reference.h"

#include <cstdlib>

namespace fuzz {

namespace {

constexpr std::int64_t kTextSize = 16;
constexpr std::int64_t kDecimalSize = 10;

// `count` bytes of the file from `position`; what lies outside it reads as zeros.
Bytes BytesAt(const Bytes& file, std::int64_t position, std::int64_t count)
{
    Bytes bytes(static_cast<std::size_t>(count), 0);
    for (std::int64_t i = 0; i < count; ++i)
        if (position + i >= 0 && position + i < static_cast<std::int64_t>(file.size()))
            bytes[static_cast<std::size_t>(i)] = file[static_cast<std::size_t>(position + i)];
    return bytes;
}

std::int32_t DecimalAt(const Bytes& file, std::int64_t position)
{
    return DecimalValue(BytesAt(file, position, kDecimalSize).data());
}

// A little-endian number of `count` bytes at `position`, when the file holds all of it.
bool NumberAt(const Bytes& file, std::int64_t position, int count, std::uint32_t& value)
{
    if (position < 0 || position + count > static_cast<std::int64_t>(file.size()))
        return false;
    value = 0;
    for (int i = count - 1; i >= 0; --i)
        value = value << 8 | file[static_cast<std::size_t>(position + i)];
    return true;
}

// Where the package ends: before a code signature's certificate table when the security
// directory (the fifth) of a PE32 or PE32+ header names one that closes the file.
std::int64_t PackageEndOf(const Bytes& file)
{
    const auto size = static_cast<std::int64_t>(file.size());
    std::uint32_t mz, pe, signature, optionalSize, magic, directories, offset, length;
    if (!NumberAt(file, 0, 2, mz) || mz != 0x5A4D || !NumberAt(file, 0x3C, 4, pe) ||
        !NumberAt(file, pe, 4, signature) || signature != 0x4550 || !NumberAt(file, pe + 20, 2, optionalSize) ||
        !NumberAt(file, pe + 24, 2, magic) || (magic != 0x10B && magic != 0x20B))
        return size;
    const std::int64_t countAt = pe + 24 + (magic == 0x10B ? 92 : 108);
    const std::int64_t entry = countAt + 4 + 4 * 8;
    if (!NumberAt(file, countAt, 4, directories) || directories < 5 || entry + 8 > pe + 24 + optionalSize ||
        !NumberAt(file, entry, 4, offset) || !NumberAt(file, entry + 4, 4, length))
        return size;
    return length > 0 && std::int64_t{offset} + length == size ? offset : size;
}

}  // namespace

std::uint8_t Unscramble(std::uint8_t stored)
{
    return static_cast<std::uint8_t>(stored % 16 * 16 + stored / 16);
}

std::int32_t DecimalValue(const std::uint8_t* stored)
{
    char text[kDecimalSize + 1] = {};
    for (int i = 0; i < kDecimalSize; ++i)
        text[i] = static_cast<char>(Unscramble(stored[i]));
    // At most ten characters, so the value always fits a long long.
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(std::strtoll(text, nullptr, 10)));
}

std::string TextValue(const std::uint8_t* stored, bool scrambled)
{
    std::string text;
    for (int i = 0; i < kTextSize; ++i) {
        const char c = static_cast<char>(scrambled ? Unscramble(stored[i]) : stored[i]);
        if (c == ' ' || c == '\0')
            break;
        text += c;
    }
    return text;
}

CarrierModel ModelCarrier(const Bytes& file)
{
    const std::int64_t size = PackageEndOf(file);
    CarrierModel model;
    // A file shorter than the trailer has H = 0.
    const std::int64_t header = size < kDecimalSize ? 0 : DecimalAt(file, size - kDecimalSize);
    if (header < 0) {
        // Every field reads as zero: an empty payload whose zero checksum matches.
        model.checksumMatches = true;
        return model;
    }
    model.label = TextValue(BytesAt(file, header, kTextSize).data(), false);
    model.targetName = TextValue(BytesAt(file, header + kTextSize, kTextSize).data(), true);
    const auto length = static_cast<std::uint32_t>(DecimalAt(file, header + 2 * kTextSize));
    const std::int64_t payloadAt = header + 2 * kTextSize + kDecimalSize;
    // The payload must leave room for the checksum field and the trailer behind it.
    if (std::int64_t{length} > size - 2 * kDecimalSize - payloadAt)
        return model;
    std::uint32_t sum = 0;
    for (std::int64_t i = 0; i < length; ++i) {
        model.payload.push_back(Unscramble(file[static_cast<std::size_t>(payloadAt + i)]));
        sum += model.payload.back();
    }
    model.checksumMatches = sum == static_cast<std::uint32_t>(DecimalAt(file, payloadAt + length));
    if (!model.checksumMatches)
        model.payload.clear();
    return model;
}

}  // namespace fuzz
