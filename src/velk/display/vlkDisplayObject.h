#pragma once

#include <cstdint>
#include <memory>

class TSprite;

// The studio layer's typed front over a framework sprite. Game code keeps a
// vlkDisplayObject pointer and sets position, scale, flips, layer, alpha
// and visibility through these virtuals; the concrete classes (vlkSprite,
// vlkClip) write every change at once into the framework sprite that
// GetSprite returns, and the sprite tree does the drawing. The base only
// stores the values.
class vlkDisplayObject {
public:
    // Kind bits: a vlkSprite has kKindSprite, a vlkClip both.
    static constexpr uint32_t kKindSprite = 2;
    static constexpr uint32_t kKindClip = 4;

    vlkDisplayObject() = default;
    vlkDisplayObject(const vlkDisplayObject&) = delete;
    vlkDisplayObject& operator=(const vlkDisplayObject&) = delete;
    virtual ~vlkDisplayObject() = default;

    virtual void SetColor(float r, float g, float b, float a);
    virtual void Draw() = 0;
    virtual std::shared_ptr<TSprite> GetSprite() = 0;
    virtual void SetPosition(float x, float y);
    virtual void SetX(float x);
    virtual void SetY(float y);
    virtual void SetLayer(int32_t layer);
    virtual void SetHFlip(uint8_t flip);
    virtual void SetVFlip(uint8_t flip);
    // Both scales.
    virtual void SetScale(float scale);
    virtual void SetScaleX(float scale);
    virtual void SetScaleY(float scale);
    virtual void SetAlpha(float alpha);
    virtual void SetVisible(bool visible);

    float GetX() const { return mX; }
    float GetY() const { return mY; }
    int32_t GetLayer() const { return mLayer; }
    uint8_t GetHFlip() const { return mHFlip; }
    uint8_t GetVFlip() const { return mVFlip; }
    bool IsVisible() const { return mVisible != 0; }
    float GetScaleX() const { return mScaleX; }
    float GetScaleY() const { return mScaleY; }
    float GetAlpha() const { return mAlpha; }
    // The size of the texture last set; 0 until one is set.
    float GetWidth() const { return mWidth; }
    float GetHeight() const { return mHeight; }
    uint32_t GetKind() const { return mKind; }

protected:
    float mX = 0.0f;
    float mY = 0.0f;
    int32_t mLayer = 0;
    uint8_t mHFlip = 0;
    uint8_t mVFlip = 0;
    uint8_t mVisible = 1;
    float mScaleX = 1.0f;
    float mScaleY = 1.0f;
    float mAlpha = 1.0f;
    float mWidth = 0.0f;
    float mHeight = 0.0f;
    uint32_t mKind = 0;
};
