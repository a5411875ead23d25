#!/bin/sh
# Installs the Debian packages the build, the game and the tests need.
# Does nothing when all of them are there; uses sudo when not root.
# "setup.sh bench" installs instead the optional packages the benchmarks
# compare against (LÖVE for bench_quads); make run and make test never need
# them. "setup.sh memcheck" installs valgrind for make memcheck.
set -e

if [ "$1" = "bench" ]; then
  PACKAGES="
love
"
elif [ "$1" = "memcheck" ]; then
  PACKAGES="
valgrind
"
else

PACKAGES="
build-essential
cmake
pkg-config
clang
libclang-rt-14-dev
clang-format
libsdl2-dev
libx11-dev
libgl-dev
libgl1-mesa-dri
liblua5.1-0-dev
zlib1g-dev
libpng-dev
libjpeg62-turbo-dev
libopenjp2-7-dev
libogg-dev
libvorbis-dev
libsqlite3-dev
nettle-dev
libgtest-dev
libfreetype-dev
libcairo2-dev
librsvg2-dev
fonts-dejavu-core
xvfb
xauth
xdotool
imagemagick
python3-png
libjpeg-turbo-progs
libopenjp2-tools
"
fi

missing=""
for p in $PACKAGES; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  case "$status" in
    *"install ok installed"*) ;;
    *) missing="$missing $p" ;;
  esac
done

[ -z "$missing" ] && exit 0

echo "Installing:$missing"
if [ "$(id -u)" -eq 0 ]; then
  SUDO=""
else
  SUDO="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
# shellcheck disable=SC2086
$SUDO apt-get install -y -q --no-install-recommends $missing
