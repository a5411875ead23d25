#!/bin/sh
# Lays out a program folder for the progress check and, unless --no-run is
# given, starts the game in it: the program, the build's assets, and the
# check's scripts over them (its main.lua replaces the game's). The screen
# shows the current player's stored progress and changes it only through
# the game's own script functions.
#   layout.sh FOLDER PROGRAM ASSETS [--no-run]
set -e
if [ $# -lt 3 ]; then
  echo "usage: $0 FOLDER PROGRAM ASSETS [--no-run]" >&2
  exit 2
fi
folder=$1
program=$2
assets=$3
data=$(dirname "$0")
mkdir -p "$folder"
cp "$program" "$folder/"
rm -rf "$folder/assets"
cp -R "$assets" "$folder/assets"
mkdir -p "$folder/assets/scripts"
cp "$data"/scripts/*.lua "$folder/assets/scripts/"
if [ "$4" != "--no-run" ]; then
  cd "$folder"
  exec "./$(basename "$program")" --multiple
fi
