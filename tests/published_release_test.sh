#!/usr/bin/env bash
# Checks what the release preparation published, unsigned (release_publish) and signed
# (sign_release): the bill of materials' check refuses a bill that misses a linked package, gives
# a wrong hash or breaks the schema; scripts/verify-release.sh, rebuilding in the clone that
# reproducible_build built and kept, finds every file of both identical, and reports a published
# file changed by one byte:
#   published_release_test.sh SOURCE_DIR VERSION UNSIGNED_DIR SIGNED_DIR REPRODUCIBLE_DIR WORK_DIR
set -euo pipefail
source=$(cd "$1" && pwd)
version=$2 unsigned=$3 signed=$4 trees=$5
rm -rf "$6" && mkdir -p "$6" && cd "$6"
status=0
fail() { echo "FAILED: $*"; status=1; }

sbom=mensurator-$version.cdx.json
plants=( # what is changed in the bill|what the check must say
  'b["components"].pop()|misses .*, which the link map names' # the last linked package
  'b["components"][1]["hashes"][0]["content"] = "0" * 64|for mensurator-.*\.zip, published as'
  'b["metadata"]["timestamp"] = "yesterday"|/metadata/timestamp: must match format'
)
for plant in "${plants[@]}"; do
  rm -rf files && cp -r "$unsigned" files
  python3 -c "import json, sys; b = json.load(open(sys.argv[1])); ${plant%%|*}
json.dump(b, open(sys.argv[1], 'w'))" "files/$sbom"
  if "$source/packaging/check-sbom.py" "files/$sbom" files \
    "$trees/one/mensurator/build/win32/release/mensurator.map" >check.log; then
    fail "a bill whose change is '${plant%%|*}' passes"
  fi
  grep -q -- "${plant#*|}" check.log || { cat check.log; fail "no '${plant#*|}'"; }
done
echo "The SBOM check refuses each planted fault."

verify() { # FOLDER
  "$source/scripts/verify-release.sh" --work "$trees/one" --repository "$trees/repository" \
    "$version" "$1" >report 2>&1
}
for folder in "$unsigned" "$signed"; do
  verify "$folder" || fail "the rebuild of $folder differs"
  cat report
done
# One byte of the published notices changed, SHA256SUMS made to agree, as by a tampered release.
rm -rf planted && cp -r "$unsigned" planted
printf '#' | dd of=planted/THIRD-PARTY-NOTICES.txt bs=1 seek=100 conv=notrunc status=none
(cd planted && rm SHA256SUMS && names=(*) && sha256sum -- "${names[@]}" | sed 's/$/\r/' >SHA256SUMS)
verify planted && fail "a planted difference passes"
cat report
[ "$(grep '^different' report)" = $'different  THIRD-PARTY-NOTICES.txt\ndifferent  SHA256SUMS' ] ||
  fail "the planted difference is not reported as the notices and their sum alone"
exit "$status"
