#!/usr/bin/python3
"""make-codepage-tables.py OUT.cpp: the Windows code pages firmpack stores text in, as C++ tables.

Both builds of firmpack convert with these tables, so that the same arguments give the same
bytes on Linux and on Windows. They come from Python's codecs, which follow the code pages'
published mappings. A character with no form of its own is stored as its canonical
decomposition when the code page holds that (Vietnamese tone marks, Hebrew points). Typed text
is first put in composed form, with the canonical pairs and combining classes made here."""
import sys
import unicodedata

CODE_PAGES = [949, 932, 936, 950, 1250, 1251, 1252, 1253, 1254, 1255, 1256, 1257, 1258]


def encode(text, code_page):
    try:
        return text.encode(f"cp{code_page}")
    except UnicodeEncodeError:
        return None


def decode_table(code_page):
    """(bytes as a 16-bit number, character) for every byte or byte pair that is one character."""
    entries, codec = {}, f"cp{code_page}"
    for first in range(256):
        try:
            entries[first] = bytes([first]).decode(codec)
            continue
        except UnicodeDecodeError:
            pass
        for second in range(256):
            try:
                text = bytes([first, second]).decode(codec)
            except UnicodeDecodeError:
                continue
            if len(text) == 1:
                entries[first << 8 | second] = text
    # C1 controls (932 passes 0x80 through as U+0080) are no text a caption shows.
    return sorted((key, ord(text)) for key, text in entries.items()
                  if len(text) == 1 and ord(text) < 0x10000 and not 0x80 <= ord(text) < 0xA0)


def encode_table(code_page, decoded):
    """(character, the bytes Windows writes for it): one form per character, the preferred one."""
    forms = {}
    for _, character in decoded:
        stored = encode(chr(character), code_page)
        if stored is not None:
            forms[character] = stored
    composed = {}
    for character in range(0x80, 0x10000):
        text = chr(character)
        if character not in forms and unicodedata.normalize("NFD", text) != text:
            stored = encode(unicodedata.normalize("NFD", text), code_page)
            if stored is not None:
                composed[character] = stored
    # A base of its own with one mark: Vietnamese ệ is ê and a dot below.
    marks = [c for c in forms if unicodedata.combining(chr(c))]
    for base in sorted(forms):
        for mark in marks:
            text = unicodedata.normalize("NFC", chr(base) + chr(mark))
            if len(text) == 1 and ord(text) not in forms:
                composed.setdefault(ord(text), forms[base] + forms[mark])
    forms.update(composed)
    # Windows reads a lone 0x5C or 0x2F as a path separator, whatever a font draws for it.
    assert all(stored not in (b"\\", b"/") or chr(c) in "\\/" for c, stored in forms.items()), code_page
    return sorted(forms.items())


def canonical_pair(character):
    """The two characters `character` canonically decomposes into, or None. A singleton (a CJK
    compatibility ideograph, the ohm sign) counts as none: kept as typed, it keeps its own bytes."""
    fields = unicodedata.decomposition(chr(character)).split()
    return [int(field, 16) for field in fields] if len(fields) == 2 and fields[0][0] != "<" else None


def fully_decomposed(character):
    pair = canonical_pair(character)
    return [part for half in pair for part in fully_decomposed(half)] if pair else [character]


def composition_tables(held):
    """For the characters the code pages hold, and those made only of such: (composite, first,
    second, whether the parts compose back), and the combining classes of every mark among them.
    A mark outside these is in no code page, so text holding it is refused anyway."""
    wanted = held | {c for c in range(0x10000) if set(fully_decomposed(c)) <= held}
    pairs = [(c, *canonical_pair(c), unicodedata.normalize("NFC", chr(c)) == chr(c))
             for c in sorted(wanted) if canonical_pair(c)]
    seen = wanted | {part for _, first, second, _ in pairs for part in (first, second)}
    classes = sorted((c, unicodedata.combining(chr(c))) for c in seen if unicodedata.combining(chr(c)))
    return pairs, classes


def main(out_path):
    lines = ["// Made by make-codepage-tables.py: do not edit.", '#include "CodePageTables.h"', ""]
    tables, held = [], set()
    for code_page in CODE_PAGES:
        decoded = decode_table(code_page)
        encoded = encode_table(code_page, decoded)
        lines.append(f"static const CodePageCharacter kDecode{code_page}[] = {{")
        lines += [f"    {{0x{key:04X}, 0x{character:04X}}}," for key, character in decoded]
        lines.append("};")
        lines.append(f"static const CodePageForm kEncode{code_page}[] = {{")
        for character, stored in encoded:
            lines.append(f"    {{0x{character:04X}, {len(stored)}, {{{', '.join(f'0x{b:02X}' for b in stored)}}}}},")
        lines.append("};")
        tables.append(f"    {{{code_page}, kDecode{code_page}, {len(decoded)}, kEncode{code_page}, {len(encoded)}}},")
        held |= {character for character, _ in encoded}
    lines += ["extern const CodePageTable kCodePageTables[] = {"] + tables + ["};"]
    lines += [f"extern const std::size_t kCodePageTableCount = {len(tables)};"]
    pairs, classes = composition_tables(held)
    lines.append("extern const CanonicalPair kCanonicalPairs[] = {")
    lines += [f"    {{0x{c:04X}, 0x{a:04X}, 0x{b:04X}, {str(composes).lower()}}}," for c, a, b, composes in pairs]
    lines += ["};", f"extern const std::size_t kCanonicalPairCount = {len(pairs)};"]
    lines.append("extern const CombiningClass kCombiningClasses[] = {")
    lines += [f"    {{0x{c:04X}, {value}}}," for c, value in classes]
    lines += ["};", f"extern const std::size_t kCombiningClassCount = {len(classes)};", ""]
    with open(out_path, "w", encoding="ascii") as out:
        out.write("\n".join(lines))


if __name__ == "__main__":
    main(sys.argv[1])
