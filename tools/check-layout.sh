#!/usr/bin/env bash
# Holds the sources and the README's layout table to the build's link graph, which the configure
# step writes to layout.tsv (cmake/CorvaneLayout.cmake). Fails when a component's quoted #include
# names a header of a folder its target may not include, when the table names another target for a
# folder or misses a component, and when its "May include" column names other folders than the
# graph gives. Tests and benchmarks may include anything.
#   tools/check-layout.sh [BUILD_DIR]   the windows preset's tree, configured first, unless given
set -euo pipefail
cd "$(dirname "$0")/.."

tree=${1:-}
if [[ -z $tree ]]; then
  tree=build/windows
  cmake --preset windows >/dev/null
fi
layout=$tree/layout.tsv
[[ -f $layout ]] || { echo "$layout is missing: configure $tree first" >&2; exit 2; }

# Folders holding a library or a program other than a test's or a benchmark's, and what each may
# include besides itself.
declare -A allowed folder_of
while IFS=$'\t' read -r folder target type folders; do
  folder_of[$target]=$folder
  [[ $type == UTILITY || $folder == tests || $folder == tests/* || $folder == bench ]] && continue
  allowed[$folder]="${allowed[$folder]:-} $folders"
done <"$layout"

status=0
fail() {
  echo "$*"
  status=1
}

for folder in "${!allowed[@]}"; do
  for file in "$folder"/*.h "$folder"/*.cpp; do
    [[ -e $file ]] || continue
    while IFS= read -r included; do
      included_folder=$(dirname "$included")
      [[ " ${allowed[$folder]} " == *" $included_folder "* ]] ||
        fail "$file includes $included: $folder may include ${allowed[$folder]# }"
    done < <(sed -n 's/^#include "\(.*\)"/\1/p' "$file")
  done
done

# The layout table: | `folder/` | `target` | what it holds | may include |
declare -A described
while IFS='|' read -r _ folder_cell target_cell _ include_cell _; do
  folder=$(sed -n 's/^ *`\(.*\)\/` *$/\1/p' <<<"$folder_cell")
  target=$(sed -n 's/^ *`\(.*\)` *$/\1/p' <<<"$target_cell")
  [[ -n $folder && -n $target ]] || continue
  described[$folder]=1
  if [[ ${folder_of[$target]:-} != "$folder" ]]; then
    fail "README: the build has no target $target in $folder/"
    continue
  fi
  [[ -v allowed[$folder] ]] || continue
  expected=$(tr ' ' '\n' <<<"${allowed[$folder]}" | grep -vx -e "$folder" -e '' | sort -u || true)
  listed=$(grep -o '`[^`]*/`' <<<"$include_cell" | tr -d '`' | sed 's|/$||' | sort -u || true)
  [[ $listed == "$expected" ]] ||
    fail "README: the row of $folder/ must say it may include $(paste -sd " " <<<"$expected")"
done < <(sed -n '/^## Layout/,/^## /p' README.md | grep '^| `')
for folder in "${!allowed[@]}"; do
  [[ -v described[$folder] ]] || fail "README: the layout table has no row for $folder/"
done
exit $status
