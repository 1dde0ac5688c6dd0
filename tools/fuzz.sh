#!/usr/bin/env bash
# Builds one fuzz target with clang's libFuzzer (the fuzz preset) and runs it.
#   tools/fuzz.sh registrar|text|report [SECONDS] [extra libFuzzer options...]
# The working corpus lives in build/fuzz/<target>/corpus, seeded from the committed one; copy
# inputs worth keeping (and every crasher) into tests/<target>_fuzz/corpus by hand.
set -euo pipefail
cd "$(dirname "$0")/.."

target=${1:?registrar, text or report}
shift
seconds=${1:-600}
shift || true
case "$target" in
  registrar) max_len=8192 ;;
  text | report) max_len=4096 ;;
  *) echo "unknown fuzz target: $target" >&2; exit 2 ;;
esac

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz --target "${target}_fuzzer"
fuzzer=build/fuzz/tests/${target}_fuzz/${target}_fuzzer
out=build/fuzz/$target
mkdir -p "$out/corpus" "$out/artifacts"
cp -n "tests/${target}_fuzz/corpus/"* "$out/corpus/" 2>/dev/null || true
exec "$fuzzer" "$out/corpus" "tests/${target}_fuzz/corpus" \
  -max_total_time="$seconds" -max_len="$max_len" -artifact_prefix="$out/artifacts/" \
  -print_final_stats=1 "$@"
