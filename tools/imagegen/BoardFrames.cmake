# Writes the board screen's frame placements as a Lua table from the board
# windows of the configuration's "gameMode" table: one frame per board, its
# picture's name from the board's columns and rows, placed MARGIN outside
# the window (the frame pictures are drawn that much larger).
#   cmake -DCONFIG=config.xml -DMARGIN=16 -DOUT=board_frames.lua -P BoardFrames.cmake
file(READ ${CONFIG} xml)
string(FIND "${xml}" "<gameMode" begin)
string(FIND "${xml}" "</gameMode>" end)
if(begin EQUAL -1 OR end EQUAL -1)
  message(FATAL_ERROR "${CONFIG} has no gameMode table")
endif()
math(EXPR length "${end} - ${begin}")
string(SUBSTRING "${xml}" ${begin} ${length} table)
# One list item per board: the text up to each "</mode>".
string(REPLACE ";" "," table "${table}")
string(REPLACE "</mode>" ";" modes "${table}")
set(lua "-- Made by the build from config.xml: the board frames, one per board\n-- size in the order of the gameMode table. Do not edit.\nkBoardFrames = {\n")
foreach(mode IN LISTS modes)
  if(NOT mode MATCHES "<mode")
    continue()
  endif()
  string(REGEX MATCH "<row>[ ]*([0-9]+)" _ "${mode}")
  set(rows ${CMAKE_MATCH_1})
  string(REGEX MATCH "<col>[ ]*([0-9]+)" _ "${mode}")
  set(cols ${CMAKE_MATCH_1})
  string(REGEX MATCH "<window>[ ]*([0-9]+)[ ]*,[ ]*([0-9]+)[ ]*," _ "${mode}")
  set(x ${CMAKE_MATCH_1})
  set(y ${CMAKE_MATCH_2})
  if(rows STREQUAL "" OR cols STREQUAL "" OR x STREQUAL "" OR y STREQUAL "")
    message(FATAL_ERROR "a board of ${CONFIG} lacks its row, col or window")
  endif()
  math(EXPR fx "${x} - ${MARGIN}")
  math(EXPR fy "${y} - ${MARGIN}")
  string(APPEND lua "    { name = 'bmpFrame${cols}x${rows}', "
                    "image = 'gpx/board/frame${cols}x${rows}.png', x = ${fx}, y = ${fy} },\n")
endforeach()
string(APPEND lua "}\n")
file(WRITE ${OUT} "${lua}")
