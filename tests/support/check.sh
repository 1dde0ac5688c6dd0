#!/usr/bin/env bash
# Sourced by the test scripts: each check says what it found, and the script fails at its end if
# any did not hold.
#   check WHAT COMMAND...   runs COMMAND; counts a failure in $failures
#   checks_passed           prints the count; true when nothing failed

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

checks_passed() {
  echo "$failures failure(s)"
  [ "$failures" -eq 0 ]
}
