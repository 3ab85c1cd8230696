#!/usr/bin/python3
"""Compares the built carrier's resources, as pefile reads them, with EXPECTED.

Usage: /usr/bin/python3 check_resources.py OrvaneFirmUp.exe   (needs Debian's python3-pefile)
"""
import re
import struct
import sys
import xml.etree.ElementTree as ET
from pathlib import Path

import pefile

ROOT = Path(__file__).resolve().parents[2]
# The numbers the program and its resource script share, and the project's version.
ID = {name: int(value, 0) for name, value in
      re.findall(r"#define (\w+) (\w+)", (ROOT / "res/resource.h").read_text())}
VERSION = re.search(r"project\(\w+ VERSION ([\d.]+)", (ROOT / "CMakeLists.txt").read_text())[1]
RT = pefile.RESOURCE_TYPE
IDOK, IDCANCEL, NO_ID, BUTTON, STATIC = 1, 2, 0xFFFF, 0x80, 0x82
STYLES = {"POPUP": 0x80000000, "CHILD": 0x40000000, "VISIBLE": 0x10000000, "CAPTION": 0xC00000,
          "SYSMENU": 0x80000, "GROUP": 0x20000, "TABSTOP": 0x10000, "APPWINDOW": 0x40000,
          "MODALFRAME": 0x80, "SETFONT": 0x40, "NOPREFIX": 0x80, "BITMAP": 0xE, "DEFPUSHBUTTON": 1}


def style(names):
    return sum(STYLES[name] for name in names.split())


EXPECTED = {
    # (type, id, language, sublanguage): every resource is Korean
    "resources": sorted((kind, ident, 0x12, 0x01) for kind, ident in [
        (RT["RT_ICON"], 1), (RT["RT_GROUP_ICON"], ID["IDI_MAIN"]), (RT["RT_VERSION"], 1),
        (RT["RT_BITMAP"], ID["IDB_ABOUT_LOGO"]), (RT["RT_MANIFEST"], 1),
        (RT["RT_DIALOG"], ID["IDD_ABOUT_BOX"]), (RT["RT_DIALOG"], ID["IDD_UPGRADE_DIALOG"]),
        (RT["RT_STRING"], ID["IDS_ABOUT_MENU"] // 16 + 1)]),
    "strings": {ID["IDS_ABOUT_MENU"]: "OrvaneFirmUp 정보(&A)..."},
    # style, extended style, caption, font, controls (class, text, id, style)
    "about box": (style("POPUP CAPTION SYSMENU MODALFRAME SETFONT"), 0,
                  "Orvane Firmware Upgrade Information", (9, "굴림"), [
                      (STATIC, ID["IDB_ABOUT_LOGO"], NO_ID, style("CHILD VISIBLE BITMAP")),
                      (STATIC, "Orvane Firmware Upgrade Ver 1.0", NO_ID, style("CHILD VISIBLE GROUP NOPREFIX")),
                      (STATIC, "Copyright (C) 2026 Orvane", NO_ID, style("CHILD VISIBLE GROUP")),
                      (BUTTON, "확인", IDOK, style("CHILD VISIBLE GROUP TABSTOP DEFPUSHBUTTON"))]),
    "upgrade dialog": (style("POPUP VISIBLE CAPTION SYSMENU MODALFRAME SETFONT"), style("APPWINDOW"),
                       "Orvane Firmware Upgrade", (12, "System"), [
                           (BUTTON, "Orvane Firmware Upgrade", IDOK, style("CHILD VISIBLE TABSTOP DEFPUSHBUTTON")),
                           (BUTTON, "Exit", IDCANCEL, style("CHILD VISIBLE TABSTOP"))]),
    # file and product version, FileOS (32-bit Windows), FileType (application)
    "fixed version": (VERSION, VERSION, 0x4, 1),
    "version strings": {
        "041204B0": {
            "CompanyName": "", "FileDescription": "OrvaneFirmUp MFC 응용 프로그램",
            "FileVersion": VERSION.replace(".", ", "), "InternalName": "OrvaneFirmUp",
            "LegalCopyright": "Copyright (C) 2026 Orvane", "LegalTrademarks": "",
            "OriginalFilename": "OrvaneFirmUp.EXE", "ProductName": "OrvaneFirmUp 응용 프로그램",
            "ProductVersion": VERSION.replace(".", ", ")}},
    "translations": {"Translation": "0x0412 0x04b0"},
    "execution levels": [{"level": "asInvoker", "uiAccess": "false"}],
}


def text_or_ordinal(data, at):
    """A template's zero-terminated UTF-16 text, or the number after 0xFFFF; and what follows."""
    if data[at:at + 2] == b"\xff\xff":
        return struct.unpack_from("<H", data, at + 2)[0], at + 4
    end = at
    while end < len(data) and data[end:end + 2] != b"\0\0":
        end += 2
    return data[at:end].decode("utf-16-le"), end + 2


def dialog(data):
    """pefile leaves dialog templates (classic or extended) as bytes: their fields, in order."""
    extended = data[2:4] == b"\xff\xff"
    if extended:
        ex_style, dialog_style, count = struct.unpack_from("<IIH", data, 8)
    else:
        dialog_style, ex_style, count = struct.unpack_from("<IIH", data)
    _, at = text_or_ordinal(data, 26 if extended else 18)  # menu
    _, at = text_or_ordinal(data, at)  # window class
    caption, at = text_or_ordinal(data, at)
    point_size = struct.unpack_from("<H", data, at)[0]
    typeface, at = text_or_ordinal(data, at + (6 if extended else 2))
    controls = []
    for _ in range(count):
        at = (at + 3) & ~3
        if extended:
            _, _, item_style, ident = struct.unpack_from("<III8xI", data, at)
            at += 24
        else:
            item_style, _, ident = struct.unpack_from("<II8xH", data, at)
            at += 18
        cls, at = text_or_ordinal(data, at)
        text, at = text_or_ordinal(data, at)
        at += 2 + struct.unpack_from("<H", data, at)[0]  # creation data
        controls.append((cls, text, ident, item_style))
    return dialog_style, ex_style, caption, (point_size, typeface), controls


def actual(pe):
    resources, strings, data = [], {}, {}
    for kind in pe.DIRECTORY_ENTRY_RESOURCE.entries:
        for name in kind.directory.entries:
            for lang in name.directory.entries:
                resources.append((kind.id, name.id, lang.data.lang, lang.data.sublang))
                data[(kind.id, name.id)] = pe.get_data(lang.data.struct.OffsetToData, lang.data.struct.Size)
            strings.update(getattr(name.directory, "strings", {}) if kind.id == RT["RT_STRING"] else {})
    fixed, blocks = pe.VS_FIXEDFILEINFO[0], pe.FileInfo[0]
    dotted = lambda ms, ls: f"{ms >> 16}.{ms & 0xFFFF}.{ls >> 16}.{ls & 0xFFFF}"
    manifest = ET.fromstring(data[(RT["RT_MANIFEST"], 1)])
    return {
        "resources": sorted(resources), "strings": strings,
        "about box": dialog(data[(RT["RT_DIALOG"], ID["IDD_ABOUT_BOX"])]),
        "upgrade dialog": dialog(data[(RT["RT_DIALOG"], ID["IDD_UPGRADE_DIALOG"])]),
        "fixed version": (dotted(fixed.FileVersionMS, fixed.FileVersionLS),
                          dotted(fixed.ProductVersionMS, fixed.ProductVersionLS), fixed.FileOS, fixed.FileType),
        "version strings": {table.LangID.decode(): {k.decode(): v.decode() for k, v in table.entries.items()}
                            for block in blocks for table in getattr(block, "StringTable", [])},
        "translations": {k.decode(): v for block in blocks for var in getattr(block, "Var", [])
                         for k, v in var.entry.items()},
        "execution levels": [e.attrib for e in manifest.iter() if e.tag.endswith("}requestedExecutionLevel")],
    }


def main(argv):
    if len(argv) != 2:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    try:
        found = actual(pefile.PE(argv[1]))
    except (OSError, KeyError, IndexError, AttributeError, struct.error, ET.ParseError, pefile.PEFormatError) as error:
        print(f"{argv[1]}: cannot read resources: {error!r}", file=sys.stderr)
        return 1
    diffs = [f"{key}:\n  expected {value!r}\n  got      {found[key]!r}"
             for key, value in EXPECTED.items() if found[key] != value]
    print(*diffs, sep="\n", file=sys.stderr)
    print(f"{argv[1]}: {len(EXPECTED) - len(diffs)} of {len(EXPECTED)} resource checks hold")
    return 1 if diffs else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
