#!/usr/bin/env bash
# Sets up what is missing, builds both presets and runs every native and Windows test.
#
# The Windows build goes first: its tests under Wine take longest and wait more than they compute,
# so they run while the native build and tests take up the rest of the processors. The native work
# runs at a lower priority, so that the Wine tests' windows answer as quickly as they would alone.
# The Windows tests' output follows the native tests' once both are done.
set -euo pipefail
cd "$(dirname "$0")/.."

tools/setup.sh
tools/check-layout.sh
cmake --preset windows >/dev/null
cmake --build --preset windows
tools/check-imports.sh build/windows/bin

windows_log=build/windows/test-all.log
echo "Windows tests running under Wine; their output follows the native tests'"
ctest --preset windows >"$windows_log" 2>&1 &
windows_tests=$!
trap 'kill "$windows_tests" 2>/dev/null || true' EXIT

native_status=0
{
  cmake --preset native >/dev/null &&
    nice cmake --build --preset native &&
    nice ctest --preset native
} || native_status=$?

windows_status=0
wait "$windows_tests" || windows_status=$?
trap - EXIT
cat "$windows_log"
[ "$native_status" -eq 0 ] && [ "$windows_status" -eq 0 ]
