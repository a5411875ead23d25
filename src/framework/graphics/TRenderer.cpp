#include "framework/graphics/TRenderer.h"

#include "framework/core/log/TLog.h"
#include "framework/core/settings/TCommandLine.h"
#include "framework/core/settings/TSettings.h"
#include "framework/graphics/TTexture.h"
#include "framework/graphics/cursor/TCursorImage.h"
#include "framework/graphics/texture/TDxTextureData.h"
#include "platform/window/Window.h"

namespace {
std::atomic<TRenderer*> gRenderer{nullptr};
}

TRenderer::TRenderer() {
    // The settings file is read before the draw front makes the renderer.
    mVerticalSync = GetSettingBool(TSettingKey::kVsync);
    mHardwareCursor = !(GetSettingBool(TString("softwarecursor")) ||
                        TCommandLine::GetProcessCommandLine().HasSwitch("--softwarecursor"));
    gRenderer = this;
}

TRenderer::~TRenderer() {
    if (mDesktop && mCursor != 0) {
        mDesktop->SetCursor(0);
        mDesktop->DestroyCursor(mCursor);
    }
    TRenderer* self = this;
    gRenderer.compare_exchange_strong(self, nullptr);
}

TRenderer* TRenderer::Get() {
    return gRenderer;
}

void TRenderer::AttachWindow(platform::Window* window, platform::Desktop* desktop) {
    mWindow = window;
    mDesktop = desktop;
}

void TRenderer::AttachGraphics(const TDXContextEnvironment& environment, const TDisplayHost& host) {
    mSetup = std::make_unique<TDisplaySetup>(environment, mWindow, host);
    mHosted = environment.hosted;
    SetViewportScale(environment.viewportScale);
    mSetup->SetHintAntialias(mHintAntialias);
    mSetup->SetAntialias(mAntialias);
    mSetup->GetContext().SetVerticalSync(mVerticalSync);
}

platform::GraphicsDevice* TRenderer::Device() const {
    return mSetup ? mSetup->GetDevice().get() : nullptr;
}

bool TRenderer::IsBroken() const {
    return mSetup && mSetup->IsBroken();
}

void TRenderer::MarkBroken() {
    if (mSetup)
        mSetup->MarkBroken();
}

// A device to give states to; its absence marks DirectX broken.
bool TRenderer::IsDeviceReady() {
    return mSetup && mSetup->IsDeviceValid();
}

platform::SurfacePtr TRenderer::RenderSurface() const {
    platform::SurfacePtr surface;
    if (platform::GraphicsDevice* device = Device())
        device->GetRenderTarget(surface);
    return surface;
}

uint32_t TRenderer::DisplayDepth() const {
    return mSetup ? mSetup->GetDisplayDepth() : 0;
}

// A new display: the whole surface is the target, the viewport and the
// clip rectangle; the states are set again at the next block.
void TRenderer::StartDrawState(int width, int height) {
    mTargetRect = TRect(0, 0, width, height);
    mViewport = mTargetRect;
    mClipRect = mTargetRect;
    mSavedRect = mTargetRect;
    mProjectionDirty = true;
    mProjectionOnDevice = false;
    mDeviceLighting = -1;
    mInFrame = false;
    mExpandIndexedDraws = mSetup && mSetup->ExpandIndexedDraws();
    if (Device())
        SetDeviceViewport(mViewport, mTargetRect);
}

void TRenderer::SetVSync(bool on) {
    mVerticalSync = on;
    if (mSetup)
        mSetup->GetContext().SetVerticalSync(on);
}

void TRenderer::FlipToGDISurface() {
    if (!mSetup)
        return;
    if (platform::GraphicsDisplay* display = mSetup->GetContext().GetDirectDraw())
        display->FlipToGdiSurface();
}

bool TRenderer::SetDisplay(int width, int height, bool fullScreen, bool force, bool quiet,
                           bool hosted) {
    if (mSetup) {
        if (width <= 0 || height <= 0) {
            LogPrintf("TRenderer::SetDisplay: refused a %dx%d display", width, height);
            return false;
        }
        mSetup->SetDisplay(static_cast<uint32_t>(width), static_cast<uint32_t>(height), fullScreen,
                           force, quiet, hosted);
        if (!mSetup->IsReady())
            return false;
        mSetup->GetDisplayMode(mWidth, mHeight, mFullScreen);
        StartDrawState(mWidth, mHeight);
        ++mDisplayCount;
        return true;
    }
    if (!mWindow || !mWindow->IsCreated()) {
        LogPrintf("TRenderer::SetDisplay: there is no main window for a %dx%d display", width,
                  height);
        return false;
    }
    if (width <= 0 || height <= 0) {
        LogPrintf("TRenderer::SetDisplay: refused a %dx%d display", width, height);
        return false;
    }
    if (mWindow->IsFullScreen() && !fullScreen) {
        mWindow->SetFullScreen(false);
    }
    mWindow->SetClientSize(width, height);
    if (fullScreen && !mWindow->SetFullScreen(true)) {
        LogPrintf("TRenderer::SetDisplay: full screen refused, the display stays in a window");
        fullScreen = false;
    }
    mWidth = width;
    mHeight = height;
    mFullScreen = fullScreen;
    mHasDisplay = true;
    mLost = false;
    ++mDisplayCount;
    return true;
}

bool TRenderer::SetFullScreen(bool fullScreen) {
    if (mSetup) {
        if (!mSetup->SetFullScreen(fullScreen))
            return false;
        mSetup->GetDisplayMode(mWidth, mHeight, mFullScreen);
        if (mSetup->IsReady())
            StartDrawState(mWidth, mHeight);
        return mSetup->IsReady() && mFullScreen == fullScreen;
    }
    if (!mHasDisplay) {
        return false;
    }
    return SetDisplay(mWidth, mHeight, fullScreen, false, false, false) &&
           mFullScreen == fullScreen;
}

void TRenderer::GetDisplayMode(int& width, int& height, bool& fullScreen) const {
    if (mSetup) {
        mSetup->GetDisplayMode(width, height, fullScreen);
        return;
    }
    width = mWidth;
    height = mHeight;
    fullScreen = IsFullScreen();
}

TTextureData* TRenderer::CreateTextureData() {
    return new TDxTextureData(GetRendererTextureDisplay());
}

bool TRenderer::Restore() {
    ++mRestores;
    if (mSetup) {
        mSetup->Restore();
        mProjectionOnDevice = false;
        mDeviceLighting = -1;
        if (mSetup->IsReady()) {
            int width = 0, height = 0;
            bool full = false;
            mSetup->GetDisplayMode(width, height, full);
            if (mTargetRect != TRect(0, 0, width, height))
                StartDrawState(width, height);
        }
        return mSetup->IsDeviceValid();
    }
    if (!mHasDisplay || mRestoreFails) {
        return false;
    }
    mLost = false;
    return true;
}

TRenderer::Point TRenderer::PresentFrame(int x, int y) {
    if (IsSoftwareCursor()) {
        const TDXContext::Point p = mSetup->GetContext().UpdateCursor(x, y, false);
        return Point{p.x, p.y};
    }
    if (x == -1 && y == -1) {
        return Point();
    }
    std::lock_guard<std::mutex> lock(mPointerLock);
    mPointer.x = x;
    mPointer.y = y;
    ++mWorkingCount;
    return mPointer;
}

TRenderer::Point TRenderer::GetCursorPosition() const {
    int32_t x = 0, y = 0;
    if (mWindow && mWindow->GetPointerPosition(x, y)) {
        return Point{x, y};
    }
    std::lock_guard<std::mutex> lock(mPointerLock);
    return mPointer;
}

void TRenderer::SetHardwareCursor(bool on) {
    if (on == mHardwareCursor) {
        return;
    }
    mHardwareCursor = on;
    if (on) {
        if (mSetup) {
            // Neither slot is drawn any more.
            mSetup->GetContext().SetMouseImage(nullptr, 0, 0, true);
            mSetup->GetContext().SetMouseImage(nullptr, 0, 0, false);
        }
        MakeHardwareCursor();
    } else {
        if (mDesktop) {
            // The picture is drawn into the frames from now on.
            mDesktop->ShowCursor(false);
        }
        GiveSoftwareCursor();
    }
}

// Hands the picture to the device context; the main slot takes it keyed.
void TRenderer::GiveSoftwareCursor() {
    if (!IsSoftwareCursor()) {
        return;
    }
    const bool second = (mMouseFlags & 2) != 0;
    std::shared_ptr<TTexture> picture = mMouseImage;
    if (picture && !second) {
        bool changed = false;
        std::vector<uint8_t> keyed = KeyTransparentPixels(
            picture->GetPixels().data(), picture->GetWidth(), picture->GetHeight(), changed);
        if (changed) {
            picture = std::make_shared<TTexture>(picture->GetName(), picture->GetWidth(),
                                                 picture->GetHeight(), std::move(keyed));
        }
    }
    if (mDesktop && picture) {
        mDesktop->ShowCursor(false);
    }
    mSetup->GetContext().SetMouseImage(picture, mHotX, mHotY, second);
}

void TRenderer::ServeCursorRedraw() {
    if (IsSoftwareCursor() && mSetup->CanPresent()) {
        mSetup->GetContext().ServeCursorRedraw();
    }
}

void TRenderer::SetMouseImage(const std::shared_ptr<TTexture>& image, int hotX, int hotY,
                              int flags) {
    mMouseImage = image;
    mHotX = hotX;
    mHotY = hotY;
    mMouseFlags = flags;
    if (mHardwareCursor) {
        MakeHardwareCursor();
    } else {
        GiveSoftwareCursor();
    }
}

void TRenderer::MakeHardwareCursor() {
    if (!mDesktop || !mMouseImage)
        return;
    const std::vector<uint8_t> pixels = mMouseImage->GetPixels();
    if (pixels.empty())
        return;
    platform::CursorHandle cursor = mDesktop->CreateColorCursor(
        pixels.data(), mMouseImage->GetWidth(), mMouseImage->GetHeight(),
        mMouseImage->GetWidth() * 4, mHotX, mHotY);
    if (cursor == 0) {
        LogPrintf("TRenderer: no hardware cursor from %s", mMouseImage->GetName().CStr());
        return;
    }
    mDesktop->SetCursor(cursor);
    mDesktop->ShowCursor(true);
    if (mCursor != 0) {
        mDesktop->DestroyCursor(mCursor);
    }
    mCursor = cursor;
}

bool TRenderer::ApplySystemCursor() {
    if (!mDesktop || !mHardwareCursor || mCursor == 0) {
        return false;
    }
    return mDesktop->SetCursor(mCursor);
}
