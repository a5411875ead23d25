#!/bin/sh
# Lays out a program folder for the board check: the program, the build's
# assets, the check's level files and start-up script over them, and the
# level the start-up script opens.
#   layout.sh FOLDER PROGRAM ASSETS MODE STYLE DIFFICULTY
set -e
if [ $# -ne 6 ]; then
  echo "usage: $0 FOLDER PROGRAM ASSETS MODE STYLE DIFFICULTY" >&2
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
cp "$data"/*.xml "$folder/assets/"
cp "$data"/scripts/*.lua "$folder/assets/scripts/"
cat > "$folder/assets/scripts/board_level.lua" <<LEVEL
gGameMode = '$4'
gGameStyle = '$5'
gGameDifficulty = '$6'
LEVEL
