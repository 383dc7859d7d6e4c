#!/usr/bin/env bash
# Signs a release with a code-signing certificate: the program first, then the installer and the
# zip are built again around the signed program, and the installer is signed too.
#   MENSURATOR_SIGN_PASSWORD=... packaging/sign-release.sh RELEASE_DIR CERT.pfx [TIMESTAMP_URL]
# RELEASE_DIR is a release folder as the build leaves it (build/win32/release): the program, its
# notices, mensurator-VERSION.msi and mensurator-VERSION.zip; it is changed in place.
# The signing time is the release time, SOURCE_DATE_EPOCH where it is set as for the build, else
# read from the zip (to two seconds), so the same release and certificate give the same bytes.
# For a published release, give an RFC 3161 timestamp server: its countersignature keeps the
# signatures valid after the certificate expires (the bytes then depend on the server's answer).
set -euo pipefail

if [ $# -lt 2 ] || [ $# -gt 3 ]; then
  echo "usage: MENSURATOR_SIGN_PASSWORD=... $0 RELEASE_DIR CERT.pfx [TIMESTAMP_URL]" >&2
  exit 2
fi
release=$(cd "$1" && pwd)
certificate=$2
: "${MENSURATOR_SIGN_PASSWORD?must hold the password of the certificate}"
packaging=$(cd "$(dirname "$0")" && pwd)

msi=$(find "$release" -maxdepth 1 -name 'mensurator-*.msi' -print -quit)
[ -n "$msi" ] || { echo "$release: no mensurator-VERSION.msi" >&2; exit 1; }
release_time=$("$packaging/release-time.sh" "${msi%.msi}.zip")

sign() {
  local options=(-pkcs12 "$certificate" -readpass /dev/stdin -h sha256 -n Mensurator
    -time "$release_time")
  [ -n "${3:-}" ] && options+=(-ts "$3")
  printf '%s' "$MENSURATOR_SIGN_PASSWORD" |
    osslsigncode sign "${options[@]}" -in "$1" -out "$2" >/dev/null
}

sign "$release/mensurator.exe" "$release/mensurator.exe.signed" "${3:-}"
mv "$release/mensurator.exe.signed" "$release/mensurator.exe"
"$packaging/repack-release.sh" "$release"
sign "$msi" "$msi.signed" "${3:-}"
mv "$msi.signed" "$msi"
echo "Signed $release/mensurator.exe and $msi; packed ${msi%.msi}.zip around the signed program."
