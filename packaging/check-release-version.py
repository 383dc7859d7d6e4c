#!/usr/bin/python3
"""Checks that a release folder is of the version it is published as, before it is published.

    check-release-version.py RELEASE_DIR VERSION

VERSION is major.minor.patch. The program's version resource (its fixed numbers and its
FileVersion and ProductVersion texts) must say VERSION.0, the ProductVersion of
mensurator-VERSION.msi VERSION itself, mensurator-VERSION.zip must hold the folder's
mensurator.exe, and that program must not exceed 204,800 bytes without its signature. Names each
mismatch and exits 1 when there is any.
"""
import os
import struct
import sys
import zipfile

import package_files

FIXED_INFO_SIGNATURE = b"\xbd\x04\xef\xfe"


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


def unsigned_size(program):
    """The program's size without its certificate table, the Authenticode signature at the end of
    the file that the PE header's security directory locates: signing must not count against the
    program. The whole size when there is no such table at the end."""
    data = open(program, "rb").read()
    optional = struct.unpack_from("<I", data, 0x3C)[0] + 24
    # The security directory is the fifth, after the fixed fields of a PE32 or PE32+ header.
    fixed = 96 if struct.unpack_from("<H", data, optional)[0] == 0x10B else 112
    offset, size = struct.unpack_from("<2I", data, optional + fixed + 4 * 8)
    return offset if size and offset + size == len(data) else len(data)


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
        size = unsigned_size(program)
        if size > 204800:
            problems.append(f"{program} is {size} bytes without its signature, over 200 KiB")
        found = resource_versions(program)
        problems += [f"{what} is {value}, not {expected}"
                     for what, value in found.items() if value != expected]
        if package_files.properties(package).get("ProductVersion") != version:
            problems.append(f"installer's ProductVersion is not {version}")
        with zipfile.ZipFile(portable) as archive:
            if archive.read("mensurator.exe") != open(program, "rb").read():
                problems.append(f"{portable} holds another mensurator.exe")
    for problem in problems:
        print(f"{release}: {problem}")
    if problems:
        sys.exit(1)
    print(f"{release}: the program says {expected}, the installer {version}; the program is "
          f"{size} bytes without its signature, {os.path.getsize(program)} as published")


main()
