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
# Every tenth file exists; the others were deleted after they were selected.
mkdir "$dir/files"
prefix=$(windows "$dir/files")
for i in $(seq 0 10 99999); do : >"$dir/files/f$i.txt"; done
seq 0 99999 | sed "s|^|$(printf '%s' "$prefix" | sed 's/\\/\\\\/g')\\\\f|; s|$|.txt|" |
  awk 'NR > 1 { printf "\n" } { printf "%s", $0 }' >"$dir/list.txt"

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
