#!/usr/bin/env bash
# Sets up what is missing, builds both presets and runs every native and Windows test.
#
# The Windows build and its tests under Wine make the longest chain; the tests wait more than they
# compute. So the native build starts at once beside the Windows build and its tests run beside the
# Wine tests, filling the processors that the chain leaves idle. The native work runs at a lower
# priority, so that the Windows build is not held back and the Wine tests' windows answer as
# quickly as they would alone. The Windows tests' output follows the native tests' once both are
# done.
set -euo pipefail
cd "$(dirname "$0")/.."

tools/setup.sh
tools/check-layout.sh
mkdir -p build
native_build_log=build/native-build.log
{ cmake --preset native >/dev/null && nice cmake --build --preset native; } >"$native_build_log" 2>&1 &
native_build=$!
trap 'kill $(jobs -p) 2>/dev/null || true' EXIT

cmake --preset windows >/dev/null
cmake --build --preset windows
tools/check-imports.sh build/windows/bin

windows_log=build/windows/test-all.log
echo "Windows tests running under Wine; their output follows the native tests'"
ctest --preset windows >"$windows_log" 2>&1 &
windows_tests=$!

native_status=0
wait "$native_build" || native_status=$?
cat "$native_build_log"
if [ "$native_status" -eq 0 ]; then
  nice ctest --preset native || native_status=$?
fi

windows_status=0
wait "$windows_tests" || windows_status=$?
trap - EXIT
cat "$windows_log"
[ "$native_status" -eq 0 ] && [ "$windows_status" -eq 0 ]
