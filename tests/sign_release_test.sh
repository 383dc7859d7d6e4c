#!/usr/bin/env bash
# Signs two copies of the release with a code-signing certificate made here for the purpose, one
# as the release workflow does, and checks that both signatures verify, that the zip holds the
# signed program, that the two signings gave the same bytes, and what the workflow publishes,
# manifests included:
#   sign_release_test.sh SOURCE_DIR RELEASE_DIR WORK_DIR ADDRESS
set -euo pipefail
source=$(cd "$1" && pwd)
release=$(cd "$2" && pwd)
rm -rf "$3" && mkdir -p "$3" && cd "$3"

export MENSURATOR_SIGN_PASSWORD=throwaway
openssl req -x509 -newkey rsa:2048 -nodes -keyout key.pem -out cert.pem -days 2 \
  -subj "/CN=Mensurator test signer" -addext extendedKeyUsage=codeSigning 2>/dev/null
openssl pkcs12 -export -inkey key.pem -in cert.pem -out cert.pfx \
  -passout env:MENSURATOR_SIGN_PASSWORD
# One copy as the release workflow signs it, from the certificate in base64.
cp -r "$release" one
cp -r "$release" two
version=$(basename one/mensurator-*.msi .msi)
MENSURATOR_SIGN_CERT_BASE64=$(base64 -w0 cert.pfx) \
  "$source/packaging/prepare-release.sh" one "${version#mensurator-}" published "$4"
"$source/packaging/sign-release.sh" two cert.pfx

status=0
fail() { echo "FAILED: $*"; status=1; }
for file in one/mensurator.exe one/mensurator-*.msi; do
  osslsigncode verify -CAfile cert.pem -in "$file" >verify.log 2>&1 ||
    { cat verify.log; fail "$file: the signature does not verify"; }
done
cmp -s "$release/mensurator.exe" one/mensurator.exe && fail "the program is unchanged"
python3 -c 'import sys, zipfile
sys.stdout.buffer.write(zipfile.ZipFile(sys.argv[1]).read("mensurator.exe"))' one/mensurator-*.zip |
  cmp -s - one/mensurator.exe || fail "the zip does not hold the signed program"
names() { python3 -c 'import sys, zipfile; print(zipfile.ZipFile(sys.argv[1]).namelist())' "$@"; }
[ "$(names one/mensurator-*.zip)" = "$(names "$release"/mensurator-*.zip)" ] ||
  fail "the signed zip does not hold the files the release's zip holds"
for file in one/*; do
  cmp -s "$file" "two/${file#one/}" || fail "${file#one/} differs between two signings"
done
(cd one && sha256sum --quiet -c ../published/files/SHA256SUMS) ||
  fail "SHA256SUMS is not of the signed files"
grep -q "are signed" published/notes.md || fail "the release's text does not say it is signed"
[ "$status" -eq 0 ] && echo "Signed release verified: $(cd one && echo *)"
exit "$status"
