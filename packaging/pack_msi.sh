#!/usr/bin/env bash
# Builds the Windows Installer package of a release folder's program and notices, the same, byte
# for byte, on every build:
#   pack_msi.sh RELEASE_DIR OUTPUT.msi VERSION SECONDS_SINCE_1970
# VERSION is major.minor.patch. The build runs this, and so does packaging/sign-release.sh around
# a signed program.
set -euo pipefail

release=$(cd "$1" && pwd)
# Apart, so that a missing folder stops the script instead of leaving an empty path.
output_dir=$(cd "$(dirname "$2")" && pwd)
output=$output_dir/$(basename "$2")
version=$3.0
release_time=$4
here=$(cd "$(dirname "$0")" && pwd)

# Names Mensurator in every version, so that an installer replaces any older one; never change
# it. Each version gets a product code of its own, derived from this.
upgrade_code=214D1BE8-97AA-4663-A8DA-E69605DCBC39
product_code=$(python3 -c 'import sys, uuid
print(str(uuid.uuid5(uuid.UUID(sys.argv[1]), sys.argv[2])).upper())' "$upgrade_code" "$version")

# wixl copies the files' modification times into the package and finds them only by relative
# paths, so it reads copies dated at the release time. Text files get Windows line ends.
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
cp "$release/mensurator.exe" "$stage/"
sed -e 's/\r$//' -e 's/$/\r/' "$release/THIRD-PARTY-NOTICES.txt" >"$stage/THIRD-PARTY-NOTICES.txt"
touch -d "@$release_time" "$stage"/*
(
  cd "$stage"
  wixl -a x86 -D Version="$version" -D ProductCode="$product_code" -D UpgradeCode="$upgrade_code" \
    -o "$output" "$here/mensurator.wxs"
)
# Debian's own Python, the one python3-olefile is installed for.
/usr/bin/python3 "$here/stamp_msi.py" "$output" "$release_time" "$upgrade_code"
