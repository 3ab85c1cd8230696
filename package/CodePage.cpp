#include "CodePage.h"

#include <algorithm>

#include "CodePageTables.h"
#include "ComposedText.h"
#include "Utf8.h"

namespace {

const CodePageTable* FindTable(int codePage)
{
    const CodePageTable* end = kCodePageTables + kCodePageTableCount;
    const CodePageTable* table =
        std::find_if(kCodePageTables, end, [&](const CodePageTable& t) { return t.codePage == codePage; });
    return table != end ? table : nullptr;
}

const CodePageCharacter* FindBytes(const CodePageTable& table, std::uint16_t bytes)
{
    const CodePageCharacter* end = table.decode + table.decodeCount;
    const CodePageCharacter* found = std::lower_bound(
        table.decode, end, bytes, [](const CodePageCharacter& c, std::uint16_t b) { return c.bytes < b; });
    return found != end && found->bytes == bytes ? found : nullptr;
}

const CodePageForm* FindForm(const CodePageTable& table, char32_t character)
{
    const CodePageForm* end = table.encode + table.encodeCount;
    const CodePageForm* found = std::lower_bound(
        table.encode, end, character, [](const CodePageForm& f, char32_t c) { return f.character < c; });
    return found != end && found->character == character ? found : nullptr;
}

// A lead byte starts the two-byte characters of a double-byte code page.
bool IsLeadByte(const CodePageTable& table, unsigned char byte)
{
    const CodePageCharacter* end = table.decode + table.decodeCount;
    const auto first = static_cast<std::uint16_t>(byte << 8);
    const CodePageCharacter* found = std::lower_bound(
        table.decode, end, first, [](const CodePageCharacter& c, std::uint16_t b) { return c.bytes < b; });
    return byte != 0 && found != end && found->bytes <= (first | 0xFF);
}

// False with `at` at the first byte that is not UTF-8.
bool ReadCharacters(const std::string& text, std::vector<TypedCharacter>& characters, std::size_t& at)
{
    std::size_t length = 0;
    for (at = 0; at < text.size(); at += length) {
        char32_t codePoint = 0;
        if (!ReadUtf8Character(text, at, codePoint, length))
            return false;
        characters.push_back({codePoint, at});
    }
    return true;
}

}  // namespace

std::vector<int> CodePageNumbers()
{
    std::vector<int> numbers;
    for (std::size_t i = 0; i < kCodePageTableCount; ++i)
        numbers.push_back(kCodePageTables[i].codePage);
    return numbers;
}

Encoding EncodeText(const std::string& text, int codePage, std::string& out, std::size_t& at)
{
    out.clear();
    std::vector<TypedCharacter> characters;
    if (!ReadCharacters(text, characters, at))
        return Encoding::NotUtf8;
    Compose(characters);
    const CodePageTable& table = *FindTable(codePage);
    for (const TypedCharacter& typed : characters) {
        const CodePageForm* form = FindForm(table, typed.character);
        if (form == nullptr) {
            at = typed.at;
            return Encoding::NoForm;
        }
        out.append(reinterpret_cast<const char*>(form->bytes), form->length);
    }
    return Encoding::Converted;
}

bool DecodeCharacter(const std::string& bytes, std::size_t at, int codePage, char32_t& character, std::size_t& used)
{
    const CodePageTable& table = *FindTable(codePage);
    const auto first = static_cast<unsigned char>(bytes[at]);
    const bool pair = IsLeadByte(table, first);
    used = pair ? 2 : 1;
    if (at + used > bytes.size())
        return false;
    const auto key = static_cast<std::uint16_t>(pair ? first << 8 | static_cast<unsigned char>(bytes[at + 1]) : first);
    const CodePageCharacter* found = FindBytes(table, key);
    if (found == nullptr)
        return false;
    character = found->character;
    return true;
}
