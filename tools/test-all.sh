#!/usr/bin/env bash
# Sets up what is missing, builds both presets and runs every native and Windows test.
#
# The native build and tests run beside the Windows build: each build has stretches that keep only
# one processor busy (a precompiled header, a long compile, the links), which the other side fills.
# The Wine tests then run alone: they drive real windows with the mouse, and work beside them makes
# the display answer late enough to lift a press between its button's press and release.
set -euo pipefail
cd "$(dirname "$0")/.."

tools/setup.sh
tools/check-layout.sh
cmake --preset native >/dev/null
cmake --preset windows >/dev/null

mkdir -p build
native_log=build/native.log
{ cmake --build --preset native && ctest --preset native; } >"$native_log" 2>&1 &
native=$!
trap 'kill $(jobs -p) 2>/dev/null || true' EXIT
cmake --build --preset windows
native_status=0
wait "$native" || native_status=$?
trap - EXIT
cat "$native_log"
[ "$native_status" -eq 0 ]

tools/check-imports.sh build/windows/bin
ctest --preset windows
