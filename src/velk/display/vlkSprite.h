#pragma once

#include "framework/core/math/TRect.h"
#include "framework/core/math/TVector.h"
#include "velk/display/vlkDisplayObjectContainer.h"

#include <cstdint>
#include <memory>

class TSprite;
class TTexture;

// The look of a framework sprite and its children, as vlkSprite::GetLook.
uint64_t SpriteLook(const TSprite* sprite);

// A display object that shows a texture through a framework sprite of its
// own, held by a shared pointer, so a sprite that a script detaches from
// its parent stays alive while the display object lives. The texture is
// drawn centred on the position. Position, x, y, layer and the scales are
// written into the sprite only when they change; alpha, colour, flips and
// visibility are written every time.
class vlkSprite : public vlkDisplayObjectContainer {
public:
    explicit vlkSprite(const std::shared_ptr<TTexture>& texture = {});
    ~vlkSprite() override;

    void SetColor(float r, float g, float b, float a) override;
    // Draws the framework sprite and all its children under the default
    // record.
    void Draw() override;
    std::shared_ptr<TSprite> GetSprite() override { return mSprite; }
    void SetPosition(float x, float y) override;
    void SetX(float x) override;
    void SetY(float y) override;
    void SetLayer(int32_t layer) override;
    void SetHFlip(uint8_t flip) override;
    void SetVFlip(uint8_t flip) override;
    void SetScale(float scale) override;
    // Writes the one diagonal element; a rotation in the transform stays.
    void SetScaleX(float scale) override;
    void SetScaleY(float scale) override;
    void SetAlpha(float alpha) override;
    void SetVisible(bool visible) override;

    // An empty pointer changes nothing; otherwise the sprite shows the
    // texture and the width and height become its size.
    virtual void SetTexture(const std::shared_ptr<TTexture>& texture);
    // Whether the point, in the parent sprite's frame, hits the sprite:
    // bounds only.
    virtual bool HitTest(const TVec2& point, int32_t depth);
    // The same with the framework's alpha threshold (below 0: bounds only).
    bool HitTest(const TVec2& point, int32_t threshold, int32_t depth);
    // The box that the bounds-only hit test tests, in the parent sprite's
    // frame.
    TRect GetBounds();
    // A number that changes whenever what the sprite draws changes (its
    // texture, frame, transform, colour, flags and children).
    uint64_t GetLook();

protected:
    // Creates the framework sprite, with the texture when one is given.
    void CreateFrameworkSprite(const std::shared_ptr<TTexture>& texture);
    // The translation row from the stored x and y.
    void WritePosition();
    // Sets or clears one draw flag of the framework sprite.
    void WriteFlag(uint32_t flag, bool set);

    std::shared_ptr<TSprite> mSprite;
};
