#!/usr/bin/env bash
# Builds the shipped files of one commit twice, from two clean clones in two different folders, one
# after the other and under different time zones and umasks, and compares them byte for byte.
#   check-reproducible.sh [COMMIT]     (default: HEAD; uncommitted changes are not part of it)
# Prints both SHA256SUMS; exits 1 when they differ, keeping both trees for a look. Each build
# compiles the shipped targets only, so the whole takes two of those builds.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
commit=$(git -C "$root" rev-parse --verify "${1:-HEAD}^{commit}")
work=$(mktemp -d "${TMPDIR:-/tmp}/corvane-reproducible.XXXXXX")

# build FOLDER TZ UMASK: a clean clone of the commit in FOLDER, its shipped files built.
build() {
  local dir=$1
  mkdir -p "$(dirname "$dir")"
  git clone -q --no-checkout "$root" "$dir"
  git -C "$dir" checkout -q --detach "$commit"
  echo "building $commit in $dir (TZ=$2, umask $3) at $(date -u +%H:%M:%S)"
  (
    cd "$dir"
    umask "$3"
    export TZ=$2
    cmake --preset windows >build.log 2>&1 &&
      cmake --build --preset windows --target corvane_release_digests -- -j2 >>build.log 2>&1
  ) || {
    tail -n 30 "$dir/build.log"
    echo "the build in $dir failed" >&2
    exit 2
  }
}

first=$work/a/corvane
second=$work/second-build/in/a/deeper/folder/corvane-2004
build "$first" UTC 022
build "$second" Asia/Tokyo 002

sums=build/windows/bin/SHA256SUMS
echo "$first/$sums:"
cat "$first/$sums"
echo "$second/$sums:"
cat "$second/$sums"
if cmp -s "$first/$sums" "$second/$sums"; then
  echo "reproducible: both builds gave the same shipped files"
  rm -rf "$work"
else
  echo "NOT reproducible; both trees are kept in $work" >&2
  exit 1
fi
