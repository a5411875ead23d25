#include "velk/data/DataRange.h"

#include "framework/core/log/TLog.h"
#include "framework/core/text/TString.h"

#include <cmath>

namespace {

void LogLine(const char* line) {
    LogPrintf("%s", line);
}

DataRangeReporter gReporter = LogLine;

} // namespace

void SetDataRangeReporter(DataRangeReporter reporter) {
    gReporter = reporter ? reporter : LogLine;
}

int ClampDataInt(const char* file, const char* element, int value, int lowest, int highest) {
    if (value >= lowest && value <= highest)
        return value;
    const int kept = value < lowest ? lowest : highest;
    gReporter(TString::Format("%s: %s is %d, outside %d to %d; %d is used", file, element, value,
                              lowest, highest, kept)
                  .CStr());
    return kept;
}

float ClampDataFloat(const char* file, const char* element, float value, float lowest,
                     float highest, float fallback) {
    if (value >= lowest && value <= highest)
        return value;
    const float kept = std::isnan(value) ? fallback : value < lowest ? lowest : highest;
    gReporter(TString::Format("%s: %s is %g, outside %g to %g; %g is used", file, element,
                              static_cast<double>(value), static_cast<double>(lowest),
                              static_cast<double>(highest), static_cast<double>(kept))
                  .CStr());
    return kept;
}
