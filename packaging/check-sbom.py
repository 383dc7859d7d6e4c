#!/usr/bin/python3
"""Checks a release's bill of materials before it is published: valid against the CycloneDX 1.6
schema (validate-sbom.js), naming every Debian package that the link map shows linked at the
version installed, and giving the SHA-256 of each published file (the program as the zip holds
it). Prints each problem and exits 1 when there is any.
    check-sbom.py SBOM FILES_DIR LINK_MAP
"""
import hashlib
import json
import os
import subprocess
import sys
import zipfile

from make_sbom import linked_packages, package_facts
from package_files import sha256

if len(sys.argv) != 4:
    sys.exit(f"usage: {sys.argv[0]} SBOM FILES_DIR LINK_MAP")
sbom, files, link_map = sys.argv[1:]
here = os.path.dirname(os.path.abspath(__file__))
schema = subprocess.run(["node", os.path.join(here, "validate-sbom.js"), sbom],
                        capture_output=True, text=True)
problems = (schema.stdout + schema.stderr).splitlines() or (
    [f"{sbom}: the validator failed"] if schema.returncode else [])
with open(sbom, encoding="utf-8") as text:
    bom = json.load(text)

named = {(c.get("name"), c.get("version")) for c in bom.get("components", [])}
for package in sorted(linked_packages(link_map)):
    version = package_facts(package)[0]
    if (package.split(":")[0], version) not in named:
        problems.append(f"{sbom}: misses {package} {version}, which the link map names")

# What is published, and the program as the zip holds it.
published = {n: sha256(os.path.join(files, n)) for n in os.listdir(files)
             if n.endswith((".msi", ".zip"))}
for name in [n for n in published if n.endswith(".zip")]:
    with zipfile.ZipFile(os.path.join(files, name)) as archive:
        published["mensurator.exe"] = hashlib.sha256(archive.read("mensurator.exe")).hexdigest()
described = [dict(bom["metadata"]["component"], name="mensurator.exe")] + [
    c for c in bom.get("components", []) if c.get("type") == "file"]
given = {c["name"]: [h["content"] for h in c.get("hashes", []) if h.get("alg") == "SHA-256"]
         for c in described}
for name in sorted(published.keys() | given.keys()):
    if given.get(name) != [published.get(name)]:
        problems.append(f"{sbom}: gives {given.get(name) or 'no SHA-256'} for {name}, "
                        f"published as {published.get(name) or 'no file'}")

tools = bom["metadata"]["tools"]["components"]
print("\n".join(problems) if problems else
      f"SBOM valid: {len(bom['components'])} components, {len(tools)} tools, the hashes of "
      f"{', '.join(sorted(published))}.")
sys.exit(1 if problems else 0)
