#pragma once

#include "framework/core/text/TString.h"

#include <cstdint>
#include <vector>

// A named point of a frame (a hand, a muzzle), relative to the frame.
struct TAnimationAnchor {
    TString mName;
    int32_t mX = 0;
    int32_t mY = 0;

    bool operator==(const TAnimationAnchor&) const = default;
};

// The first transform value of a frame that has no transform of its own.
inline constexpr float kNoFrameTransform = -10000000.0f;

// One frame of an animation: a rectangle of the animation's image, the
// point of it that lands on the drawing position, its anchors, its alpha and
// an optional 2-D affine transform with rows (a, b, 0), (c, d, 0), (tx, ty, 1).
struct TAnimationFrame {
    TString mName;
    int32_t mX = 0;
    int32_t mY = 0;
    int32_t mW = 0;
    int32_t mH = 0;
    int32_t mRegX = 0;
    int32_t mRegY = 0;
    std::vector<TAnimationAnchor> mAnchors;
    // a, b, c, d, tx, ty; a == kNoFrameTransform: none.
    float mTransform[6] = {kNoFrameTransform, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f};
    float mAlpha = 1.0f;

    bool HasTransform() const { return mTransform[0] != kNoFrameTransform; }
    int32_t GetAnchorCount() const { return static_cast<int32_t>(mAnchors.size()); }
    // True when the rectangle has no negative coordinate or size and ends
    // inside an image of that size (a size of 0 or less: any image, as long
    // as the edges stay in the int range).
    bool LiesInside(int32_t imageWidth, int32_t imageHeight) const;
    bool operator==(const TAnimationFrame& other) const;
};

// What an animation file holds, plus where it came from: the record an
// animated texture owns and plays. Filled by the readers in TAnimationFile.h.
struct TAnimationData {
    TString mName;          // the sequence's "name"
    TString mSource;        // the sequence's "source"
    TString mAssetName;     // the name the animation was asked for
    TString mImageFileName; // relative to mDirectory, or as it stands
    TString mMaskFileName;  // empty: no mask
    TString mDirectory;     // the asset name up to and including its last "/" or "\"
    TString mScript;        // Lua source that plays the frames
    int32_t mMaxFrameWidth = 0;
    int32_t mMaxFrameHeight = 0;
    int32_t mCurrentFrame = 0; // -1: none
    int32_t mImageRegX = 0;
    int32_t mImageRegY = 0;
    int32_t mImageWidth = 0;
    int32_t mImageHeight = 0;
    std::vector<TAnimationFrame> mFrames;

    int32_t GetFrameCount() const { return static_cast<int32_t>(mFrames.size()); }
    // Accepts -1 (no frame: nothing is drawn) up to the last frame; any
    // other index is ignored and the result is false.
    bool SetCurrentFrame(int32_t index);
    // The current frame, or null while there is none.
    const TAnimationFrame* GetCurrentFrame() const;
    // Size of the current frame; 0 while there is none.
    int32_t GetCurrentWidth() const;
    int32_t GetCurrentHeight() const;
    // Raises the largest frame size to every frame's size.
    void UpdateLargestFrame();
    // The index of the first frame whose rectangle leaves an image of that
    // size (see TAnimationFrame::LiesInside), or -1 when every frame fits.
    int32_t FindFrameOutside(int32_t imageWidth, int32_t imageHeight) const;
    // The same content, leaving out the asset name, directory and current
    // frame (which say where and how the record is used, not what it holds).
    bool SameContent(const TAnimationData& other) const;
};

// The script of an animation file that brings none: show every frame in
// order, 60 ms apart.
TString MakeDefaultAnimationScript(int32_t frameCount);
