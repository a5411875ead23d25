#include "game/data/DataProblems.h"

#include "framework/core/log/TLog.h"
#include "framework/core/text/TString.h"

#include <cstdarg>

namespace {

std::vector<std::string>& Problems() {
    static std::vector<std::string> problems;
    return problems;
}

} // namespace

void ReportDataProblem(const char* format, ...) {
    va_list args;
    va_start(args, format);
    const TString text = TString::VFormat(format, args);
    va_end(args);
    LogPrintf("%s", text.CStr());
    Problems().push_back(text.ToStd());
}

const std::vector<std::string>& GetDataProblems() {
    return Problems();
}

void ClearDataProblems() {
    Problems().clear();
}
