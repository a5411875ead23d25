#pragma once

// Numbers the game data gives as sizes, counts, times and indices are held
// to the range they may take where they are read: a value outside it (NaN
// too) is replaced and reported in one line that names the file, the
// element and the value, and the game goes on with what it can play.
// Main thread only.

// Where the lines go: the log by default; the game hands them to its own
// list of data problems (which the data check reads).
using DataRangeReporter = void (*)(const char* line);
void SetDataRangeReporter(DataRangeReporter reporter);

// value held to lowest..highest: past an end it becomes that end.
int ClampDataInt(const char* file, const char* element, int value, int lowest, int highest);
// The same for a float; NaN becomes fallback.
float ClampDataFloat(const char* file, const char* element, float value, float lowest,
                     float highest, float fallback);

// Ranges far above what the shipped data uses.
inline constexpr int kMaxDataTimeMs = 3600000; // an hour
inline constexpr int kMaxDataCount = 1000000;
