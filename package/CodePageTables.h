// The code pages' characters, made at build time by make-codepage-tables.py, so that both
// builds of firmpack store and show the same bytes for the same text.
#pragma once

#include <cstddef>
#include <cstdint>

struct CodePageCharacter {
    std::uint16_t bytes;  // one byte, or a lead byte and a trail byte as lead << 8 | trail
    char16_t character;
};

struct CodePageForm {
    char16_t character;
    std::uint8_t length;
    std::uint8_t bytes[4];  // more than one character's worth when stored decomposed
};

struct CodePageTable {
    int codePage;
    const CodePageCharacter* decode;  // sorted by bytes
    std::size_t decodeCount;
    const CodePageForm* encode;  // sorted by character
    std::size_t encodeCount;
};

extern const CodePageTable kCodePageTables[];
extern const std::size_t kCodePageTableCount;
