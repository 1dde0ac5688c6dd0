#!/usr/bin/env bash
# Fails when a component includes a header of a component the README's layout table does not let it
# include. Tests may include anything.
set -euo pipefail
cd "$(dirname "$0")/.."

# folder: what its quoted includes may name besides itself
declare -A allowed=(
  [common]=""
  [win32]=""
  [framework]="common"
  [hash/digest]=""
  [hash/core]="hash/digest common"
  [hash/dll]="hash/core hash/digest framework win32 common resources"
  [shell/core]=""
  [shell/registrar]="common"
  [shell/registrar_win32]="shell/registrar win32 common"
  [shell/dll]="shell/core shell/registrar_win32 shell/registrar win32 common resources"
  [tools/explorer]="win32 common"
  [tools/host]="tools/explorer win32 common"
  [tools/desktop-keeper]=""
)

status=0
for folder in "${!allowed[@]}"; do
  for file in "$folder"/*.h "$folder"/*.cpp; do
    [[ -e $file ]] || continue
    while IFS= read -r included; do
      ok=false
      for prefix in "$folder" ${allowed[$folder]}; do
        if [[ $included == "$prefix"/* && $included != "$prefix"/*/* ]] ||
           [[ $prefix == resources && $included == resources/* ]]; then
          ok=true
        fi
      done
      if ! $ok; then
        echo "$file includes $included"
        status=1
      fi
    done < <(sed -n 's/^#include "\(.*\)"/\1/p' "$file")
  done
done
exit $status
