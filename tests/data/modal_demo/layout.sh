#!/bin/sh
# Lays out a program folder for the modal-window demo and, unless --no-run
# is given, starts the game in it: the program, the build's assets, and the
# demo's scripts over them (its main.lua replaces the game's).
#   layout.sh FOLDER PROGRAM ASSETS [--no-run]
set -e
if [ $# -lt 3 ]; then
  echo "usage: $0 FOLDER PROGRAM ASSETS [--no-run]" >&2
  exit 2
fi
folder=$1
program=$2
assets=$3
demo=$(dirname "$0")
mkdir -p "$folder"
cp "$program" "$folder/"
rm -rf "$folder/assets"
cp -R "$assets" "$folder/assets"
mkdir -p "$folder/assets/scripts"
cp "$demo"/scripts/*.lua "$folder/assets/scripts/"
if [ "$4" != "--no-run" ]; then
  cd "$folder"
  exec "./$(basename "$program")" --multiple
fi
