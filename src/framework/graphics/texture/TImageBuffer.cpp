#include "framework/graphics/texture/TImageBuffer.h"

#include <cstdlib>

int32_t ImageBufferSide(int64_t width, int64_t height) {
    if (width < 0 || height < 0 || width > kMaxImageSide || height > kMaxImageSide) {
        return 0;
    }
    int64_t larger = width > height ? width : height;
    int32_t side = 1;
    while (side < larger) {
        side *= 2;
    }
    return side;
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
