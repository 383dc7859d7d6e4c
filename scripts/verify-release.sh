#!/usr/bin/env bash
# Rebuilds a published release from its tag and compares it with the files as downloaded:
#   scripts/verify-release.sh [--work DIR] [--repository URL] VERSION FOLDER
# FOLDER holds what the release published: mensurator-VERSION.msi and .zip, the notices, the bill
# of materials mensurator-VERSION.cdx.json and SHA256SUMS. Checks them against SHA256SUMS, names
# the tools here whose Debian package versions differ from those the bill of materials gives (a
# rebuild with other tools is not expected to match), clones the repository (the bill's address,
# or URL) at tag vVERSION, builds the release there at the release time, and, for a signed
# release, gives the rebuilt program and installer the published ones' signatures, as signing
# does. Prints one line per file, identical or different; exits 1 on any difference.
# DIR, when given, keeps the clone and its build, and a later run for the same tag reuses them.
set -euo pipefail

usage() {
  echo "usage: $0 [--work DIR] [--repository URL] VERSION FOLDER" >&2
  exit 2
}
work='' repository=''
while [ $# -gt 2 ]; do
  case $1 in
    --work) work=$2 ;;
    --repository) repository=$2 ;;
    *) usage ;;
  esac
  shift 2
done
[ $# -eq 2 ] || usage
version=$1
folder=$(cd "$2" && pwd)
name=mensurator-$version
if [ -z "$work" ]; then
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
fi
mkdir -p "$work"
work=$(cd "$work" && pwd)

echo "Checking $folder against its SHA256SUMS"
(cd "$folder" && tr -d '\r' <SHA256SUMS | sha256sum --quiet -c -) ||
  { echo "$folder: the files are not those SHA256SUMS names" >&2; exit 1; }

# The release's inputs, and the tools' versions here where they differ from the release's.
sbom=$folder/$name.cdx.json
inputs=$(python3 - "$sbom" <<'PYTHON'
import json, subprocess, sys
bom = json.load(open(sys.argv[1], encoding="utf-8"))
given = {p["name"]: p.get("value", "") for p in bom["metadata"]["properties"]}
for tool in bom["metadata"]["tools"]["components"]:
    if "purl" in tool:  # a Debian package, of the architecture its purl names
        package = f"{tool['name']}:{tool['purl'].rpartition('arch=')[2]}"
        here = subprocess.run(["dpkg-query", "-W", "-f=${Version}", package],
                              capture_output=True, text=True).stdout
    else:
        version = "import platform; print(platform.python_version())"
        here = subprocess.run(["python3", "-c", version],
                              capture_output=True, text=True).stdout.strip()
    if here != tool["version"]:
        print(f"Tool {tool['name']}: {here or 'not installed'} here, {tool['version']} in the "
              "release", file=sys.stderr)
print(given["mensurator:release-time"])
print(given["mensurator:address"])
print(given["mensurator:build-address"])
PYTHON
)
mapfile -t inputs <<<"$inputs"
release_time=${inputs[0]} address=${inputs[1]} build_address=${inputs[2]:-}
repository=${repository:-$address}
export SOURCE_DATE_EPOCH=$release_time

clone=$work/mensurator
tagged() { git -C "$clone" rev-parse "$1^{commit}" 2>/dev/null; }
if [ -d "$clone/.git" ] && [ -z "$(git -C "$clone" status --porcelain)" ] &&
  [ "$(tagged HEAD)" = "$(tagged "v$version")" ]; then
  echo "Rebuilding in $clone, a clone of v$version kept from an earlier run"
else
  rm -rf "$clone"
  echo "Cloning $repository at v$version into $clone"
  git -c advice.detachedHead=false clone --quiet --depth 1 --branch "v$version" "$repository" \
    "$clone" 2>&1 | grep -v -- '--depth is ignored' || true
  [ -d "$clone/.git" ] || exit 1
fi
(
  cd "$clone"
  cmake --preset win32 -DBUILD_TESTING=OFF -DMENSURATOR_VERSION="$version" \
    -DMENSURATOR_PROJECT_URL="$build_address"
  cmake --build --preset win32 --target release
) >"$work/build.log" 2>&1 || { tail -n 30 "$work/build.log"; exit 1; }

rebuilt=$work/rebuilt
rm -rf "$rebuilt" "$work/files" && cp -r "$clone/build/win32/release" "$rebuilt"
packaging=$clone/packaging
python3 -c 'import sys, zipfile
sys.stdout.buffer.write(zipfile.ZipFile(sys.argv[1]).read("mensurator.exe"))' \
  "$folder/$name.zip" >"$work/published.exe"
# Signing appends the signature and sets the header's checksum: given the same signature, the
# rebuilt program is the published one if the builds agree, and so are the packages around it.
attach() { # PUBLISHED SIGNED_FILE
  rm -f "$work/signature"
  osslsigncode extract-signature -in "$1" -out "$work/signature" >/dev/null
  # osslsigncode checks what it attaches. Its own certificates are the anchors: the question is
  # whether it was made over these very bytes; whom to trust is Windows' to judge.
  openssl pkcs7 -inform DER -in "$work/signature" -print_certs -out "$work/certificates.pem"
  osslsigncode attach-signature -sigin "$work/signature" -CAfile "$work/certificates.pem" \
    -TSA-CAfile "$work/certificates.pem" -in "$2" -out "$2.signed" >"$work/attach.log" 2>&1 ||
    { cat "$work/attach.log"; echo "$1's signature does not fit the rebuilt file"; return 1; }
  mv "$2.signed" "$2"
}
rm -f "$work/signature"
if osslsigncode extract-signature -in "$work/published.exe" -out "$work/signature" >/dev/null 2>&1
then
  echo "The release is signed: the rebuilt program and installer get its signatures"
  attach "$work/published.exe" "$rebuilt/mensurator.exe"
  "$packaging/repack-release.sh" "$rebuilt"
  attach "$folder/$name.msi" "$rebuilt/$name.msi"
fi

mkdir "$work/files"
cp "$rebuilt/$name.msi" "$rebuilt/$name.zip" "$rebuilt/THIRD-PARTY-NOTICES.txt" "$work/files/"
"$packaging/make_sbom.py" "$work/files/$name.cdx.json" "$rebuilt" "$work/files" "$version" \
  "$address" "$release_time"
(cd "$work/files" && names=(*) && sha256sum -- "${names[@]}" | sed 's/$/\r/' >SHA256SUMS)

status=0
for file in $(cd "$folder" && tr -d '\r' <SHA256SUMS | cut -d' ' -f3) SHA256SUMS; do
  if cmp -s "$folder/$file" "$work/files/$file"; then
    echo "identical  $file"
  else
    echo "different  $file"
    status=1
  fi
done
exit "$status"
