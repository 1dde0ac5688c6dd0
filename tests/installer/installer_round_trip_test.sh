#!/usr/bin/env bash
# corvane-setup.exe /S in a fresh Wine prefix installs the DLLs, names the hash module, registers the
# server, the handler for every file, the shell's approval and the uninstall entry; Uninstall.exe /S
# then leaves the registry and Program Files exactly as before. A server whose DllRegisterServer
# fails makes the installer stop with exit code 2 and leave nothing behind either.
#   installer_round_trip_test.sh BUILD_DIR FAILING_SETUP
set -uo pipefail

failing_setup=$2
bin=$(cd "$1" && pwd)/bin
# shellcheck source=tests/installer/installer_snapshot.sh
. "$(dirname "$0")/installer_snapshot.sh"
installer_session "$(cd "$1" && pwd)/installer-test"

# The machine hive names its keys relative to HKLM.
hklm='Software'
# A run that was cut short may have left an installation behind.
if [ -f "$installed/Uninstall.exe" ]; then
  run "$installed/Uninstall.exe" /S
  wait_for_programs
fi
restart_wine
snapshot before || {
  echo "FAILED: the registry could not be read"
  exit 1
}

run "$bin/corvane-setup.exe" /S
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
run "$installed/Uninstall.exe" /S
wait_for_programs
check "silent uninstall exits with 0" [ $status -eq 0 ]
restart_wine
snapshot uninstalled
check "after uninstalling, the registry and Program Files are as before the install" \
  same_as_before uninstalled

run "$failing_setup" /S
check "a failing DllRegisterServer stops the silent install with exit code 2" [ $status -eq 2 ]
restart_wine
snapshot rolled_back
check "a failed install leaves the registry and Program Files as before" same_as_before rolled_back

# A machine without the parent keys of the handler and of the approval list: the installer creates
# them and the uninstaller removes them again.
run reg delete 'HKCR\*\shellex' /f >/dev/null 2>&1
run reg delete 'HKLM\Software\Microsoft\Windows\CurrentVersion\Shell Extensions' /f >/dev/null 2>&1
restart_wine
snapshot bare
run "$bin/corvane-setup.exe" /S
check "silent install on a machine without the handler's parent keys exits with 0" [ $status -eq 0 ]
run "$installed/Uninstall.exe" /S
wait_for_programs
restart_wine
snapshot bare_uninstalled
check "the uninstaller removes the parent keys that the installer created" \
  same_as_before bare_uninstalled bare
# Put the machine back as Wine made it, for the next run.
run reg add 'HKCR\*\shellex\ContextMenuHandlers' /f >/dev/null 2>&1
run reg add 'HKLM\Software\Microsoft\Windows\CurrentVersion\Shell Extensions\Approved' /f \
  >/dev/null 2>&1

checks_passed
