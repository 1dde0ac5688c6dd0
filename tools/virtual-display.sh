# Sourced by scripts that run several Windows programs in one session of their own Wine prefix:
#   corvane_wine_session PREFIX   sets the Wine environment and, without DISPLAY, starts an Xvfb that
#                                 stays up (for screenshots) until corvane_end_wine_session.
#   corvane_headless_windows      makes Wine draw window frames itself and skip the window manager
#                                 hand-shake, which only times out when no window manager runs.
#   corvane_end_wine_session      ends the prefix's Wine processes and the Xvfb started here.
# Programs are then run with "$corvane_wine" PROGRAM ... (or through tools/wine-run.sh, which sees the
# DISPLAY and leaves the display alone).

corvane_wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
corvane_wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)
corvane_xvfb_pid=""

corvane_wine_session() {
  export WINEPREFIX=$1
  export WINEARCH=win64
  export WINEDEBUG=${WINEDEBUG:--all}
  export WINEDLLOVERRIDES="mscoree=;mshtml=;winemenubuilder.exe=d"
  [ -x "$corvane_wine" ] || { echo "Wine is not installed (run tools/setup.sh)" >&2; return 2; }
  mkdir -p "$(dirname "$WINEPREFIX")"
  if [ -z "${DISPLAY:-}" ]; then
    local fd_file
    fd_file=$(mktemp)
    setsid Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fd_file" >/dev/null 2>&1 &
    corvane_xvfb_pid=$!
    for _ in $(seq 1 200); do
      [ -s "$fd_file" ] && break
      sleep 0.05
    done
    if [ ! -s "$fd_file" ]; then
      rm -f "$fd_file"
      echo "Xvfb did not start" >&2
      return 2
    fi
    export DISPLAY=":$(tr -dc 0-9 <"$fd_file")"
    rm -f "$fd_file"
  fi
  if [ ! -f "$WINEPREFIX/.corvane-ready" ]; then
    "$corvane_wine" wineboot --init >/dev/null 2>&1
    "$corvane_wineserver" -w
    touch "$WINEPREFIX/.corvane-ready"
  fi
}

corvane_headless_windows() {
  [ -f "$WINEPREFIX/.corvane-headless" ] && return 0
  "$corvane_wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 &&
    "$corvane_wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1 &&
    touch "$WINEPREFIX/.corvane-headless"
}

corvane_end_wine_session() {
  "$corvane_wineserver" -k >/dev/null 2>&1
  "$corvane_wineserver" -w >/dev/null 2>&1
  if [ -n "$corvane_xvfb_pid" ]; then
    kill "$corvane_xvfb_pid" 2>/dev/null
    wait "$corvane_xvfb_pid" 2>/dev/null
    corvane_xvfb_pid=""
  fi
}

# Z: is the Unix root in every Wine prefix.
corvane_windows_path() {
  local path
  path=$(realpath -m "$1")
  printf 'Z:%s' "${path//\//\\}"
}
