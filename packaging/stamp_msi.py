#!/usr/bin/env python3
"""Makes a Windows Installer package from wixl the same, byte for byte, on every build.

wixl writes the time of the build into the package's summary information and draws a random
package code. This sets the creation and last-saved dates to the release time, and the package
code to a name-based GUID in the product's namespace, named by a hash of the rest of the package:
Windows Installer takes two packages with one code for the same one, so a package whose contents
change gets a new code.

    stamp_msi.py PACKAGE.msi SECONDS_SINCE_1970 UPGRADE_CODE

The package is changed in place; its size and layout stay as they are.
"""
import hashlib
import struct
import sys
import uuid

import olefile

SUMMARY_STREAM = "\x05SummaryInformation"
PID_REVNUMBER = 9  # the package code, as "{GUID}"
PID_CREATE_DTM = 12
PID_LASTSAVE_DTM = 13
VT_LPSTR = 0x1E
VT_FILETIME = 0x40
PLACEHOLDER_CODE = "{00000000-0000-0000-0000-000000000000}"


def property_offsets(summary):
    """Where in the summary stream each property's value starts, by property id."""
    section = struct.unpack_from("<I", summary, 28 + 16)[0]
    count = struct.unpack_from("<I", summary, section + 4)[0]
    pairs = struct.unpack_from("<%dI" % (2 * count), summary, section + 8)
    return {pairs[i]: section + pairs[i + 1] for i in range(0, len(pairs), 2)}


def put_string(summary, at, text):
    kind, length = struct.unpack_from("<II", summary, at)
    value = text.encode("ascii") + b"\0"
    if kind != VT_LPSTR or length != len(value):
        sys.exit("%s: package code is not a GUID string" % sys.argv[1])
    summary[at + 8:at + 8 + length] = value


def put_filetime(summary, at, seconds):
    if struct.unpack_from("<I", summary, at)[0] != VT_FILETIME:
        sys.exit("%s: a summary date is not a FILETIME" % sys.argv[1])
    # FILETIME counts 100 ns steps from 1601-01-01, 11644473600 s before 1970-01-01.
    struct.pack_into("<Q", summary, at + 4, (seconds + 11644473600) * 10_000_000)


def main():
    path, seconds, upgrade_code = sys.argv[1], int(sys.argv[2]), uuid.UUID(sys.argv[3])

    def write_summary(summary):
        # olefile rewrites a stream in place when its size stays the same, as it does here.
        with olefile.OleFileIO(path, write_mode=True) as package:
            package.write_stream(SUMMARY_STREAM, bytes(summary))

    with olefile.OleFileIO(path) as package:
        summary = bytearray(package.openstream(SUMMARY_STREAM).read())
    values = property_offsets(summary)
    put_filetime(summary, values[PID_CREATE_DTM], seconds)
    put_filetime(summary, values[PID_LASTSAVE_DTM], seconds)
    put_string(summary, values[PID_REVNUMBER], PLACEHOLDER_CODE)
    write_summary(summary)
    with open(path, "rb") as package:
        code = uuid.uuid5(upgrade_code, hashlib.sha256(package.read()).hexdigest())
    put_string(summary, values[PID_REVNUMBER], "{%s}" % str(code).upper())
    write_summary(summary)


if __name__ == "__main__":
    main()
