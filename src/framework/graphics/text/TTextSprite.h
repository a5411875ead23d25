#pragma once

#include "framework/core/math/TVector.h"
#include "framework/core/text/TColor32.h"
#include "framework/core/text/TString.h"
#include "framework/graphics/sprite/TSprite.h"
#include "framework/graphics/text/TTextLayout.h"

#include <cstdint>
#include <memory>

// Options of a text sprite given at creation (a type of its own, so that
// they cannot be mistaken for the layer).
enum TTextSpriteFlags : uint32_t {
    kTextSpriteNone = 0,
    // The text is merged into the alpha of the textures it is drawn into
    // (see UseAlphaMerge).
    kTextSpriteAlphaMerge = 1,
};

// A sprite that draws a block of rich text: it owns a text layout of its
// width and height and draws it at its place in the sprite tree, following
// the tree's translation, rotation, uniform scale and alpha. The point of
// the block given by the alignment (its centre, a corner or an edge) sits
// at the sprite's position. The text takes no part in the sprite's bounds:
// a text sprite without texture or children is never hit. Cut-scene texts,
// panels and the board's floating scores create them.
class TTextSprite : public TSprite {
public:
    // A text sprite with that colour, alignment (when not 0), font (when
    // named) and size.
    static std::shared_ptr<TTextSprite> Create(int32_t width, int32_t height, int32_t alignment,
                                               const TString& fontName, int32_t fontSize,
                                               const TColor& colour, int32_t layer = 0);
    // The same at layer 0, with creation options.
    static std::shared_ptr<TTextSprite> Create(int32_t width, int32_t height, int32_t alignment,
                                               const TString& fontName, int32_t fontSize,
                                               const TColor& colour, TTextSpriteFlags flags);

    // Empty text in the default font, size 10, black; drawn as a sprite
    // ("textspriterender" placement aside, see TTextLayout).
    TTextSprite(int32_t width, int32_t height, int32_t layer = 0);
    ~TTextSprite() override;

    const char* GetClassName() const override { return "TTextSprite"; }
    bool IsKindOf(TClassId id) const override {
        return id == GetClassId() || TSprite::IsKindOf(id);
    }
    static TClassId GetClassId();

    // Children of negative layer, the texture, the text, then the other
    // children.
    void Draw(const TDrawSpec& parent, int32_t depth = -1) override;
    // Whether the point lies in the bounds (texture and children, not the
    // text); neither the threshold nor the visibility is consulted.
    bool HitTest(int32_t x, int32_t y, const TDrawSpec& parent, int32_t threshold,
                 int32_t depth = -1) override;

    // Forwarded to the layout, which lays out again only on a change.
    void SetText(const TString& text) { mLayout->SetText(text); }
    const TString& GetText() const { return mLayout->GetText(); }
    void SetColor(const TColor& colour) { mLayout->SetColor(colour); }
    void SetFont(const TString& name) { mLayout->SetFont(name); }
    void SetFontSize(int32_t size) { mLayout->SetFontSize(size); }
    // Stores the flags (TTextAlign), passes them to the layout and puts the
    // origin on the block's point that they name.
    void SetAlignment(int32_t alignment);
    int32_t GetAlignment() const { return mAlignment; }
    // A new block size; the origin follows it.
    void SetSize(int32_t width, int32_t height);
    int32_t GetWidth() const { return mWidth; }
    int32_t GetHeight() const { return mHeight; }
    // For text drawn into textures: runs merge into the target's alpha.
    void UseAlphaMerge() { mLayout->UseAlphaMerge(); }
    // Lays the text out again, for changes the setters cannot see (a font
    // file or a setting that changed).
    void Invalidate() { mLayout->Invalidate(); }

    // The point of the block that sits at the sprite's position.
    const TVec2& GetOriginOffset() const { return mOrigin; }
    TTextLayout& GetLayout() { return *mLayout; }
    const TTextLayout& GetLayout() const { return *mLayout; }

private:
    int32_t mWidth;
    int32_t mHeight;
    int32_t mAlignment = 0;
    TVec2 mOrigin;
    std::unique_ptr<TTextLayout> mLayout;
};
