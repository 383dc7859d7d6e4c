#!/usr/bin/env bash
# Builds the Windows Installer package of a release folder's program, notices and licence, the
# same, byte for byte, on every build:
#   pack_msi.sh RELEASE_DIR OUTPUT.msi VERSION SECONDS_SINCE_1970 [PROJECT_URL]
# VERSION is major.minor.patch, the package's ProductVersion as written. PROJECT_URL, when given
# and not empty, is the address Programs and Features links to. The build runs this, and so does
# packaging/sign-release.sh around a signed program.
set -euo pipefail

release=$(cd "$1" && pwd)
# Apart, so that a missing folder stops the script instead of leaving an empty path.
output_dir=$(cd "$(dirname "$2")" && pwd)
output=$output_dir/$(basename "$2")
version=$3
release_time=$4
project_url=${5:-}
here=$(cd "$(dirname "$0")" && pwd)

# wixl copies the files' modification times into the package and finds them only by relative
# paths, so it reads copies dated at the release time. Text files get Windows line ends.
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
cp "$release/mensurator.exe" "$here/../res/mensurator.ico" "$stage/"
for text in THIRD-PARTY-NOTICES.txt LICENSE.txt; do
  sed -e 's/\r$//' -e 's/$/\r/' "$release/$text" >"$stage/$text"
done
touch -d "@$release_time" "$stage"/*

# Names Mensurator in every version, so that an installer replaces any older one; never change
# it. The product code is derived from it, the version and everything that shapes the package:
# the files installed, the package's source, the scripts and wixl that build it, the project's
# address. A package rebuilt at the same version (around a signed program, or a packaging fix)
# is then another product, which replaces the installed one, where the same product code with
# another package code would be refused as already installed.
upgrade_code=214D1BE8-97AA-4663-A8DA-E69605DCBC39
contents=$({
  (cd "$stage" && sha256sum -- *)
  (cd "$here" && sha256sum -- mensurator.wxs pack_msi.sh stamp_msi.py)
  echo "wixl $(wixl --version), project address '$project_url'"
} | sha256sum | cut -d' ' -f1)
product_code=$(python3 -c 'import sys, uuid
print(str(uuid.uuid5(uuid.UUID(sys.argv[1]), sys.argv[2])).upper())' "$upgrade_code" \
  "$version $contents")

(
  cd "$stage"
  wixl -a x86 -D Version="$version" -D ProductCode="$product_code" -D UpgradeCode="$upgrade_code" \
    -D ProjectUrl="$project_url" -o "$output" "$here/mensurator.wxs"
)
# wixl's MajorUpgrade replaces earlier versions only; its row is written again with
# msidbUpgradeAttributesVersionMaxInclusive (512) added to MigrateFeatures (1), as WiX writes it
# for AllowSameVersionUpgrades, which wixl lacks. libmsi cannot update a key column in place.
msibuild "$output" \
  -q "DELETE FROM \`Upgrade\` WHERE \`ActionProperty\` = 'WIX_UPGRADE_DETECTED'" \
  -q "INSERT INTO \`Upgrade\` (\`UpgradeCode\`, \`VersionMax\`, \`Attributes\`, \`ActionProperty\`)
      VALUES ('{$upgrade_code}', '$version', 513, 'WIX_UPGRADE_DETECTED')"
# msibuild ends well even when a query fails. The table is read whole first: grep -q stops at the
# first match, and the reader, cut off, would fail the pipe.
upgrade_rows=$("$here/package_files.py" "$output" Upgrade)
grep -q $'\t'"$version"$'\t\t513\t\tWIX_UPGRADE_DETECTED' <<<"$upgrade_rows" ||
  { echo "$output: the upgrade of the same version was not written" >&2; exit 1; }
# Debian's own Python, the one python3-olefile is installed for.
/usr/bin/python3 "$here/stamp_msi.py" "$output" "$release_time" "$upgrade_code"
