#!/usr/bin/python3
"""Writes the release's software bill of materials, a CycloneDX 1.6 JSON document with Windows
line ends, from the files as published:

    make_sbom.py OUTPUT.cdx.json RELEASE_DIR FILES_DIR VERSION ADDRESS RELEASE_TIME

RELEASE_DIR holds the program as published (signed where the release is) and the link map that
built it (mensurator.map); FILES_DIR the MSI and the zip as published. It names the program with
their SHA-256, every Debian package the link map shows code of (found with dpkg -S), the packages
of the tools whose output is in the files, the release time (seconds since 1970) and ADDRESS.
The serial number is derived from the content, so the same release gives the same document.
"""
import datetime
import json
import os
import re
import shutil
import subprocess
import sys
import urllib.parse
import uuid

from make_notices import linked_files
from package_files import properties, sha256

HERE = os.path.dirname(os.path.abspath(__file__))
DEP5 = re.compile(r"Format: https?://www\.debian\.org/doc/packaging-manuals/copyright-format/")
# The licences of packages whose copyright file is not machine-readable, by source package.
LICENCE_TABLE = os.path.join(HERE, "sbom-licences.txt")
# The commands whose output is in the files; each compiler names its own parts. The shipped
# program is compiled with the win32 thread model's, the rest of the build with the posix one's.
COMPILERS = ["i686-w64-mingw32-g++-win32", "i686-w64-mingw32-g++-posix"]
COMMANDS = COMPILERS + ["i686-w64-mingw32-windres", "i686-w64-mingw32-strip", "wixl", "msibuild",
                        "osslsigncode"]
COMPILER_PARTS = ["cc1plus", "collect2", "as", "ld"]


def fail(message):
    sys.exit("make_sbom.py: " + message)


def run(*command):
    return subprocess.run(command, capture_output=True, text=True, check=True).stdout.strip()


def package_facts(package):
    """The installed package's version, architecture and source package."""
    found = subprocess.run(["dpkg-query", "-W", "-f=${Version}\t${Architecture}\t${source:Package}",
                            package], capture_output=True, text=True).stdout.split("\t")
    if len(found) != 3 or not found[0]:
        fail(f"no version of {package} is installed")
    return found


def purl(package, version, arch):
    quoted = urllib.parse.quote(version, safe="")
    return f"pkg:deb/debian/{package.split(':')[0]}@{quoted}?arch={arch}"


def spdx_name(name):
    """A Debian copyright file's short licence name as SPDX writes it."""
    gnu = re.fullmatch(r"((?:L|A)?GPL)-(\d)(\.\d)?(\+?)", name)
    if gnu:
        return f"{gnu[1]}-{gnu[2]}{gnu[3] or '.0'}-{'or-later' if gnu[4] else 'only'}"
    return {"expat": "MIT", "public-domain": "LicenseRef-public-domain"}.get(name, name)


def licence(package, source):
    """The package's licence as an SPDX expression: that of its machine-readable copyright file's
    stanza for all files, else the one the project's table gives its source package."""
    path = f"/usr/share/doc/{package.split(':')[0]}/copyright"
    with open(path, encoding="utf-8", errors="replace") as text:
        stanzas = text.read().split("\n\n")
    if DEP5.match(stanzas[0]):
        for stanza in stanzas:
            fields = dict(re.findall(r"^(Files|License):[ \t]*(.*)$", stanza, re.M))
            if fields.get("Files") == "*":
                return " ".join({"and": "AND", "or": "OR"}.get(word) or spdx_name(word)
                                for word in fields["License"].split())
        fail(f"{path} has no stanza for all files")
    with open(LICENCE_TABLE, encoding="utf-8") as table:
        for line in table:
            fields = line.rstrip("\n").split("\t")
            if len(fields) == 3 and fields[0] == source:
                return fields[1]
    fail(f"{path} is not machine-readable, and {LICENCE_TABLE} has no line for {source}")


def owners(paths):
    """The Debian package that owns each of PATHS (real paths) that one owns, asked all at once.
    Debian 12 merged /lib into /usr/lib, and dpkg knows such files by their old paths."""
    asked = {alias: path for path in paths
             for alias in (path, path[4:] if path.startswith("/usr/") else path)}
    found = subprocess.run(["dpkg", "-S", *sorted(asked)], capture_output=True, text=True).stdout
    result = {}
    for line in found.splitlines():
        packages, _, owned = line.rpartition(": ")
        if owned in asked and not line.startswith("diversion"):
            result[asked[owned]] = packages.split(", ")[0]
    return result


def linked_packages(map_path):
    """The Debian packages that own a file of which the link map shows code or imports."""
    paths = linked_files(map_path, imports=True)
    found = owners(paths)
    for path in paths - found.keys():
        fail(f"no Debian package owns {path}, which was linked")
    return set(found.values())


def library_of(command, name):
    """The real path of the shared library NAME that COMMAND loads."""
    for line in run("ldd", command).splitlines():
        if line.strip().startswith(name):
            return os.path.realpath(line.split("=>")[1].split("(")[0].strip())
    fail(f"{command} loads no {name}")


def tools():
    """The tools' components: a Debian package each, else the command with its own version."""
    uses_of = {}  # real path -> what it is used as

    def use(path, what):
        uses_of.setdefault(os.path.realpath(path), []).append(what)

    for command in COMMANDS:
        use(shutil.which(command) or fail(f"{command} is not installed"), command)
    for compiler in COMPILERS:
        for part in COMPILER_PARTS:
            found = run(compiler, f"-print-prog-name={part}")
            use(shutil.which(found) or found, f"{compiler}'s {part}")
    use(library_of(shutil.which("wixl"), "libgcab"), "wixl's cabinet library")
    # The zips are made by the python3 on PATH, as the build and the signing find it.
    python = shutil.which("python3") or fail("python3 is not installed")
    use(python, "python3")
    maps = run(python, "-c", "import zlib; print(open('/proc/self/maps').read())")
    libz = next((m.split()[-1] for m in maps.splitlines() if "/libz.so" in m), None)
    use(libz or fail(f"{python} loads no zlib"), "python3's zlib")
    components, uses = {}, {}
    found = owners(uses_of)
    for path, what in sorted(uses_of.items()):
        package = found.get(path)
        if package:
            version, arch, _ = package_facts(package)
            components[package] = {"type": "application", "name": package.split(":")[0],
                                   "version": version, "purl": purl(package, version, arch)}
        elif what == ["python3"]:  # such as one of pyenv's
            version = run(python, "-c", "import platform; print(platform.python_version())")
            components[package := path] = {"type": "application", "name": "python3",
                                           "version": version}
            what = [f"python3 ({python}), not from a Debian package"]
        else:
            fail(f"no Debian package owns {path} ({', '.join(what)})")
        uses.setdefault(package, []).extend(what)
    for key, component in components.items():
        component["description"] = "Makes the release: " + ", ".join(sorted(uses[key]))
    return sorted(components.values(), key=lambda c: c["name"])


def main():
    if len(sys.argv) != 7:
        fail("usage: make_sbom.py OUTPUT.cdx.json RELEASE_DIR FILES_DIR VERSION ADDRESS "
             "RELEASE_TIME")
    output, release, files, version, address, release_time = sys.argv[1:]
    msi = os.path.join(files, f"mensurator-{version}.msi")
    zip_file = os.path.join(files, f"mensurator-{version}.zip")
    libraries = []
    for package in sorted(linked_packages(os.path.join(release, "mensurator.map"))):
        version_, arch, source = package_facts(package)
        reference = purl(package, version_, arch)
        libraries.append({"type": "library", "bom-ref": reference,
                          "name": package.split(":")[0], "version": version_,
                          "licenses": [{"expression": licence(package, source)}],
                          "purl": reference})
    program = {"type": "application", "bom-ref": "mensurator", "name": "mensurator",
               "version": version, "licenses": [{"license": {"id": "MIT"}}],
               "hashes": [{"alg": "SHA-256",
                           "content": sha256(os.path.join(release, "mensurator.exe"))}],
               "externalReferences": [
                   {"type": "website", "url": address},
                   {"type": "distribution", "url": f"{address}/releases/tag/v{version}"}]}
    packages = [{"type": "file", "bom-ref": os.path.basename(path),
                 "name": os.path.basename(path), "version": version,
                 "hashes": [{"alg": "SHA-256", "content": sha256(path)}]}
                for path in (msi, zip_file)]
    # The address the build gave the installer, which a rebuild must give it too.
    build_address = properties(msi).get("ARPURLINFOABOUT", "")
    time = datetime.datetime.fromtimestamp(int(release_time), datetime.timezone.utc)
    document = {
        "bomFormat": "CycloneDX", "specVersion": "1.6", "version": 1,
        "metadata": {
            "timestamp": time.strftime("%Y-%m-%dT%H:%M:%SZ"),
            "lifecycles": [{"phase": "build"}],
            "tools": {"components": tools()},
            "component": program,
            "properties": [{"name": "mensurator:release-time", "value": release_time},
                           {"name": "mensurator:address", "value": address},
                           {"name": "mensurator:build-address", "value": build_address}]},
        "components": packages + libraries,
        "dependencies": [{"ref": "mensurator", "dependsOn": [c["bom-ref"] for c in libraries]}]
                        + [{"ref": p["bom-ref"], "dependsOn": ["mensurator"]} for p in packages],
    }
    content = json.dumps(document, sort_keys=True)
    document = {"serialNumber": f"urn:uuid:{uuid.uuid5(uuid.NAMESPACE_URL, content)}", **document}
    with open(output, "w", encoding="utf-8", newline="\r\n") as out:
        json.dump(document, out, indent=2)
        out.write("\n")


if __name__ == "__main__":
    main()
