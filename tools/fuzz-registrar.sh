#!/usr/bin/env bash
# Builds the registration-script fuzzer with clang's libFuzzer and runs it.
#   tools/fuzz-registrar.sh [SECONDS] [extra libFuzzer options...]
# The working corpus lives in build/registrar-fuzz/corpus, seeded from the committed one; copy
# inputs worth keeping (and every crasher) into tests/registrar_fuzz/corpus by hand.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-600}
shift || true
out=build/registrar-fuzz
mkdir -p "$out/corpus" "$out/artifacts"

clang++ -std=c++17 -O1 -g -I. -Wall -Wextra -Werror \
  -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
  tests/registrar_fuzz/registrar_fuzz_target.cpp \
  common/diagnostic_trace.cpp shell/registrar/replacement_map.cpp \
  shell/registrar/script_reader.cpp shell/registrar/registrar.cpp tests/doubles/memory_registry.cpp \
  -o "$out/registrar_fuzzer"

cp -n tests/registrar_fuzz/corpus/* "$out/corpus/" 2>/dev/null || true
exec "$out/registrar_fuzzer" "$out/corpus" tests/registrar_fuzz/corpus \
  -max_total_time="$seconds" -max_len=8192 -artifact_prefix="$out/artifacts/" \
  -print_final_stats=1 "$@"
