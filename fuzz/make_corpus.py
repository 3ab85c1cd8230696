#!/usr/bin/env python3
"""Writes the fuzz targets' seed corpus: small valid and damaged carriers for the reader,
field slices for the field parsers. Run from anywhere; it rewrites corpus/ beside it."""
import pathlib
import shutil
import struct

HERE = pathlib.Path(__file__).resolve().parent
# A stand-in for the carrier's executable, without the "MZ" of an image.
STUB = b"STUB" + bytes((i * 37 + 11) % 256 for i in range(316))


def pe_stub(image_end, size=512):
    """The headers of an executable image whose one section ends at image_end."""
    stub = bytearray(size)
    stub[0:2] = b"MZ"
    stub[0x3C:0x40] = struct.pack("<I", 0x40)
    stub[0x40:0x44] = b"PE\0\0"
    stub[0x46:0x48] = struct.pack("<H", 1)      # one section
    stub[0x54:0x56] = struct.pack("<H", 0)      # no optional header
    section = 0x40 + 24
    stub[section:section + 8] = b".text\0\0\0"
    stub[section + 16:section + 24] = struct.pack("<II", image_end - 0x200, 0x200)
    return bytes(stub)


def signed_image(pe32_plus=False):
    """An image with an optional header, so that it has a security directory (the fifth)."""
    magic, count_at = (0x20B, 108) if pe32_plus else (0x10B, 92)
    optional, optional_size = 0x58, 0xE0
    image = bytearray(pe_stub(512))
    image[0x54:0x56] = struct.pack("<H", optional_size)
    section = optional + optional_size
    image[section:section + 8] = b".text\0\0\0"
    image[section + 16:section + 24] = struct.pack("<II", 512 - 0x200, 0x200)
    image[0x40 + 24 + 0:0x40 + 24 + 8] = bytes(8)  # the old section header's place
    image[optional:optional + 2] = struct.pack("<H", magic)
    image[optional + count_at:optional + count_at + 4] = struct.pack("<I", 16)
    return bytes(image)


def signed(carrier_bytes, pe32_plus=False, certificate=b"CERT" * 16):
    """A carrier whose security directory names a certificate table appended behind the
    package, as signing does."""
    count_at = 108 if pe32_plus else 92
    body = bytearray(carrier(stub=signed_image(pe32_plus)) if carrier_bytes is None else carrier_bytes)
    entry = 0x58 + count_at + 4 + 4 * 8
    body[entry:entry + 8] = struct.pack("<II", len(body), len(certificate))
    return bytes(body) + certificate


def scramble(data):
    return bytes(((b << 4) | (b >> 4)) & 0xFF for b in data)


def decimal(value):
    """A decimal field: an int as ten zero-padded digits, or a text NUL-padded to ten."""
    text = b"%010d" % value if isinstance(value, int) else value
    return scramble(text.ljust(10, b"\0")[:10])


def text_field(text, scrambled):
    field = text.ljust(16, b" ")[:16]
    return scramble(field) if scrambled else field


def pattern(count, seed):
    return bytes((i * 131 + seed * 17 + (i >> 3)) % 256 for i in range(count))


def carrier(target=b"fw.bin", payload=pattern(200, 1), label=b"Orvane", stub=STUB,
            length=None, checksum=None, gap=b"", trailer=None):
    header = len(stub)
    return (stub + text_field(label, False) + text_field(target, True)
            + decimal(len(payload) if length is None else length) + scramble(payload)
            + decimal(sum(payload) if checksum is None else checksum) + gap
            + decimal(header if trailer is None else trailer))


def reader_corpus():
    valid = carrier()
    payload = pattern(200, 1)
    return {
        "valid_small": valid,
        "valid_empty_payload": carrier(payload=b""),
        "valid_full_fields": carrier(label=b"SIXTEEN-BYTES-LB", target=b"sixteen-byte.bin"),
        "valid_gap_before_trailer": carrier(gap=b"\x00gap\xff" * 4),
        "valid_spaced_decimals": carrier(length=b"   200", trailer=b" +320"),
        "valid_unpadded_decimals": carrier(length=b"200", checksum=b"%d" % sum(payload), trailer=b"320"),
        "valid_no_stub": carrier(stub=b""),
        "valid_high_bytes": carrier(payload=b"\xff" * 300 + b"\x00" * 20),
        "valid_label_with_space": carrier(label=b"two words"),
        "valid_nested_package": carrier(stub=valid),
        "valid_behind_image": carrier(stub=pe_stub(512)),
        "header_inside_image": carrier(stub=pe_stub(600)),
        "signed": signed(None),
        "signed_pe32_plus": signed(None, pe32_plus=True),
        # A negative header on a signed carrier whose certificate begins like a package.
        "signed_trailer_negative": signed(carrier(stub=signed_image(), trailer=b"-1"),
                                          certificate=carrier(stub=b"", target=b"cert.bin", payload=b"")[:64]),
        "bare_stub": STUB,
        "bare_image": pe_stub(512),
        "empty": b"",
        "shorter_than_trailer": b"MZ\x90\x00\x03",
        "checksum_off_by_one": carrier(checksum=sum(payload) + 1),
        "checksum_spaced": carrier(checksum=b"\t %d" % sum(payload)),
        "length_one_too_long": carrier(length=201),
        "length_negative": carrier(length=b"-1"),
        "length_wraps": carrier(length=4294967295),
        "length_zero_with_payload": carrier(length=0, checksum=0),
        "trailer_negative": carrier(trailer=b"-5"),
        "trailer_not_numeric": carrier(trailer=b"abcdefghij"),
        "trailer_beyond_file": carrier(trailer=99999),
        "trailer_inside_payload": carrier(trailer=len(STUB) + 50),
        "target_is_carrier": carrier(target=b"carrier.exe"),
        "target_empty": carrier(target=b""),
        "target_missing_folder": carrier(target=b"nodir/fw.bin"),
        "target_dot": carrier(target=b"."),
        "target_parent": carrier(target=b"../fw.bin"),
        "target_climbs_five": carrier(target=b"../../../../../x"),
        "target_absolute": carrier(target=b"/tmp/fw.bin"),
        "target_device": carrier(target=b"NUL"),
        "truncated_in_label": valid[: len(STUB) + 8],
        "truncated_in_payload": valid[: len(STUB) + 42 + 100],
        "truncated_in_checksum": valid[:-15],
    }


def fields(dec=decimal(42), text=text_field(b"fw.bin", True), number=42, encode=b"fw.bin"):
    return dec + text + struct.pack("<I", number) + encode


def fields_corpus():
    return {
        "valid": fields(),
        "decimal_max_unsigned": fields(dec=decimal(4294967295), number=4294967295),
        "decimal_min_signed": fields(dec=decimal(b"-2147483648"), number=2147483648),
        "decimal_wraps": fields(dec=decimal(b"9999999999")),
        "decimal_signs_and_spaces": fields(dec=decimal(b" \t\v+12abc")),
        "decimal_double_sign": fields(dec=decimal(b"+-5")),
        "decimal_empty": fields(dec=decimal(b"")),
        "decimal_unscrambled": fields(dec=b"0000000042"),
        "text_plain_label": fields(text=text_field(b"Orvane", False)),
        "text_with_space": fields(text=text_field(b"two words", True)),
        "text_with_nul": fields(text=scramble(b"ab\0cd".ljust(16, b" "))),
        "text_full": fields(text=text_field(b"sixteen-byte.bin", True)),
        "encode_sixteen": fields(encode=b"sixteen-byte.bin"),
        "encode_seventeen": fields(encode=b"seventeen-bytes.x"),
        "encode_space": fields(encode=b"a b"),
        "encode_nul": fields(encode=b"a\0b"),
        "encode_empty": fields(encode=b""),
        "short": b"\x03\x03\x03",
        "empty": b"",
    }


def write(folder, files):
    target = HERE / "corpus" / folder
    shutil.rmtree(target, ignore_errors=True)
    target.mkdir(parents=True)
    for name, data in files.items():
        (target / name).write_bytes(data)


if __name__ == "__main__":
    write("reader", reader_corpus())
    write("fields", fields_corpus())
