#!/usr/bin/python3
"""Checks a release's manifests before they are published, as winget's and Scoop's own checks
would: those in PUBLISH_DIR/manifests against their JSON schemas, every hash against the file in
PUBLISH_DIR/files that its address names, and the installer's codes against that MSI. Every
address in them must be the project's: a file to download under ADDRESS/releases/download/
vVERSION/, a page (the project's, its licence, the release's notes) under ADDRESS. Every text
file published, manifests included, must have Windows line ends. Prints each problem and exits
1 when there is any.
    check-manifests.py PUBLISH_DIR SCHEMA_DIR ADDRESS VERSION
SCHEMA_DIR holds the schemas with their licences (tests/data/package-manifest-schemas).
Debian's own Python: python3-jsonschema and python3-yaml are installed for it.
"""
import json
import os
import sys

import jsonschema
import yaml

from package_files import properties, sha256

if len(sys.argv) != 5:
    sys.exit(f"usage: {sys.argv[0]} PUBLISH_DIR SCHEMA_DIR ADDRESS VERSION")
manifests, files = (os.path.join(sys.argv[1], name) for name in ("manifests", "files"))
address, version = sys.argv[3].rstrip("/"), sys.argv[4]
# The manifests' fields that name a file to download; Scoop's autoupdate names it by $version.
DOWNLOADS = {"InstallerUrl", "url"}
problems = []


def check(name, document, schema):
    with open(os.path.join(sys.argv[2], schema), encoding="utf-8") as text:
        validator = jsonschema.Draft7Validator(json.load(text),
                                               format_checker=jsonschema.draft7_format_checker)
    problems.extend(f"{name}: {e.json_path}: {e.message}" for e in validator.iter_errors(document))
    check_addresses(name, document)
    return document


def check_addresses(name, value, key=None):
    """Notes each address in VALUE, a manifest's field KEY or part of one, outside the project."""
    if isinstance(value, dict):
        for field, item in value.items():
            check_addresses(name, item, field)
    elif isinstance(value, list):
        for item in value:
            check_addresses(name, item, key)
    elif isinstance(value, str) and "://" in value:
        prefix = f"{address}/releases/download/v{version}/" if key in DOWNLOADS else address + "/"
        if not (value.replace("$version", version) + "/").startswith(prefix):
            problems.append(f"{name}: {key} {value} is not under {prefix}")


def published(name, url, digest):
    path = os.path.join(files, url.rsplit("/", 1)[-1])
    if sha256(path) != digest.lower():
        problems.append(f"{name}: {digest} is not the SHA-256 of {path}")
    return path


texts = [os.path.join(manifests, name) for name in os.listdir(manifests)] + [
    os.path.join(files, name) for name in os.listdir(files)
    if name == "SHA256SUMS" or name.endswith((".txt", ".json"))]
for path in texts:
    text = open(path, "rb").read()
    if text.count(b"\n") != text.count(b"\r\n"):
        problems.append(f"{path}: not every line ends in CR LF")

winget = {}
for name in sorted(n for n in os.listdir(manifests) if n.endswith(".yaml")):
    document = yaml.safe_load(open(os.path.join(manifests, name), encoding="utf-8"))
    kind = document["ManifestType"]
    winget[kind] = check(name, document, f"winget-1.10.0/manifest.{kind}.1.10.0.json")
if sorted(winget) != ["defaultLocale", "installer", "version"] or len(
        {(d["PackageIdentifier"], d["PackageVersion"]) for d in winget.values()}) != 1:
    problems.append(f"winget: {sorted(winget)}, not one package's three manifests")
installer = winget.get("installer", {})
for entry in installer.get("Installers", []):
    codes = properties(published("winget", entry["InstallerUrl"], entry["InstallerSha256"]))
    named = {"ProductCode": entry.get("ProductCode", installer.get("ProductCode")),
             "UpgradeCode": (installer.get("AppsAndFeaturesEntries") or [{}])[0].get("UpgradeCode")}
    problems += [f"winget: {key} {value}, the installer's {codes.get(key)}"
                 for key, value in named.items() if value != codes.get(key)]
scoop = check("mensurator.json", json.load(open(os.path.join(manifests, "mensurator.json"))),
              "scoop/schema.json")
published("mensurator.json", scoop["url"], scoop["hash"])

print("\n".join(problems) or f"Manifests valid: {', '.join(sorted(os.listdir(manifests)))}")
sys.exit(1 if problems else 0)
