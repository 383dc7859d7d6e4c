#!/usr/bin/python3
"""The release scripts' one reader of Windows Installer packages (msiinfo, of msitools) and their
one file hash.

    package_files.py PACKAGE TABLE [KEY]

prints the table's rows, their columns separated by tabs, or with KEY the second column of the
row whose first is KEY (nothing when there is none). Exits non-zero when msiinfo cannot read it.
"""
import hashlib
import subprocess
import sys


def table(package, name):
    """The rows of a table of the package, each the list of its columns as text; raises
    CalledProcessError when msiinfo cannot read the package or has no such table."""
    text = subprocess.run(["msiinfo", "export", package, name], check=True,
                          capture_output=True, text=True).stdout
    # Three header lines: the column names, their types, the table's name and key.
    return [row.split("\t") for row in text.splitlines()[3:]]


def properties(package):
    """The package's Property table as a dict of names to values."""
    return {row[0]: row[1] for row in table(package, "Property")}


def sha256(path):
    """The SHA-256 of a file, in lower-case hexadecimal."""
    with open(path, "rb") as data:
        return hashlib.sha256(data.read()).hexdigest()


def main():
    if len(sys.argv) not in (3, 4):
        sys.exit(f"usage: {sys.argv[0]} PACKAGE TABLE [KEY]")
    rows = table(sys.argv[1], sys.argv[2])
    if len(sys.argv) == 3:
        print("\n".join("\t".join(row) for row in rows))
    else:
        print(next((row[1] for row in rows if row[0] == sys.argv[3]), ""))


if __name__ == "__main__":
    main()
