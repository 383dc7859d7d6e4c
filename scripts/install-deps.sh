#!/usr/bin/env bash
# Installs every Debian package that building, running and testing Mensurator
# needs. Safe to run again: it only asks apt for what is missing, and says
# nothing when everything is there. Needs root (or sudo).
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config clang libclang-rt-14-dev clang-format shellcheck git
  googletest libgtest-dev libbenchmark-dev
  g++-mingw-w64-i686 binutils-mingw-w64-i686
  wine wine32:i386 wine64
  xvfb xauth x11-utils xdotool imagemagick
  wixl msitools python3 python3-olefile python3-jsonschema python3-yaml osslsigncode openssl
)

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  "${sudo_cmd[@]}" dpkg --add-architecture i386
fi

missing=()
for p in "${packages[@]}"; do
  name=${p%%:*}
  arch=${p#*:}
  [ "$arch" = "$p" ] && arch=
  query=$name${arch:+:$arch}
  status=$(dpkg-query -W -f='${db:Status-Status}' "$query" 2>/dev/null || true)
  [ "$status" = installed ] || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -qq
  "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

"${sudo_cmd[@]}" "$(dirname "$0")/enable-i386.sh"
"$(dirname "$0")/install-actionlint.sh"

# The CycloneDX project's library, with its JSON schemas, and the validator it uses (its optional
# packages, named so; --omit=optional builds no native addon), for the release's bill of
# materials. The 7.x line runs on Debian 12's Node 18.
cyclonedx=$(cd "$(dirname "$0")/.." && pwd)/build/tools/cyclonedx
if [ ! -f "$cyclonedx/node_modules/@cyclonedx/cyclonedx-library/package.json" ] ||
  [ "$(node -p "require('$cyclonedx/node_modules/@cyclonedx/cyclonedx-library/package.json').version")" != 7.1.0 ]; then
  npm install --prefix "$cyclonedx" --no-audit --no-fund --loglevel=error --omit=optional \
    @cyclonedx/cyclonedx-library@7.1.0 ajv@8.20.0 ajv-formats@3.0.1 ajv-formats-draft2019@1.6.1
fi
