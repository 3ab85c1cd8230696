// Reading UTF-8 one character at a time: what the user typed, before it is converted.
#pragma once

#include <cstddef>
#include <string>

// The character starting at `at`: its code point and its length in bytes. False when the
// bytes there are not UTF-8 (a stray or cut sequence, an overlong form, a surrogate).
bool ReadUtf8Character(const std::string& text, std::size_t at, char32_t& codePoint, std::size_t& length);

// Appends `codePoint` to `out` in UTF-8.
void AppendUtf8Character(char32_t codePoint, std::string& out);
