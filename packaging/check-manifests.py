#!/usr/bin/python3
"""Checks a release's manifests before they are published, as winget's and Scoop's own checks
would: those in PUBLISH_DIR/manifests against their JSON schemas, every hash against the file in
PUBLISH_DIR/files that its address names, and the installer's codes against that MSI. Prints
each problem and exits 1 when there is any.
    check-manifests.py PUBLISH_DIR SCHEMA_DIR
SCHEMA_DIR holds the schemas with their licences (tests/data/package-manifest-schemas).
Debian's own Python: python3-jsonschema and python3-yaml are installed for it.
"""
import hashlib
import json
import os
import subprocess
import sys

import jsonschema
import yaml

manifests, files = (os.path.join(sys.argv[1], name) for name in ("manifests", "files"))
problems = []


def check(name, document, schema):
    with open(os.path.join(sys.argv[2], schema), encoding="utf-8") as text:
        validator = jsonschema.Draft7Validator(json.load(text),
                                               format_checker=jsonschema.draft7_format_checker)
    problems.extend(f"{name}: {e.json_path}: {e.message}" for e in validator.iter_errors(document))
    return document


def published(name, url, digest):
    path = os.path.join(files, url.rsplit("/", 1)[-1])
    if hashlib.sha256(open(path, "rb").read()).hexdigest() != digest.lower():
        problems.append(f"{name}: {digest} is not the SHA-256 of {path}")
    return path


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
    msi = published("winget", entry["InstallerUrl"], entry["InstallerSha256"])
    table = subprocess.run(["msiinfo", "export", msi, "Property"], check=True,
                           capture_output=True, text=True).stdout.splitlines()[3:]
    codes = dict(row.split("\t", 1) for row in table)
    named = {"ProductCode": entry.get("ProductCode", installer.get("ProductCode")),
             "UpgradeCode": (installer.get("AppsAndFeaturesEntries") or [{}])[0].get("UpgradeCode")}
    problems += [f"winget: {key} {value}, the installer's {codes.get(key)}"
                 for key, value in named.items() if value != codes.get(key)]
scoop = check("mensurator.json", json.load(open(os.path.join(manifests, "mensurator.json"))),
              "scoop/schema.json")
published("mensurator.json", scoop["url"], scoop["hash"])

print("\n".join(problems) or f"Manifests valid: {', '.join(sorted(os.listdir(manifests)))}")
sys.exit(1 if problems else 0)
