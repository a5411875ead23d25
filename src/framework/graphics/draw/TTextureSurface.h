#pragma once

#include "platform/graphics/GraphicsSurface.h"

#include <cstdint>
#include <memory>

class TTexture;

// What the renderer needs of a texture to select it, draw into it or copy
// into it: its surface (null while it has none), the image size and two of
// its flags. Textures are described through DescribeTexture, so the
// renderer depends on nothing else of the texture object.
struct TTextureSurface {
    platform::SurfacePtr surface;
    int32_t width = 0;
    int32_t height = 0;
    // The texture keeps an alpha channel.
    bool alpha = false;
    // Drawn by blitting only: never selected, never a render target.
    bool simple = false;
};

// The description of a texture; all empty for null.
TTextureSurface DescribeTexture(const TTexture* texture);
