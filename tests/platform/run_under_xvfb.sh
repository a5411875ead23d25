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
# (WIDTHxHEIGHTxDEPTH). The display is the first free one unless
# CORVALO_XVFB_DISPLAY names its number. -noreset: the server must not
# restart between two windows of the program.
server="-a"
if [ -n "$CORVALO_XVFB_DISPLAY" ]; then
  server="-n $CORVALO_XVFB_DISPLAY"
fi
# shellcheck disable=SC2086
exec xvfb-run $server -s "-screen 0 ${CORVALO_XVFB_SCREEN:-1024x768x24} -nolisten tcp -noreset" "$@"
