#!/usr/bin/env bash
# Builds the release twice, from two copies of the sources at different paths, each in its own
# build folder, in different time zones and under different umasks, and checks that the shipped
# files come out the same, byte for byte:
#   reproducible_test.sh SOURCE_DIR WORK_DIR VERSION
# The first copy is a clone, at tag vVERSION, of a repository of the sources made in
# WORK_DIR/repository, as scripts/verify-release.sh clones one, so that verify_release rebuilds in
# it (WORK_DIR/one). WORK_DIR is emptied first and kept afterwards, for a look at any difference.
set -euo pipefail

source=$(cd "$1" && pwd)
work=$2

rm -rf "$work"
mkdir -p "$work"
work=$(cd "$work" && pwd)

copy_sources() { # DESTINATION
  mkdir -p "$1"
  tar -C "$source" --exclude=./build --exclude=./.git -cf - . | tar -C "$1" -xf -
}

# Builds the release in the copy $1 with the win32 preset, less the tests.
build_copy() {
  local copy=$1
  (
    cd "$copy"
    cmake --preset win32 -DBUILD_TESTING=OFF >"$copy.log" 2>&1
    cmake --build --preset win32 -j2 --target release >>"$copy.log" 2>&1
  ) || { echo "build in $copy failed:"; tail -n 30 "$copy.log"; return 1; }
}

first=$work/one/mensurator
second=$work/second-copy/sources/of/mensurator
copy_sources "$work/repository"
git -C "$work/repository" init --quiet
git -C "$work/repository" add --all
git -C "$work/repository" -c user.name=test -c user.email=test@example.invalid commit --quiet \
  --message "v$3"
git -C "$work/repository" tag "v$3"
(umask 022 && git clone --quiet --branch "v$3" "$work/repository" "$first" &&
  TZ=UTC build_copy "$first")
(umask 077 && copy_sources "$second" && TZ=Pacific/Kiritimati build_copy "$second")

status=0
files=$(cd "$first/build/win32/release" && ls)
[ -n "$files" ] || { echo "no release files"; exit 1; }
for file in $files; do
  a=$first/build/win32/release/$file
  b=$second/build/win32/release/$file
  sha256sum "$a" "$b"
  if ! cmp "$a" "$b"; then
    cmp -l "$a" "$b" | head -n 10 || true  # cmp fails on any difference
    status=1
  fi
done
[ "$status" -eq 0 ] && echo "The release is the same in both builds."
exit "$status"
