#!/usr/bin/env bash
# Compiler launcher of the signing test's build tree. The tested build has compiled every object
# already, and an object does not depend on the folder it was built in, so the tree takes that one
# instead of compiling it again; the depfile names it, so that a new one is taken when it changes.
# What the tested build lacks is compiled.
#   reuse_object.sh TESTED_BUILD_DIR COMPILER ARGS...   (ARGS with -o OBJECT -MF DEPFILE -c SOURCE)
set -uo pipefail

tested=$1
shift
object="" depfile="" source=""
args=("$@")
for ((i = 1; i < ${#args[@]}; i++)); do
  case ${args[i - 1]} in
    -o) object=${args[i]} ;;
    -MF) depfile=${args[i]} ;;
    -c) source=${args[i]} ;;
  esac
done

built=$tested/$object
if [ -z "$object" ] || [ -z "$depfile" ] || [ -z "$source" ] || [ ! -f "$built" ]; then
  exec "$@"
fi
escape() { printf '%s' "${1// /\\ }"; }
cp "$built" "$object" &&
  printf '%s: %s %s\n' "$(escape "$object")" "$(escape "$source")" "$(escape "$built")" >"$depfile"
