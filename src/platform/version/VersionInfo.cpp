#include "platform/version/VersionInfo.h"

#include "BuildInfo.h"

#include <cstdio>

namespace platform {

VersionInfo ReadVersionInfo() {
    VersionInfo info;
    info.productName = CORVALO_PRODUCT_NAME;
    info.internalName = CORVALO_INTERNAL_NAME;
    ParseVersionNumbers(CORVALO_VERSION, info.fileVersion);
    return info;
}

void ParseVersionNumbers(const std::string& text, uint16_t numbers[4]) {
    size_t at = 0;
    for (int i = 0; i < 4; ++i) {
        unsigned value = 0;
        bool digits = false;
        while (at < text.size() && text[at] >= '0' && text[at] <= '9') {
            value = value * 10 + static_cast<unsigned>(text[at] - '0');
            if (value > 0xFFFF) {
                value = 0xFFFF;
            }
            digits = true;
            ++at;
        }
        numbers[i] = digits ? static_cast<uint16_t>(value) : 0;
        // On to the next part: behind the next dot, or nothing more.
        while (at < text.size() && text[at] != '.') {
            ++at;
        }
        if (at < text.size()) {
            ++at;
        }
    }
}

std::string FormatVersion(const uint16_t numbers[4]) {
    char text[32];
    std::snprintf(text, sizeof text, "%d.%d.%d.%d", numbers[0], numbers[1], numbers[2], numbers[3]);
    return text;
}

} // namespace platform
