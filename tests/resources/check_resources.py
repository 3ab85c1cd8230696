#!/usr/bin/python3
"""Decodes every resource of the built carrier and compares it, field by field, with EXPECTED.

Usage: /usr/bin/python3 check_resources.py OrvaneFirmUp.exe   (needs Debian's python3-pefile)
"""
import struct
import sys
import xml.etree.ElementTree as ET

import pefile

TYPE_NAMES = {2: "RT_BITMAP", 3: "RT_ICON", 5: "RT_DIALOG", 6: "RT_STRING",
              14: "RT_GROUP_ICON", 16: "RT_VERSION", 24: "RT_MANIFEST"}
RT = {name: number for number, name in TYPE_NAMES.items()}
KOREAN = 0x0412
STATIC, BUTTON = 0x0082, 0x0080


class Ord(int):
    """A resource ordinal (0xFFFF + number) where a string could also stand."""
    def __repr__(self):
        return f"ordinal {int(self)} (0x{int(self):04X})"


MISSING = type("Missing", (), {"__repr__": lambda self: "<missing>"})()


def dib_bytes(width, rows, bpp):
    """Length of a header-less DIB: header, palette, pixel rows padded to 32 bits."""
    return 40 + (4 << bpp if bpp <= 8 else 0) + rows * ((width * bpp + 31) // 32 * 4)


def item(ident, cls, text, style, x, y, cx, cy, help_id=None):
    fields = {"style": style, "ex style": 0, "x": x, "y": y, "cx": cx, "cy": cy, "id": ident,
              "class": Ord(cls), "text": text, "creation data": 0}
    return fields if help_id is None else {"help id": help_id, **fields}


ICON_BYTES = dib_bytes(32, 32, 4) + 32 * 4  # colour image + 1-bit AND mask
VERSION_STRINGS = {
    "CompanyName": "", "FileDescription": "OrvaneFirmUp MFC 응용 프로그램",
    "FileVersion": "1, 0, 0, 1", "InternalName": "OrvaneFirmUp",
    "LegalCopyright": "Copyright (C) 2026 Orvane", "LegalTrademarks": "",
    "OriginalFilename": "OrvaneFirmUp.EXE", "ProductName": "OrvaneFirmUp 응용 프로그램",
    "ProductVersion": "1, 0, 0, 1",
}

# (type, id) -> decoded fields; every resource is Korean. "" as menu or class: none / default.
EXPECTED = {
    (RT["RT_ICON"], 1): {"header size": 40, "width": 32, "height": 64, "planes": 1,
                         "bit count": 4, "compression": 0, "length": ICON_BYTES},
    (RT["RT_GROUP_ICON"], 128): {"reserved": 0, "type": 1, "entries": [
        {"width": 32, "height": 32, "colour count": 16, "reserved": 0, "planes": 1,
         "bit count": 4, "bytes in res": ICON_BYTES, "icon id": 1}]},
    (RT["RT_BITMAP"], 130): {"header size": 40, "width": 105, "height": 21, "planes": 1,
                             "bit count": 4, "compression": 0, "length": dib_bytes(105, 21, 4)},
    (RT["RT_DIALOG"], 100): {
        "format": "classic", "style": 0x80C800C0, "ex style": 0,
        "x": 0, "y": 0, "cx": 253, "cy": 55, "menu": "", "class": "",
        "caption": "Orvane Firmware Upgrade Information", "point size": 9, "typeface": "굴림",
        "items": [
            item(0xFFFF, STATIC, Ord(130), 0x5000000E, 7, 7, 60, 21),
            item(0xFFFF, STATIC, "Orvane Firmware Upgrade Ver 1.0", 0x50020080, 75, 17, 119, 8),
            item(0xFFFF, STATIC, "Copyright (C) 2026 Orvane", 0x50020000, 75, 32, 119, 8),
            item(1, BUTTON, "확인", 0x50030001, 196, 7, 50, 14)],
        "trailing bytes": 0},
    (RT["RT_DIALOG"], 102): {
        "format": "extended", "version": 1, "signature": 0xFFFF, "help id": 0,
        "ex style": 0x00040000, "style": 0x90C800C0, "x": 0, "y": 0, "cx": 237, "cy": 69,
        "menu": "", "class": "", "caption": "Orvane Firmware Upgrade", "point size": 12,
        "weight": 0, "italic": 0, "charset": 1, "typeface": "System",
        "items": [
            item(1, BUTTON, "Orvane Firmware Upgrade", 0x50010001, 34, 14, 162, 14, help_id=0),
            item(2, BUTTON, "Exit", 0x50010000, 34, 38, 162, 14, help_id=0)],
        "trailing bytes": 0},
    (RT["RT_STRING"], 101 // 16 + 1): {  # string 101 sits at index 101 % 16 of block 7
        "strings": [""] * 5 + ["OrvaneFirmUp 정보(&A)..."] + [""] * 10, "trailing bytes": 0},
    (RT["RT_VERSION"], 1): {
        "signature": 0xFEEF04BD, "struct version": 0x10000,
        "file version": "1.0.0.1", "product version": "1.0.0.1",
        "flags mask": 0x3F, "flags": 0, "os": 0x4, "file type": 1, "file subtype": 0,
        "file date": 0, "blocks": ["StringFileInfo", "VarFileInfo"],
        "string tables": ["041204B0"], "key order": tuple(VERSION_STRINGS),
        "strings": VERSION_STRINGS, "var keys": ["Translation"],
        # [value length, type (1: text)] of every node; a String counts its WCHARs and terminator
        "headers": {"VS_VERSION_INFO": [52, 0], "StringFileInfo": [0, 1], "041204B0": [0, 1],
                    **{key: [len(value) + 1, 1] for key, value in VERSION_STRINGS.items()},
                    "VarFileInfo": [0, 1], "Translation": [4, 0]},
        "translations": [[0x0412, 0x04B0]]},
    (RT["RT_MANIFEST"], 1): {"execution levels": 1, "level": "asInvoker", "uiAccess": "false"},
}


class Reader:
    """Little-endian fields read one by one; running past the end raises ValueError."""
    def __init__(self, data):
        self.data, self.pos = data, 0

    def take(self, fmt):
        size = struct.calcsize("<" + fmt)
        if self.pos + size > len(self.data):
            raise ValueError(f"truncated at offset {self.pos} (need {size} more bytes)")
        values = struct.unpack_from("<" + fmt, self.data, self.pos)
        self.pos += size
        return values if len(values) > 1 else values[0]

    def sz(self):
        start = self.pos
        while self.take("H") != 0:
            pass
        return self.data[start:self.pos - 2].decode("utf-16-le")

    def sz_or_ord(self):
        if self.take("H") == 0xFFFF:
            return Ord(self.take("H"))
        self.pos -= 2
        return self.sz()


def decode_dib_header(data):
    size, width, height, planes, bpp, compression = Reader(data).take("IiiHHI")
    return {"header size": size, "width": width, "height": height, "planes": planes,
            "bit count": bpp, "compression": compression, "length": len(data)}


def decode_group_icon(data):
    r = Reader(data)
    reserved, kind, count = r.take("HHH")
    names = ("width", "height", "colour count", "reserved", "planes", "bit count",
             "bytes in res", "icon id")
    entries = [dict(zip(names, r.take("BBBBHHIH"))) for _ in range(count)]
    return {"reserved": reserved, "type": kind, "entries": entries}


def decode_dialog_header(r):
    version, signature = r.take("HH")
    if signature == 0xFFFF:
        help_id, ex_style, style, count = r.take("IIIH")
        out = {"format": "extended", "version": version, "signature": signature,
               "help id": help_id, "ex style": ex_style, "style": style}
    else:  # a classic template starts with its style
        r.pos = 0
        style, ex_style, count = r.take("IIH")
        out = {"format": "classic", "style": style, "ex style": ex_style}
    out.update(zip(("x", "y", "cx", "cy"), r.take("hhhh")))
    out.update({"menu": r.sz_or_ord(), "class": r.sz_or_ord(), "caption": r.sz()})
    if style & 0x40:  # DS_SETFONT
        out["point size"] = r.take("H")
        if out["format"] == "extended":
            out["weight"], out["italic"], out["charset"] = r.take("HBB")
        out["typeface"] = r.sz()
    return out, count


def decode_dialog_item(r, extended):
    r.pos = (r.pos + 3) & ~3  # every item starts on a DWORD
    if extended:
        out = dict(zip(("help id", "ex style", "style"), r.take("III")))
    else:
        out = dict(zip(("style", "ex style"), r.take("II")))
    out.update(zip(("x", "y", "cx", "cy"), r.take("hhhh")))
    out["id"] = r.take("I" if extended else "H")
    out.update({"class": r.sz_or_ord(), "text": r.sz_or_ord(), "creation data": r.take("H")})
    r.pos += out["creation data"]
    return out


def decode_dialog(data):
    r = Reader(data)
    out, count = decode_dialog_header(r)
    out["items"] = [decode_dialog_item(r, out["format"] == "extended") for _ in range(count)]
    out["trailing bytes"] = len(data) - r.pos
    return out


def decode_string_block(data):
    r = Reader(data)
    # 16 counted strings: a WCHAR count, then that many WCHARs without a terminator
    strings = [r.take(f"{2 * r.take('H')}s").decode("utf-16-le") for _ in range(16)]
    return {"strings": strings, "trailing bytes": len(data) - r.pos}


def var_words(pe, var):
    """Every (language, code page) pair of a Var; pefile keeps only the last one."""
    key = next(iter(getattr(var, "entry", {})), b"Translation")
    start = var.get_file_offset() + (6 + 2 * len(key) + 2 + 3) // 4 * 4  # header + key, aligned
    words = pe.__data__[start:start + var.ValueLength]
    return [list(pair) for pair in struct.iter_unpack("<HH", words)]


def node_headers(pe, blocks, tables, variables):
    """[ValueLength, Type] of every node; pefile reads a String's but does not keep them."""
    nodes = [(pe.VS_VERSIONINFO[0].Key, pe.VS_VERSIONINFO[0])] + [(b.Key, b) for b in blocks]
    nodes += [(t.LangID, t) for t in tables]
    nodes += [(k, v) for v in variables for k in getattr(v, "entry", {})]
    headers = {key.decode(): [node.ValueLength, node.Type] for key, node in nodes}
    for table in tables:
        for key, (key_at, _) in table.entries_offsets.items():
            headers[key.decode()] = list(struct.unpack_from("<HH", pe.__data__, key_at - 4))
    return headers


def decode_version(pe):
    """pefile decodes the version block; it hands its UTF-16 texts over as UTF-8."""
    fixed, blocks = pe.VS_FIXEDFILEINFO[0], pe.FileInfo[0]
    dotted = lambda ms, ls: f"{ms >> 16}.{ms & 0xFFFF}.{ls >> 16}.{ls & 0xFFFF}"
    tables = [t for b in blocks if b.Key == b"StringFileInfo" for t in b.StringTable]
    variables = [v for b in blocks if b.Key == b"VarFileInfo" for v in b.Var]
    strings = {k.decode(): v.decode() for k, v in tables[0].entries.items()} if tables else {}
    return {"signature": fixed.Signature, "struct version": fixed.StrucVersion,
            "file version": dotted(fixed.FileVersionMS, fixed.FileVersionLS),
            "product version": dotted(fixed.ProductVersionMS, fixed.ProductVersionLS),
            "flags mask": fixed.FileFlagsMask, "flags": fixed.FileFlags, "os": fixed.FileOS,
            "file type": fixed.FileType, "file subtype": fixed.FileSubtype,
            "file date": fixed.FileDateMS << 32 | fixed.FileDateLS,
            "blocks": [b.Key.decode() for b in blocks],
            "string tables": [t.LangID.decode() for t in tables],
            "key order": tuple(strings), "strings": strings,
            "headers": node_headers(pe, blocks, tables, variables),
            "var keys": [k.decode() for v in variables for k in getattr(v, "entry", {})],
            "translations": [pair for v in variables for pair in var_words(pe, v)]}


def decode_manifest(data):
    levels = [e.attrib for e in ET.fromstring(data).iter()
              if e.tag.endswith("}requestedExecutionLevel")]
    first = levels[0] if levels else {}
    return {"execution levels": len(levels), "level": first.get("level"),
            "uiAccess": first.get("uiAccess")}


DECODERS = {"RT_ICON": decode_dib_header, "RT_BITMAP": decode_dib_header,
            "RT_GROUP_ICON": decode_group_icon, "RT_DIALOG": decode_dialog,
            "RT_STRING": decode_string_block, "RT_MANIFEST": decode_manifest}


def show(value):
    if isinstance(value, int) and not isinstance(value, (bool, Ord)) and value > 255:
        return f"{value} (0x{value:X})"
    if isinstance(value, str) and not value.isascii():
        return f"{value!r} ({' '.join(f'U+{ord(c):04X}' for c in value if not c.isascii())})"
    return repr(value)


def compare(expected, actual, where, path, diffs):
    """Appends one line per differing leaf; returns how many leaves were compared."""
    if isinstance(expected, dict) and isinstance(actual, dict):
        fields = sum(compare(e, actual.get(k, MISSING), where, f"{path}{k}.", diffs)
                     for k, e in expected.items())
        for extra in [k for k in actual if k not in expected]:
            diffs.append(f"{where}: {path}{extra}: unexpected, got {show(actual[extra])}")
        return fields
    if isinstance(expected, list) and isinstance(actual, list):
        if len(expected) != len(actual):
            diffs.append(f"{where}: {path[:-1]}: expected {len(expected)} entries, "
                         f"got {len(actual)}")
        return sum(compare(e, a, where, f"{path[:-1]}[{i}].", diffs)
                   for i, (e, a) in enumerate(zip(expected, actual)))
    if type(expected) is not type(actual) or expected != actual:
        diffs.append(f"{where}: {path[:-1]}: expected {show(expected)}, got {show(actual)}")
    return 1


def branch(entry):
    """Sub-entries of a type or name entry; a corrupt tree may hold data there instead."""
    if not hasattr(entry, "directory"):
        raise ValueError(f"malformed resource tree: entry {entry.id} is not a directory")
    return entry.directory.entries


def list_resources(pe):
    """(type, id) -> [(language, bytes)] for every leaf of the resource tree."""
    found, root = {}, getattr(pe, "DIRECTORY_ENTRY_RESOURCE", None)
    for kind in root.entries if root else []:
        for name in branch(kind):
            key = tuple(e.id if e.name is None else str(e.name) for e in (kind, name))
            for lang in branch(name):
                if not hasattr(lang, "data"):
                    raise ValueError(f"malformed resource tree: {key} holds a directory")
                entry = lang.data.struct
                data = pe.get_data(entry.OffsetToData, entry.Size)
                found.setdefault(key, []).append((lang.id, data))
    return found


def check_one(pe, kind, rid, entries, diffs):
    where, expected = f"{TYPE_NAMES[kind]} {rid}", EXPECTED[(kind, rid)]
    fields = compare([KOREAN], [lang for lang, _ in entries], where, "languages.", diffs)
    try:
        decode = DECODERS.get(TYPE_NAMES[kind])
        actual = decode(entries[0][1]) if decode else decode_version(pe)
    except (ValueError, IndexError, AttributeError, struct.error, ET.ParseError) as error:
        diffs.append(f"{where}: cannot decode: {error}")
        return fields
    return fields + compare(expected, actual, where, "", diffs)


def check(pe):
    found, diffs, fields = list_resources(pe), [], 0
    for kind, rid in sorted(found.keys() - EXPECTED.keys(), key=str):
        diffs.append(f"{TYPE_NAMES.get(kind, kind)} {rid}: unexpected resource")
    for kind, rid in EXPECTED:
        if (kind, rid) in found:
            fields += check_one(pe, kind, rid, found[(kind, rid)], diffs)
        else:
            diffs.append(f"{TYPE_NAMES[kind]} {rid}: missing")
    return fields, diffs


def main(argv):
    if len(argv) != 2:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    try:
        fields, diffs = check(pefile.PE(argv[1]))
    except (OSError, ValueError, pefile.PEFormatError) as error:
        print(f"{argv[1]}: cannot read resources: {error}", file=sys.stderr)
        return 1
    if diffs:
        print(f"{argv[1]}: {len(diffs)} resource difference(s):", *diffs, sep="\n  ",
              file=sys.stderr)
        return 1
    print(f"{len(EXPECTED)} resources checked, {fields} fields")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
