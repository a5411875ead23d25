#!/bin/sh
# Lays out a program folder as the build lays out the game it runs: the
# program with the build's assets beside it. The program is linked when the
# file system allows it (it is large), else copied; the assets are copied,
# so that a check may change them.
#   layout.sh FOLDER PROGRAM ASSETS
set -e
if [ $# -ne 3 ]; then
  echo "usage: $0 FOLDER PROGRAM ASSETS" >&2
  exit 2
fi
folder=$1
mkdir -p "$folder"
rm -f "$folder/$(basename "$2")"
ln "$2" "$folder/" 2>/dev/null || cp "$2" "$folder/"
rm -rf "$folder/assets"
cp -R "$3" "$folder/assets"
