#!/usr/bin/python3
"""Checks that a release folder is of the version it is published as, before it is published.

    check-release-version.py RELEASE_DIR VERSION

VERSION is major.minor.patch. The program's version resource (its fixed numbers and its
FileVersion and ProductVersion texts) must say VERSION.0, the ProductVersion of
mensurator-VERSION.msi VERSION itself, mensurator-VERSION.zip must hold the folder's
mensurator.exe, and that program must not exceed 204,800 bytes. Names each mismatch and exits 1
when there is any. Debian's own Python: python3-olefile is installed for it.
"""
import os
import struct
import sys
import zipfile

import olefile

FIXED_INFO_SIGNATURE = b"\xbd\x04\xef\xfe"
# Windows Installer stream names pack two characters of this alphabet into one.
STREAM_ALPHABET = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz._"
TABLE_PREFIX = "\u4840"


def dotted(high, low):
    return f"{high >> 16}.{high & 0xFFFF}.{low >> 16}.{low & 0xFFFF}"


def resource_versions(program):
    """The version resource's fixed file and product versions and its two version texts."""
    data = open(program, "rb").read()
    fixed = data.find(FIXED_INFO_SIGNATURE)
    if fixed < 0:
        return {"version resource": None}
    file_ms, file_ls, product_ms, product_ls = struct.unpack_from("<4I", data, fixed + 8)
    found = {"fixed file version": dotted(file_ms, file_ls),
             "fixed product version": dotted(product_ms, product_ls)}
    for key in ("FileVersion", "ProductVersion"):
        # A String entry: its length, its value's length in characters, its type, then the key;
        # the value, ending in a null, closes the entry.
        at = data.find((key + "\0").encode("utf-16-le"), fixed) - 6
        length, value_length, _ = struct.unpack_from("<3H", data, at)
        value = data[at + length - 2 * value_length:at + length].decode("utf-16-le")
        found[key] = value.rstrip("\0")
    return found


def stream_name(encoded):
    name = ""
    for character in encoded:
        code = ord(character)
        if 0x3800 <= code < 0x4800:
            code -= 0x3800
            name += STREAM_ALPHABET[code & 0x3F] + STREAM_ALPHABET[(code >> 6) & 0x3F]
        elif 0x4800 <= code < 0x4840:
            name += STREAM_ALPHABET[code - 0x4800]
        else:
            name += character
    return name


def msi_property(package, wanted):
    """The value of a property in the installer's Property table, or None."""
    with olefile.OleFileIO(package) as msi:
        streams = {stream_name(entry[0]): entry[0] for entry in msi.listdir()}
        pool = msi.openstream(streams[TABLE_PREFIX + "_StringPool"]).read()
        text = msi.openstream(streams[TABLE_PREFIX + "_StringData"]).read()
        table = msi.openstream(streams[TABLE_PREFIX + "Property"]).read()
    codepage = struct.unpack_from("<I", pool)[0]
    strings = [None]  # string number 0 is the null string
    offset = 0
    for length, references in struct.iter_unpack("<2H", pool[4:]):
        if length == 0 and references != 0:
            sys.exit(f"{package}: strings of 64 KiB or more are not read here")
        strings.append(text[offset:offset + length].decode("cp1252"))
        offset += length
    # Columns one after the other; string numbers take three bytes in a package with many strings.
    width = 3 if codepage & 0x80000000 else 2
    rows = len(table) // (2 * width)

    def number(index):
        return int.from_bytes(table[index * width:(index + 1) * width], "little")

    for row in range(rows):
        if strings[number(row)] == wanted:
            return strings[number(rows + row)]
    return None


def main():
    if len(sys.argv) != 3:
        sys.exit(f"usage: {sys.argv[0]} RELEASE_DIR VERSION")
    release, version = sys.argv[1], sys.argv[2]
    expected = version + ".0"
    program = os.path.join(release, "mensurator.exe")
    package = os.path.join(release, f"mensurator-{version}.msi")
    portable = os.path.join(release, f"mensurator-{version}.zip")
    problems = []
    for missing in (path for path in (program, package, portable) if not os.path.isfile(path)):
        problems.append(f"{missing}: missing")
    if not problems:
        if os.path.getsize(program) > 204800:
            problems.append(f"{program} is {os.path.getsize(program)} bytes, over 200 KiB")
        found = resource_versions(program)
        problems += [f"{what} is {value}, not {expected}"
                     for what, value in found.items() if value != expected]
        if msi_property(package, "ProductVersion") != version:
            problems.append(f"installer's ProductVersion is not {version}")
        with zipfile.ZipFile(portable) as archive:
            if archive.read("mensurator.exe") != open(program, "rb").read():
                problems.append(f"{portable} holds another mensurator.exe")
    for problem in problems:
        print(f"{release}: {problem}")
    if problems:
        sys.exit(1)
    print(f"{release}: the program says {expected}, the installer {version}")


main()
