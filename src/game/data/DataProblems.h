#pragma once

#include <string>
#include <vector>

// What the data loaders mended or dropped while reading: each is logged
// and kept, so that the data check can fail on data that only loads
// because the loaders worked around it.
void ReportDataProblem(const char* format, ...) __attribute__((format(printf, 1, 2)));
const std::vector<std::string>& GetDataProblems();
void ClearDataProblems();
