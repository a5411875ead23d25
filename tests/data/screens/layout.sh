#!/bin/sh
# Lays out a program folder for the screens check: the program, the build's
# assets and the check's start-up script over them.
#   layout.sh FOLDER PROGRAM ASSETS
set -e
if [ $# -ne 3 ]; then
  echo "usage: $0 FOLDER PROGRAM ASSETS" >&2
  exit 2
fi
folder=$1
data=$(dirname "$0")
mkdir -p "$folder"
cp "$2" "$folder/"
rm -rf "$folder/assets"
cp -R "$3" "$folder/assets"
cp "$data"/scripts/*.lua "$folder/assets/scripts/"
