#!/usr/bin/env bash
# Runs one Windows program under Wine: the cross build's test emulator and the project's launcher.
#   wine-run.sh BUILD_DIR PROGRAM [ARGS...]
# The private 64-bit prefix lives in BUILD_DIR/wineprefix and is initialised once. When no DISPLAY
# is set, one Xvfb shared by all concurrent runs of this build is started and stopped with the last.
set -uo pipefail

build_dir=$(cd "$1" && pwd) || exit 2
shift
[ $# -ge 1 ] || { echo "usage: wine-run.sh BUILD_DIR PROGRAM [ARGS...]" >&2; exit 2; }

wine_bin=$(command -v wine64 || echo /usr/lib/wine/wine64)
wineserver_bin=$(command -v wineserver || echo /usr/lib/wine/wineserver)
[ -x "$wine_bin" ] || { echo "wine-run: Wine is not installed (run tools/setup.sh)" >&2; exit 2; }

export WINEPREFIX=${CORVANE_WINEPREFIX:-$build_dir/wineprefix}
export WINEARCH=win64
export WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko install prompts: nothing here needs .NET or HTML.
export WINEDLLOVERRIDES="mscoree=;mshtml=;winemenubuilder.exe=d${WINEDLLOVERRIDES:+;$WINEDLLOVERRIDES}"

state_dir=$WINEPREFIX.state
mkdir -p "$state_dir"
lock=$state_dir/lock

start_display() {
  # Called with the lock held.
  local count=0 display_file=$state_dir/display pid_file=$state_dir/xvfb.pid
  [ -f "$state_dir/users" ] && count=$(cat "$state_dir/users")
  if [ "$count" -eq 0 ] || ! kill -0 "$(cat "$pid_file" 2>/dev/null)" 2>/dev/null; then
    local fd_file=$state_dir/displayfd
    : >"$fd_file"
    setsid Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fd_file" 8>&- >/dev/null 2>&1 &
    echo $! >"$pid_file"
    for _ in $(seq 1 200); do
      [ -s "$fd_file" ] && break
      sleep 0.05
    done
    [ -s "$fd_file" ] || { echo "wine-run: Xvfb did not start" >&2; return 1; }
    echo ":$(tr -dc 0-9 <"$fd_file")" >"$display_file"
    count=0
  fi
  echo $((count + 1)) >"$state_dir/users"
  DISPLAY=$(cat "$display_file")
  export DISPLAY
}

stop_display() {
  # Called with the lock held; the last user takes Wine and the display down together.
  local count
  count=$(cat "$state_dir/users" 2>/dev/null || echo 1)
  count=$((count - 1))
  echo "$count" >"$state_dir/users"
  if [ "$count" -le 0 ]; then
    "$wineserver_bin" -k >/dev/null 2>&1 8>&-
    "$wineserver_bin" -w >/dev/null 2>&1 8>&-
    kill "$(cat "$state_dir/xvfb.pid")" 2>/dev/null
    rm -f "$state_dir/users" "$state_dir/display"
  fi
}

own_display=0
exec 8>"$lock"
flock 8
if [ -z "${DISPLAY:-}" ]; then
  start_display || exit 2
  own_display=1
fi
if [ ! -f "$WINEPREFIX/.corvane-ready" ]; then
  "$wine_bin" wineboot --init >/dev/null 2>&1 8>&-
  "$wineserver_bin" -w 8>&-
  touch "$WINEPREFIX/.corvane-ready"
fi
if [ ! -f "$WINEPREFIX/.corvane-unmanaged" ]; then
  # No window manager runs on the virtual display: without this every hidden window waits two
  # seconds for a manager's answer that never comes.
  "$wine_bin" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 8>&-
  touch "$WINEPREFIX/.corvane-unmanaged"
fi
flock -u 8

"$wine_bin" "$@" 8>&-
status=$?

if [ $own_display -eq 1 ]; then
  flock 8
  stop_display
  flock -u 8
fi
exit $status
