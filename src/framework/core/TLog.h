#pragma once

#include "framework/core/TString.h"

#include <cstdint>

// The one debug log, "logfile.txt" in the folder named by StartLog. One
// printf-style line per call, each behind the local time; the file wraps
// back to 51,200 bytes once it passes 102,400. Safe to call from any thread.
void StartLog(const char* folder);
void LogPrintf(const char* format, ...) __attribute__((format(printf, 1, 2)));
TString GetLogFilePath();
uint32_t GetMemoryInUse();
uint32_t GetMemoryPeak();
int32_t GetMemoryLimit();
