#!/usr/bin/python3
"""make-codepage-tables.py OUT.cpp: the Windows code pages firmpack stores text in, as C++ tables.

Both builds of firmpack convert with these tables, so that the same arguments give the same
bytes on Linux and on Windows. They come from Python's codecs, mended where Windows itself
reads or writes otherwise (a test under Wine compares every entry with the system's own
conversion). A character with no form of its own is stored as its canonical decomposition
when the code page holds that (Vietnamese tone marks, Hebrew points).
Left out on purpose: C1 controls and private-use characters (U+E000-U+F8FF, which Windows
gives the code pages' user-defined areas), since no caption or file name a user reads shows
them. Typed text is first put in composed form, with the canonical pairs and combining
classes made here.

The tables are data: what each byte and pair reads as, in dense rows, and only the forms
firmpack writes that are not the lowest bytes reading as the character; CodePageInverse.cpp
makes the rest when a code page is first used. Prints the tables' size in bytes."""
import sys
import unicodedata

CODE_PAGES = [949, 932, 936, 950, 1250, 1251, 1252, 1253, 1254, 1255, 1256, 1257, 1258]

# Characters Windows reads where Python's codecs read none: the euro sign of 936, the Hebrew
# point of 1255.
WINDOWS_ONLY = {936: {0x80: "\u20ac"}, 1255: {0xCA: "\u05ba"}}
# 950's pairs C6A1-C8FE: Python reads kana and Cyrillic there; Windows keeps them user-defined.
WINDOWS_USER_DEFINED = {950: range(0xC6A1, 0xC8FF)}
# Where a character has two forms, Windows writes another than Python's codecs: in 932 the
# IBM extensions (leads FA-FC) rather than the NEC-selected copies of them (leads ED, EE);
# in 950 four box drawings.
NEC_SELECTED, IBM_EXTENSIONS = (0xED, 0xEE), (0xFA, 0xFB, 0xFC)
WINDOWS_FORMS_950 = {0x2550: b"\xf9\xf9", 0x255E: b"\xf9\xe9", 0x2561: b"\xf9\xeb", 0x256A: b"\xf9\xea"}


def windows_form(code_page, character, stored, decoded_keys):
    if code_page == 950:
        return WINDOWS_FORMS_950.get(character, stored)
    if code_page == 932 and stored[0] in NEC_SELECTED:
        ibm = [key for key in decoded_keys if key >> 8 in IBM_EXTENSIONS]
        return as_bytes(min(ibm)) if ibm else stored
    return stored


def as_bytes(key):
    return bytes([key]) if key < 0x100 else bytes([key >> 8, key & 0xFF])


def is_shown(character):
    return not 0x80 <= character < 0xA0 and not 0xE000 <= character <= 0xF8FF


def is_singleton(character):
    """A character whose canonical decomposition is another single one (Ω for the ohm sign):
    a different character, which Windows does not write for it."""
    decomposition = unicodedata.decomposition(chr(character))
    return bool(decomposition) and not decomposition.startswith("<") and len(decomposition.split()) == 1


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
    entries.update(WINDOWS_ONLY.get(code_page, {}))
    for key in WINDOWS_USER_DEFINED.get(code_page, []):
        entries.pop(key, None)
    return sorted((key, ord(text)) for key, text in entries.items()
                  if len(text) == 1 and ord(text) < 0x10000 and is_shown(ord(text)))


def encode_table(code_page, decoded):
    """(character, the bytes Windows writes for it): one form per character, the preferred one."""
    keys = {}
    for key, character in decoded:
        keys.setdefault(character, []).append(key)
    forms = {}
    for character, found in keys.items():
        # A character only Windows reads (WINDOWS_ONLY) has no form in Python's codec.
        stored = encode(chr(character), code_page) or as_bytes(found[0])
        forms[character] = windows_form(code_page, character, stored, found)
    composed = {}
    for character in range(0x80, 0x10000):
        text = chr(character)
        if character not in forms and is_shown(character) and not is_singleton(character) and \
                unicodedata.normalize("NFD", text) != text:
            parts = [forms.get(ord(c)) for c in unicodedata.normalize("NFD", text)]
            if None not in parts:
                composed[character] = b"".join(parts)
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


# As CodePageTables.h has them, which the made file asserts: no character, the first trail
# byte, the bytes of a stored form, and the sizes of the structures, for the size printed.
NO_CHARACTER, FIRST_TRAIL, FORM_BYTES = 0xFFFF, 0x40, 4
FORM_SIZE, PAIR_SIZE, CLASS_SIZE = 8, 8, 4
AGREEMENT = (f"static_assert(kNoCharacter == {NO_CHARACTER} && kFirstTrail == {FIRST_TRAIL} && "
             f"sizeof(CodePageForm::bytes) == {FORM_BYTES} && sizeof(CodePageForm) == {FORM_SIZE} && "
             f"sizeof(CanonicalPair) == {PAIR_SIZE} && sizeof(CombiningClass) == {CLASS_SIZE}, "
             '"make-codepage-tables.py disagrees with CodePageTables.h");')


def numbers(values, per_line=24):
    values = list(values)
    return [",".join(map(str, values[at:at + per_line])) + "," for at in range(0, len(values), per_line)]


def array(element, name, values):
    return [f"static const {element} {name}[] = {{"] + numbers(values) + ["};"]


def dense_tables(decoded):
    """What each single byte reads as, and 1 + the row of each lead byte (0 for none) with the
    rows of what its pairs read as, from the first trail byte on."""
    single, leads, rows = [NO_CHARACTER] * 256, [0] * 256, []
    for key, character in decoded:
        assert character != NO_CHARACTER
        if key < 0x100:
            single[key] = character
            continue
        lead, trail = key >> 8, key & 0xFF
        assert trail >= FIRST_TRAIL and single[lead] == NO_CHARACTER, hex(key)
        if not leads[lead]:
            rows.append([NO_CHARACTER] * (256 - FIRST_TRAIL))
            leads[lead] = len(rows)
        rows[leads[lead] - 1][trail - FIRST_TRAIL] = character
    assert len(rows) < 256
    return single, leads, [character for row in rows for character in row]


def exceptions(decoded, encoded):
    """The forms that are not the lowest bytes reading as the character: Windows' choices
    among duplicates, and characters stored decomposed."""
    lowest = {}
    for key, character in decoded:
        lowest.setdefault(character, as_bytes(key))
    return [(character, stored) for character, stored in encoded if lowest.get(character) != stored]


def code_page_lines(code_page, decoded, encoded):
    """The code page's arrays, its entry in kCodePageTables, and the size of its arrays."""
    single, leads, rows = dense_tables(decoded)
    forms = exceptions(decoded, encoded)
    assert all(len(stored) <= FORM_BYTES for _, stored in forms)
    lines = array("char16_t", f"kSingle{code_page}", single)
    if rows:
        lines += array("std::uint8_t", f"kLeads{code_page}", leads) + array("char16_t", f"kRows{code_page}", rows)
    if forms:
        lines += [f"static const CodePageForm kForms{code_page}[] = {{"]
        lines += [f"{{{character},{len(stored)},{{{','.join(map(str, stored))}}}}}," for character, stored in forms]
        lines += ["};"]
    name = lambda table, present: f"k{table}{code_page}" if present else "nullptr"
    entry = (f"{{{code_page}, kSingle{code_page}, {name('Leads', rows)}, {name('Rows', rows)}, "
             f"{name('Forms', forms)}, {len(forms)}}},")
    size = 2 * len(single) + (len(leads) + 2 * len(rows) if rows else 0) + FORM_SIZE * len(forms)
    return lines, entry, size


def main(out_path):
    lines = ["// Made by make-codepage-tables.py: do not edit.", '#include "CodePageTables.h"', "", AGREEMENT]
    tables, held, size = [], set(), 0
    for code_page in CODE_PAGES:
        decoded = decode_table(code_page)
        encoded = encode_table(code_page, decoded)
        arrays, entry, code_page_size = code_page_lines(code_page, decoded, encoded)
        lines += arrays
        tables.append(entry)
        size += code_page_size
        held |= {character for character, _ in encoded}
    lines += ["extern const CodePageTable kCodePageTables[] = {"] + tables + ["};"]
    lines += [f"extern const std::size_t kCodePageTableCount = {len(tables)};"]
    pairs, classes = composition_tables(held)
    lines.append("extern const CanonicalPair kCanonicalPairs[] = {")
    lines += [f"{{{c},{a},{b},{str(composes).lower()}}}," for c, a, b, composes in pairs]
    lines += ["};", f"extern const std::size_t kCanonicalPairCount = {len(pairs)};"]
    lines.append("extern const CombiningClass kCombiningClasses[] = {")
    lines += [f"{{{c},{value}}}," for c, value in classes]
    lines += ["};", f"extern const std::size_t kCombiningClassCount = {len(classes)};", ""]
    size += PAIR_SIZE * len(pairs) + CLASS_SIZE * len(classes)
    with open(out_path, "w", encoding="ascii") as out:
        out.write("\n".join(lines))
    print(f"Code page tables: {size} bytes")


if __name__ == "__main__":
    main(sys.argv[1])
