#!/usr/bin/env bash
# Runs one Windows program under Wine: the cross build's test emulator and the project's launcher.
#   wine-run.sh BUILD_DIR PROGRAM [ARGS...]
# The prefix is BUILD_DIR/wineprefix, or $CORVANE_WINEPREFIX. The program runs in the prefix's
# session when one is up (tools/wine-session.sh; ctest starts one per prefix before the tests).
# A test that belongs to a session (CORVANE_WINE_SESSION=required) fails when it is not up.
# Otherwise, with a DISPLAY the program simply runs on it; without one it gets a session of its
# own for the length of its run (BUILD_DIR/bin/desktop-keeper.exe must be built). With
# CORVANE_WINE_DPI, a prefix it prepares gets that display DPI (tools/wine-session.sh).
set -uo pipefail

build_dir=$(cd "$1" && pwd) || exit 2
shift
[ $# -ge 1 ] || { echo "usage: wine-run.sh BUILD_DIR PROGRAM [ARGS...]" >&2; exit 2; }

tools=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=tools/wine-session.sh
. "$tools/wine-session.sh"
[ -x "$corvane_wine" ] || { echo "wine-run: Wine is not installed (run tools/setup.sh)" >&2; exit 2; }
prefix=${CORVANE_WINEPREFIX:-$build_dir/wineprefix}
corvane_wine_environment "$prefix"

# Runs the program with its output passed on while it runs, through files rather than our own
# output: whatever it starts and leaves running (an uninstaller's copy of itself, a helper Wine
# starts on demand) keeps the output it inherited, and a test runner waits for that to close.
run_program() {
  local output errors status
  output=$(mktemp) && errors=$(mktemp) || return 2
  "$corvane_wine" "$@" <&0 >"$output" 2>"$errors" &
  local program=$!
  tail -q -s 0.1 --pid=$program -c +1 -f "$output" &
  local output_tail=$!
  tail -q -s 0.1 --pid=$program -c +1 -f "$errors" >&2 &
  local errors_tail=$!
  wait $program
  status=$?
  wait $output_tail $errors_tail
  rm -f "$output" "$errors"
  return $status
}

if corvane_session_running "$prefix"; then
  DISPLAY=$(cat "$prefix.state/display") || exit 2
  export DISPLAY
  run_program "$@"
  exit
fi
if [ "${CORVANE_WINE_SESSION:-}" = required ]; then
  echo "wine-run: the Wine session of $prefix is not up (its start test failed, or it ended)" >&2
  [ -f "$prefix.state/session.log" ] && tail -n 20 "$prefix.state/session.log" >&2
  exit 2
fi
if [ -n "${DISPLAY:-}" ]; then
  corvane_wine_session "$prefix" && corvane_unmanaged_windows && corvane_wine_dpi || exit 2
  run_program "$@"
  exit
fi

"$tools/wine-session.sh" start "$prefix" "$build_dir/bin/desktop-keeper.exe" >/dev/null || exit 2
DISPLAY=$(cat "$prefix.state/display")
export DISPLAY
run_program "$@"
status=$?
"$tools/wine-session.sh" stop "$prefix"
exit $status
