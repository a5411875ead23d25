#pragma once

#include <vector>

// What a tile is to the turn rules: an ordinary picture tile, a wild, a
// bomb, or anything else (power-ups, golden and joker tiles), which never
// takes part in a pattern.
enum TileCategory {
    kCategoryOther = 0,
    kCategoryOrdinary = 1000,
    kCategoryWild = 2000,
    kCategoryBomb = 3000,
};

// The turn patterns: every sequence of one or two tile categories and the
// first twelve sequences of three, numbered 1 to 24. A turn of one tile is
// looked up by its category, a turn of two by both, a longer turn by its
// last three tiles. Three-tile turns that begin with a bomb, or with a wild
// followed by a wild or a bomb, have no pattern. Built once per level.
class TurnPatternTable {
public:
    TurnPatternTable();

    // The pattern of a turn given the categories of its tiles in click
    // order; `previous` when no row matches (or the turn is empty).
    int Find(const std::vector<int>& categories, int previous) const;

    static constexpr int kPatternCount = 24;

private:
    // Each row: the categories, then the pattern number.
    void AddRow(std::vector<std::vector<int>>& rows, std::vector<int> categories, int number);

    std::vector<std::vector<int>> mOne;
    std::vector<std::vector<int>> mTwo;
    std::vector<std::vector<int>> mThree;
};
