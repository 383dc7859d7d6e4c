#!/usr/bin/env bash
# Makes what the release workflow publishes from a built release folder:
#   prepare-release.sh RELEASE_DIR VERSION OUT_DIR
# Signs the release in place first when MENSURATOR_SIGN_CERT_BASE64 holds a code-signing
# certificate (.pfx, in base64), with MENSURATOR_SIGN_PASSWORD and, optionally, an RFC 3161
# server in MENSURATOR_TIMESTAMP_URL; checks that the program and the installer say VERSION; then
# puts the installer, the zip, the notices and their SHA256SUMS into OUT_DIR/files and the
# release's text, which says whether it is signed, into OUT_DIR/notes.md.
set -euo pipefail

if [ $# -ne 3 ]; then
  echo "usage: $0 RELEASE_DIR VERSION OUT_DIR" >&2
  exit 2
fi
release=$1
version=$2
out=$3
here=$(cd "$(dirname "$0")" && pwd)

if [ -n "${MENSURATOR_SIGN_CERT_BASE64:-}" ]; then
  certificate=$(mktemp)
  trap 'rm -f "$certificate"' EXIT
  base64 -d <<<"$MENSURATOR_SIGN_CERT_BASE64" >"$certificate"
  "$here/sign-release.sh" "$release" "$certificate" \
    ${MENSURATOR_TIMESTAMP_URL:+"$MENSURATOR_TIMESTAMP_URL"}
  signature="The program and the installer are signed (Authenticode, SHA-256)."
else
  signature="This release is **not signed**: Windows may warn that its publisher is unknown."
fi
"$here/check-release-version.py" "$release" "$version"

rm -rf "$out"
mkdir -p "$out/files"
cp "$release/mensurator-$version.msi" "$release/mensurator-$version.zip" \
  "$release/THIRD-PARTY-NOTICES.txt" "$out/files/"
(cd "$out/files" && sha256sum -- * >SHA256SUMS)
cat >"$out/notes.md" <<NOTES
Mensurator $version for Windows Vista and later, 32-bit and 64-bit.

- \`mensurator-$version.msi\`: installs the program with a Start menu shortcut.
- \`mensurator-$version.zip\`: the portable program; unpack it anywhere.
- \`THIRD-PARTY-NOTICES.txt\`: the notices of the runtime parts linked into the program.
- \`SHA256SUMS\`: the SHA-256 of each file (\`sha256sum -c SHA256SUMS\`).

$signature
NOTES
echo "Release $version in $out: $(cd "$out/files" && echo *). $signature"
