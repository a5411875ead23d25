#!/bin/sh
# Lays out a program folder for the full-screen pointer check: the program
# and the build's assets, with the start-up script told to print each screen
# that opens and closes (the game's own script follows unchanged).
#   layout.sh FOLDER PROGRAM ASSETS
set -e
if [ $# -ne 3 ]; then
  echo "usage: $0 FOLDER PROGRAM ASSETS" >&2
  exit 2
fi
folder=$1
sh "$(dirname "$0")/../game/layout.sh" "$folder" "$2" "$3"
main="$folder/assets/scripts/main.lua"
{
  cat <<'LUA'
local openModal = DoModal
function DoModal(name)
    print('open ' .. name)
    local result = openModal(name)
    print('closed ' .. name)
    return result
end
LUA
  cat "$3/scripts/main.lua"
} > "$main"
