// The code pages' characters, made at build time by make-codepage-tables.py, so that both
// builds of firmpack store and show the same bytes for the same text.
#pragma once

#include <cstddef>
#include <cstdint>

// What a table holds where no character is.
constexpr char16_t kNoCharacter = 0xFFFF;
// Every trail byte of these code pages is at least this, so a row of pairs starts there.
constexpr unsigned kFirstTrail = 0x40;
constexpr unsigned kRowLength = 0x100 - kFirstTrail;

// A character's stored form where it is not the lowest bytes that read as the character.
struct CodePageForm {
    char16_t character;
    std::uint8_t length;
    std::uint8_t bytes[4];  // more than one character's worth when stored decomposed
};

struct CodePageTable {
    int codePage;
    const char16_t* single;      // the character of each byte; kNoCharacter for none or a lead byte
    const std::uint8_t* leads;   // 1 + the row of each lead byte, 0 for any other; null for no pairs
    const char16_t* rows;        // kRowLength characters a row, by trail byte - kFirstTrail
    const CodePageForm* forms;  // sorted by character
    std::size_t formCount;
};

extern const CodePageTable kCodePageTables[];
extern const std::size_t kCodePageTableCount;

// The characters of the pairs `byte` leads, by trail byte - kFirstTrail; null when it leads none.
inline const char16_t* PairsLedBy(const CodePageTable& table, unsigned char byte)
{
    const unsigned row = table.leads != nullptr ? table.leads[byte] : 0;
    return row != 0 ? table.rows + (row - 1) * kRowLength : nullptr;
}

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
