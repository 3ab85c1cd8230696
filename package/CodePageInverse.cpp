#include "CodePageInverse.h"

namespace {

constexpr std::uint32_t kNoBytes = 0x10000;

}  // namespace

std::vector<CharacterBytes> BuildInverse(const CodePageTable& table)
{
    // Going through the bytes in rising order, single bytes before pairs, the first bytes
    // found for a character are its lowest.
    std::vector<std::uint32_t> lowest(0x10000, kNoBytes);
    std::size_t characters = 0;
    const auto note = [&](char16_t character, unsigned bytes) {
        if (character != kNoCharacter && lowest[character] == kNoBytes) {
            lowest[character] = bytes;
            ++characters;
        }
    };
    for (unsigned byte = 0; byte < 0x100; ++byte)
        note(table.single[byte], byte);
    for (unsigned lead = 0; lead < 0x100; ++lead) {
        const char16_t* pairs = PairsLedBy(table, static_cast<unsigned char>(lead));
        for (unsigned trail = kFirstTrail; pairs != nullptr && trail < 0x100; ++trail)
            note(pairs[trail - kFirstTrail], lead << 8 | trail);
    }
    std::vector<CharacterBytes> inverse;
    inverse.reserve(characters);
    for (unsigned character = 0; character < lowest.size(); ++character)
        if (lowest[character] != kNoBytes)
            inverse.push_back({static_cast<char16_t>(character), static_cast<std::uint16_t>(lowest[character])});
    return inverse;
}
