#pragma once

#include "framework/core/text/TString.h"

#include <cstdint>

// The one debug log, "logfile.txt" in the folder named by StartLog. One
// printf-style line per call, each behind the local time; the file wraps
// back to 51,200 bytes once it passes 102,400. Safe to call from any thread.
//
// StartLog("__MEMORYMAX__=<n>") does not touch the log: it sets the memory
// limit to n. StartLog(nullptr) switches logging off. Until a folder is
// given, lines are formatted and dropped.
void StartLog(const char* folder);
void LogPrintf(const char* format, ...) __attribute__((format(printf, 1, 2)));
TString GetLogFilePath();
// Bytes the allocator has handed out and not taken back, read from the
// allocator on each call (capped at 4 GiB - 1), and the highest value read
// so far.
uint32_t GetMemoryInUse();
uint32_t GetMemoryPeak();
int32_t GetMemoryLimit();

// Byte offset at which the next line will be written.
uint32_t GetLogWritePosition();

// Layout constants of the log file.
inline constexpr uint32_t kLogWrapLimit = 102400;
inline constexpr uint32_t kLogWrapTarget = 51200;
inline constexpr const char* kLogWrapBanner =
    "\n\n\n\n ****************** LOG WRAP AROUND ******************\n\n\n\n";
