#pragma once

#include "framework/core/math/TMatrix.h"
#include "framework/core/math/TRect.h"
#include "framework/core/text/TColor32.h"
#include "framework/core/text/TString.h"
#include "framework/graphics/display/TDisplaySetup.h"
#include "framework/graphics/draw/TTextureSurface.h"
#include "framework/graphics/draw/TVertexList.h"
#include "platform/desktop/Desktop.h"
#include "platform/graphics/DeviceMatrix.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

class TTexture;
class TTextureData;

namespace platform {
class Window;
}

// The display handler: one renderer per process, made by the draw front.
// Given a graphics system (AttachGraphics, done by the platform on the real
// main window) it owns the display set-up: the device context, the display
// and its fallbacks and device-loss recovery go through TDisplaySetup.
// Without one (tests that give a window back end only) it sets the main
// window's size and full-screen state for a display mode. It keeps the
// pointer position and the cursor picture (a hardware cursor goes to the
// desktop as a colour cursor) and answers the questions the application
// frame asks. Whatever it cannot do it reports as failure. The platform
// attaches the main window and the desktop; the renderer does not own them.
// Main thread, except PresentFrame, GetCursorPosition and CanPresent.
//
// The drawing half (the draw front, TGraphics, is its only caller): begin
// and end of frame, render and texture-stage states with the blend table,
// the 2-D projection and its texel offset, viewports and the clip
// rectangle, vertex submission, colour fills and drawing into textures.
// Without a display every draw is skipped.
class TRenderer {
public:
    struct Point {
        int x = -1;
        int y = -1;
    };

    // What the drawing half asks of the program above it. Empty functions
    // answer "foreground", "not in the background mode" and do nothing.
    struct Host {
        // The main window is the foreground window.
        std::function<bool()> isForeground;
        // The window manager is in its background mode (a movie covers the
        // main window): frames are not presented.
        std::function<bool()> inBackgroundMode;
        // The window manager redraws everything at the next frame.
        std::function<void()> invalidateAll;
        // A frame was handed to the display to show.
        std::function<void()> presented;
    };

    // Render-target modes (what happens before and after drawing).
    static constexpr int32_t kTargetOpaque = 0;
    static constexpr int32_t kTargetKeepAlpha = 1;
    static constexpr int32_t kTargetOverTexture = 2;
    static constexpr int32_t kTargetOverTexture3 = 3;
    static constexpr int32_t kTargetAlpha = 4;

    TRenderer();
    TRenderer(const TRenderer&) = delete;
    TRenderer& operator=(const TRenderer&) = delete;
    virtual ~TRenderer();

    // The renderer, or null while none exists.
    static TRenderer* Get();

    void AttachWindow(platform::Window* window, platform::Desktop* desktop);
    // Gives the renderer a real display: from now on the display calls
    // below (set-up, full screen, validity, restore, out of video memory)
    // go through the display set-up on the graphics system. Needs the main
    // window attached first. Without it the renderer only sizes the window.
    void AttachGraphics(const TDXContextEnvironment& environment, const TDisplayHost& host);
    // Drops the display (before the graphics system and window go).
    void DetachGraphics() { mSetup.reset(); }
    TDisplaySetup* GetDisplaySetup() const { return mSetup.get(); }
    platform::Window* GetWindow() const { return mWindow; }

    // Starts as the setting "vsync" says; the setting's change hook sets it
    // later.
    void SetVerticalSync(bool on) { SetVSync(on); }
    bool GetVerticalSync() const { return mVerticalSync; }

    // Makes the display: the main window's client area becomes width by
    // height, full screen or not. False without a main window or when the
    // window refuses the mode.
    bool SetDisplay(int width, int height, bool fullScreen, bool force, bool quiet, bool hosted);
    // The display again at its size; false without a display.
    bool SetFullScreen(bool fullScreen);
    bool IsFullScreen() const {
        return mSetup ? mSetup->IsFullScreen() : mHasDisplay && mFullScreen;
    }
    void GetDisplayMode(int& width, int& height, bool& fullScreen) const;
    bool HasDisplay() const { return mSetup ? mSetup->IsReady() : mHasDisplay.load(); }
    int GetDisplayCount() const { return mDisplayCount; }
    // Measures once (after the first display set-up) which texel offset
    // lines texels up with pixels on this device: a small black-cornered
    // picture is drawn into a render target at ten offsets and read back.
    void CalibrateTexelOffset();
    int GetCalibrationCount() const { return mCalibrations; }
    float GetTexelOffset() const { return mTexelOffset; }
    void SetTexelOffset(float offset) { mTexelOffset = offset; }
    bool IsTexelOffsetTested() const { return mTexelOffsetTested; }

    // A display exists and is not lost.
    bool IsDeviceValid() const { return mSetup ? mSetup->IsDeviceValid() : mHasDisplay && !mLost; }
    // Brings a lost display back; false without a display or when told to
    // fail.
    bool Restore();
    int GetRestoreCount() const { return mRestores; }
    void ResetWorkingCount() {
        mWorkingCount = 0;
        if (mSetup)
            mSetup->ResetWorkingCount();
    }
    int GetWorkingCount() const { return mWorkingCount; }

    // Whether a frame may be presented now.
    bool CanPresent() const { return mSetup ? mSetup->CanPresent() : mHasDisplay && !mLost; }
    // Moves the cursor to the point ((-1, -1): where it is) and gives the
    // point it now stands at; x = -1 when there was nothing to draw.
    Point PresentFrame(int x, int y);
    // The last present has finished: the context asks the front surface
    // (false while the display is not ready). Without a display set-up the
    // window-only stand-in has nothing in flight.
    bool IsPresentDone() const {
        return mSetup ? mSetup->GetContext().IsPresentDone() : mHasDisplay.load();
    }
    // The pointer in display coordinates: where the main window's pointer
    // is, else the last point handed to PresentFrame.
    Point GetCursorPosition() const;
    void UpdateMouseCursor() {
        ++mWindowRectUpdates;
        if (IsSoftwareCursor())
            mSetup->GetContext().UpdateWindowRect();
    }
    int GetWindowRectUpdates() const { return mWindowRectUpdates; }
    void EraseMouseCursor() {
        ++mCursorErases;
        if (IsSoftwareCursor())
            mSetup->GetContext().HideCursor();
    }
    int GetCursorErases() const { return mCursorErases; }

    // Cursor picture. With the hardware cursor (the default) the picture
    // becomes the desktop's colour cursor. Without it ("--softwarecursor" on
    // the command line, or the setting "softwarecursor" = "1", or
    // SetHardwareCursor(false)) and with a real display, the device context
    // draws it into every frame: SetMouseImage's flags choose the slot, 2
    // the second slot (alpha kept, shown while set) and any other value (the
    // game passes 1) the main slot, which is colour-keyed on magenta; a
    // main-slot picture with see-through alpha is keyed on the way in.
    void SetHardwareCursor(bool on);
    bool GetHardwareCursor() const { return mHardwareCursor; }
    void SetMouseImage(const std::shared_ptr<TTexture>& image, int hotX, int hotY, int flags);
    const std::shared_ptr<TTexture>& GetMouseImage() const { return mMouseImage; }
    platform::CursorHandle GetHardwareCursorHandle() const { return mCursor; }
    // Sets the cursor again over the client area; false when there is no
    // hardware cursor to set.
    bool ApplySystemCursor();
    // The software cursor draws through the display.
    bool IsSoftwareCursor() const { return mSetup && !mHardwareCursor; }
    // Main thread: serves a cursor redraw the helper thread asked for by
    // presenting the last frame again with the cursor at its new place.
    void ServeCursorRedraw();

    // The texture-data factory: a new texture-data object for the current
    // display, owned by the caller. This first form has no display to make
    // one for: it says so in the log and gives null.
    TTextureData* CreateTextureData();

    void SetHost(const Host& host) { mHost = host; }
    // The picture is scaled by this inside a host window; a render target
    // draws at scale 1 and puts the second scale back at its end.
    void SetViewportScale(float scale) { mViewportScale = mSecondScale = scale; }
    float GetViewportScale() const { return mViewportScale; }
    void SetHosted(bool hosted) { mHosted = hosted; }

    // ---- Frames
    // Begins a frame (preserve: the visible picture is first copied back
    // into the back buffer). False when nothing may be drawn now: no
    // device, DirectX broken, a lost front or back buffer, a flip still in
    // progress, or a scene that cannot begin.
    bool BeginDraw(bool preserve);
    // Ends the frame begun by BeginDraw and, when present is set, shows it.
    // Harmless without a frame.
    void EndDraw(bool present);
    bool IsInFrame() const { return mInFrame; }
    bool Begin2dStates();
    bool Begin3dStates();
    void SetTexture(const std::shared_ptr<TTexture>& texture);
    void SetTextureSurface(const platform::SurfacePtr& surface);

    // ---- States (the setters that need a device do nothing without one)
    void SetShadeMode(int mode);
    void SetWorldTransform(const TMat4& matrix);
    void SetViewTransform(const TMat4& matrix);
    void SetProjection(const TMat4& matrix);
    void GetWorldTransform(TMat4& matrix) const;
    const TMat4& GetProjection() const { return mProjection; }
    void SetCullMode(int mode);
    void SetAmbient(const TColor& colour);
    void SetMaterial(const platform::Material& material);
    void SetZWrite(bool on);
    void SetZEnable(bool on);
    bool GetZWrite() const { return mZWrite; }
    bool GetZEnable() const { return mZEnable; }
    void SetTextureAddressing(int u, int v);
    void SetTextureFilter(int mode);
    // The device's vertex layout for a list format; selecting a format
    // inside a 2-D block rebuilds the 2-D projection when it is out of date.
    uint32_t SetVertexFormat(int32_t format);
    void SetBlendMode(int32_t mode);
    int32_t GetBlendMode() const { return mBlendMode; }
    void ApplyTextureStages(int32_t mode);
    void SetPerspective(float nearPlane, float farPlane, float fov, float aspect);
    void ResetTransforms();
    void SetRenderHint(const TString& key, const TString& value);
    TString GetRenderHint(const TString& key) const;
    bool IsProjectionDirty() const { return mProjectionDirty; }

    // ---- Viewports
    // The device viewport for r on a target, clamped to it and scaled in a
    // host window.
    platform::GfxResult SetDeviceViewport(const TRect& r, const TRect& target);
    bool ApplyViewport();
    void SetViewport(int32_t left, int32_t top, int32_t right, int32_t bottom);
    bool SetClipRect(const TRect& rect);
    TRect GetViewport() const { return mViewport; }
    const TRect& GetClipRect() const { return mClipRect; }
    const TRect& GetTargetRect() const { return mTargetRect; }
    // Draws into the back buffer touch only these rectangles (screen
    // pixels) until the region is set again; an empty list lifts it. False
    // when the device cannot cut its draws so (the region is then lifted).
    bool SetScissorRegion(const std::vector<TRect>& rects);
    void PushViewport(const TRect& rect);
    void PopViewport();
    size_t GetViewportDepth() const { return mViewportStack.size(); }
    bool ChangeRenderTarget(const platform::SurfacePtr& oldSurface,
                            const platform::SurfacePtr& newSurface);
    // The copies that bring a drawn render target back into a texture.
    void CopyTargetToTexture(const std::shared_ptr<TTexture>& texture, const TRect& rect);
    void CopyTargetAlphaToTexture(const std::shared_ptr<TTexture>& texture);
    void MakeTextureOpaque(const std::shared_ptr<TTexture>& texture);
    void CopyTargetToSurface(const TTextureSurface& texture, const TRect& rect);
    void CopyTargetAlphaToSurface(const TTextureSurface& texture);
    static void MakeSurfaceOpaque(const TTextureSurface& texture);
    platform::GfxResult WaitForFlip();

    // ---- Submission, fills, render targets
    void DrawVertices(uint32_t primitive, const TVertexList& list);
    void DrawIndexedVertices(uint32_t primitive, const TVertexList& list, const uint16_t* indices,
                             uint32_t count);
    // The same with 32-bit indices, for lists beyond 65,535 vertices.
    void DrawIndexedVertices(uint32_t primitive, const TVertexList& list, const uint32_t* indices,
                             uint32_t count);
    void FillRect(int32_t left, int32_t top, int32_t right, int32_t bottom, const TColor& colour,
                  const std::shared_ptr<TTexture>& texture);
    void FillSurfaceRect(int32_t left, int32_t top, int32_t right, int32_t bottom,
                         const TColor& colour, const TTextureSurface* texture);
    bool BeginRenderTarget(const std::shared_ptr<TTexture>& texture, int32_t mode);
    bool BeginRenderTarget(const TTextureSurface& texture, int32_t mode);
    void EndRenderTarget();
    bool IsAlphaTarget() const { return mTargetOpen && mTargetMode == kTargetAlpha; }
    bool IsTargetOpen() const { return mTargetOpen; }
    // Indices the identity index buffer holds (it grows, never shrinks).
    uint32_t GetIndexCapacity() const { return static_cast<uint32_t>(mIndexBuffer.size()); }
    void SetExpandIndexedDraws(bool on) { mExpandIndexedDraws = on; }
    // A 16-bit render surface was refused by the device.
    bool SixteenBitTargetsFail() const { return mSixteenBitTargetsFail; }
    // Frames handed to the display to show.
    int GetPresentCount() const { return mPresents; }

    // The device takes square textures only.
    bool IsSquareTexturesOnly() const { return mSetup && mSetup->IsSquareTexturesOnly(); }

    // ---- Presentation and the cursor, forwarded to the device context
    void SetVSync(bool on);
    void FlipToGDISurface();

    void OnOutOfVideoMemory() {
        mLowMemory = true;
        if (mSetup)
            mSetup->OnOutOfVideoMemory();
    }
    bool IsLowMemory() const { return mSetup ? mSetup->IsLowMemoryVideo() : mLowMemory; }

    // Test controls: the display is lost (as a device loss would leave it);
    // Restore fails while told to.
    void LoseDevice() { mLost = true; }
    void FailRestore(bool fail) { mRestoreFails = fail; }

private:
    // The device's transforms, as a fill that opens a block of its own
    // finds them and puts them back.
    struct KeptTransforms {
        platform::DeviceMatrix world;
        platform::DeviceMatrix view;
        platform::DeviceMatrix projection;
        bool valid = false;
    };
    void KeepTransforms(KeptTransforms& kept) const;
    void RestoreTransforms(const KeptTransforms& kept);
    void MakeHardwareCursor();
    void GiveSoftwareCursor();
    platform::GraphicsDevice* Device() const;
    bool IsBroken() const;
    void MarkBroken();
    bool IsDeviceReady();
    void StartDrawState(int width, int height);
    platform::GfxResult UpdateFrame();
    void SetRenderState(platform::RenderState state, uint32_t value, int line);
    void SetStageState(platform::StageState state, uint32_t value, int line);
    platform::SurfacePtr RenderSurface() const;
    uint32_t DisplayDepth() const;
    void UndoRenderTarget();
    void DrawIndexedAny(uint32_t primitive, const TVertexList& list, const uint16_t* indices,
                        const uint32_t* wideIndices, uint32_t count);

    platform::Window* mWindow = nullptr;
    platform::Desktop* mDesktop = nullptr;
    std::unique_ptr<TDisplaySetup> mSetup;
    std::atomic<bool> mVerticalSync{false};
    bool mLowMemory = false;
    std::atomic<bool> mHasDisplay{false};
    std::atomic<bool> mLost{false};
    bool mRestoreFails = false;
    bool mFullScreen = false;
    int mWidth = 0;
    int mHeight = 0;
    int mDisplayCount = 0;
    int mCalibrations = 0;
    int mRestores = 0;
    int mWorkingCount = 0;
    int mWindowRectUpdates = 0;
    int mCursorErases = 0;
    mutable std::mutex mPointerLock;
    Point mPointer;
    // Read by the helper thread's cursor updates.
    std::atomic<bool> mHardwareCursor{true};
    std::shared_ptr<TTexture> mMouseImage;
    int mHotX = 0;
    int mHotY = 0;
    int mMouseFlags = 0;
    platform::CursorHandle mCursor = 0;

    // The drawing record.
    Host mHost;
    float mViewportScale = 1.0f;
    float mSecondScale = 1.0f;
    bool mHosted = false;
    TRect mViewport;
    TRect mTargetRect;
    TRect mClipRect;
    TRect mSavedRect;
    std::vector<TRect> mViewportStack; // newest last
    int32_t mBlendMode = -1;
    bool mZWrite = false;
    bool mZEnable = false;
    bool mProjectionDirty = true;
    TMat4 mProjection;
    // What the device was last given (a new or restored device starts
    // unknown), so that unchanged states are not sent before every draw.
    bool mProjectionOnDevice = false;
    int mDeviceLighting = -1;
    float mNearPlane = 0.1f;
    float mFarPlane = 1000.0f;
    bool mAntialias = false;
    bool mNewSubtractive = false;
    bool mNewRenderBlend = false;
    bool mTexelOffsetTested = false;
    float mTexelOffset = -0.5f;
    bool mInFrame = false;
    bool mExpandIndexedDraws = false;
    bool mTextureBound = false;
    // The open render target.
    bool mTargetOpen = false;
    int32_t mTargetMode = 0;
    TTextureSurface mTarget;
    std::shared_ptr<TTexture> mTargetTexture;
    bool mHintAntialias = false;
    bool mSixteenBitTargetsFail = false;
    int mPresents = 0;
    std::vector<uint32_t> mIndexBuffer;
    std::vector<TVertex> mExpanded;
};
