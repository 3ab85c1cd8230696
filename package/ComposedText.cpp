#include "ComposedText.h"

#include <algorithm>
#include <cstdint>

#include "CodePageTables.h"

namespace {

constexpr char32_t kFirstLead = 0x1100, kFirstVowel = 0x1161, kFirstTrail = 0x11A8, kFirstSyllable = 0xAC00;
constexpr char32_t kLeads = 19, kVowels = 21, kTrails = 27;
constexpr char32_t kEndings = kTrails + 1;  // each trailing consonant, or none

std::uint8_t CombiningClassOf(char32_t character)
{
    const CombiningClass* end = kCombiningClasses + kCombiningClassCount;
    const CombiningClass* found = std::lower_bound(
        kCombiningClasses, end, character, [](const CombiningClass& c, char32_t mark) { return c.mark < mark; });
    return found != end && found->mark == character ? found->value : 0;
}

void Decompose(TypedCharacter typed, std::vector<TypedCharacter>& out)
{
    const CanonicalPair* end = kCanonicalPairs + kCanonicalPairCount;
    const CanonicalPair* pair = std::lower_bound(
        kCanonicalPairs, end, typed.character, [](const CanonicalPair& p, char32_t c) { return p.composite < c; });
    if (pair == end || pair->composite != typed.character) {
        out.push_back(typed);
        return;
    }
    Decompose({pair->first, typed.at}, out);
    Decompose({pair->second, typed.at}, out);
}

// Stable, so that marks of one class keep the order they were typed in.
void OrderMarks(std::vector<TypedCharacter>& text)
{
    const auto isMark = [](const TypedCharacter& c) { return CombiningClassOf(c.character) != 0; };
    const auto byClass = [](const TypedCharacter& a, const TypedCharacter& b) {
        return CombiningClassOf(a.character) < CombiningClassOf(b.character);
    };
    for (auto run = std::find_if(text.begin(), text.end(), isMark); run != text.end();
         run = std::find_if(run, text.end(), isMark)) {
        const auto runEnd = std::find_if_not(run, text.end(), isMark);
        std::stable_sort(run, runEnd, byClass);
        run = runEnd;
    }
}

// Hangul syllables are composed by arithmetic: a lead and a vowel, then a trailing consonant.
bool ComposeHangul(char32_t first, char32_t second, char32_t& composite)
{
    const char32_t syllable = first - kFirstSyllable;
    if (first - kFirstLead < kLeads && second - kFirstVowel < kVowels)
        composite = kFirstSyllable + ((first - kFirstLead) * kVowels + second - kFirstVowel) * kEndings;
    else if (syllable < kLeads * kVowels * kEndings && syllable % kEndings == 0 && second - kFirstTrail < kTrails)
        composite = first + 1 + second - kFirstTrail;
    else
        return false;
    return true;
}

bool ComposePair(char32_t first, char32_t second, char32_t& composite)
{
    if (ComposeHangul(first, second, composite))
        return true;
    const CanonicalPair* end = kCanonicalPairs + kCanonicalPairCount;
    const CanonicalPair* pair = std::find_if(kCanonicalPairs, end, [&](const CanonicalPair& p) {
        return p.composes && p.first == first && p.second == second;
    });
    composite = pair != end ? pair->composite : 0;
    return pair != end;
}

// A character joins the last starter into their composite unless something between them blocks
// it: a starter, or a mark of its class or above.
void ComposeOrdered(std::vector<TypedCharacter>& text)
{
    const std::size_t noStarter = text.size();
    std::size_t starter = noStarter;
    std::size_t kept = 0;
    std::uint8_t lastClass = 0;
    for (const TypedCharacter typed : text) {
        const std::uint8_t typedClass = CombiningClassOf(typed.character);
        char32_t composite = 0;
        if (starter != noStarter && (lastClass == 0 || lastClass < typedClass) &&
            ComposePair(text[starter].character, typed.character, composite)) {
            text[starter].character = composite;
            continue;
        }
        if (typedClass == 0)
            starter = kept;
        lastClass = typedClass;
        text[kept++] = typed;
    }
    text.resize(kept);
}

}  // namespace

void Compose(std::vector<TypedCharacter>& text)
{
    std::vector<TypedCharacter> decomposed;
    for (const TypedCharacter& typed : text)
        Decompose(typed, decomposed);
    OrderMarks(decomposed);
    ComposeOrdered(decomposed);
    text.swap(decomposed);
}
