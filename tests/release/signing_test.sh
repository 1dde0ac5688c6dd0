#!/usr/bin/env bash
# A build configured with a certificate signs every shipped file (Authenticode, SHA-256): both DLLs,
# the host, the installer, and the uninstaller that the installer writes. A missing certificate
# stops the configuration, a wrong password the build, each saying why; the password stays out of
# the cache and the build's output. The certificate is a throwaway one made for this run. A second build tree, kept
# from run to run, builds the shipped targets only, from the objects of the build tested
# (reuse_object.sh): it links, strips, signs and packs.
#   signing_test.sh SOURCE_DIR BUILD_DIR TOOLCHAIN_FILE BUILD_TYPE
set -uo pipefail

src=$(cd "$1" && pwd)
build_dir=$(cd "$2" && pwd)
toolchain=$3
build_type=$4
work=$build_dir/signing-test
tree=$work/build
certs=$work/certs
shipped=(Hash.dll Corvane.dll corvane-host.exe corvane-setup.exe)

# shellcheck source=tests/support/check.sh
. "$(dirname "$0")/../support/check.sh"

# A root and a code-signing certificate it issued, the key in a PKCS#12 file under a password
# that appears nowhere else, so that finding it anywhere means it leaked.
rm -rf "$certs"
mkdir -p "$certs"
CORVANE_SIGNING_PASSWORD="pw-$RANDOM-$RANDOM-$RANDOM"
export CORVANE_SIGNING_PASSWORD
(
  cd "$certs" &&
    openssl req -x509 -newkey rsa:2048 -nodes -keyout ca.key -out ca.pem -days 2 \
      -subj "/CN=Corvane Test Root" -addext basicConstraints=critical,CA:TRUE \
      -addext keyUsage=critical,keyCertSign &&
    openssl req -newkey rsa:2048 -nodes -keyout signer.key -out signer.csr \
      -subj "/CN=Corvane Test Signer" &&
    printf '%s\n' basicConstraints=CA:FALSE keyUsage=critical,digitalSignature \
      extendedKeyUsage=codeSigning >signer.ext &&
    openssl x509 -req -in signer.csr -CA ca.pem -CAkey ca.key -CAcreateserial -days 2 \
      -extfile signer.ext -out signer.pem &&
    openssl pkcs12 -export -inkey signer.key -in signer.pem -out signer.pfx \
      -passout env:CORVANE_SIGNING_PASSWORD
) >"$work/certs.log" 2>&1 || {
  cat "$work/certs.log"
  echo "FAILED: openssl could not make the certificates"
  exit 1
}

# configure LOG CERTIFICATE: configures the signing tree with CERTIFICATE.
configure() {
  local launcher="bash;$src/tests/release/reuse_object.sh;$build_dir"
  cmake -S "$src" -B "$tree" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_BUILD_TYPE="$build_type" -DCORVANE_SIGNING_PFX="$2" \
    -DCMAKE_C_COMPILER_LAUNCHER="$launcher" -DCMAKE_CXX_COMPILER_LAUNCHER="$launcher" \
    >"$work/$1" 2>&1
}
# fails_saying LOG TEXT COMMAND...: COMMAND fails and LOG has TEXT, however CMake wrapped it.
fails_saying() {
  local log=$1 text=$2
  shift 2
  ! "$@" && tr -s ' \n' '  ' <"$work/$log" | grep -qF -- "$text"
}

check "a missing certificate stops the configuration and says so" \
  fails_saying missing.log "the certificate $certs/missing.pfx does not exist" \
  configure missing.log "$certs/missing.pfx"
configure configure.log "$certs/signer.pfx" || {
  tail -n 30 "$work/configure.log"
  echo "FAILED: the signing build could not be configured"
  exit 1
}

# build LOG TARGET [PASSWORD]: builds TARGET in the signing tree, its output in LOG.
build() {
  CORVANE_SIGNING_PASSWORD=${3-$CORVANE_SIGNING_PASSWORD} \
    cmake --build "$tree" --target "$2" -- -j2 >"$work/$1" 2>&1
}

# A new certificate has every shipped file made again. First the host alone, where signing has to
# fail.
check "a wrong password fails the build and says so" \
  fails_saying wrong-password.log "CORVANE_SIGNING_PASSWORD is not the password of $certs/signer.pfx" \
  build wrong-password.log corvane-host wrong

build build.log corvane_release_digests || {
  tail -n 30 "$work/build.log"
  echo "FAILED: the signed build failed"
  exit 1
}

verify() {
  if osslsigncode verify -CAfile "$certs/ca.pem" -in "$1" >"$work/verify.log" 2>&1 &&
    grep -q '^Message digest algorithm *: SHA256' "$work/verify.log"; then
    return 0
  fi
  cat "$work/verify.log"
  return 1
}
digests_match() {
  (cd "$tree/bin" && sha256sum --check --strict --quiet SHA256SUMS)
}
password_kept_out() {
  ! grep -rqF -- "$CORVANE_SIGNING_PASSWORD" "$tree/CMakeCache.txt" "$tree/build.ninja" \
    "$tree/CMakeFiles/rules.ninja" "$work"/*.log
}
for file in "${shipped[@]}"; do
  check "$file is signed with SHA-256 by the certificate given" verify "$tree/bin/$file"
done
check "SHA256SUMS lists the signed files" digests_match
check "the password is neither in the cache nor in the build files nor in any output" \
  password_kept_out

# The uninstaller is written by the installer at install time: install, then check what it wrote.
installed=$CORVANE_WINEPREFIX/drive_c/corvane-signed
"$src/tools/wine-run.sh" "$build_dir" "$tree/bin/corvane-setup.exe" /S '/D=C:\corvane-signed'
check "the signed installer installs silently" [ $? -eq 0 ]
check "the uninstaller it installs is signed with SHA-256 by the certificate given" \
  verify "$installed/Uninstall.exe"

checks_passed
