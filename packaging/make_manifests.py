#!/usr/bin/python3
"""Writes the package manifests of a release, for the Windows Package Manager and for Scoop.

    make_manifests.py FILES_DIR VERSION ADDRESS OUT_DIR

FILES_DIR holds the published mensurator-VERSION.msi and mensurator-VERSION.zip; ADDRESS is the
project's GitHub address (https://github.com/OWNER/REPO), whose release v<VERSION> serves them.
OUT_DIR gets winget's multi-file manifest (version, default locale, installer) and Scoop's
mensurator.json, all with Windows line ends, as every text file the release publishes. The hashes
are of the files as given, so run it on the files as published; the product and upgrade codes
are read from the installer. Exits non-zero when a file is missing or the installer cannot be
read.
Debian's own Python: python3-yaml is installed for it.
"""
import json
import os
import sys

import yaml

from package_files import properties, sha256

IDENTIFIER = "Mensurator.Mensurator"
MANIFEST_VERSION = "1.10.0"
LOCALE = "en-US"
PUBLISHER = "The Mensurator developers"
SHORT_DESCRIPTION = "Converts a value between units of length, area, mass, volume and temperature."
DESCRIPTION = (
    "A small unit converter for 32-bit and 64-bit Windows. Type a value, pick a category, the "
    "unit to convert from and the one to convert to: the result is shown in plain decimal and "
    "in scientific notation, with 0 to 15 decimal places, and recalculated on every change.")


def write_yaml(path, kind, fields):
    header = (f"# yaml-language-server: $schema=https://aka.ms/winget-manifest.{kind}."
              f"{MANIFEST_VERSION}.schema.json\n\n")
    body = dict(fields, ManifestType=kind, ManifestVersion=MANIFEST_VERSION)
    with open(path, "w", encoding="utf-8", newline="\r\n") as out:
        out.write(header + yaml.safe_dump(body, sort_keys=False, allow_unicode=True, width=100))


def main():
    if len(sys.argv) != 5:
        sys.exit(f"usage: {sys.argv[0]} FILES_DIR VERSION ADDRESS OUT_DIR")
    files, version, address, out = sys.argv[1], sys.argv[2], sys.argv[3].rstrip("/"), sys.argv[4]
    msi, zip_name = f"mensurator-{version}.msi", f"mensurator-{version}.zip"
    download = f"{address}/releases/download/v{version}"
    codes = properties(os.path.join(files, msi))
    os.makedirs(out, exist_ok=True)
    package = {"PackageIdentifier": IDENTIFIER, "PackageVersion": version}

    write_yaml(os.path.join(out, f"{IDENTIFIER}.yaml"), "version",
               dict(package, DefaultLocale=LOCALE))
    write_yaml(os.path.join(out, f"{IDENTIFIER}.locale.{LOCALE}.yaml"), "defaultLocale", dict(
        package, PackageLocale=LOCALE, Publisher=PUBLISHER, PublisherUrl=address,
        PackageName="Mensurator", PackageUrl=address, License="MIT",
        LicenseUrl=f"{address}/blob/v{version}/LICENSE", ShortDescription=SHORT_DESCRIPTION,
        Description=DESCRIPTION, Moniker="mensurator",
        Tags=["calculator", "conversion", "converter", "units"],
        ReleaseNotesUrl=f"{address}/releases/tag/v{version}"))
    # The one package for both scopes: per user by default, without administrator rights; for
    # all users with ALLUSERS=1, elevated. winget's own location switch sets TARGETDIR, which the
    # package does not install under.
    installer = {"Architecture": "x86", "InstallerUrl": f"{download}/{msi}",
                 "InstallerSha256": sha256(os.path.join(files, msi)).upper()}
    location = 'INSTALLFOLDER="<INSTALLPATH>"'
    write_yaml(os.path.join(out, f"{IDENTIFIER}.installer.yaml"), "installer", dict(
        package, InstallerType="msi", UpgradeBehavior="install", ProductCode=codes["ProductCode"],
        AppsAndFeaturesEntries=[{"UpgradeCode": codes["UpgradeCode"]}],
        Installers=[dict(installer, Scope="user", InstallerSwitches={"InstallLocation": location}),
                    dict(installer, Scope="machine", ElevationRequirement="elevationRequired",
                         InstallerSwitches={"Custom": "ALLUSERS=1", "InstallLocation": location})]))

    scoop = {
        "version": version,
        "description": SHORT_DESCRIPTION,
        "homepage": address,
        "license": "MIT",
        "url": f"{download}/{zip_name}",
        "hash": sha256(os.path.join(files, zip_name)),
        # A shortcut in Start and no "bin": a shim on PATH is a console program's way to start.
        "shortcuts": [["mensurator.exe", "Mensurator"]],
        "checkver": {"github": address},
        # Each release publishes SHA256SUMS beside the zip.
        "autoupdate": {"url": f"{address}/releases/download/v$version/mensurator-$version.zip",
                       "hash": {"url": "$baseurl/SHA256SUMS"}},
    }
    with open(os.path.join(out, "mensurator.json"), "w", encoding="utf-8",
              newline="\r\n") as manifest:
        json.dump(scoop, manifest, indent=4)
        manifest.write("\n")


if __name__ == "__main__":
    main()
