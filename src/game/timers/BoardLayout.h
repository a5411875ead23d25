#pragma once

class BoardSlots;
struct TGameModeRecord;

// The board layout of a timer set; null, logged under the owner's name,
// when the table has no such layout.
const TGameModeRecord* FindBoardLayout(int geometryIndex, const char* owner);
// The slots a timer set walks: the layout's slot count, within the slots.
int LayoutSlotCount(const TGameModeRecord* layout, const BoardSlots& slots);
