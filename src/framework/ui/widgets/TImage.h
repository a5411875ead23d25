#pragma once

#include "framework/ui/window/TWindow.h"

#include <memory>

class TTexture;

// A window that shows one texture, scaled, with an opacity, mirrored and
// turned by a quarter turn. It sizes itself to the texture and is opaque
// while it shows a picture without transparency at full opacity, so that
// nothing below a full-screen picture needs drawing.
class TImage : public TWindow {
public:
    // With overlay the image takes part in drawing pass 1.
    explicit TImage(bool overlay = false);

    const char* GetClassName() const override { return "TImage"; }
    bool IsKindOf(TWindowClassId id) const override {
        return id == GetClassId() || TWindow::IsKindOf(id);
    }
    static TWindow* Create();
    static TWindowCreator GetCreator() { return &Create; }
    static TWindowClassId GetClassId() { return &Create; }

    // "image", "mask", "scale", "alpha", "mipmap", "hflip", "vflip",
    // "rotate", "autoscale"; then name and placement, which see the size.
    void Init(TWindowStyle& style) override;
    void Draw() override;

    // Sizes the window to the texture times the scale (turned when the
    // image is), rounded.
    void SetBitmap(const std::shared_ptr<TTexture>& texture, float scale = 1.0f);
    // Sizes the window to the named picture now and loads its texture when
    // the window is first drawn: a picture that waits to be shown (a
    // button's pressed or rollover state) holds no texture until then. A
    // texture loaded already is taken at once. False, with a log line,
    // when the picture cannot be read; the window then stays empty.
    bool SetBitmapOnFirstDraw(const TString& name, float scale = 1.0f);
    // Empty while a picture waits for its first draw.
    const std::shared_ptr<TTexture>& GetBitmap() const { return mTexture; }
    bool IsBitmapWaiting() const { return !mWaitingPicture.IsEmpty(); }
    float GetScale() const { return mScale; }
    // Opaque only at 1.0 with a texture without an alpha channel.
    void SetAlpha(float alpha);
    float GetAlpha() const { return mAlpha; }
    // Mirror bits (TDrawFlags 1 and 2).
    void SetDrawFlags(uint32_t flags);
    uint32_t GetDrawFlags() const { return mDrawFlags; }
    void SetRotate(bool rotate);
    bool GetRotate() const { return mRotate; }

    static constexpr float kQuarterTurn = 1.5707964f;

protected:
    ~TImage() override = default;

private:
    void SizeToTexture();
    void SizeTo(uint32_t width, uint32_t height);
    void LoadWaitingPicture();

    std::shared_ptr<TTexture> mTexture;
    TString mWaitingPicture;
    float mScale = 1.0f;
    float mAlpha = 1.0f;
    uint32_t mDrawFlags = 0;
    bool mRotate = false;
};
