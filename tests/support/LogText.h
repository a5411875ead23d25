#pragma once

// The text of the debug log the running test writes, read whole.

#include "framework/core/log/TLog.h"

#include <fstream>
#include <sstream>
#include <string>

namespace support {

inline std::string ReadLogText() {
    std::ifstream in(GetLogFilePath().ToStd(), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace support
