#!/usr/bin/env bash
# The style every change keeps, over the files git tracks (the third-party test data aside):
#   scripts/check-style.sh format       C++ laid out as .clang-format says (clang-format 14)
#   scripts/check-style.sh shellcheck   shell scripts free of shellcheck's warnings
# Each problem is printed with its file and line; exits 1 on any, or when there is nothing to check.
set -euo pipefail
cd "$(dirname "$0")/.."

files=()
case ${1:-} in
  format)
    mapfile -t files < <(git ls-files -- '*.cpp' '*.h' '*.c' ':!tests/data')
    check=(clang-format --dry-run --Werror)
    ;;
  shellcheck)
    # Every *.sh, and any other file whose first line asks for a shell, such as .ci/run.
    while IFS= read -r file; do
      if [[ $file == *.sh ]] || head -n 1 "$file" | grep -Eq '^#!.*[/ ](ba|da)?sh( |$)'; then
        files+=("$file")
      fi
    done < <(git ls-files -- ':!tests/data')
    check=(shellcheck -S warning)
    ;;
  *)
    echo "usage: $0 format|shellcheck" >&2
    exit 2
    ;;
esac

# Outside a git checkout (a copy of the tree) the list is empty: that is no pass.
if [ ${#files[@]} -eq 0 ]; then
  echo "$1: no files to check in $(pwd): not a git checkout?" >&2
  exit 1
fi
echo "${check[0]}: ${#files[@]} files"
"${check[@]}" "${files[@]}"
