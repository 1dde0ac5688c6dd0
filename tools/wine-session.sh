#!/usr/bin/env bash
# One Wine session per prefix: a virtual display, the Wine server with its services, and the
# default desktop, started once and detached from every program run in it, ended together.
#
#   wine-session.sh start PREFIX KEEPER   makes PREFIX when missing (a copy of $CORVANE_WINE_TEMPLATE
#                                         when that is a ready prefix), starts its session and waits
#                                         until the desktop is up; KEEPER is desktop-keeper.exe
#   wine-session.sh stop PREFIX           ends the session and its display
#   wine-session.sh template PREFIX       makes a ready prefix for others to copy, with no session
#
# With CORVANE_WINE_DPI set, start gives the prefix that display DPI (120 is 125 %, 144 is 150 %).
#
# The session's own output goes to PREFIX.state/session.log, never to whoever started it: Wine's
# daemons keep the standard output and error they were started with, and a test runner waits for
# a test's output to close. Programs run in the session through tools/wine-run.sh.
#
# Sourced, it offers the same to scripts that keep a session of their own:
#   corvane_wine_session PREFIX   sets the Wine environment, makes PREFIX when missing and, without
#                                 DISPLAY, starts an Xvfb that stays up until corvane_end_wine_session
#   corvane_hold_desktop KEEPER   starts the Wine session detached and waits for its desktop
#   corvane_unmanaged_windows     makes Wine draw window frames itself and skip the window manager
#                                 hand-shake, which only times out when no window manager runs
#   corvane_managed_windows       undoes it, for a display with a window manager
#   corvane_end_wine_session      ends the prefix's Wine processes and the Xvfb started here
# and runs programs with "$corvane_wine" PROGRAM ...

corvane_wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
corvane_wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)
corvane_xvfb_pid=""

corvane_wine_environment() {
  export WINEPREFIX=$1
  export WINEARCH=win64
  export WINEDEBUG=${WINEDEBUG:--all}
  # No Mono or Gecko install prompts: nothing here needs .NET or HTML. A test adds its own in
  # CORVANE_WINEDLLOVERRIDES: Wine's programs take them from the first one's environment.
  local overrides="mscoree=;mshtml=;winemenubuilder.exe=d"
  export WINEDLLOVERRIDES="${CORVANE_WINEDLLOVERRIDES:+$CORVANE_WINEDLLOVERRIDES;}$overrides"
}

# Starts an Xvfb that belongs to no terminal and no pipe; prints its pid and display.
corvane_start_xvfb() {
  local fd_file pid
  fd_file=$(mktemp)
  setsid Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fd_file" </dev/null \
    >/dev/null 2>&1 9>&- &
  pid=$!
  for _ in $(seq 1 200); do
    [ -s "$fd_file" ] && break
    sleep 0.05
  done
  if [ ! -s "$fd_file" ]; then
    rm -f "$fd_file"
    kill "$pid" 2>/dev/null
    echo "Xvfb did not start" >&2
    return 2
  fi
  echo "$pid :$(tr -dc 0-9 <"$fd_file")"
  rm -f "$fd_file"
}

# Runs a Wine program of the session's setup with its output in the log.
corvane_wine_quietly() {
  "$corvane_wine" "$@" </dev/null >>"$WINEPREFIX.state/session.log" 2>&1 9>&-
}

# Wine's own programs and tables, nine tenths of a prefix, are shared as hard links: nothing writes
# to them. Everything else gets a copy of its own.
corvane_copy_prefix() {
  local from=$1 to=$2
  rm -rf "$to"
  cp -al "$from" "$to" &&
    (cd "$from" && find . -type f ! \( -name '*.dll' -o -name '*.exe' -o -name '*.drv' -o \
      -name '*.sys' -o -name '*.nls' -o -name '*.ocx' -o -name '*.cpl' -o -name '*.acm' \) -print0 |
      xargs -0 cp -p --parents --remove-destination -t "$to")
}

# Makes $WINEPREFIX ready: a copy of the template, or a new prefix. Needs a display.
corvane_make_prefix() {
  [ -f "$WINEPREFIX/.corvane-ready" ] && return 0
  local template=${CORVANE_WINE_TEMPLATE:-}
  rm -rf "$WINEPREFIX"
  mkdir -p "$(dirname "$WINEPREFIX")" "$WINEPREFIX.state"
  if [ -n "$template" ] && [ "$template" != "$WINEPREFIX" ] && [ -f "$template/.corvane-ready" ]; then
    # A new prefix takes half a minute of both cores; a copy takes a moment.
    corvane_copy_prefix "$template" "$WINEPREFIX.copy" && mv "$WINEPREFIX.copy" "$WINEPREFIX" &&
      return 0
    rm -rf "$WINEPREFIX.copy"
    return 2
  fi
  corvane_wine_quietly wineboot --init || return 2
  corvane_stop_wine
  touch "$WINEPREFIX/.corvane-ready"
}

# The registry reaches the prefix's files when the server ends.
corvane_stop_wine() {
  "$corvane_wineserver" -k >/dev/null 2>&1 9>&-
  "$corvane_wineserver" -w >/dev/null 2>&1 9>&-
}

# No window manager runs on the virtual display: without this every window that goes waits two
# seconds for a manager's answer that never comes.
corvane_unmanaged_windows() {
  [ -f "$WINEPREFIX/.corvane-unmanaged" ] && return 0
  corvane_wine_quietly reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f || return 2
  corvane_stop_wine
  touch "$WINEPREFIX/.corvane-unmanaged"
}

corvane_managed_windows() {
  [ -f "$WINEPREFIX/.corvane-unmanaged" ] || return 0
  corvane_wine_quietly reg delete 'HKCU\Software\Wine\X11 Driver' /v Managed /f || return 2
  corvane_stop_wine
  rm -f "$WINEPREFIX/.corvane-unmanaged"
}

# Wine takes the DPI from the registry when its server starts; the value reaches the prefix's
# files when the server ends.
corvane_wine_dpi() {
  local dpi=${CORVANE_WINE_DPI:-}
  [ -n "$dpi" ] || return 0
  [ -f "$WINEPREFIX/.corvane-dpi-$dpi" ] && return 0
  corvane_wine_quietly reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f &&
    corvane_wine_quietly reg add 'HKCC\Software\Fonts' /v LogPixels /t REG_DWORD /d "$dpi" /f ||
    return 2
  corvane_stop_wine
  rm -f "$WINEPREFIX"/.corvane-dpi-*
  touch "$WINEPREFIX/.corvane-dpi-$dpi"
}

corvane_wine_session() {
  corvane_wine_environment "$1"
  [ -x "$corvane_wine" ] || { echo "Wine is not installed (run tools/setup.sh)" >&2; return 2; }
  mkdir -p "$WINEPREFIX.state"
  if [ -z "${DISPLAY:-}" ]; then
    local started
    started=$(corvane_start_xvfb) || return 2
    corvane_xvfb_pid=${started% *}
    export DISPLAY=${started#* }
    # For wine-session.sh stop, should this script be cut short.
    echo "$corvane_xvfb_pid" >"$WINEPREFIX.state/xvfb.pid"
  fi
  echo "$DISPLAY" >"$WINEPREFIX.state/display"
  corvane_make_prefix || { echo "the Wine prefix $WINEPREFIX could not be made" >&2; return 2; }
  corvane_wine_fonts || return 2
}

# Wine finds fonts in the prefix's Fonts folder and through fontconfig, never in its own font folder,
# and a new prefix gets none of them: captions then show the letter that stands for the close button
# in the symbol font, and dialogs a substitute for the sans-serif their templates name.
corvane_wine_fonts() {
  [ -f "$WINEPREFIX/.corvane-fonts" ] && return 0
  local fonts=/usr/share/wine/fonts
  [ -f "$fonts/marlett.ttf" ] || { echo "Wine's fonts are missing (run tools/setup.sh)" >&2; return 2; }
  mkdir -p "$WINEPREFIX/drive_c/windows/Fonts" &&
    cp -n "$fonts"/* "$WINEPREFIX/drive_c/windows/Fonts/" &&
    touch "$WINEPREFIX/.corvane-fonts"
}

corvane_hold_desktop() {
  local keeper=$1 log=$WINEPREFIX.state/session.log pid
  corvane_stop_wine
  : >"$log"
  # The keeper is the session's first process: the server, services and desktop it starts inherit
  # its output, the log.
  setsid "$corvane_wine" "$keeper" </dev/null >>"$log" 2>&1 9>&- &
  pid=$!
  echo "$pid" >"$WINEPREFIX.state/keeper.pid"
  while ! grep -q '^desktop up' "$log"; do
    if ! kill -0 "$pid" 2>/dev/null; then
      wait "$pid"
      echo "the Wine session of $WINEPREFIX did not come up (the keeper ended with $?):" >&2
      tail -n 20 "$log" >&2
      return 2
    fi
    sleep 0.1
  done
}

corvane_end_wine_session() {
  corvane_stop_wine
  rm -f "$WINEPREFIX.state/keeper.pid" "$WINEPREFIX.state/display"
  if [ -n "$corvane_xvfb_pid" ]; then
    kill "$corvane_xvfb_pid" 2>/dev/null
    wait "$corvane_xvfb_pid" 2>/dev/null
    corvane_xvfb_pid=""
    rm -f "$WINEPREFIX.state/xvfb.pid"
  fi
}

# Z: is the Unix root in every Wine prefix.
corvane_windows_path() {
  local path
  path=$(realpath -m "$1")
  printf 'Z:%s' "${path//\//\\}"
}

# True when the session of the prefix named runs: its keeper is alive.
corvane_session_running() {
  local pid
  pid=$(cat "$1.state/keeper.pid" 2>/dev/null) && [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null
}

corvane_session_main() {
  set -uo pipefail
  local command=${1:-} prefix=${2:-}
  [ -n "$prefix" ] || { sed -n '2,13p' "$0" | sed 's/^# \{0,1\}//' >&2; return 2; }
  mkdir -p "$(dirname "$prefix")"
  prefix=$(cd "$(dirname "$prefix")" && pwd)/$(basename "$prefix")
  local state=$prefix.state
  mkdir -p "$state"
  # One start or stop of a prefix at a time. Nothing started here may keep the lock (9>&-): the
  # daemons would hold it for as long as the session lasts.
  exec 9>"$state/lock"
  flock 9
  unset DISPLAY
  case $command in
  start)
    local keeper=${3:?desktop-keeper.exe}
    corvane_session_stop "$prefix"
    corvane_wine_session "$prefix" && corvane_unmanaged_windows && corvane_wine_dpi || {
      corvane_session_stop "$prefix"
      return 2
    }
    corvane_hold_desktop "$keeper" || {
      corvane_session_stop "$prefix"
      return 2
    }
    echo "Wine session of $prefix is up on display $DISPLAY"
    ;;
  stop) corvane_session_stop "$prefix" ;;
  template)
    corvane_wine_session "$prefix" && corvane_unmanaged_windows
    local status=$?
    corvane_end_wine_session
    return $status
    ;;
  *)
    echo "wine-session.sh: unknown command '$command'" >&2
    return 2
    ;;
  esac
}

# Ends whatever session the prefix has, also one left behind by a run that was cut short.
corvane_session_stop() {
  local prefix=$1 state=$1.state
  [ -d "$prefix" ] && WINEPREFIX=$prefix corvane_stop_wine
  local xvfb
  xvfb=$(cat "$state/xvfb.pid" 2>/dev/null)
  if [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null; then
    for _ in $(seq 1 100); do
      kill -0 "$xvfb" 2>/dev/null || break
      sleep 0.05
    done
  fi
  rm -f "$state/xvfb.pid" "$state/display" "$state/keeper.pid"
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  corvane_session_main "$@"
fi
