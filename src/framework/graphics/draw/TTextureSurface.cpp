#include "framework/graphics/draw/TTextureSurface.h"

#include "framework/graphics/TTexture.h"

// The picture object in use keeps its pixels in memory only: it has a size
// but no surface, so the renderer selects nothing for it and refuses it as
// a render target.
TTextureSurface DescribeTexture(const TTexture* texture) {
    TTextureSurface description;
    if (!texture)
        return description;
    description.width = texture->GetWidth();
    description.height = texture->GetHeight();
    description.alpha = true;
    return description;
}
