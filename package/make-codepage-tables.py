#!/usr/bin/python3
"""make-codepage-tables.py OUT.cpp: the Windows code pages firmpack stores text in, as C++ tables.

Both builds of firmpack convert with these tables, so that the same arguments give the same
bytes on Linux and on Windows. They come from Python's codecs, which follow the code pages'
published mappings. A character with no form of its own is stored as its canonical
decomposition when the code page holds that (Vietnamese tone marks, Hebrew points)."""
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


def main(out_path):
    lines = ["// Made by make-codepage-tables.py: do not edit.", '#include "CodePageTables.h"', ""]
    tables = []
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
    lines += ["extern const CodePageTable kCodePageTables[] = {"] + tables + ["};"]
    lines += [f"extern const std::size_t kCodePageTableCount = {len(tables)};", ""]
    with open(out_path, "w", encoding="ascii") as out:
        out.write("\n".join(lines))


if __name__ == "__main__":
    main(sys.argv[1])
