#!/usr/bin/env bash
# Builds a release's installer and zip again around the program in its folder, as they were
# built at first but for that program: signing runs it after signing the program, and
# scripts/verify-release.sh after giving a rebuilt program the published one's signature.
#   repack-release.sh RELEASE_DIR
# RELEASE_DIR holds the program, its notices and licence, mensurator-VERSION.msi and .zip; the
# two are rewritten in place, dated at the release time (release-time.sh).
set -euo pipefail
[ $# -eq 1 ] || { echo "usage: $0 RELEASE_DIR" >&2; exit 2; }
release=$(cd "$1" && pwd)
packaging=$(cd "$(dirname "$0")" && pwd)

msi=$(find "$release" -maxdepth 1 -name 'mensurator-*.msi' -print -quit)
zip=${msi%.msi}.zip
[ -n "$msi" ] && [ -f "$zip" ] ||
  { echo "$release: no mensurator-VERSION.msi and .zip" >&2; exit 1; }
version=$(basename "$msi" .msi)
version=${version#mensurator-}
release_time=$("$packaging/release-time.sh" "$zip")

# The installer links to the address the build gave the first one, if any.
project_url=$("$packaging/package_files.py" "$msi" Property ARPURLINFOABOUT)
"$packaging/pack_msi.sh" "$release" "$msi" "$version" "$release_time" "$project_url"
# The zip again with every file it had, only the program changed.
entries=$(mktemp -d)
trap 'rm -rf "$entries"' EXIT
python3 -c 'import sys, zipfile; zipfile.ZipFile(sys.argv[1]).extractall(sys.argv[2])' \
  "$zip" "$entries"
cp "$release/mensurator.exe" "$entries/"
python3 "$packaging/make_zip.py" "$zip" "$release_time" "$entries"/*
