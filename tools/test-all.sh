#!/usr/bin/env bash
# Sets up what is missing, builds both presets and runs every native and Windows test.
#
# The two builds run at once: each has stretches that keep only one processor busy (a
# precompiled header, a long compile, the links), which the other fills. The Wine tests then run
# alone: they drive real windows with the mouse, and work beside them makes the display answer
# late enough to lift a press between its button's press and release. The native tests follow.
set -euo pipefail
cd "$(dirname "$0")/.."

tools/setup.sh
tools/check-layout.sh
cmake --preset native >/dev/null
cmake --preset windows >/dev/null

mkdir -p build
native_build_log=build/native-build.log
cmake --build --preset native >"$native_build_log" 2>&1 &
native_build=$!
trap 'kill $(jobs -p) 2>/dev/null || true' EXIT
cmake --build --preset windows
native_status=0
wait "$native_build" || native_status=$?
trap - EXIT
cat "$native_build_log"
[ "$native_status" -eq 0 ]

tools/check-imports.sh build/windows/bin
ctest --preset windows
ctest --preset native
