#!/usr/bin/env bash
# tools/run-main-job.sh without a display: installs Corvane 2004 into its own prefix, prints the MD5
# report of samples/ line by line, leaves PNG screenshots of the progress and results windows, and on
# a second run reuses the installation and digests just the files it is given.
#   main_job_test.sh BUILD_DIR
set -uo pipefail

build_dir=$(cd "$1" && pwd)
root=$(cd "$(dirname "$0")/../.." && pwd)
job_dir=$build_dir/main-job-test
errors=$job_dir/stderr.txt
mkdir -p "$job_dir"

# shellcheck source=tests/support/check.sh
. "$(dirname "$0")/../support/check.sh"

run_job() {
  env -u DISPLAY CORVANE_BUILD_DIR="$build_dir" CORVANE_MAIN_JOB_DIR="$job_dir" \
    "$root/tools/run-main-job.sh" "$@" 2>"$errors"
}

# A real picture of a window: a PNG of plausible size with more than a couple of colours.
is_window_picture() {
  local facts
  facts=$(identify -format '%m %w %h %k' "$1" 2>/dev/null) || return 1
  read -r format width height colours <<<"$facts"
  [ "$format" = PNG ] && [ "$width" -ge 200 ] && [ "$height" -ge 80 ] && [ "$colours" -gt 2 ]
}

expected='900150983cd24fb0d6963f7d28e17f72    abc.txt
57edf4a22be3c955ac49da2e2107b67a    digits.txt
d41d8cd98f00b204e9800998ecf8427e    empty.txt
f96b697d7cb7938d525a2f31aaf161d0    message-digest.txt
9e107d9d372bb6826bd81d3542a419d6    quick-brown-fox.txt'

output=$(run_job)
status=$?
check "the main job succeeds" [ $status -eq 0 ]
[ $status -eq 0 ] || cat "$errors"
check "it prints the MD5 line of every sample, in order" [ "$output" = "$expected" ]
[ "$output" = "$expected" ] || printf 'got:\n%s\n' "$output"
check "the progress window is captured" is_window_picture "$job_dir/screenshots/progress.png"
check "the results window is captured" is_window_picture "$job_dir/screenshots/results.png"
check "it names the screenshots" grep -q "screenshots: $job_dir/screenshots/progress.png" "$errors"

output=$(run_job "$root/samples/abc.txt")
status=$?
check "a second run succeeds" [ $status -eq 0 ]
[ $status -eq 0 ] || cat "$errors"
check "a second run reuses the installation" grep -q "Corvane 2004 is installed" "$errors"
check "a second run digests the file it is given" \
  [ "$output" = "900150983cd24fb0d6963f7d28e17f72    abc.txt" ]

output=$(run_job "$root/samples/no-such-file.txt")
status=$?
check "a missing file stops the job with a message" \
  [ $status -ne 0 ] && grep -q "no such file" "$errors" && [ -z "$output" ]

checks_passed
