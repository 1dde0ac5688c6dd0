#!/usr/bin/env bash
# What users did to the installer, one case a run, each in a fresh prefix and compared with the
# machine as it was before: removal after Corvane.dll was lost or broken, an upgrade that finds the
# earlier installation and a /D that moves it, a folder the code page cannot name (fresh, and over
# a working installation that a failed upgrade must leave alone), /D naming a file or a folder that
# cannot be made, and parent folders the installer made.
#   installer_cases_test.sh CASE BUILD_DIR FAILING_SETUP
set -uo pipefail

case_name=$1
bin=$(cd "$2" && pwd)/bin
failing_setup=$3
# The arguments below reach Wine as UTF-8; the code page of the programs stays the Western one.
export LC_ALL=C.UTF-8
# shellcheck source=tests/installer/installer_snapshot.sh
. "$(dirname "$0")/installer_snapshot.sh"
# A fresh copy of the template for every run: what a failed run left must not change the next.
cases=$(cd "$2" && pwd)/installer-cases
rm -rf "$cases/$case_name/wineprefix"
installer_session "$cases/$case_name"

server_key="Software\\Classes\\CLSID\\$clsid\\InprocServer32"
setup=$bin/corvane-setup.exe

# The registry value (name, or @) of a key in a snapshot, unquoted as Wine writes it.
value_of() {
  key_block "$work/$1.txt" "$2" | sed -n "s/^$3=\"\\(.*\\)\"\$/\\1/p" | sed 's/\\\\/\\/g'
}

# True when the Windows path names the same file as the Unix one.
names_file() {
  local unix
  hold_session
  unix=$("$wine" winepath -u "$1" 2>/dev/null) && cmp -s "$unix" "$2"
}

# The installer, silently, into FOLDER. /D= takes the rest of the command line as it stands, spaces
# included, where Wine would quote an argument with a space: cmd hands the line over unchanged.
setup_into() {
  run cmd /c "$(corvane_windows_path "${2:-$setup}") /S /D=$1"
}

# The uninstaller copies itself to the temporary folder and exits; the copy does the work, and the
# session ends when it has.
uninstall_from() {
  run "$1/Uninstall.exe" /S
  check "silent uninstall exits with 0" [ "$status" -eq 0 ]
  wait_for_programs
  restart_wine
}

mkdir -p "$drive_c/Keep"
echo "not a folder" >"$drive_c/Keep/file.txt"
restart_wine
snapshot before || {
  echo "FAILED: the registry could not be read"
  exit 1
}

case $case_name in
missing_dll)
  run "$setup" /S
  check "install exits with 0" [ "$status" -eq 0 ]
  rm -f "$installed/Corvane.dll"
  uninstall_from "$installed"
  snapshot uninstalled
  check "without Corvane.dll the uninstaller still removes every key registration wrote" \
    same_as_before uninstalled
  run "$setup" /S
  echo "no image" >"$installed/Corvane.dll"
  uninstall_from "$installed"
  snapshot broken_uninstalled
  check "with a broken Corvane.dll likewise" same_as_before broken_uninstalled
  ;;
upgrade_in_place)
  setup_into 'C:\Apps\Corvane'
  check "install into C:\\Apps\\Corvane exits with 0" [ "$status" -eq 0 ]
  snapshot installed
  run "$setup" /S
  check "the upgrade without /D exits with 0" [ "$status" -eq 0 ]
  snapshot upgraded
  check "the upgrade without /D stays in C:\\Apps\\Corvane and changes nothing else" \
    same_as_before upgraded installed
  setup_into 'C:\Moved\Corvane'
  check "the upgrade with /D elsewhere exits with 0" [ "$status" -eq 0 ]
  restart_wine
  snapshot moved
  check "the moved installation's server is registered in C:\\Moved\\Corvane" \
    [ "$(value_of moved "$server_key" @)" = 'C:\Moved\Corvane\Corvane.dll' ]
  check "the earlier folder and the parent the installer made for it are gone" \
    [ ! -e "$drive_c/Apps" ]
  uninstall_from "$drive_c/Moved/Corvane"
  snapshot uninstalled
  check "after uninstalling the moved installation, the machine is as before" \
    same_as_before uninstalled
  ;;
code_page)
  folder=$drive_c/Tools/Привет\ мир/Corvane
  setup_into 'C:\Tools\Привет мир\Corvane'
  check "install into a folder outside the code page exits with 0" [ "$status" -eq 0 ]
  snapshot installed
  check "the class's server names the installed Corvane.dll by a path in the code page" \
    names_file "$(value_of installed "$server_key" @)" "$folder/Corvane.dll"
  check "the registry names the installed Hash.dll by a path in the code page" \
    names_file "$(value_of installed 'Software\Corvane 2004' @)" "$folder/Hash.dll"
  uninstall_from "$folder"
  snapshot uninstalled
  check "after uninstalling, the machine is as before" same_as_before uninstalled
  ;;
code_page_over_default)
  run "$setup" /S
  check "the default install exits with 0" [ "$status" -eq 0 ]
  snapshot installed
  setup_into 'C:\Tools\Привет мир\Corvane' "$failing_setup"
  check "a failed move exits with 2" [ "$status" -eq 2 ]
  run "$failing_setup" /S
  check "a failed upgrade in place exits with 2" [ "$status" -eq 2 ]
  restart_wine
  snapshot failed
  check "after both, the earlier installation is as it was" same_as_before failed installed
  setup_into 'C:\Tools\Привет мир\Corvane'
  check "the move into a folder outside the code page exits with 0" [ "$status" -eq 0 ]
  restart_wine
  snapshot moved
  check "the earlier folder is gone" [ ! -e "$installed" ]
  check "the moved server names the new Corvane.dll" \
    names_file "$(value_of moved "$server_key" @)" "$drive_c/Tools/Привет мир/Corvane/Corvane.dll"
  uninstall_from "$drive_c/Tools/Привет мир/Corvane"
  snapshot uninstalled
  check "after uninstalling, the machine is as before" same_as_before uninstalled
  ;;
bad_target)
  setup_into 'C:\Keep\file.txt'
  check "/D naming a file exits with 2" [ "$status" -eq 2 ]
  setup_into 'C:\Keep\file.txt\Corvane'
  check "/D naming a folder that cannot be made exits with 2" [ "$status" -eq 2 ]
  restart_wine
  snapshot refused
  check "neither changed anything" same_as_before refused
  ;;
created_folders)
  setup_into 'C:\Keep\Outils spéciaux\Corvane'
  check "install into new folders below C:\\Keep exits with 0" [ "$status" -eq 0 ]
  check "the uninstall entry names the folder" \
    [ -f "$drive_c/Keep/Outils spéciaux/Corvane/Uninstall.exe" ]
  uninstall_from "$drive_c/Keep/Outils spéciaux/Corvane"
  snapshot uninstalled
  check "the uninstaller removes the folders the installer made and keeps C:\\Keep" \
    same_as_before uninstalled
  ;;
*)
  echo "unknown case $case_name"
  exit 2
  ;;
esac

checks_passed
