#!/usr/bin/python3
"""Checks the package manifests that packaging/prepare-release.sh wrote into a publish folder:
each against its JSON schema, winget's three files as one package, every hash against the
published file its address names, and the product and upgrade codes against that installer.
    check_manifests.py PUBLISH_DIR SCHEMA_DIR
Prints each problem and exits 1 when there is any.
"""
import hashlib
import json
import os
import subprocess
import sys

import jsonschema
import yaml

publish, schemas = sys.argv[1], sys.argv[2]
manifests, files = os.path.join(publish, "manifests"), os.path.join(publish, "files")
problems = []


def validate(name, document, schema):
    with open(os.path.join(schemas, schema), encoding="utf-8") as text:
        validator = jsonschema.Draft7Validator(json.load(text),
                                               format_checker=jsonschema.draft7_format_checker)
    problems.extend(f"{name}: {error.json_path}: {error.message}"
                    for error in validator.iter_errors(document))


def published(name, url, digest):
    """The published file that URL names, after checking that DIGEST is its SHA-256."""
    path = os.path.join(files, url.rsplit("/", 1)[-1])
    with open(path, "rb") as data:
        if hashlib.sha256(data.read()).hexdigest() != digest.lower():
            problems.append(f"{name}: {digest} is not the SHA-256 of {path}")
    return path


winget = {}
for name in sorted(n for n in os.listdir(manifests) if n.endswith(".yaml")):
    with open(os.path.join(manifests, name), encoding="utf-8") as text:
        document = yaml.safe_load(text)
    winget[document["ManifestType"]] = document
    validate(name, document, f"winget-1.10.0/manifest.{document['ManifestType']}.1.10.0.json")
if sorted(winget) != ["defaultLocale", "installer", "version"]:
    problems.append(f"winget: manifests {sorted(winget)}, not version, defaultLocale, installer")
for key in ("PackageIdentifier", "PackageVersion"):
    if len({document.get(key) for document in winget.values()}) != 1:
        problems.append(f"winget: the manifests differ in {key}")
installer = winget.get("installer", {})
for entry in installer.get("Installers", []):
    msi = published("winget", entry["InstallerUrl"], entry["InstallerSha256"])
    table = subprocess.run(["msiinfo", "export", msi, "Property"], check=True,
                           capture_output=True, text=True).stdout.splitlines()[3:]
    properties = dict(row.split("\t", 1) for row in table)
    named = {"ProductCode": entry.get("ProductCode", installer.get("ProductCode")),
             "UpgradeCode": (installer.get("AppsAndFeaturesEntries") or [{}])[0].get("UpgradeCode")}
    problems += [f"winget: {key} {value}, the installer's {properties.get(key)}"
                 for key, value in named.items() if value != properties.get(key)]

with open(os.path.join(manifests, "mensurator.json"), encoding="utf-8") as text:
    scoop = json.load(text)
validate("mensurator.json", scoop, "scoop/schema.json")
published("mensurator.json", scoop["url"], scoop["hash"])

for problem in problems:
    print(problem)
if problems:
    sys.exit(1)
print(f"Manifests valid: {', '.join(sorted(os.listdir(manifests)))}")
