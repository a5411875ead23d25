#include "platform/instance/ProgramTitle.h"

namespace platform {

std::string MakeProgramTitle(const std::string& programPath) {
    std::string title;
    title.reserve(programPath.size());
    for (char c : programPath) {
        if (c == '/' || c == '\\' || c == ':') {
            continue;
        }
        title += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    }
    return title;
}

std::string MakeInstanceName(const std::string& title) {
    return title + "_MUTEX";
}

std::string MakeWindowClassName(const std::string& title) {
    return title + "_WNDCLASS";
}

} // namespace platform
