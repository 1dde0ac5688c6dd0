#!/usr/bin/env bash
# The batch run through Hash.dll with its windows under Wine, against `openssl dgst` and against the
# floor (openssl's time plus the window work of a run alone), in one run: a 1 GiB file in the page
# cache for MD5 and SHA-1, then 10,000 files of 4 KiB. Wine, its server and openssl all run on one
# core (see bench/README.md).
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
  take "$work/ours" wine_run hash_end_to_end $mode "$(windows_path "$work/big.list")"
  take "$work/openssl" time_openssl $algorithm "$big"
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

mkdir "$work/many"
for i in $(seq 1 10000); do echo; done | awk -v dir="$work/many" '{
  file = sprintf("%s/f%05d.bin", dir, NR); printf "%4096s", NR > file; close(file) }'
for f in "$work"/many/*.bin; do windows_path "$f"; done | head -c -1 >"$work/many.list"
take "$work/many.times" wine_run hash_end_to_end 0 "$(windows_path "$work/many.list")"
printf '\n10,000 files of 4 KiB, md5: %.3f (%.3f), %.3f ms per file\n' "$(best <"$work/many.times")" \
  "$(median <"$work/many.times")" "$(calc "$(best <"$work/many.times") * 1000 / 10000")"
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
