#include "framework/graphics/text/TTextSprite.h"

#include <cmath>

namespace {

constexpr float kPi = 3.14159265358979f;

} // namespace

std::shared_ptr<TTextSprite> TTextSprite::Create(int32_t width, int32_t height, int32_t alignment,
                                                 const TString& fontName, int32_t fontSize,
                                                 const TColor& colour, int32_t layer) {
    auto sprite = std::make_shared<TTextSprite>(width, height, layer);
    sprite->SetColor(colour);
    if (alignment != 0)
        sprite->SetAlignment(alignment);
    if (!fontName.IsEmpty())
        sprite->SetFont(fontName);
    sprite->SetFontSize(fontSize);
    return sprite;
}

std::shared_ptr<TTextSprite> TTextSprite::Create(int32_t width, int32_t height, int32_t alignment,
                                                 const TString& fontName, int32_t fontSize,
                                                 const TColor& colour, TTextSpriteFlags flags) {
    auto sprite = Create(width, height, alignment, fontName, fontSize, colour, 0);
    if (flags & kTextSpriteAlphaMerge)
        sprite->UseAlphaMerge();
    return sprite;
}

TTextSprite::TTextSprite(int32_t width, int32_t height, int32_t layer)
    : TSprite(layer), mWidth(width), mHeight(height),
      mLayout(TTextLayout::Create("", width, height, 0, "", 10, TColor(0.0f, 0.0f, 0.0f, 1.0f))) {
    mLayout->SetSpriteRendering(true);
}

TTextSprite::~TTextSprite() = default;

TClassId TTextSprite::GetClassId() {
    static const char id = 0;
    return &id;
}

void TTextSprite::SetAlignment(int32_t alignment) {
    mAlignment = alignment;
    mLayout->SetAlignment(alignment);
    mOrigin.x = (alignment & kTextAlignCenter)  ? static_cast<float>(mWidth) * 0.5f
                : (alignment & kTextAlignRight) ? static_cast<float>(mWidth)
                                                : 0.0f;
    mOrigin.y = (alignment & kTextAlignVCenter)  ? static_cast<float>(mHeight) * 0.5f
                : (alignment & kTextAlignBottom) ? static_cast<float>(mHeight)
                                                 : 0.0f;
}

void TTextSprite::SetSize(int32_t width, int32_t height) {
    mWidth = width;
    mHeight = height;
    mLayout->SetBlockSize(width, height);
    SetAlignment(mAlignment);
}

void TTextSprite::Draw(const TDrawSpec& parent, int32_t depth) {
    if (!IsVisible())
        return;
    const TDrawSpec combined = Combine(GetDrawSpec(), parent);
    // Drawing may change the tree: walk a copy of the list.
    std::vector<std::shared_ptr<TSprite>> children;
    if (depth != 0)
        children = GetChildren();
    size_t next = 0;
    for (; next < children.size() && children[next]->GetLayer() < 0; ++next)
        children[next]->Draw(combined, depth - 1);
    if (GetTexture())
        DrawTexture(combined);

    const float(&m)[3][3] = combined.mTransform.m;
    const float x = m[2][0] - mOrigin.x;
    const float y = m[2][1] - mOrigin.y;
    const float scale = std::sqrt(m[0][0] * m[0][0] + m[0][1] * m[0][1] + m[0][2] * m[0][2]);
    const float degrees = std::atan2(m[0][1], m[0][0]) / (2.0f * kPi) * 360.0f;
    mLayout->SetRotation(degrees, static_cast<int32_t>(mOrigin.x), static_cast<int32_t>(mOrigin.y));
    // The block grows about its origin: its bottom lies (height - origin)
    // scaled below the origin, which stays (origin) below the position.
    const float bottom = mOrigin.y + (static_cast<float>(mHeight) - mOrigin.y) * scale;
    mLayout->Draw(x, y, bottom, scale, 0, combined.mAlpha);

    for (; next < children.size(); ++next)
        children[next]->Draw(combined, depth - 1);
}

bool TTextSprite::HitTest(int32_t x, int32_t y, const TDrawSpec& parent, int32_t /*threshold*/,
                          int32_t depth) {
    return GetBounds(parent, depth).Contains(x, y);
}
