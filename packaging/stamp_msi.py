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

SUMMARY_STREAM = "\x05SummaryInformation"
PID_REVNUMBER = 9  # the package code, as "{GUID}"
PID_CREATE_DTM = 12
PID_LASTSAVE_DTM = 13
VT_LPSTR = 0x1E
VT_FILETIME = 0x40
PLACEHOLDER_CODE = "{00000000-0000-0000-0000-000000000000}"
END_OF_CHAIN = 0xFFFFFFFA  # this and the values above end a chain or mark free sectors


def stream_offsets(data, name):
    """Offsets in the compound file of every byte of the named stream, in stream order."""
    sector_size = 1 << struct.unpack_from("<H", data, 0x1E)[0]
    mini_size = 1 << struct.unpack_from("<H", data, 0x20)[0]
    first_directory = struct.unpack_from("<I", data, 0x30)[0]
    cutoff, first_minifat = struct.unpack_from("<II", data, 0x38)
    first_difat, difat_count = struct.unpack_from("<II", data, 0x44)
    per_sector = sector_size // 4

    def sector_offset(sector):
        return (sector + 1) * sector_size

    def read_sector(sector):
        return struct.unpack_from("<%dI" % per_sector, data, sector_offset(sector))

    fat_sectors = list(struct.unpack_from("<109I", data, 0x4C))
    sector = first_difat
    for _ in range(difat_count):
        entries = read_sector(sector)
        fat_sectors += entries[:-1]
        sector = entries[-1]
    fat = [entry for s in fat_sectors if s < END_OF_CHAIN for entry in read_sector(s)]

    def chain(table, start):
        while start < END_OF_CHAIN:
            yield start
            start = table[start]

    entries = []
    for sector in chain(fat, first_directory):
        base = sector_offset(sector)
        for at in range(base, base + sector_size, 128):
            name_bytes = struct.unpack_from("<H", data, at + 0x40)[0]
            entry_name = data[at:at + max(name_bytes - 2, 0)].decode("utf-16-le")
            start, size = struct.unpack_from("<II", data, at + 0x74)
            entries.append((entry_name, start, size))

    found = [(start, size) for entry_name, start, size in entries if entry_name == name]
    if not found:
        sys.exit("%s: no stream %r" % (sys.argv[1], name))
    start, size = found[0]
    if size >= cutoff:
        sectors, unit = [sector_offset(s) for s in chain(fat, start)], sector_size
    else:
        minifat = [entry for s in chain(fat, first_minifat) for entry in read_sector(s)]
        container = [sector_offset(s) for s in chain(fat, entries[0][1])]
        sectors = [container[m * mini_size // sector_size] + m * mini_size % sector_size
                   for m in chain(minifat, start)]
        unit = mini_size
    return [base + i for base in sectors for i in range(unit)][:size]


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
    with open(path, "rb") as package:
        data = bytearray(package.read())
    offsets = stream_offsets(data, SUMMARY_STREAM)
    summary = bytearray(data[at] for at in offsets)
    values = property_offsets(summary)

    def write_summary():
        for at, byte in zip(offsets, summary):
            data[at] = byte

    put_filetime(summary, values[PID_CREATE_DTM], seconds)
    put_filetime(summary, values[PID_LASTSAVE_DTM], seconds)
    put_string(summary, values[PID_REVNUMBER], PLACEHOLDER_CODE)
    write_summary()
    code = uuid.uuid5(upgrade_code, hashlib.sha256(data).hexdigest())
    put_string(summary, values[PID_REVNUMBER], "{%s}" % str(code).upper())
    write_summary()
    with open(path, "wb") as package:
        package.write(data)


if __name__ == "__main__":
    main()
