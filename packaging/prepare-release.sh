#!/usr/bin/env bash
# Makes what the release workflow publishes from a built release folder:
#   prepare-release.sh RELEASE_DIR VERSION OUT_DIR ADDRESS
# Refuses a VERSION that CHANGELOG.md has no section for, since that section is the release's
# text. Signs the release in place when MENSURATOR_SIGN_CERT_BASE64 holds a code-signing
# certificate (.pfx, in base64), with MENSURATOR_SIGN_PASSWORD and, optionally, an RFC 3161
# server in MENSURATOR_TIMESTAMP_URL; checks that the program and the installer say VERSION; then
# puts the installer, the zip, the notices, the bill of materials of those files (checked against
# its schema and the link map) and their SHA256SUMS into OUT_DIR/files, the winget and Scoop
# manifests of those files into OUT_DIR/manifests, and the release's text, which says whether it
# is signed, into OUT_DIR/notes.md. ADDRESS is the project's GitHub address
# (https://github.com/OWNER/NAME), whose release vVERSION the manifests find the files in. Every
# text file published has Windows line ends.
set -euo pipefail

if [ $# -ne 4 ] || [ -z "$4" ]; then
  echo "usage: $0 RELEASE_DIR VERSION OUT_DIR ADDRESS" >&2
  exit 2
fi
release=$1
version=$2
out=$3
address=${4%/}
download=$address/releases/download/v$version
repository=${address#https://github.com/}
here=$(cd "$(dirname "$0")" && pwd)
changelog=$here/../CHANGELOG.md

# The lines under "## [VERSION] - DATE" up to the next section or the closing link references,
# without blank lines around them.
changes=$(awk -v heading="## [$version]" 'index($0, heading) == 1 { inside = 1; next }
  inside && (/^## / || /^\[[^]]+\]: /) { exit } inside' "$changelog" | sed '/./,$!d')
if [ -z "$changes" ]; then
  echo "$0: CHANGELOG.md has no section '## [$version] - YYYY-MM-DD' saying what $version is;" \
    "write it before releasing $version" >&2
  exit 1
fi

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
# Of the files as published, and listed in SHA256SUMS. The release time is the build's, as
# signing reads it.
release_time=$("$here/release-time.sh" "$release/mensurator-$version.zip")
sbom=$out/files/mensurator-$version.cdx.json
"$here/make_sbom.py" "$sbom" "$release" "$out/files" "$version" "$address" "$release_time"
"$here/check-sbom.py" "$sbom" "$out/files" "$release/mensurator.map"
# The names first, so that SHA256SUMS, written as they are hashed, is not among them.
(cd "$out/files" && names=(*) && sha256sum -- "${names[@]}" | sed 's/$/\r/' >SHA256SUMS)
# From the copies, so that the hashes are of the files as published, signed or not.
"$here/make_manifests.py" "$out/files" "$version" "$address" "$out/manifests"
"$here/check-manifests.py" "$out" "$here/../tests/data/package-manifest-schemas" "$address" \
  "$version"
cat >"$out/notes.md" <<NOTES
$changes

### Files

- \`mensurator-$version.msi\`, for Windows 7 and later: installs the program for your user
  account, without administrator rights, with a Start menu shortcut. For every user of the
  machine, open a command prompt as administrator and give the package's full path, since such a
  prompt starts in System32:
  \`msiexec /i "%USERPROFILE%\\Downloads\\mensurator-$version.msi" ALLUSERS=1\`. On 64-bit
  Windows the program then goes to \`Program Files (x86)\\Mensurator\`.
- \`mensurator-$version.zip\`, for Windows Vista and later: the portable program; unpack it
  anywhere.
- \`THIRD-PARTY-NOTICES.txt\`: the notices of the runtime parts linked into the program.
- \`mensurator-$version.cdx.json\`: the software bill of materials (CycloneDX 1.6): the Debian
  packages linked into the program with their versions and licences, the tools that built it, the
  release time, and the SHA-256 of the program, the installer and the zip.
- \`SHA256SUMS\`: the SHA-256 of each file. Compare it with what Windows computes, in PowerShell
  \`Get-FileHash mensurator-$version.msi\` or in a command prompt
  \`certutil -hashfile mensurator-$version.msi SHA256\`; the letters' case does not matter.
- \`Mensurator.Mensurator*.yaml\`: the manifest for the Windows Package Manager (winget), for
  your account or, with \`--scope machine\`, for all users.
- \`mensurator.json\`: the manifest for Scoop, which installs from its address without a bucket:
  \`scoop install $download/mensurator.json\`.

Each file's build provenance is attested: \`gh attestation verify FILE --repo $repository\`
checks that this repository's release workflow built it, and from which commit; the bill of
materials is attested for the installer and the zip too.

To check that these files are what tag v$version builds, put them in a folder; in a clone of the
repository on Debian 12, run \`scripts/install-deps.sh\`, then
\`scripts/verify-release.sh $version FOLDER\`, which rebuilds the release and says of each file
whether it is identical.

To report a vulnerability, see [SECURITY.md]($address/blob/v$version/SECURITY.md): privately,
please.

$signature
NOTES
echo "Release $version in $out: $(cd "$out/files" && echo *); manifests for $address:" \
  "$(cd "$out/manifests" && echo *). $signature"
