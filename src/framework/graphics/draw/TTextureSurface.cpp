#include "framework/graphics/draw/TTextureSurface.h"

#include "framework/graphics/TTexture.h"
#include "framework/graphics/texture/TDxTextureData.h"

// The texture's surface comes from its texture data (null while it has
// none: nothing is selected and it is refused as a render target).
TTextureSurface DescribeTexture(const TTexture* texture) {
    TTextureSurface description;
    if (!texture)
        return description;
    description.width = static_cast<int32_t>(texture->GetWidth());
    description.height = static_cast<int32_t>(texture->GetHeight());
    description.alpha = texture->HasAlpha();
    description.simple = texture->IsSimple();
    if (const auto* data = dynamic_cast<const TDxTextureData*>(texture->GetTextureData()))
        description.surface = data->GetSurface();
    return description;
}
