#!/usr/bin/env python3
"""Packs files into a zip archive that comes out the same, byte for byte, on every build.

    make_zip.py ARCHIVE.zip SECONDS_SINCE_1970 FILE...

Entries take the files' base names, in sorted order, all dated at the given time (UTC), with no
extra fields and no Unix owner or permission bits. Text files (.txt) get CRLF line ends, which
every Windows editor shows as separate lines.
"""
import os
import sys
import time
import zipfile


def main():
    archive, seconds, files = sys.argv[1], int(sys.argv[2]), sys.argv[3:]
    # Zip dates are two-second steps in local time, with no zone; UTC is as good as any.
    date_time = time.gmtime(seconds)[:6]
    with zipfile.ZipFile(archive, "w") as out:
        for path in sorted(files, key=os.path.basename):
            with open(path, "rb") as source:
                data = source.read()
            if path.endswith(".txt"):
                data = data.replace(b"\r\n", b"\n").replace(b"\n", b"\r\n")
            entry = zipfile.ZipInfo(os.path.basename(path), date_time)
            # MS-DOS attributes with only the archive bit, as Windows writes them itself.
            entry.create_system = 0
            entry.external_attr = 0x20
            entry.compress_type = zipfile.ZIP_DEFLATED
            out.writestr(entry, data, compresslevel=9)


if __name__ == "__main__":
    main()
