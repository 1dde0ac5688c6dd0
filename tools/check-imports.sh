#!/usr/bin/env bash
# Fails when a shipped DLL imports anything but Windows system DLLs (the runtimes are linked in).
set -euo pipefail
bin_dir=$1
allowed='^(kernel32|user32|gdi32|advapi32|shell32|ole32|oleaut32|comctl32|comdlg32|msvcrt|shlwapi|uuid|riched20|riched32|api-ms-win-.*)\.dll$'
status=0
for dll in "$bin_dir"/Hash.dll "$bin_dir"/Corvane.dll; do
  [ -f "$dll" ] || { echo "$dll is missing" >&2; status=1; continue; }
  x86_64-w64-mingw32-objdump -f "$dll" | grep -q 'file format pei-x86-64' ||
    { echo "$dll is not a 64-bit PE file" >&2; status=1; }
  while read -r name; do
    lower=$(echo "$name" | tr 'A-Z' 'a-z')
    if ! [[ $lower =~ $allowed ]]; then
      echo "$dll imports $name, which is not a Windows system DLL" >&2
      status=1
    fi
  done < <(x86_64-w64-mingw32-objdump -p "$dll" | sed -n 's/^\tDLL Name: //p')
done
exit $status
