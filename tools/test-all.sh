#!/usr/bin/env bash
# Sets up what is missing, builds both presets and runs every native and Windows test.
set -euo pipefail
cd "$(dirname "$0")/.."

tools/setup.sh
tools/check-layout.sh
cmake --preset native >/dev/null
cmake --build --preset native
ctest --preset native
cmake --preset windows >/dev/null
cmake --build --preset windows
tools/check-imports.sh build/windows/bin
ctest --preset windows
