#pragma once

#include "framework/core/text/TString.h"
#include "framework/graphics/TTexture.h"
#include "framework/graphics/animation/TAnimationData.h"
#include "framework/graphics/sprite/TDrawSpec.h"

#include <cstdint>
#include <memory>

// A texture whose image holds the frames of an animation: the animation
// file (".xml" or ".anm") names the image and lists the frames with their
// registration points, alphas and transforms, and carries the script that
// plays them. One frame is current at a time; width, height and drawing
// apply to it. Shared by name, image and mask; animated sprites select
// their own frame on it before each use. Main thread only.
class TAnimatedTexture : public TTexture {
public:
    explicit TAnimatedTexture(const TString& assetName);

    // The animation of that name with the image and mask given (empty: the
    // file's), shared by key through the asset manager while someone holds
    // it; empty when the animation file or its image does not load.
    static std::shared_ptr<TAnimatedTexture> Get(const TString& name, const TString& image,
                                                 const TString& mask);
    // A new animated texture of that asset name registered under the key,
    // with nothing loaded yet.
    static std::shared_ptr<TAnimatedTexture> Create(const TString& name, const TString& key);

    const char* GetClassName() const override { return "TAnimatedTexture"; }
    bool IsKindOf(TClassId id) const override {
        return id == GetClassId() || TTexture::IsKindOf(id);
    }
    static TClassId GetClassId();

    // Size of the current frame; 0 without one.
    uint32_t GetWidth() const override;
    uint32_t GetHeight() const override;
    // Draws the current frame (nothing while there is none). The image goes
    // to the display at the first draw.
    void Draw(const TDrawSpec& spec) override;
    void Blit(int32_t x, int32_t y, const TRect* source, TTexture* destination) override;
    // Nothing to restore while the image waits for its first draw.
    void RestoreResources() override;

    // The cache key: name, image and mask joined by ":".
    static TString MakeAnimationKey(const TString& name, const TString& image, const TString& mask);

    // Reads the animation file: the asset name as given, else with ".xml",
    // else with ".anm" appended. A non-empty image or mask replaces the
    // file's. False (the record left as it was) when none reads.
    bool LoadAnimation(const TString& image, const TString& mask);
    // Loads the animation's image (always with an alpha channel): from the
    // animation's folder first, then as named; with the mask when there is
    // one.
    bool LoadImage();
    // Checks the image as LoadImage would, decoding it without keeping it,
    // and leaves the load to the first draw. Many animations wait long for
    // that (an avatar never chosen, an effect never played), and their
    // pictures would hold memory meanwhile.
    bool CheckImage();
    // The image waits for its first draw.
    bool IsImagePending() const { return mImagePending; }

    // Accepted from -1 (no frame: nothing is drawn, size 0) up to the last
    // frame; anything else is ignored.
    void SetCurrentFrame(int32_t index) { mAnimation.SetCurrentFrame(index); }
    int32_t GetCurrentFrame() const { return mAnimation.mCurrentFrame; }
    int32_t GetFrameCount() const { return mAnimation.GetFrameCount(); }
    TString GetScript() const { return mAnimation.mScript; }
    const TString& GetDirectory() const { return mAnimation.mDirectory; }
    const TString& GetAssetName() const { return mAnimation.mAssetName; }
    // The registration point of a frame; false (and 0, 0) for an index
    // outside the frames.
    bool GetFrameRegistration(int32_t index, int32_t& regX, int32_t& regY) const;
    const TAnimationData& GetAnimation() const { return mAnimation; }

    // Size of the current frame; 0 without one.
    int32_t GetFrameWidth() const { return mAnimation.GetCurrentWidth(); }
    int32_t GetFrameHeight() const { return mAnimation.GetCurrentHeight(); }

    // The record that draws the current frame under the caller's: the
    // frame's registration point (mirrored with the flips) unless the
    // caller set its own, the frame's transform first, the frame's
    // rectangle as the source (a caller's source rectangle is taken inside
    // the frame and cut to it) and the frame's alpha. False when nothing is
    // to be drawn: no current frame, a frame of width 0, or a caller's
    // rectangle wholly outside the frame.
    bool MakeFrameSpec(const TDrawSpec& spec, TDrawSpec& out) const;

private:
    // Loads or decodes the image; the decoded one's size in width, height.
    bool ReadImage(bool load, uint32_t& width, uint32_t& height);
    // Frames that leave a width x height image: logged, true.
    bool FramesLeave(uint32_t width, uint32_t height) const;
    void LoadPendingImage();

    TAnimationData mAnimation;
    bool mImagePending = false;
};
