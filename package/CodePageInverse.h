// What a code page writes for each character, made from what it reads when the code page is
// first used: the tables ship only the reading side and the few forms that differ.
#pragma once

#include <cstdint>
#include <vector>

#include "CodePageTables.h"

// A character and the lowest bytes that read as it: below 0x100 one byte, else lead << 8 | trail.
struct CharacterBytes {
    char16_t character;
    std::uint16_t bytes;
};

// Every character `table` reads, with its lowest bytes, sorted by character.
std::vector<CharacterBytes> BuildInverse(const CodePageTable& table);
