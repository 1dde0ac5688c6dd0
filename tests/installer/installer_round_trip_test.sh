#!/usr/bin/env bash
# corvane-setup.exe /S in a fresh Wine prefix installs the DLLs, names the hash module, registers the
# server, the handler for every file, the shell's approval and the uninstall entry; Uninstall.exe /S
# then leaves the registry and Program Files exactly as before. A server whose DllRegisterServer
# fails makes the installer stop with exit code 2 and leave nothing behind either.
#   installer_round_trip_test.sh BUILD_DIR MAKENSIS NSI FAILING_SERVER_DLL
set -uo pipefail

build_dir=$(cd "$1" && pwd)
makensis=$2
nsi=$3
failing_server=$4
bin=$build_dir/bin
work=$build_dir/installer-test
root=$(cd "$(dirname "$0")/../.." && pwd)

failures=0
check() {
  local what=$1
  shift
  if "$@"; then
    echo "ok: $what"
  else
    echo "FAILED: $what"
    failures=$((failures + 1))
  fi
}

mkdir -p "$work"
rm -f "$work"/*.txt "$work"/*.files "$work"/*.diff
# shellcheck source=tools/wine-session.sh
. "$root/tools/wine-session.sh"
corvane_wine_session "$work/wineprefix" || exit 2
trap corvane_end_wine_session EXIT
wine=$corvane_wine
program_files=$WINEPREFIX/drive_c/Program\ Files
installed=$program_files/Corvane\ 2004

# The machine's state as the installer could change it: the whole registry as Wine keeps it on disk
# (written when the server ends) and the program folders. Write times are not state, and neither is
# the device-class tree, which Wine's display driver rewrites in every session, nor the console
# window's settings, which Wine writes when a console program first runs, sooner or later by load.
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
  (cd "$WINEPREFIX/drive_c" && find "Program Files" "Program Files (x86)" | sort) >"$work/$name.files"
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

# same_as_before SNAPSHOT [BASELINE]
same_as_before() {
  local baseline=${2:-before}
  diff -u "$work/$baseline.txt" "$work/$1.txt" >"$work/$1.diff" &&
    diff -u "$work/$baseline.files" "$work/$1.files" >>"$work/$1.diff" || {
    head -n 40 "$work/$1.diff"
    return 1
  }
}

clsid='{6B0F4A10-52C3-4E7D-9A21-3C5D7E8F9A01}'
# The machine hive names its keys relative to HKLM.
hklm='Software'
# A run that was cut short may have left an installation behind.
if [ -f "$installed/Uninstall.exe" ]; then
  "$wine" "$installed/Uninstall.exe" /S
  "$corvane_wineserver" -w
fi
restart_wine
snapshot before || {
  echo "FAILED: the registry could not be read"
  exit 1
}

"$wine" "$bin/corvane-setup.exe" /S
status=$?
"$corvane_wineserver" -w
check "silent install exits with 0" [ $status -eq 0 ]
check "Corvane.dll is installed unchanged" cmp -s "$bin/Corvane.dll" "$installed/Corvane.dll"
check "Hash.dll is installed unchanged" cmp -s "$bin/Hash.dll" "$installed/Hash.dll"
check "the uninstaller is installed" [ -f "$installed/Uninstall.exe" ]
snapshot installed
after=$work/installed.txt
check "the hash module's path is the default value of HKLM\\Software\\Corvane 2004" \
  has_line "$after" "$hklm\\Corvane 2004" '@="C:\\Program Files\\Corvane 2004\\Hash.dll"'
check "the class is the context-menu handler of every file" \
  has_line "$after" "$hklm\\Classes\\*\\shellex\\ContextMenuHandlers\\Corvane 2004" "@=\"$clsid\""
check "the shell approves the class" \
  has_line "$after" "$hklm\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved" \
  "\"$clsid\"=\"Corvane 2004\""
check "DllRegisterServer registered the installed Corvane.dll as the class's server" \
  has_line "$after" "$hklm\\Classes\\CLSID\\$clsid\\InprocServer32" \
  '@="C:\\Program Files\\Corvane 2004\\Corvane.dll"'
check "the server is registered apartment-threaded" \
  has_line "$after" "$hklm\\Classes\\CLSID\\$clsid\\InprocServer32" '"ThreadingModel"="Apartment"'
uninstall_key="$hklm\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Corvane 2004"
check "the installed-programs list names Corvane 2004" \
  has_line "$after" "$uninstall_key" '"DisplayName"="Corvane 2004 - 64-bit Edition"'
check "the installed-programs list knows the uninstaller" \
  has_line "$after" "$uninstall_key" \
  '"UninstallString"="\"C:\\Program Files\\Corvane 2004\\Uninstall.exe\""'

# The uninstaller copies itself to the temporary folder and exits; the copy does the work.
"$wine" "$installed/Uninstall.exe" /S
status=$?
"$corvane_wineserver" -w
check "silent uninstall exits with 0" [ $status -eq 0 ]
restart_wine
snapshot uninstalled
check "after uninstalling, the registry and Program Files are as before the install" \
  same_as_before uninstalled

failing_setup=$work/corvane-setup-failing.exe
"$makensis" -V1 -DCORVANE_DLL="$failing_server" -DHASH_DLL="$bin/Hash.dll" \
  -DOUTFILE="$failing_setup" "$nsi" >/dev/null || {
  echo "FAILED: makensis could not build the installer with a failing server"
  exit 1
}
"$wine" "$failing_setup" /S
status=$?
"$corvane_wineserver" -w
check "a failing DllRegisterServer stops the silent install with exit code 2" [ $status -eq 2 ]
restart_wine
snapshot rolled_back
check "a failed install leaves the registry and Program Files as before" same_as_before rolled_back

# A machine without the parent keys of the handler and of the approval list: the installer creates
# them and the uninstaller removes them again.
"$wine" reg delete 'HKCR\*\shellex' /f >/dev/null 2>&1
"$wine" reg delete 'HKLM\Software\Microsoft\Windows\CurrentVersion\Shell Extensions' /f >/dev/null 2>&1
restart_wine
snapshot bare
"$wine" "$bin/corvane-setup.exe" /S
status=$?
"$corvane_wineserver" -w
check "silent install on a machine without the handler's parent keys exits with 0" [ $status -eq 0 ]
"$wine" "$installed/Uninstall.exe" /S
"$corvane_wineserver" -w
restart_wine
snapshot bare_uninstalled
check "the uninstaller removes the parent keys that the installer created" \
  same_as_before bare_uninstalled bare
# Put the machine back as Wine made it, for the next run.
"$wine" reg add 'HKCR\*\shellex\ContextMenuHandlers' /f >/dev/null 2>&1
"$wine" reg add 'HKLM\Software\Microsoft\Windows\CurrentVersion\Shell Extensions\Approved' /f \
  >/dev/null 2>&1

echo "$failures failure(s)"
[ $failures -eq 0 ]
