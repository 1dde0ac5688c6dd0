#!/usr/bin/env bash
# The main job: MD5 digests of files through the installed Corvane 2004 shell extension.
#
#   tools/run-main-job.sh [--headless] [FILE...]
#
# Sets up what is missing (tools/setup.sh), builds the windows preset's installer and shell host
# (reusing build/windows), installs Corvane 2004 with corvane-setup.exe /S into a private Wine prefix
# (build/main-job/wineprefix; skipped when the same files are installed already), and computes the
# MD5 digests of FILE... (default: the files in samples/) as Explorer would: through the context-menu
# handler, the progress window and the results window.
#
# With a DISPLAY (and without --headless) the windows appear for you to use. Otherwise the job runs on
# a virtual display, saves screenshots of the progress and results windows as PNG files in
# build/main-job/screenshots, prints the report's lines ("digest    name") on standard output and
# closes the windows itself. Progress messages go to standard error.
set -uo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${CORVANE_BUILD_DIR:-$root/build/windows}
job_dir=${CORVANE_MAIN_JOB_DIR:-$root/build/main-job}
shots_dir=$job_dir/screenshots

say() { echo "main-job: $*" >&2; }
die() {
  echo "main-job: error: $*" >&2
  exit 1
}

headless=0
files=()
for argument in "$@"; do
  case $argument in
  --headless) headless=1 ;;
  -h | --help)
    sed -n '2,15p' "$0" | sed 's/^# \{0,1\}//' >&2
    exit 0
    ;;
  *) files+=("$argument") ;;
  esac
done
[ -n "${DISPLAY:-}" ] || headless=1

if [ ${#files[@]} -eq 0 ]; then
  for sample in "$root"/samples/*; do
    [ -f "$sample" ] && files+=("$sample")
  done
fi
[ ${#files[@]} -gt 0 ] || die "no files to digest"
for file in "${files[@]}"; do
  [ -f "$file" ] || die "no such file: $file"
done

"$root/tools/setup.sh" || die "tools/setup.sh could not install the packages this job needs"

mkdir -p "$job_dir"
log=$job_dir/build.log
if [ ! -f "$build_dir/build.ninja" ]; then
  say "configuring the windows preset in $build_dir"
  cmake --preset windows -S "$root" -B "$build_dir" >"$log" 2>&1 || {
    tail -n 30 "$log" >&2
    die "configuring failed (log: $log)"
  }
fi
say "building corvane-setup.exe and corvane-host.exe (the first build takes a few minutes)"
cmake --build "$build_dir" -j2 --target corvane_setup corvane-host desktop-keeper >"$log" 2>&1 || {
  tail -n 30 "$log" >&2
  die "the build failed (log: $log)"
}
bin=$build_dir/bin

# shellcheck source=tools/wine-session.sh
. "$root/tools/wine-session.sh"
if [ $headless -eq 1 ]; then
  unset DISPLAY
fi
corvane_wine_session "$job_dir/wineprefix" || die "Wine could not be started"
trap corvane_end_wine_session EXIT
if [ $headless -eq 1 ]; then
  corvane_unmanaged_windows
else
  # A real desktop has a window manager.
  corvane_managed_windows
fi || die "Wine's window settings could not be changed"
corvane_hold_desktop "$bin/desktop-keeper.exe" || die "the Wine desktop did not come up"

installed=$WINEPREFIX/drive_c/Program\ Files/Corvane\ 2004
if cmp -s "$bin/Corvane.dll" "$installed/Corvane.dll" && cmp -s "$bin/Hash.dll" "$installed/Hash.dll" &&
  [ -f "$installed/Uninstall.exe" ]; then
  say "Corvane 2004 is installed in $WINEPREFIX"
else
  say "installing Corvane 2004 into $WINEPREFIX (corvane-setup.exe /S)"
  "$corvane_wine" "$bin/corvane-setup.exe" /S
  status=$?
  [ $status -eq 0 ] || die "corvane-setup.exe /S failed with exit code $status; nothing was installed"
fi

windows_files=()
for file in "${files[@]}"; do
  windows_files+=("$(corvane_windows_path "$file")")
done

if [ $headless -eq 0 ]; then
  say "MD5 of ${#files[@]} file(s): the windows are on $DISPLAY; close the results window when done"
  "$corvane_wine" "$bin/corvane-host.exe" --command md5 "${windows_files[@]}"
  exit $?
fi

rm -rf "$shots_dir"
mkdir -p "$shots_dir"
say "MD5 of ${#files[@]} file(s) on a virtual display"
# A Windows program ends its lines with CR LF.
"$corvane_wine" "$bin/corvane-host.exe" --command md5 --drive "$(corvane_windows_path "$shots_dir")" \
  "${windows_files[@]}" | tr -d '\r'
status=${PIPESTATUS[0]}
[ $status -eq 0 ] || die "corvane-host.exe failed with exit code $status"
shots=()
for name in progress results; do
  if [ -f "$shots_dir/$name.bmp" ]; then
    convert "$shots_dir/$name.bmp" "$shots_dir/$name.png" && rm -f "$shots_dir/$name.bmp" &&
      shots+=("$shots_dir/$name.png")
  fi
done
say "screenshots: ${shots[*]:-none}"
exit 0
