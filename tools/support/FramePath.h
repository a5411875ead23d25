#pragma once

#include <cstdio>
#include <string>

// OUT.png with a frame number before the extension: OUT_000.png, ...
inline std::string FramePath(const std::string& out, int frame) {
    char number[16];
    std::snprintf(number, sizeof number, "_%03d", frame);
    const size_t dot = out.rfind('.');
    if (dot == std::string::npos || out.find('/', dot) != std::string::npos)
        return out + number + ".png";
    return out.substr(0, dot) + number + out.substr(dot);
}
