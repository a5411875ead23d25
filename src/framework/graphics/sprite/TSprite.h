#pragma once

#include "framework/core/math/TRect.h"
#include "framework/graphics/asset/TAsset.h"
#include "framework/graphics/sprite/TDrawSpec.h"

#include <cstdint>
#include <memory>
#include <vector>

class TTexture;

// A node of the sprite tree: an optional texture drawn with the sprite's
// own draw record, and child sprites kept in ascending layer order (equal
// layers in the order they were added). Drawing a tree combines each
// node's record with its parent's on the way down; children of negative
// layer draw before the node's texture, the rest after it. A sprite owns
// its children through shared pointers and knows its parent by a plain
// pointer; it is always held by a shared pointer (Create). The studio
// layer's display objects, animated sprites and text sprites build on it.
// Main thread only.
class TSprite : public std::enable_shared_from_this<TSprite> {
public:
    // A new sprite of that layer; a given texture is set through
    // SetTexture, so a subclass's form applies.
    static std::shared_ptr<TSprite> Create(int32_t layer,
                                           const std::shared_ptr<TTexture>& texture = {});

    explicit TSprite(int32_t layer = 0);
    TSprite(const TSprite&) = delete;
    TSprite& operator=(const TSprite&) = delete;
    virtual ~TSprite();

    virtual const char* GetClassName() const { return "TSprite"; }
    // True for the class's own id and the id of every base class.
    virtual bool IsKindOf(TClassId id) const { return id == GetClassId(); }
    static TClassId GetClassId();

    // Draws the sprite and (depth -1: all of them; 0: none; n: n levels)
    // its children under the parent's record.
    virtual void Draw(const TDrawSpec& parent, int32_t depth = -1);
    // Detaches one child; false when it is not a child of this sprite.
    virtual bool RemoveChild(const std::shared_ptr<TSprite>& child);
    // The box around the sprite's texture and its children under the
    // parent's record; without either it is kEmptyBounds, which any union
    // replaces.
    virtual TRect GetBounds(const TDrawSpec& parent, int32_t depth = -1);
    // Whether the point hits the sprite: inside the bounds (right and
    // bottom edges outside), and with a threshold of 0 or more the drawn
    // alpha at the point is at least the threshold.
    virtual bool HitTest(int32_t x, int32_t y, const TDrawSpec& parent, int32_t threshold,
                         int32_t depth = -1);
    virtual void SetTexture(const std::shared_ptr<TTexture>& texture);
    // Stable sort of the children by layer, ascending.
    virtual void SortChildren();

    std::shared_ptr<TTexture> GetTexture() const { return mTexture; }

    // Moves a child here: nothing when it is a child already; taken from
    // another parent first.
    void AddChild(const std::shared_ptr<TSprite>& child);
    void RemoveAllChildren();
    const std::vector<std::shared_ptr<TSprite>>& GetChildren() const { return mChildren; }
    TSprite* GetParent() const { return mParent; }

    void SetVisible(bool visible) { mVisible = visible; }
    bool IsVisible() const { return mVisible; }
    // A new layer re-sorts the parent's children.
    void SetLayer(int32_t layer);
    int32_t GetLayer() const { return mLayer; }

    // The sprite's own record (position, scale, colour, alpha, flags, blend
    // mode), changed in place by its owner.
    TDrawSpec& GetDrawSpec() { return mSpec; }
    const TDrawSpec& GetDrawSpec() const { return mSpec; }

    // The sprite's record under the parent's: transforms multiplied (own
    // first), alphas multiplied, flip bits XORed down the tree while bits 4
    // and 8 stay the sprite's own, blend mode -1 taking the parent's;
    // registration, colour and source rectangle stay the sprite's own.
    static TDrawSpec Combine(const TDrawSpec& own, const TDrawSpec& parent);

    // Sprites alive in the process, published as "current_sprite_count".
    static uint32_t GetLiveCount();
    // The 4x4 texture the pixel hit test draws into, or empty.
    static std::shared_ptr<TTexture> GetHitTestTexture();

    static const TRect kEmptyBounds;
    // The alpha a pixel needs to be hit: on a 16-bit display thresholds
    // above 240 round down to a multiple of 16.
    static int32_t EffectiveHitThreshold(int32_t threshold, bool sixteenBit);

protected:
    // Draws the texture with the combined record; the step between the
    // negative-layer children and the others.
    virtual void DrawTexture(const TDrawSpec& combined);
    // The pixel part of the hit test, after the bounds test passed.
    bool HitTestPixels(int32_t x, int32_t y, const TDrawSpec& parent, int32_t threshold,
                       int32_t depth);

private:
    TSprite* mParent = nullptr;
    bool mVisible = true;
    int32_t mLayer = 0;
    std::shared_ptr<TTexture> mTexture;
    TDrawSpec mSpec;
    std::vector<std::shared_ptr<TSprite>> mChildren;
};
