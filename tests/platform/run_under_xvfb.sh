#!/bin/sh
# Runs a test program on a virtual X server of its own. Exits 77 (counted as
# skipped by ctest) when the X tools are not installed.
for tool in xvfb-run xauth xdotool; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "skipped: $tool is not installed (scripts/setup.sh installs it)"
    exit 77
  fi
done
# The screen is 1024x768 unless CORVALO_XVFB_SCREEN names another
# (WIDTHxHEIGHTxDEPTH). -noreset: the server must not restart between two
# windows of the program.
exec xvfb-run -a -s "-screen 0 ${CORVALO_XVFB_SCREEN:-1024x768x24} -nolisten tcp -noreset" "$@"
