#!/bin/sh
# Runs a test program on a virtual X server of its own, on the first free
# display: the server picks its number itself (-displayfd) and says it
# once it takes connections, so two checks, or another server on the
# machine, never meet. Exits 77 (counted as skipped by ctest) when the X
# tools are not installed.
#   run_under_xvfb.sh PROGRAM [ARGUMENT...]
for tool in Xvfb xdotool; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "skipped: $tool is not installed (scripts/setup.sh installs it)"
    exit 77
  fi
done
# The screen is 1024x768 unless CORVALO_XVFB_SCREEN names another
# (WIDTHxHEIGHTxDEPTH). -noreset: the server must not restart between two
# windows of the program.
work=$(mktemp -d "${TMPDIR:-/tmp}/corvalo-xvfb-XXXXXX")
Xvfb -displayfd 3 -screen 0 "${CORVALO_XVFB_SCREEN:-1024x768x24}" -nolisten tcp -noreset \
  3>"$work/display" >"$work/server.log" 2>&1 &
server=$!
stop() {
  kill "$server" 2>/dev/null
  wait "$server" 2>/dev/null
  rm -rf "$work"
}
trap 'stop; exit 1' INT TERM
# The server writes its number when it is ready; a loaded machine may take
# a while, so the limit is generous.
limit=${CORVALO_XVFB_START_SECONDS:-60}
waited=0
while ! grep -q '^[0-9][0-9]*$' "$work/display" 2>/dev/null; do
  if ! kill -0 "$server" 2>/dev/null; then
    echo "the X server did not start:"
    cat "$work/server.log"
    stop
    exit 1
  fi
  if [ "$waited" -ge $((limit * 10)) ]; then
    echo "timed out waiting for X: no display after $limit s"
    stop
    exit 1
  fi
  sleep 0.1
  waited=$((waited + 1))
done
DISPLAY=":$(cat "$work/display")"
export DISPLAY
"$@"
status=$?
stop
exit $status
