#pragma once

// Entry function of the image decoders' fuzz target. The libFuzzer program
// calls it with generated files; the corpus replay test calls it with every
// seed, so each `make test` runs the corpus under the sanitizers.
//
// The input is registered as an in-memory file and handed to the PNG, JPEG
// and JPEG 2000 decoders in turn, with the side limit of a texture loaded
// without "?slow": each must fail or give a buffer of the size it reports,
// within that limit, never read outside its data or end the process.

#include "framework/core/files/TMemoryFile.h"
#include "framework/graphics/texture/TImageBuffer.h"
#include "framework/graphics/texture/TJp2Image.h"
#include "framework/graphics/texture/TJpegImage.h"
#include "framework/graphics/texture/TPngImage.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace imagefuzz {

// Touches the buffer's first and last byte so a short buffer shows under
// the address sanitizer, and checks the reported sizes agree.
// The side limit of a texture loaded without "?slow".
constexpr int32_t kFuzzMaxSide = 1024;

inline void CheckImage(const uint8_t* pixels, int32_t width, int32_t height, int32_t side) {
    if (!pixels || side != ImageBufferSide(width, height, kFuzzMaxSide) || side <= 0)
        std::abort();
    volatile uint8_t sum = pixels[0];
    sum = sum + pixels[static_cast<size_t>(side) * side * 4 - 1];
    (void)sum;
}

} // namespace imagefuzz

inline int FuzzImageDecoders(const uint8_t* data, size_t size) {
    if (size > 0x7FFFFFFF)
        return 0;
    static const uint8_t kEmpty = 0;
    RegisterMemoryFile("fuzz/input.img", data ? data : &kEmpty, static_cast<int32_t>(size));
    uint8_t* pixels = nullptr;
    int32_t width = 0, height = 0, side = 0;
    bool hasAlpha = false;
    using imagefuzz::kFuzzMaxSide;
    if (LoadPngImage("fuzz/input.img", &pixels, &width, &height, &side, &hasAlpha, kFuzzMaxSide)) {
        imagefuzz::CheckImage(pixels, width, height, side);
        FreePngImage(pixels);
    }
    if (LoadJpegImage("fuzz/input.img", &pixels, &width, &height, &side, kFuzzMaxSide)) {
        imagefuzz::CheckImage(pixels, width, height, side);
        FreeJpegImage(pixels);
    }
    if (LoadJp2Image("fuzz/input.img", &pixels, &width, &height, &side, &hasAlpha, kFuzzMaxSide)) {
        imagefuzz::CheckImage(pixels, width, height, side);
        FreeJp2Image(pixels);
    }
    RegisterMemoryFile("fuzz/input.img", nullptr, 0);
    return 0;
}
