#pragma once

#include <cstdint>

class BoardSlots;
class vlkActorList;

// Runs the command of one slot of the standard levels against its display
// state, for one frame. A remove (104) marks the tile dead, so that the
// actor list deletes it, and empties the slot. Slots of kind 0 and slots
// outside the board are left alone.
void RunTileCommand(BoardSlots& slots, int slot);

// The Joker level's five commands for one slot; `countdown` is the slot's
// shuffle countdown in ms, lowered by `elapsed` while the shuffle runs.
void RunJokerTileCommand(BoardSlots& slots, int slot, int32_t& countdown, uint32_t elapsed);
