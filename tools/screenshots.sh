#!/usr/bin/env bash
# Photographs the hash module's progress, results and digest entry windows on the virtual display
# and stores them as PNG files in docs/screenshots/.
#   tools/screenshots.sh [BUILD_DIR]     (default build/windows, configured with the windows preset)
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build/windows}
[ -f "$build/build.ninja" ] || cmake --preset windows -B "$build" >/dev/null
cmake --build "$build" --target hash_screenshots Hash

shots=$(mktemp -d)
trap 'rm -rf "$shots"' EXIT
tools/wine-run.sh "$build" "$build/bin/hash_screenshots.exe" "Z:$shots"

mkdir -p docs/screenshots
for name in progress results digest_entry; do
  convert "$shots/$name.bmp" "docs/screenshots/$name.png"
  echo "docs/screenshots/$name.png"
done
