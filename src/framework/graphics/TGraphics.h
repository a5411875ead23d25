#pragma once

#include "framework/core/math/TMatrix.h"
#include "framework/core/math/TRect.h"
#include "framework/core/text/TColor32.h"
#include "framework/core/text/TString.h"
#include "framework/graphics/draw/TTextureSurface.h"
#include "framework/graphics/draw/TVertexList.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class TRenderer;
class TTextLayout;
class TTexture;

// Blend modes of textures, sprites and particles; -1 in a draw spec leaves
// the current mode.
using TBlendMode = int32_t;
inline constexpr TBlendMode kBlendAlpha = 0;
inline constexpr TBlendMode kBlendOpaque = 1;
inline constexpr TBlendMode kBlendAdditive = 2;
inline constexpr TBlendMode kBlendSubtractive = 3;
inline constexpr TBlendMode kBlendMultiply = 4;

// The draw front through which every drawing call passes (window tree,
// sprites, textures, text, particles, vector drawing). It guards the order
// of the calls with a small state machine (frame, render target, 2-D
// block, 3-D block) whose refusals are logged, keeps the clip-rectangle
// stack and the selected texture, forwards states, transforms and
// viewports to the renderer, measures the frame rate and draws the debug
// overlay at the end of a frame. One instance, made on first use with its
// renderer (unless one exists) and destroyed by the application
// destructor. Main thread only.
class TGraphics {
public:
    // The draw front, made on first call.
    static TGraphics* Get();
    // Destroys the draw front; a later Get makes a new one.
    static void Destroy();
    static bool Exists();

    // ---- Frames, targets and blocks
    bool BeginDraw(bool preserve = false);
    void EndDraw(bool present = true);
    // Draws into the texture (see TRenderer's render-target modes). Refused
    // for a "simple" texture and while a frame or another target is open.
    bool BeginRenderTarget(const std::shared_ptr<TTexture>& texture, int32_t mode = 0);
    // The same for a texture given by its surface.
    bool BeginRenderTarget(const TTextureSurface& texture, int32_t mode);
    void EndRenderTarget();
    bool Begin2d();
    void End2d();
    bool Begin3d();
    void End3d();
    bool IsIn2d() const { return mIn2d; }
    bool IsIn3d() const { return mIn3d; }
    bool IsDrawing() const { return mInDraw || mInRenderTarget; }
    bool IsInRenderTarget() const { return mInRenderTarget; }

    // Draws a vertex list; only inside a 2-D or 3-D block. Primitive types:
    // 4 triangle list, 5 strip, 6 fan. Both argument orders are taken.
    void DrawVertices(const TVertexList& list, uint32_t primitive);
    void DrawVertices(uint32_t primitive, const TVertexList& list) {
        DrawVertices(list, primitive);
    }

    // ---- State
    void SetTexture(const std::shared_ptr<TTexture>& texture);
    std::shared_ptr<TTexture> GetTexture() const { return mTexture; }
    void SetBlendMode(TBlendMode mode);
    void SetCullMode(int mode);
    void SetFilterMode(int mode);
    void SetWorldTransform(const TMat4& matrix);
    void GetWorldTransform(TMat4& matrix) const;
    TRect GetViewport() const;
    void PushViewport(const TRect& rect);
    void PopViewport();

    // ---- Clip stack: the last entry is in force; the bottom one is never
    // popped.
    void PushClipRect(const TRect& rect);
    void PopClipRect();
    // The top rectangle; empty with an empty stack.
    TRect GetClipRect() const { return mClipStack.empty() ? TRect() : mClipStack.back(); }
    size_t GetClipDepth() const { return mClipStack.size(); }

    // Fills a rectangle with a colour: without a texture the rectangle is
    // relative to the viewport and cut to it; with one it is in the
    // texture's pixels.
    void FillRect(const TRect& rect, const TColor& colour,
                  const std::shared_ptr<TTexture>& texture = nullptr);
    int GetFillCount() const { return mFills; }
    TRect GetLastFillRect() const { return mLastFill; }
    uint32_t GetLastFillColour() const { return mLastFillColour; }

    // ---- Options, capabilities, overlay
    void SetOption(const TString& key, const TString& value);
    TString GetOption(const TString& key) const;
    bool RequiresSquareTextures() const;
    // The debug overlay (frame figures) on or off; gives the new state.
    bool ToggleOverlay() {
        mOverlay = !mOverlay;
        return mOverlay;
    }
    bool IsOverlayOn() const { return mOverlay; }

    // ---- Frame rate: measured over the last 15 frames, 0 before.
    float GetFramesPerSecond() const { return mFramesPerSecond; }
    // The application clock in milliseconds (by default a steady clock).
    void SetClock(std::function<uint32_t()> clock) { mClock = std::move(clock); }

    // The overlay's text as it was last formatted (markup of the text
    // layout: "<br>", "<tab pos='150'>").
    const TString& GetOverlayText() const { return mOverlayText; }

    // The renderer this draw front talks to (null while none exists).
    TRenderer* GetRenderer() const;

private:
    static constexpr int kFrameRing = 15;

    TGraphics();
    ~TGraphics();
    void DrawOverlay();

    std::unique_ptr<TRenderer> mOwnRenderer;
    TString mOverlayText;
    // Made on the first overlay frame.
    std::unique_ptr<TTextLayout> mOverlayLayout;
    uint32_t mFrameIndex = 0;
    float mFramesPerSecond = 0.0f;
    uint32_t mFrameTimes[kFrameRing] = {};
    bool mOverlay = false;
    std::shared_ptr<TTexture> mTexture;
    std::vector<TRect> mClipStack;
    bool mIn2d = false;
    bool mIn3d = false;
    bool mInDraw = false;
    bool mInRenderTarget = false;
    std::function<uint32_t()> mClock;
    int mFills = 0;
    TRect mLastFill;
    uint32_t mLastFillColour = 0;
};
