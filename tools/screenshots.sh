#!/usr/bin/env bash
# Photographs the hash module's windows on the virtual display as PNG files.
#   tools/screenshots.sh [BUILD_DIR]             the README's pictures in docs/screenshots/: the
#                                                progress, results and digest entry windows at 100 %,
#                                                the progress and results windows at 150 %
#   tools/screenshots.sh --every DIR [BUILD_DIR] every window at 100, 125, 150 and 200 % in DIR
# BUILD_DIR defaults to build/windows, configured with the windows preset. Each scale other than
# 100 % runs in a prefix of its own, a copy of the build's template with that DPI.
set -euo pipefail
cd "$(dirname "$0")/.."

every=""
if [ "${1:-}" = --every ]; then
  every=$(mkdir -p "$2" && cd "$2" && pwd)
  shift 2
fi
build=${1:-build/windows}
[ -f "$build/build.ninja" ] || cmake --preset windows -B "$build" >/dev/null
build=$(cd "$build" && pwd)
cmake --build "$build" --target hash_screenshots Hash desktop-keeper wine_template_prefix

shots=$(mktemp -d)
trap 'rm -rf "$shots"' EXIT

# photograph PERCENT NAME...: the windows named, as NAME.png at 100 %, NAME_PERCENT.png otherwise.
photograph() {
  local percent=$1 dpi=$(($1 * 96 / 100)) out=${every:-docs/screenshots} suffix=""
  shift
  rm -f "$shots"/*.bmp
  if [ "$percent" = 100 ]; then
    tools/wine-run.sh "$build" "$build/bin/hash_screenshots.exe" "Z:$shots"
  else
    suffix=_$percent
    CORVANE_WINEPREFIX=$build/wineprefix-dpi$dpi CORVANE_WINE_DPI=$dpi \
      CORVANE_WINE_TEMPLATE=$build/wine-template \
      tools/wine-run.sh "$build" "$build/bin/hash_screenshots.exe" "Z:$shots"
  fi
  mkdir -p "$out"
  for name in "$@"; do
    convert "$shots/$name.bmp" "$out/$name$suffix.png"
    echo "$out/$name$suffix.png"
  done
}

if [ -n "$every" ]; then
  for percent in 100 125 150 200; do
    photograph "$percent" progress formatting results digest_entry verdict
  done
else
  photograph 100 progress results digest_entry
  photograph 150 progress results
fi
