#!/usr/bin/env bash
# Installs the Debian packages the project needs, and only those that are missing.
set -euo pipefail

packages=(
  cmake ninja-build g++                            # host build
  googletest libgtest-dev libbenchmark-dev         # tests and benchmarks
  libssl-dev openssl                               # reference digests for tests and benchmarks
  clang libclang-rt-14-dev                         # libFuzzer targets
  g++-mingw-w64-x86-64-posix mingw-w64-tools       # Windows cross build (g++, windres, widl)
  wine64 libwine-dev fonts-wine                    # Windows run time and its fonts; IDL files for widl
  xvfb imagemagick                                 # virtual display and screenshots
  nsis                                             # corvane-setup.exe
  osslsigncode                                     # Authenticode signatures of a signed build
  locales                                          # Russian, Japanese and Chinese systems in Wine
)
# The Wine tests of file names in other ANSI code pages run in these locales.
locales=(ru_RU ja_JP zh_CN)

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [ "$status" = "install ok installed" ] || missing+=("$p")
done
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

for l in "${locales[@]}"; do
  locale -a 2>/dev/null | grep -x "$l.utf8" >/dev/null || $sudo localedef -i "$l" -f UTF-8 "$l.UTF-8"
done
