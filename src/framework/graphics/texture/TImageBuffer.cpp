#include "framework/graphics/texture/TImageBuffer.h"

#include "framework/core/log/TLog.h"

#include <algorithm>
#include <cstdlib>

int32_t ImageBufferSide(int64_t width, int64_t height, int32_t maxSide) {
    const int64_t limit = std::min(maxSide, kMaxImageSide);
    if (width < 0 || height < 0 || width > limit || height > limit) {
        return 0;
    }
    int64_t larger = width > height ? width : height;
    int32_t side = 1;
    while (side < larger) {
        side *= 2;
    }
    return side <= limit ? side : 0;
}

void LogImageTooLarge(const char* decoder, const char* name, int64_t width, int64_t height,
                      int32_t maxSide) {
    LogPrintf("%s: %s: image of %lldx%lld is larger than the limit of %d pixels", decoder, name,
              static_cast<long long>(width), static_cast<long long>(height),
              std::min(maxSide, kMaxImageSide));
}

uint8_t* AllocImageBuffer(int32_t side) {
    if (side <= 0 || side > kMaxImageSide) {
        return nullptr;
    }
    size_t bytes = static_cast<size_t>(side) * static_cast<size_t>(side) * 4;
    return static_cast<uint8_t*>(std::calloc(bytes, 1));
}

void FreeImageBuffer(uint8_t* buffer) {
    std::free(buffer);
}
