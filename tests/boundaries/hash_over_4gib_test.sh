#!/usr/bin/env bash
# A sparse file of more than 4 GiB through the whole Hash path under Wine; the digest in the
# results window must be the one openssl computes for it.
#   hash_over_4gib_test.sh BUILD_DIR HASH_RUN_EXE
set -euo pipefail
build=$(cd "$1" && pwd)
exe=$2
here=$(cd "$(dirname "$0")/../.." && pwd)

dir=$(mktemp -d "$build/over-4gib.XXXXXX")
trap 'rm -rf "$dir"' EXIT
file=$dir/big.bin
size=$((4 * 1024 * 1024 * 1024 + 12345))
truncate -s "$size" "$file"
# Some bytes that are not zero: at the start, across the 4 GiB line, at the very end.
printf 'start' | dd of="$file" conv=notrunc status=none
printf 'across the line' | dd of="$file" bs=1 seek=$((4 * 1024 * 1024 * 1024 - 7)) conv=notrunc status=none
printf 'end' | dd of="$file" bs=1 seek=$((size - 3)) conv=notrunc status=none

# What `openssl dgst -md5` and `md5sum` both give for these bytes. Computed once: reading the 4 GiB
# again on every run cost as much processor time as the run under test.
expected=fd8a88db4b6fb3f8054c7ae735f1329c
windows() { printf 'Z:%s' "$(printf '%s' "$1" | tr / '\\')"; }
windows "$file" >"$dir/list.txt"
"$here/tools/wine-run.sh" "$build" "$exe" "$(windows "$dir/list.txt")" 0 "$(windows "$dir/report.txt")"
shown=$(cat "$dir/report.txt")
if [ "$shown" != "$expected    big.bin" ]; then
  echo "results window shows: '$shown'; openssl says: $expected" >&2
  exit 1
fi
echo "MD5 of $size bytes: $expected, as openssl computes it"
