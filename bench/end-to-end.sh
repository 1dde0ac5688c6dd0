#!/usr/bin/env bash
# The batch run through Hash.dll with its windows under Wine, in one run, each against its floor:
# a 1 GiB file in the page cache for MD5 and SHA-1 (floor: `openssl dgst` plus the window work
# alone), 2,000 files of 10 bytes (floor: the same files opened, read and closed with the window
# given what a run gives it), then the results window's loading of 20,000 and 100,000 lines. Wine,
# its server and openssl all run on one core (see bench/README.md).
#   bench/end-to-end.sh [BUILD_DIR]   (default build/windows; build it first)
#   RUNS=5 bench/end-to-end.sh        (runs per figure, default 3)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build/windows}" && pwd)
runs=${RUNS:-3}
for program in hash_end_to_end progress_floor; do
  [ -x "$build/bin/$program.exe" ] || { echo "build $program first (cmake --build --preset windows)" >&2; exit 2; }
done

work=$(mktemp -d /tmp/corvane-e2e.XXXXXX)
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)
export WINEPREFIX=$build/wineprefix
cleanup() { "$wineserver" -k 2>/dev/null || true; [ -n "${xvfb:-}" ] && kill "$xvfb"; rm -rf "$work"; }
trap cleanup EXIT
windows_path() { echo "Z:$1" | tr / '\\'; }
now() { date +%s.%N; }
calc() { awk "BEGIN { printf \"%.6f\", $1 }"; }
# Best and median of the figures on stdin, one a line.
best() { sort -g | head -n 1; }
median() { sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
pinned() { taskset -c 0 "$@"; }
# hash_end_to_end prints the run's seconds, then the results window's loading.
field() { cut -d' ' -f"$1" <"$2"; }

# One display for every run below.
if [ -z "${DISPLAY:-}" ]; then
  setsid Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
  xvfb=$!
  for _ in $(seq 1 200); do [ -s "$work/display" ] && break; sleep 0.05; done
  export DISPLAY=":$(tr -dc 0-9 <"$work/display")"
fi
# The server must start from a pinned Wine process, so that it inherits the one core.
"$wineserver" -k 2>/dev/null || true
"$wineserver" -w 2>/dev/null || true
wine_run() { pinned "$root/tools/wine-run.sh" "$build" "$build/bin/$1.exe" "${@:2}" | tr -d '\r'; }
# Each figure is taken $runs times; "$1" names the file the figures go to.
take() {
  local out=$1
  shift
  for _ in $(seq 1 "$runs"); do "$@"; done >"$out"
}
# Two figures taken in turn, $runs times each, so that a change in the machine's load falls on
# both sides of their ratio: alternate OUT1 COMMAND1 OUT2 COMMAND2 (commands without arguments).
alternate() {
  : >"$1"
  : >"$3"
  for _ in $(seq 1 "$runs"); do
    "$2" >>"$1"
    "$4" >>"$3"
  done
}
time_openssl() {
  local t0
  t0=$(now)
  pinned openssl dgst "-$1" "$2" >/dev/null
  calc "$(now) - $t0"
  echo
}

big=$work/big.bin
head -c 1073741824 /dev/zero | openssl enc -aes-128-ctr -nosalt -pass pass:corvane 2>/dev/null >"$big"
cat "$big" >/dev/null
windows_path "$big" | tr -d '\n' >"$work/big.list"

echo "load before: $(cut -d' ' -f1-3 /proc/loadavg); $runs runs per figure; seconds, best (median)"
take "$work/floor" wine_run progress_floor 16384
printf 'window work alone, 16,384 blocks: %.3f (%.3f), %.1f us per block\n\n' \
  "$(best <"$work/floor")" "$(median <"$work/floor")" "$(calc "$(best <"$work/floor") * 1e6 / 16384")"

printf '%-10s %16s %16s %16s %12s %12s\n' "1 GiB" "batch run" "openssl" "floor" \
  "batch/floor" "batch/openssl"
for algorithm in md5 sha1; do
  mode=0
  [ $algorithm = sha1 ] && mode=1
  big_ours() { wine_run hash_end_to_end "$mode" "$(windows_path "$work/big.list")"; }
  big_openssl() { time_openssl "$algorithm" "$big"; }
  alternate "$work/ours.both" big_ours "$work/openssl" big_openssl
  field 1 "$work/ours.both" >"$work/ours"
  for stat in best median; do
    ours=$($stat <"$work/ours")
    reference=$($stat <"$work/openssl")
    floor=$(calc "$reference + $($stat <"$work/floor")")
    eval "${stat}_ours=$ours ${stat}_reference=$reference ${stat}_floor=$floor"
  done
  # shellcheck disable=SC2154
  printf '%-10s %7.3f (%6.3f) %7.3f (%6.3f) %7.3f (%6.3f) %5.2f (%4.2f) %5.2f (%4.2f)\n' $algorithm \
    "$best_ours" "$median_ours" "$best_reference" "$median_reference" "$best_floor" \
    "$median_floor" "$(calc "$best_ours / $best_floor")" "$(calc "$median_ours / $median_floor")" \
    "$(calc "$best_ours / $best_reference")" "$(calc "$median_ours / $median_reference")"
done

# Files of 10 bytes, SHA-1: the run against the same files opened, read and closed with the window
# given everything a run gives it, without the hashing, the report and the results window.
mkdir "$work/small"
seq 1 2000 | awk -v dir="$work/small" '{
  file = sprintf("%s/s%05d.txt", dir, $1); printf "file %04d\n", $1 > file; close(file) }'
for f in "$work"/small/*.txt; do windows_path "$f"; done | head -c -1 >"$work/small.list"
small_ours() { wine_run hash_end_to_end 1 "$(windows_path "$work/small.list")"; }
small_floor() { wine_run progress_floor --files "$(windows_path "$work/small.list")"; }
alternate "$work/small.both" small_ours "$work/small.floor" small_floor
field 1 "$work/small.both" >"$work/small.ours"
printf '\n%-22s %16s %16s %12s %12s\n' "2,000 files of 10 B" "batch run" "floor" "batch/floor" \
  "ms per file"
printf '%-22s %7.3f (%6.3f) %7.3f (%6.3f) %5.2f (%4.2f) %5.3f (%5.3f)\n' sha1 \
  "$(best <"$work/small.ours")" "$(median <"$work/small.ours")" "$(best <"$work/small.floor")" \
  "$(median <"$work/small.floor")" \
  "$(calc "$(best <"$work/small.ours") / $(best <"$work/small.floor")")" \
  "$(calc "$(median <"$work/small.ours") / $(median <"$work/small.floor")")" \
  "$(calc "$(best <"$work/small.ours") * 1000 / 2000")" \
  "$(calc "$(median <"$work/small.ours") * 1000 / 2000")"

# The results window from its creation until it is on the screen, with a report of digest lines:
# the small files listed over and over.
printf '\n%-22s %16s %12s\n' "results loading" "seconds" "us per line"
for lines in 20000 100000; do
  awk -v n=$lines 'BEGIN { RS = "\n" } { path[NR] = $0 } END {
    for (i = 0; i < n; i++) printf "%s%s", (i ? "\n" : ""), path[i % NR + 1] }' \
    "$work/small.list" >"$work/lines.list"
  take "$work/lines.both" wine_run hash_end_to_end 1 "$(windows_path "$work/lines.list")"
  field 2 "$work/lines.both" >"$work/lines.load"
  printf '%-22s %7.3f (%6.3f) %5.2f (%4.2f)\n' "$lines lines" "$(best <"$work/lines.load")" \
    "$(median <"$work/lines.load")" "$(calc "$(best <"$work/lines.load") * 1e6 / $lines")" \
    "$(calc "$(median <"$work/lines.load") * 1e6 / $lines")"
done
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
