#!/usr/bin/python3
"""check_resources.py STUB.exe BRAND_DIR: its resources and imports, as Debian's python3-pefile reads them, and its
size, against EXPECTED."""
import re
import struct
import sys
import xml.etree.ElementTree as ET
from pathlib import Path

import pefile

ROOT = Path(__file__).resolve().parents[2]
# The numbers the program and its resource script share, the project's version, the stub's brand folder.
ID = {name: int(value, 0) for name, value in re.findall(r"#define (\w+) (\w+)", (ROOT / "res/resource.h").read_text())}
VERSION = re.search(r"project\(\w+ VERSION ([\d.]+)", (ROOT / "CMakeLists.txt").read_text())[1]
BRAND = Path(sys.argv[2])
TEXT = dict(re.findall(r'#define BRAND_(\w+) "(.*)"', (BRAND / "brand.h").read_text()))
RT = pefile.RESOURCE_TYPE
IDOK, IDCANCEL, NO_ID, BUTTON, STATIC = 1, 2, 0xFFFF, 0x80, 0x82
STYLES = {"POPUP": 0x80000000, "CHILD": 0x40000000, "VISIBLE": 0x10000000, "CAPTION": 0xC00000,
          "SYSMENU": 0x80000, "GROUP": 0x20000, "TABSTOP": 0x10000, "APPWINDOW": 0x40000,
          "MODALFRAME": 0x80, "SETFONT": 0x40, "NOPREFIX": 0x80, "BITMAP": 0xE, "DEFPUSHBUTTON": 1}
style = lambda names: sum(STYLES[name] for name in names.split())


EXPECTED = {
    # It runs on a bare Windows, which has these DLLs, and stays small.
    "imports beyond a bare Windows": [],
    "bytes over 20 KiB": 0,
    # (type, id, language, sublanguage): every resource is Korean
    "resources": sorted((kind, ident, 0x12, 0x01) for kind, ident in [
        (RT["RT_ICON"], 1), (RT["RT_GROUP_ICON"], ID["IDI_MAIN"]), (RT["RT_VERSION"], 1),
        (RT["RT_BITMAP"], ID["IDB_ABOUT_LOGO"]), (RT["RT_MANIFEST"], 1),
        (RT["RT_DIALOG"], ID["IDD_ABOUT_BOX"]), (RT["RT_DIALOG"], ID["IDD_UPGRADE_DIALOG"]),
        (RT["RT_STRING"], ID["IDS_ABOUT_MENU"] // 16 + 1)]),
    "strings": {ID["IDS_ABOUT_MENU"]: TEXT["ABOUT_MENU"]},
    # style, extended style, size, caption, font, controls (class, text, id, style, x y width height);
    # in dialog units
    "about box": (style("POPUP CAPTION SYSMENU MODALFRAME SETFONT"), 0, (253, 55),
                  TEXT["ABOUT_CAPTION"], (9, "굴림"), [
                      (STATIC, ID["IDB_ABOUT_LOGO"], NO_ID, style("CHILD VISIBLE BITMAP"), (7, 7, 60, 21)),
                      (STATIC, TEXT["ABOUT_TITLE"], NO_ID, style("CHILD VISIBLE GROUP NOPREFIX"), (75, 17, 119, 8)),
                      (STATIC, TEXT["COPYRIGHT"], NO_ID, style("CHILD VISIBLE GROUP"), (75, 32, 119, 8)),
                      (BUTTON, "확인", IDOK, style("CHILD VISIBLE GROUP TABSTOP DEFPUSHBUTTON"), (196, 7, 50, 14))]),
    "upgrade dialog": (style("POPUP VISIBLE CAPTION SYSMENU MODALFRAME SETFONT"), style("APPWINDOW"), (237, 69),
                       "Orvane Firmware Upgrade", (12, "System"), [
                           (BUTTON, "Orvane Firmware Upgrade", IDOK, style("CHILD VISIBLE TABSTOP DEFPUSHBUTTON"),
                            (34, 14, 162, 14)),
                           (BUTTON, "Exit", IDCANCEL, style("CHILD VISIBLE TABSTOP"), (34, 38, 162, 14))]),
    # file and product version, FileOS (32-bit Windows), FileType (application)
    "fixed version": (VERSION, VERSION, 0x4, 1),
    "version strings": {"041204B0": {
        "CompanyName": TEXT["COMPANY_NAME"], "FileDescription": TEXT["FILE_DESCRIPTION"],
        "InternalName": TEXT["INTERNAL_NAME"], "OriginalFilename": TEXT["ORIGINAL_FILENAME"],
        "ProductName": TEXT["PRODUCT_NAME"], "LegalTrademarks": TEXT["LEGAL_TRADEMARKS"], "LegalCopyright": TEXT["COPYRIGHT"],
        "FileVersion": VERSION.replace(".", ", "), "ProductVersion": VERSION.replace(".", ", ")}},
    "translations": {"Translation": "0x0412 0x04b0"},
    # the icon's one image, past its directory, and the picture, past its file header
    "pictures": ((BRAND / "OrvaneFirmUp.ico").read_bytes()[22:], (BRAND / "AboutLogo.bmp").read_bytes()[14:]),
    "execution levels": [{"level": "asInvoker", "uiAccess": "false"}],
    "dpi awareness": {"dpiAware": "true", "dpiAwareness": "PerMonitorV2, System"},
}


def dialog(data):
    """pefile leaves dialog templates (classic or extended) as bytes: their fields, in order."""
    extended, at = data[2:4] == b"\xff\xff", 0

    def take(layout):
        nonlocal at
        values = struct.unpack_from("<" + layout, data, at)
        at += struct.calcsize("<" + layout)
        return values

    def text():  # zero-terminated UTF-16, or a number after 0xFFFF
        if data[at:at + 2] == b"\xff\xff":
            return take("2xH")[0]
        end = next(i for i in range(at, len(data), 2) if data[i:i + 2] == b"\0\0")
        return take(f"{end - at}s2x")[0].decode("utf-16-le")

    first, second, count, *size = take("8xIIH4x2h" if extended else "IIH4x2h")
    dialog_style, ex_style = (second, first) if extended else (first, second)
    _menu, _window_class, caption = text(), text(), text()
    font = take("H4x" if extended else "H")[0], text()
    controls = []
    for _ in range(count):
        at = (at + 3) & ~3
        item_style, *rect, ident = take("8xI4hI" if extended else "I4x4hH")
        controls.append((text(), text(), ident, item_style, tuple(rect)))
        at += 2 + struct.unpack_from("<H", data, at)[0]  # past the creation data
    return dialog_style, ex_style, tuple(size), caption, font, controls


def actual(pe):
    resources, strings, data = [], {}, {}
    for kind in pe.DIRECTORY_ENTRY_RESOURCE.entries:
        for name in kind.directory.entries:
            for lang in name.directory.entries:
                resources.append((kind.id, name.id, lang.data.lang, lang.data.sublang))
                data[(kind.id, name.id)] = pe.get_data(lang.data.struct.OffsetToData, lang.data.struct.Size)
            strings.update(getattr(name.directory, "strings", {}))  # string tables only
    fixed, blocks = pe.VS_FIXEDFILEINFO[0], pe.FileInfo[0]
    dotted = lambda ms, ls: f"{ms >> 16}.{ms & 0xFFFF}.{ls >> 16}.{ls & 0xFFFF}"
    manifest = ET.fromstring(data[(RT["RT_MANIFEST"], 1)])
    imports = {entry.dll.decode().upper() for entry in pe.DIRECTORY_ENTRY_IMPORT}
    return {
        "imports beyond a bare Windows": sorted(imports - {"KERNEL32.DLL", "USER32.DLL", "GDI32.DLL", "MSVCRT.DLL",
                                                           "ADVAPI32.DLL", "COMCTL32.DLL"}),
        "bytes over 20 KiB": max(0, len(pe.__data__) - 20480),
        "resources": sorted(resources), "strings": strings,
        "about box": dialog(data[(RT["RT_DIALOG"], ID["IDD_ABOUT_BOX"])]),
        "upgrade dialog": dialog(data[(RT["RT_DIALOG"], ID["IDD_UPGRADE_DIALOG"])]),
        "fixed version": (dotted(fixed.FileVersionMS, fixed.FileVersionLS),
                          dotted(fixed.ProductVersionMS, fixed.ProductVersionLS), fixed.FileOS, fixed.FileType),
        "version strings": {table.LangID.decode(): {k.decode(): v.decode() for k, v in table.entries.items()}
                            for block in blocks for table in getattr(block, "StringTable", [])},
        "translations": {k.decode(): v for block in blocks for var in getattr(block, "Var", [])
                         for k, v in var.entry.items()},
        "pictures": (data[(RT["RT_ICON"], 1)], data[(RT["RT_BITMAP"], ID["IDB_ABOUT_LOGO"])]),
        "execution levels": [e.attrib for e in manifest.iter() if e.tag.endswith("}requestedExecutionLevel")],
        "dpi awareness": {e.tag.split("}")[1]: e.text for e in manifest.iter() if e.tag.split("}")[-1].startswith("dpiAware")},
    }


found = actual(pefile.PE(sys.argv[1]))
diffs = [f"{key}:\n  expected {want!r}\n  got      {found[key]!r}" for key, want in EXPECTED.items() if found[key] != want]
print(*diffs, f"{sys.argv[1]}: {len(EXPECTED) - len(diffs)} of {len(EXPECTED)} checks hold", sep="\n")
sys.exit(1 if diffs else 0)
