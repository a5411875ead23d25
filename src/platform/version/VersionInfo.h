#pragma once

#include <cstdint>
#include <string>

namespace platform {

// The program's own version record, filled from the build (the project
// version and names) in place of a version resource.
struct VersionInfo {
    std::string productName;
    std::string internalName;
    // Major, minor, patch and tweak; missing parts are 0.
    uint16_t fileVersion[4] = {};
};

VersionInfo ReadVersionInfo();

// The four numbers of a dotted version text ("0.1.0" gives 0, 1, 0, 0).
// Parts that are missing or not numbers read as 0.
void ParseVersionNumbers(const std::string& text, uint16_t numbers[4]);

// "%d.%d.%d.%d" of the four numbers.
std::string FormatVersion(const uint16_t numbers[4]);

} // namespace platform
