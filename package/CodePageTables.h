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

// What putting typed text in composed form needs, for the characters the code pages hold.
struct CanonicalPair {
    char16_t composite;
    char16_t first;   // canonically, composite is first followed by second
    char16_t second;
    bool composes;  // false for the few never composed again (Hebrew presentation forms)
};

struct CombiningClass {
    char16_t mark;
    std::uint8_t value;
};

extern const CanonicalPair kCanonicalPairs[];  // sorted by composite
extern const std::size_t kCanonicalPairCount;
extern const CombiningClass kCombiningClasses[];  // sorted by mark
extern const std::size_t kCombiningClassCount;
