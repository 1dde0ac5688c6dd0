#!/usr/bin/env bash
# Sourced by the installer's scripts: a Wine session of their own in the prefix WORK/wineprefix, and
# snapshots of the machine as an installer could change it, compared as the user would see them.
#   installer_session WORK   sets $wine, $work, $WINEPREFIX; ends the session on exit
#   snapshot NAME            the registry (as Wine keeps it on disk) and the folders of drive C
#   same_as_before NAME [BASELINE]
#   check WHAT COMMAND...    counts $failures (tests/support/check.sh)

# shellcheck source=tests/support/check.sh
. "$(dirname "${BASH_SOURCE[0]}")/../support/check.sh"

installer_session() {
  work=$1
  local root
  root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
  mkdir -p "$work"
  rm -f "$work"/*.txt "$work"/*.files "$work"/*.diff
  # shellcheck source=tools/wine-session.sh
  . "$root/tools/wine-session.sh"
  corvane_wine_session "$work/wineprefix" || exit 2
  trap corvane_end_wine_session EXIT
  wine=$corvane_wine
  drive_c=$WINEPREFIX/drive_c
  # shellcheck disable=SC2034 # for the scripts that source this
  installed=$drive_c/Program\ Files/Corvane\ 2004
}

# Write times are not state, and neither is the device-class tree, which Wine's display driver
# rewrites in every session, nor the console window's settings, which Wine writes when a console
# program first runs, sooner or later by load. Of the disk, everything but Windows and the profiles.
snapshot() {
  local name=$1 hive
  "$corvane_wineserver" -k >/dev/null 2>&1
  "$corvane_wineserver" -w
  : >"$work/$name.txt"
  for hive in system user; do
    sed -E 's/^(\[.*\]) [0-9]+$/\1/; /^#time=/d' "$WINEPREFIX/$hive.reg" |
      awk '/^\[/ { skip = index($0, "[System\\\\CurrentControlSet\\\\Control\\\\Class\\\\") == 1 ||
                          $0 == "[Console]" || index($0, "[Console\\\\") == 1 }
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

# Ends the session and starts a new one, as a reboot would: Wine then carries out pending file
# operations, such as the removal of the uninstaller's temporary copy, and settles a new prefix.
restart_wine() {
  "$corvane_wineserver" -k >/dev/null 2>&1
  "$corvane_wineserver" -w
  "$wine" cmd /c exit >/dev/null 2>&1
}

# Runs a Wine program to its end; its exit code in $status. The session stays up for the next one.
run() {
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
