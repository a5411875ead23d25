#pragma once

#include <cstdint>
#include <vector>

class BoardTile;

// Tile commands written into a slot's command word. 100 means none.
enum TileCommand : int32_t {
    kCmdNone = 100,
    kCmdDealt = 101,
    kCmdFaceUpNow = 102,
    kCmdMatch = 103,
    kCmdRemove = 104,
    kCmdTurnUpStand = 106,
    kCmdTurnDown = 107,
    kCmdGoldenBurst = 108,
    kCmdTurnUp = 109,
    kCmdAppearUp = 110,
    kCmdBonusBack = 111,
    kCmdAppearStand = 112,
    kCmdDisappearToBonusBack = 113,
    kCmdAppearFaint = 114,
    kCmdFaintToBonusBack = 115,
    kCmdRevealFaint = 117,
    kCmdHideFaint = 118,
    kCmdWildMark = 119,
    kCmdRedMatch = 120,
    kCmdBombMark = 121,
};

// The board's per-slot arrays, indexed by slot (row * col + column; row 0
// is the entry row below the play rows): the kind of the tile in the slot
// (0 empty), a busy flag, the display state that the timer set keeps, the
// command (100 none) and the tile, which the level's actor list owns.
class BoardSlots {
public:
    std::vector<int32_t> kind;
    std::vector<int32_t> busy;
    std::vector<int32_t> state;
    std::vector<int32_t> command;
    std::vector<BoardTile*> tile;

    int Size() const { return static_cast<int>(kind.size()); }
    bool Contains(int slot) const { return slot >= 0 && slot < Size(); }
    // Sizes all five arrays and empties every slot (kind 0, busy 0,
    // state 0, command 100, no tile).
    void Resize(int count);
    // Empties one slot (the tile is only forgotten, not deleted).
    void Clear(int slot);
    // Moves the five values of one slot to another and empties the first.
    // Nothing when either slot is outside the board or both are the same.
    void Move(int from, int to);
    // Rotates all five arrays by n slots: the values of slot i go to slot
    // (i + n) mod size; a negative n turns the other way.
    void Rotate(int n);
};
