#!/usr/bin/env bash
# A selection of 100,000 files through Hash under Wine: every one gets its line, and the results
# window comes up with all of them and still answers at once. Prints the time taken.
#   hash_100000_files_test.sh BUILD_DIR HASH_RUN_EXE
set -euo pipefail
build=$(cd "$1" && pwd)
exe=$2
here=$(cd "$(dirname "$0")/../.." && pwd)

dir=$(mktemp -d "$build/many-files.XXXXXX")
trap 'rm -rf "$dir"' EXIT
windows() { printf 'Z:%s' "$(printf '%s' "$1" | tr / '\\')"; }
# Every tenth file exists; the others were deleted after they were selected. They are listed in a
# folder of their own: Wine looks a missing name up by reading its whole folder, and 90,000 look-ups
# in a folder of 10,000 names would take minutes without testing anything of ours.
mkdir "$dir/files" "$dir/gone"
for i in $(seq 0 10 99999); do : >"$dir/files/f$i.txt"; done
# Through the environment: awk would read the backslashes of -v values as escapes.
seq 0 99999 | FILES=$(windows "$dir/files") GONE=$(windows "$dir/gone") awk '
  NR > 1 { printf "\n" }
  { printf "%s\\f%d.txt", ($1 % 10 == 0 ? ENVIRON["FILES"] : ENVIRON["GONE"]), $1 }' >"$dir/list.txt"

started=$(date +%s%N)
out=$("$here/tools/wine-run.sh" "$build" "$exe" "$(windows "$dir/list.txt")" 0 \
  "$(windows "$dir/report.txt")")
ended=$(date +%s%N)
echo "$out"
echo "whole command under Wine: $(((ended - started) / 1000000)) ms"

lines=$(tr -d '\r' <"$dir/report.txt" | awk 'END { print NR }')
digests=$(grep -c '^d41d8cd98f00b204e9800998ecf8427e    f[0-9]*0\.txt' "$dir/report.txt" || true)
missing=$(grep -c 'Could not open file' "$dir/report.txt" || true)
echo "lines shown: $lines, digests: $digests, could not open: $missing"
[ "$digests" -eq 10000 ] && [ "$missing" -eq 90000 ] || exit 1
case $out in
  *"answered in 5000 ms"*) echo "the results window did not answer" >&2; exit 1 ;;
esac
