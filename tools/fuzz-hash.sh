#!/usr/bin/env bash
# Builds one of the hash module's fuzzers with clang's libFuzzer and runs it.
#   tools/fuzz-hash.sh text|report [SECONDS] [extra libFuzzer options...]
# The working corpus lives in build/<target>-fuzz/corpus, seeded from the committed one; copy
# inputs worth keeping (and every crasher) into tests/<target>_fuzz/corpus by hand.
set -euo pipefail
cd "$(dirname "$0")/.."

target=${1:?text or report}
shift
seconds=${1:-600}
shift || true
case "$target" in
  text) sources="hash/core/text_string.cpp hash/core/text_tokenizer.cpp" ;;
  report) sources="hash/core/report.cpp" ;;
  *) echo "unknown fuzz target: $target" >&2; exit 2 ;;
esac
out=build/$target-fuzz
mkdir -p "$out/corpus" "$out/artifacts"

# shellcheck disable=SC2086
clang++ -std=c++17 -O1 -g -I. -Wall -Wextra -Werror \
  -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
  "tests/${target}_fuzz/${target}_fuzz_target.cpp" $sources \
  -o "$out/${target}_fuzzer"

cp -n "tests/${target}_fuzz/corpus/"* "$out/corpus/" 2>/dev/null || true
exec "$out/${target}_fuzzer" "$out/corpus" "tests/${target}_fuzz/corpus" \
  -max_total_time="$seconds" -max_len=4096 -artifact_prefix="$out/artifacts/" \
  -print_final_stats=1 "$@"
