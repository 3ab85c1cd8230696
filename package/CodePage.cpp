#include "CodePage.h"

#include <algorithm>

#include "CodePageInverse.h"
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

// Made when the code page is first used, then kept: firmpack converts on one thread.
const std::vector<CharacterBytes>& InverseOf(const CodePageTable& table)
{
    static std::vector<std::vector<CharacterBytes>> inverses(kCodePageTableCount);
    std::vector<CharacterBytes>& inverse = inverses[static_cast<std::size_t>(&table - kCodePageTables)];
    if (inverse.empty())
        inverse = BuildInverse(table);
    return inverse;
}

// Appends what `table` writes for `character`: one of its own forms, else the lowest bytes
// that read as it. False when it has neither.
bool AppendForm(const CodePageTable& table, char32_t character, std::string& out)
{
    const CodePageForm* formsEnd = table.forms + table.formCount;
    const CodePageForm* form = std::lower_bound(
        table.forms, formsEnd, character, [](const CodePageForm& f, char32_t c) { return f.character < c; });
    if (form != formsEnd && form->character == character) {
        out.append(reinterpret_cast<const char*>(form->bytes), form->length);
        return true;
    }
    const std::vector<CharacterBytes>& inverse = InverseOf(table);
    const auto found = std::lower_bound(inverse.begin(), inverse.end(), character,
                                        [](const CharacterBytes& c, char32_t wanted) { return c.character < wanted; });
    if (found == inverse.end() || found->character != character)
        return false;
    if (found->bytes > 0xFF)
        out.push_back(static_cast<char>(found->bytes >> 8));
    out.push_back(static_cast<char>(found->bytes & 0xFF));
    return true;
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
        if (!AppendForm(table, typed.character, out)) {
            at = typed.at;
            return Encoding::NoForm;
        }
    }
    return Encoding::Converted;
}

bool DecodeCharacter(const std::string& bytes, std::size_t at, int codePage, char32_t& character, std::size_t& used)
{
    const CodePageTable& table = *FindTable(codePage);
    const auto first = static_cast<unsigned char>(bytes[at]);
    const char16_t* pairs = PairsLedBy(table, first);
    used = pairs != nullptr ? 2 : 1;
    if (at + used > bytes.size())
        return false;
    char16_t found = table.single[first];
    if (pairs != nullptr) {
        const auto trail = static_cast<unsigned char>(bytes[at + 1]);
        found = trail >= kFirstTrail ? pairs[trail - kFirstTrail] : kNoCharacter;
    }
    if (found == kNoCharacter)
        return false;
    character = found;
    return true;
}
