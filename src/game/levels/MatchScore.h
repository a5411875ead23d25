#pragma once

#include "velk/game/GameTuning.h"

#include <vector>

// How a scored group counts: two ordinary tiles are a pair, more are a
// chain, and a group holding a bonus tile is scored as a combo whatever its
// size.
enum class GroupKind { kPair, kChain, kWithBonus };

GroupKind ClassifyGroup(int size, bool holdsBonusTile);

// The points of a group of `size` tiles (the board-cleared bonus comes on
// top); divisions truncate toward zero.
int MatchPoints(int size, GroupKind kind, const TGameTuning::Score& score);

// How long a selection of `size` tiles waits before it resolves: "timeMatch"
// shortened by "timeMatchDec" for every tile past the second, never less
// than 1 ms (long chains would otherwise reach 0 or wrap around).
int MatchWait(int timeMatch, int timeMatchDec, int size);

// The seconds a group of `size` tiles gives back in the timed modes: the
// third bonus from 10 tiles, the second from 7, the first from 4, none
// below; a missing entry gives none.
int TimeBonusSeconds(int size, const std::vector<int>& combos);

// How many ms a countdown with `remainingMs` left may grow by a bonus of
// `bonusMs`, so that it never passes `capMs` (its starting length).
int CappedTimeBonus(int bonusMs, int capMs, int remainingMs);
