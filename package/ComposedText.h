// Typed text in composed form: macOS, for one, gives file names decomposed ("e" and a combining
// acute), while the code pages hold "é" as one character.
#pragma once

#include <cstddef>
#include <vector>

struct TypedCharacter {
    char32_t character;
    std::size_t at;  // offset in the typed text of the first character it was made from
};

// Decomposes each character canonically (a singleton, such as a CJK compatibility ideograph,
// stays as typed), orders the combining marks canonically, then composes canonically, Hangul
// jamo included.
void Compose(std::vector<TypedCharacter>& text);
