#!/bin/sh
# Runs the test programs of the given test folders of a build under
# valgrind's memcheck, JOBS at a time, each from its own folder with the
# offscreen display and the dummy sound device as ctest gives them.
# Usage: memcheck.sh BUILD_DIR JOBS FOLDER...
# Fails when valgrind finds an error in any of them or a test fails; the
# report of each program is in BUILD_DIR/memcheck/NAME.log.
set -e
build="$1"
jobs="$2"
shift 2
logs="$build/memcheck"
rm -rf "$logs"
mkdir -p "$logs"
here="$(cd "$(dirname "$0")" && pwd)"
programs=""
for folder in "$@"; do
  programs="$programs $(find "$build/$folder" -type f -name '*_test' -perm -u+x | sort)"
done
[ -n "$programs" ] || { echo "memcheck: no test programs under $build for: $*"; exit 1; }
# shellcheck disable=SC2086
printf '%s\n' $programs | xargs -P "$jobs" -I{} sh -c '
  program="$1"; logs="$2"; suppressions="$3"
  name=$(basename "$program")
  cd "$(dirname "$program")"
  if SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy valgrind -q --error-exitcode=99 \
       --leak-check=no --suppressions="$suppressions" --log-file="$logs/$name.log" \
       "./$name" --gtest_brief=1 >"$logs/$name.out" 2>&1; then
    echo "clean   $name"
  else
    echo "FAILED  $name (see $logs/$name.log and $logs/$name.out)"
    exit 1
  fi' sh {} "$(cd "$logs" && pwd)" "$here/memcheck.supp" || {
  echo "memcheck: errors found"
  exit 1
}
echo "memcheck: clean"
