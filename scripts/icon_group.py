#!/usr/bin/env python3
"""Writes an icon group resource (RT_GROUP_ICON data) that names the images of an .ico file by
resource id, so that a second icon group can share the images the first one stored.

    icon_group.py ICON.ico OUTPUT FIRST_ID

The images are taken to be icon resources FIRST_ID, FIRST_ID + 1, ... in the file's order, as
the resource compiler numbers them for the script's first ICON statement.
"""
import struct
import sys


def main():
    source, output, first_id = sys.argv[1], sys.argv[2], int(sys.argv[3])
    with open(source, "rb") as ico:
        data = ico.read()
    reserved, kind, count = struct.unpack_from("<HHH", data, 0)
    if reserved != 0 or kind != 1:
        sys.exit("%s: not an icon file" % source)
    group = struct.pack("<HHH", 0, 1, count)
    for index in range(count):
        # An .ico entry ends with the image's file offset; a group entry with its resource id.
        entry = struct.unpack_from("<BBBBHHII", data, 6 + 16 * index)
        group += struct.pack("<BBBBHHIH", *entry[:7], first_id + index)
    with open(output, "wb") as out:
        out.write(group)


if __name__ == "__main__":
    main()
