#!/usr/bin/env python3
"""Writes the notices of the runtime libraries that the static link put into mensurator.exe, with
Windows line ends, as the release publishes it.

    make_notices.py OUTPUT.txt LINK_MAP    (LINK_MAP: the map that -Wl,-Map=FILE wrote)
"""
import glob
import os
import re
import subprocess
import sys

GCC = "GCC runtime"
# Toolchain files by name. Import libraries (libkernel32.a and the like) are left out: their
# members only describe DLL imports, and any linked one is told apart by its .idata sections.
COMPONENTS = {
    GCC: {"libstdc++.a", "libsupc++.a", "libgcc.a", "libgcc_eh.a", "libssp.a", "libssp_nonshared.a",
          "libatomic.a", "crtbegin.o", "crtend.o", "crtfastmath.o"},
    "MinGW-w64 runtime": {"crt2.o", "crt2u.o", "libmingw32.a", "libmingwex.a", "libmsvcrt.a",
                          "libmoldname.a", "libmingwthrd.a", "libucrt.a", "libucrtbase.a"},
    "winpthreads": {"libwinpthread.a", "libpthread.a"},
}
EXCEPTION_TITLE = re.compile(r"^\s*GCC RUNTIME LIBRARY EXCEPTION\s*$", re.M)
# " NAME 0xADDRESS 0xSIZE FILE", the name alone on the line before when it is long.
INPUT_SECTION = re.compile(r"^ (\S+)?\s+0x[0-9a-fA-F]+\s+0x([0-9a-fA-F]+)\s+(\S.*)$")
RULE = "=" * 78


def fail(message):
    sys.exit("make_notices.py: " + message)


def linked_files(map_path, imports=False):
    """The real paths of the toolchain files of which some member gave the image bytes, import
    libraries among them only when IMPORTS is true."""
    try:
        with open(map_path, encoding="utf-8", errors="replace") as source:
            text = source.read()
    except OSError as error:
        fail(f"cannot read the link map: {error}")
    start = text.find("\nLinker script and memory map\n")
    if start < 0:
        fail(f"{map_path} is not a GNU ld map: it has no memory map")
    sections, pending = {}, None
    for line in text[start:].splitlines():
        match = INPUT_SECTION.match(line)
        if not match:
            pending = line[1:] if re.fullmatch(r" \S+", line) else None
            continue
        name, size, origin = match.group(1) or pending, int(match.group(2), 16), match.group(3)
        pending = None
        archive = re.fullmatch(r"(.+\.a)\((.+)\)", origin)
        key = (archive.group(1), archive.group(2)) if archive else (origin, None)
        names, total = sections.get(key, (set(), 0))
        sections[key] = (names | {name}, total + size)
    # Relative paths are the build's own objects and libraries, given so on its link line.
    return {os.path.realpath(path) for (path, _), (names, total) in sections.items()
            if total and os.path.isabs(path)
            and (imports or not any(n.startswith(".idata") for n in names))}


def owner(path):
    for candidate in (os.path.realpath(path), os.path.normpath(path)):
        found = subprocess.run(["dpkg", "-S", candidate], capture_output=True, text=True)
        for line in found.stdout.splitlines():
            packages, _, owned = line.rpartition(": ")
            if owned == candidate and not line.startswith("diversion"):
                return packages.split(", ")[0]
    return None


def read_text(path):
    try:
        with open(path, encoding="utf-8", newline="") as source:
            return source.read().replace("\r\n", "\n").rstrip("\n") + "\n"
    except (OSError, UnicodeDecodeError) as error:
        fail(f"cannot read {path}: {error}")


def exception_text():
    """The exception's own text from an installed file of Debian's GCC packages."""
    for path in sorted(glob.glob("/usr/share/doc/gcc-*/copyright")) + sorted(
            glob.glob("/usr/share/doc/libgcc*/copyright")) + sorted(
            glob.glob("/usr/share/common-licenses/*")):
        text = read_text(path)
        if EXCEPTION_TITLE.search(text):
            return f"The GCC Runtime Library Exception, as in {path} ({owner(path)}):\n\n{text}"
    fail("no installed file holds the text of the GCC Runtime Library Exception")


def main():
    if len(sys.argv) != 3:
        fail("usage: make_notices.py OUTPUT.txt LINK_MAP")
    output, map_path = sys.argv[1:]
    used = {}  # component -> {package: names of its linked files}
    for path in sorted(linked_files(map_path)):
        name, package = os.path.basename(path), owner(path)
        component = next((c for c, names in COMPONENTS.items() if name in names), None)
        if component is None and package:
            # Else a runtime library new to the link would ship without its notice.
            fail(f"{name} of package {package} was linked, but no notice is known for it")
        if component and not package:
            fail(f"no Debian package owns {path}")
        if component:
            used.setdefault(component, {}).setdefault(package, set()).add(name)
    if not used:
        fail(f"{map_path} shows no code of {', '.join(sorted(COMPONENTS))} linked")

    parts = ["Mensurator includes the following third-party software, linked statically into\n"
             "mensurator.exe. Their notices follow.\n\n"] + [f" - {c}\n" for c in sorted(used)]
    shown = {}  # copyright text -> (package, component) under which it was written
    for component, packages in sorted(used.items()):
        named = []
        for package in sorted(packages):
            version = subprocess.run(["dpkg-query", "-W", "-f=${Version}", package],
                                     capture_output=True, text=True).stdout.strip()
            named.append(f"{package} {version or fail(f'no version of {package} is installed')}")
        files = ", ".join(sorted(set().union(*packages.values())))
        parts.append(f"\n\n{RULE}\n{component}\nLinked from: {files}\n"
                     f"Debian package{'s' * (len(named) > 1)}: {', '.join(named)}\n{RULE}\n")
        texts = [read_text(f"/usr/share/doc/{p.split(':')[0]}/copyright") for p in sorted(packages)]
        for package, text in zip(sorted(packages), texts):
            if text in shown:
                first, where = shown[text]
                same = "" if first == package else f" the same as that of {first},"
                parts.append(f"\nThe copyright file of {package} is{same} given above under "
                             f"{where}.\n")
            else:
                shown[text] = (package, component)
                parts.append(f"\nCopyright file of Debian package {package}:\n\n{text}")
        if component == GCC and not any(EXCEPTION_TITLE.search(t) for t in texts):
            parts.append("\n" + exception_text())
    with open(output, "w", encoding="utf-8", newline="\r\n") as out:
        out.write("".join(parts))


if __name__ == "__main__":
    main()
