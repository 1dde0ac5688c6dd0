#!/usr/bin/env bash
# Fails when a shipped binary is not 64-bit or imports a library that the loader might take from the
# folder of the program it runs in: only the system's known libraries (KnownDLLs, whose system copy
# is always used) are allowed, besides those the README's "Libraries from the system folder" clears
# for one binary. Delay loads are refused: their helper loads by bare name. The runtimes are linked
# in.
set -euo pipefail
bin_dir=$1
known='^(advapi32|comdlg32|gdi32|kernel32|msvcrt|ole32|oleaut32|shell32|shlwapi|user32)\.dll$'
declare -A cleared=([Hash.dll]='^comctl32\.dll$')
status=0
for binary in Hash.dll Corvane.dll corvane-host.exe; do
  file=$bin_dir/$binary
  [ -f "$file" ] || { echo "$file is missing" >&2; status=1; continue; }
  x86_64-w64-mingw32-objdump -f "$file" | grep -q 'file format pei-x86-64' ||
    { echo "$file is not a 64-bit PE file" >&2; status=1; }
  headers=$(x86_64-w64-mingw32-objdump -p "$file")
  if ! grep -Eq '^Entry d 0+ 0+ Delay Import Directory' <<<"$headers"; then
    echo "$file has delay-loaded imports" >&2
    status=1
  fi
  while read -r name; do
    lower=$(echo "$name" | tr 'A-Z' 'a-z')
    if ! [[ $lower =~ $known || $lower =~ ${cleared[$binary]:-^$} ]]; then
      echo "$file imports $name, which is neither a known system DLL nor cleared in the README" >&2
      status=1
    fi
  done < <(sed -n 's/^\tDLL Name: //p' <<<"$headers")
done
exit $status
