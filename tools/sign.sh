#!/usr/bin/env bash
# Authenticode-signs one shipped file in place (SHA-256). The build runs it on every shipped file,
# and makensis on the uninstaller and the installer, when configured with CORVANE_SIGNING_PFX.
#   CORVANE_SIGNING_PFX=<PKCS#12 file> [CORVANE_SIGNING_TIMESTAMP_URL=<RFC 3161 server>]
#   CORVANE_SIGNING_PASSWORD=<password> sign.sh FILE
# The password comes from the build's environment and reaches osslsigncode through a pipe, so that
# it shows on no command line and in no log.
set -euo pipefail

file=$1
pfx=${CORVANE_SIGNING_PFX:?}
fail() {
  echo "sign: $file: $*" >&2
  exit 1
}

[ -f "$pfx" ] || fail "the certificate $pfx (CORVANE_SIGNING_PFX) does not exist"
[ -n "${CORVANE_SIGNING_PASSWORD+set}" ] ||
  fail "CORVANE_SIGNING_PASSWORD is not set; the build needs the password of $pfx (empty for none)"

args=(sign -pkcs12 "$pfx" -h sha256 -n "Corvane 2004")
if [ -n "$CORVANE_SIGNING_PASSWORD" ]; then
  args+=(-readpass -)
else
  args+=(-pass "")
fi
[ -z "${CORVANE_SIGNING_TIMESTAMP_URL:-}" ] || args+=(-ts "$CORVANE_SIGNING_TIMESTAMP_URL")

signed=$file.signed
rm -f "$signed"
if ! output=$(printf %s "$CORVANE_SIGNING_PASSWORD" |
              osslsigncode "${args[@]}" -in "$file" -out "$signed" 2>&1); then
  rm -f "$signed"
  if grep -q 'Wrong password' <<<"$output"; then
    fail "CORVANE_SIGNING_PASSWORD is not the password of $pfx"
  fi
  printf '%s\n' "$output" >&2
  fail "osslsigncode could not sign it with $pfx"
fi
mv -f "$signed" "$file"
