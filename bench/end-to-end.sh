#!/usr/bin/env bash
# The batch run through Hash.dll with its windows under Wine, against `openssl dgst` on the same
# data, in one run: a 1 GiB file (in the page cache) for MD5 and SHA-1, 40 files of 5 MiB, then
# 10,000 files of 4 KiB.
#   bench/end-to-end.sh [BUILD_DIR]   (default build/windows; build it first)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build/windows}" && pwd)
runner=$root/tools/wine-run.sh
program=$build/bin/hash_end_to_end.exe
[ -x "$program" ] || { echo "build $program first (cmake --build --preset windows)" >&2; exit 2; }

work=$(mktemp -d /tmp/corvane-e2e.XXXXXX)
trap 'rm -rf "$work"' EXIT
windows_path() { echo "Z:$1" | tr / '\\'; }
now() { date +%s.%N; }
best_of_3() { sort -g | head -n 1; }
calc() { awk "BEGIN { printf \"%.6f\", $1 }"; }

# The slower of each pair decides nothing alone: every figure is the best of three runs.
time_openssl() {
  for _ in 1 2 3; do
    local t0; t0=$(now)
    openssl dgst "-$1" "$2" >/dev/null
    calc "$(now) - $t0"; echo
  done | best_of_3
}
time_hash() {
  for _ in 1 2 3; do "$runner" "$build" "$program" "$1" "$(windows_path "$2")"; done | tr -d '\r' | best_of_3
}
time_process() {
  for _ in 1 2 3; do
    local t0; t0=$(now)
    "$runner" "$build" "$program" "$1" "$(windows_path "$2")" >/dev/null
    calc "$(now) - $t0"; echo
  done | best_of_3
}

big=$work/big.bin
head -c 1073741824 /dev/zero | openssl enc -aes-128-ctr -nosalt -pass pass:corvane 2>/dev/null >"$big"
cat "$big" >/dev/null
windows_path "$big" | tr -d '\n' >"$work/big.list"

# One display for every run below.
if [ -z "${DISPLAY:-}" ]; then
  setsid Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
  xvfb=$!
  # Wine's server outlives the runs and would stay tied to a display that is gone.
  wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)
  trap 'WINEPREFIX=$build/wineprefix "$wineserver" -k 2>/dev/null; kill $xvfb; rm -rf "$work"' EXIT
  for _ in $(seq 1 200); do [ -s "$work/display" ] && break; sleep 0.05; done
  export DISPLAY=":$(tr -dc 0-9 <"$work/display")"
fi

# One look at the message queue per 64 KiB block is part of every run: what it costs here sets a
# floor under the ratio that no engine can lower.
look=$("$runner" "$build" "$program" --queue-look | tr -d '\r')
printf 'one look at the message queue: %s us, %.3f s per GiB (16,384 blocks)\n\n' "$look" \
  "$(calc "$look * 16384 / 1000000")"

printf '%-28s %10s %10s %8s %8s\n' "1 GiB file" "Hash (s)" "openssl" "ratio" "floor"
for algorithm in md5 sha1; do
  mode=0
  [ $algorithm = sha1 ] && mode=1
  ours=$(time_hash $mode "$work/big.list")
  reference=$(time_openssl $algorithm "$big")
  # The floor: openssl's own time plus the queue looks, as if our engines were exactly as fast.
  printf '%-28s %10.3f %10.3f %8.2f %8.2f\n' "$algorithm (batch run)" "$ours" "$reference" \
    "$(calc "$ours / $reference")" "$(calc "($reference + $look * 16384 / 1000000) / $reference")"
  whole=$(time_process $mode "$work/big.list")
  printf '%-28s %10.3f %10.3f %8.2f\n' "$algorithm (whole Wine process)" "$whole" "$reference" \
    "$(calc "$whole / $reference")"
done

# Middle-sized files: here the windows' work per file and per block shows most.
mkdir "$work/middle"
for i in $(seq 1 40); do
  dd if="$big" of="$work/middle/m$i.bin" bs=1M count=5 skip=$((i * 5)) status=none
done
for f in "$work"/middle/*.bin; do windows_path "$f"; done | head -c -1 >"$work/middle.list"
ours=$(time_hash 0 "$work/middle.list")
reference=$(for _ in 1 2 3; do
  t0=$(now); openssl dgst -md5 "$work"/middle/*.bin >/dev/null; calc "$(now) - $t0"; echo
done | best_of_3)
printf '\n%-28s %10.3f %10.3f %8.2f   %.1f ms per file\n' "40 files of 5 MiB, md5" "$ours" \
  "$reference" "$(calc "$ours / $reference")" "$(calc "$ours * 1000 / 40")"

mkdir "$work/many"
for i in $(seq 1 10000); do echo; done | awk -v dir="$work/many" '{
  file = sprintf("%s/f%05d.bin", dir, NR); printf "%4096s", NR > file; close(file) }'
for f in "$work"/many/*.bin; do windows_path "$f"; done | head -c -1 >"$work/many.list"
ours=$(time_hash 0 "$work/many.list")
printf '\n%-28s %10.3f s, %.3f ms per file\n' "10,000 files of 4 KiB, md5" "$ours" \
  "$(calc "$ours * 1000 / 10000")"
