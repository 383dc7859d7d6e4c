#!/usr/bin/env bash
# Prints the version that a release tag names, v1.2.3 giving 1.2.3, and refuses any other tag,
# including versions that Windows Installer cannot hold (major and minor up to 255, the patch
# below 65535, since the tests build the next patch too):
#   release-version.sh TAG
set -euo pipefail
number='(0|[1-9][0-9]{0,4})'
if [[ "${1:-}" =~ ^v$number\.$number\.$number$ ]] && [ "${BASH_REMATCH[1]}" -le 255 ] &&
  [ "${BASH_REMATCH[2]}" -le 255 ] && [ "${BASH_REMATCH[3]}" -lt 65535 ]; then
  echo "${1#v}"
else
  echo "$0: '${1:-}' is not a release tag v<major>.<minor>.<patch>" >&2
  exit 1
fi
