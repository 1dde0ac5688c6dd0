#!/usr/bin/env bash
# Sourced by the installer's scripts: a Wine session of their own in the prefix WORK/wineprefix, and
# snapshots of the machine as an installer could change it, compared as the user would see them.
#   installer_session WORK   sets $wine, $work, $WINEPREFIX; ends the session on exit ($bin: the
#                            build's programs, desktop-keeper.exe among them)
#   run PROGRAM ARGS...      runs a program in the held session; its exit code in $status
#   restart_wine             ends the session and holds a new one, as a reboot would
#   wait_for_programs        lets the session end once its programs have, and waits for that
#   snapshot NAME            the registry (as Wine keeps it on disk) and the folders of drive C
#   same_as_before NAME [BASELINE]
#   check WHAT COMMAND...    counts $failures (tests/support/check.sh)
#   $clsid                   the class identifier, read from common/com_identifiers.h

# shellcheck source=tests/support/check.sh
. "$(dirname "${BASH_SOURCE[0]}")/../support/check.sh"

# shellcheck disable=SC2034 # for the scripts that source this
clsid=$(sed -n 's/^inline constexpr char kCorvaneShellClassId\[\] = "\(.*\)";$/\1/p' \
  "$(dirname "${BASH_SOURCE[0]}")/../../common/com_identifiers.h")

installer_session() {
  work=$1
  local root
  root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
  mkdir -p "$work"
  rm -f "$work"/*.txt "$work"/*.files "$work"/*.diff "$work"/wine.log
  # shellcheck source=tools/wine-session.sh
  . "$root/tools/wine-session.sh"
  corvane_wine_session "$work/wineprefix" || exit 2
  trap corvane_end_wine_session EXIT
  wine=$corvane_wine
  keeper=${bin:?}/desktop-keeper.exe
  drive_c=$WINEPREFIX/drive_c
  # shellcheck disable=SC2034 # for the scripts that source this
  installed=$drive_c/Program\ Files/Corvane\ 2004
}

# Write times are not state, and neither is the device-class tree, which Wine's display driver
# rewrites in every session, nor the console window's settings, which Wine writes when a console
# program first runs, sooner or later by load. Nor is Wine's debugger key: Wine's driver host
# (winedevice.exe) now and then crashes as a session starts under load, when services.exe hands it
# a driver before its own start has set up the plug-and-play manager (IoCreateDevice on a null
# driver, "read access to 0000000000000008"), and the debugger writes the key as it reads its
# settings. Our programs run to an exit code that the checks read; that crash is in $work/wine.log.
# Of the disk, everything but Windows and the profiles.
snapshot() {
  local name=$1 hive
  end_session
  : >"$work/$name.txt"
  for hive in system user; do
    sed -E 's/^(\[.*\]) [0-9]+$/\1/; /^#time=/d' "$WINEPREFIX/$hive.reg" |
      awk '/^\[/ { skip = index($0, "[System\\\\CurrentControlSet\\\\Control\\\\Class\\\\") == 1 ||
                          $0 == "[Console]" || index($0, "[Console\\\\") == 1 ||
                          $0 == "[Software\\\\Wine\\\\WineDbg]" }
           !skip' >>"$work/$name.txt" || return 1
  done
  (cd "$drive_c" && find . -path ./windows -prune -o -path ./users -prune -o -print | sort) \
    >"$work/$name.files"
}

# The values of one key (named with single backslashes) in a snapshot.
key_block() {
  local key=${2//\\/\\\\}
  KEY="[$key]" awk '$0 == ENVIRON["KEY"] { found = 1; next } found && /^\[/ { exit } found && NF { print }' "$1"
}

has_line() {
  key_block "$1" "$2" | grep -qxF -- "$3"
}

# Wine as packaged here ends a session the moment its last program exits: the server tells its
# services to stop at once, some of them still starting after a short program, and the next program
# joins a session on its way out. Programs therefore run in a session that desktop-keeper.exe holds
# from its start, settled, until a snapshot or wait_for_programs ends it. What Wine's own processes
# print, a crash's backtrace included, is kept in $work/wine.log.
hold_session() {
  corvane_session_running "$WINEPREFIX" && return 0
  corvane_hold_desktop "$keeper" || {
    echo "FAILED: the Wine session did not come up"
    exit 2
  }
}

end_session() {
  "$corvane_wineserver" -k >/dev/null 2>&1
  wait_for_end
}

wait_for_end() {
  "$corvane_wineserver" -w
  cat "$WINEPREFIX.state/session.log" >>"$work/wine.log" 2>/dev/null
  : >"$WINEPREFIX.state/session.log"
}

# A new session, as a reboot would: Wine then carries out pending file operations, such as the
# removal of the uninstaller's temporary copy.
restart_wine() {
  end_session
  hold_session
}

# For a program that leaves another behind to finish its work, as the uninstaller does.
wait_for_programs() {
  local pid
  pid=$(cat "$WINEPREFIX.state/keeper.pid" 2>/dev/null) && kill "$pid" 2>/dev/null
  wait_for_end
}

run() {
  hold_session
  "$wine" "$@"
  status=$?
}

# same_as_before SNAPSHOT [BASELINE]
same_as_before() {
  local baseline=${2:-before}
  diff -u "$work/$baseline.txt" "$work/$1.txt" >"$work/$1.diff" &&
    diff -u "$work/$baseline.files" "$work/$1.files" >>"$work/$1.diff" || {
    head -n 40 "$work/$1.diff"
    return 1
  }
}
