// Labels and target names are 8-bit text in the Windows code page of the carrier's users,
// while vendors type Unicode. Both builds convert with the same tables (CodePageTables.h).
#pragma once

#include <cstddef>
#include <string>
#include <vector>

enum class Encoding {
    Converted,
    NoForm,   // a character the code page cannot hold
    NotUtf8,  // bytes that are not UTF-8 text
};

// The code pages that can be given, in the order help lists them.
std::vector<int> CodePageNumbers();

// Converts UTF-8 `text`, put in composed form first (ComposedText.h), into `codePage`. On NoForm
// and NotUtf8, `at` is the offset in `text` of the character or byte at fault.
Encoding EncodeText(const std::string& text, int codePage, std::string& out, std::size_t& at);

// Decodes the character at `at` of `bytes` in `codePage`: true with it in `character` and its
// length in `used`; false when no character of the code page starts there.
bool DecodeCharacter(const std::string& bytes, std::size_t at, int codePage, char32_t& character, std::size_t& used);
