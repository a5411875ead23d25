#include "framework/graphics/display/TDisplaySetup.h"

#include "framework/core/files/TFile.h"
#include "framework/core/log/TLog.h"
#include "framework/core/settings/TSettings.h"
#include "framework/core/xml/TXmlNode.h"
#include "framework/graphics/display/DxError.h"
#include "platform/desktop/Desktop.h"
#include "platform/graphics/DeviceMatrix.h"
#include "platform/process/ProcessControl.h"
#include "platform/window/Window.h"

#include <cstdlib>

using namespace platform;

namespace {

constexpr char kSource[] = "TRenderer";

constexpr char kOutOfMemoryText[] =
    "You cannot run this application at your current screen resolution or bit depth (out of "
    "memory). Change your display settings and run again. Closing other applications might "
    "also help.";

// Clears a re-entrancy flag however the scope ends (an exit request of the
// process control may unwind through it).
struct ClearOnExit {
    bool& flag;
    ~ClearOnExit() { flag = false; }
};

} // namespace

TDisplaySetup::TDisplaySetup(const TDXContextEnvironment& environment, Window* mainWindow,
                             const TDisplayHost& host)
    : mEnvironment(environment), mMainWindow(mainWindow), mHost(host) {
    mEnvironment.expandIndexedDraws = &mExpandIndexedDraws;
    mEnvironment.lowMemoryVideo = &mLowMemoryVideo;
    mContext = std::make_unique<TDXContext>(mEnvironment);
    if (mEnvironment.pqGiven)
        return;
    TXmlNode root;
    root.LoadFile(TString(kDisplayFile));
    const TXmlNode* settings = root.FindChild("Settings");
    if (settings && std::atoi(settings->GetAttribute("LowMemoryVideo").CStr()) != 0) {
        mLowMemoryVideo = true;
        LogPrintf("Low memory video card setting enabled!");
    }
}

bool TDisplaySetup::Active() const {
    return mHost.isActive ? mHost.isActive() : true;
}

uint32_t TDisplaySetup::Now() const {
    return mHost.now ? mHost.now() : 0;
}

void TDisplaySetup::Box(const char* caption, const char* text, uint32_t flags) {
    if (mEnvironment.desktop)
        mEnvironment.desktop->ShowMessageBox(caption, text, flags);
    else
        LogPrintf("%s: %s", caption, text);
}

// The process ends here; a test's process control returns, and so does this.
void TDisplaySetup::Exit() {
    CurrentProcessControl().Exit(-1);
}

void TDisplaySetup::Sleep(uint32_t ms) {
    CurrentProcessControl().Sleep(ms);
}

bool TDisplaySetup::WindowTooBig(int32_t width, int32_t height) const {
    FrameBorders borders;
    if (!mEnvironment.system->GetFrameBorders(borders))
        borders = FrameBorders();
    return mContext->GetDesktopWidth() < width + borders.edgeX + borders.frameX ||
           mContext->GetDesktopHeight() < height + borders.edgeY + borders.frameY + borders.caption;
}

void TDisplaySetup::GetDisplayMode(int& width, int& height, bool& fullScreen) const {
    width = mTargetRect.Width();
    height = mTargetRect.Height();
    fullScreen = mFullScreen;
}

void TDisplaySetup::SetDisplay(uint32_t width, uint32_t height, bool fullScreen, bool force,
                               bool quiet, bool hosted) {
    mReady = false;
    std::lock_guard lock(mContext->GetMouseMutex());
    if (mInSetup) {
        Sleep(50);
        return;
    }
    mInSetup = true;
    const ClearOnExit clear{mInSetup};
    SetDisplayGuarded(width, height, fullScreen, force, quiet, hosted);
}

void TDisplaySetup::SetDisplayGuarded(uint32_t width, uint32_t height, bool fullScreen, bool force,
                                      bool quiet, bool hosted) {
    if (mHost.portal && mHost.portal()) {
        fullScreen = false;
        quiet = true;
    }
    if (!mMainWindow)
        return;
    const bool requested = fullScreen;
    if (mMainWindow->IsMinimized()) {
        Sleep(100);
        return;
    }
    if (mLowMemoryVideo) {
        if (mEnvironment.pqGiven) {
            Box("Error", kOutOfMemoryText, kMbOk | kMbIconWarning);
            Exit();
            return;
        }
        LogPrintf("SetDisplay Forcing Fullscreen (MEMORY)");
        fullScreen = true;
    }
    const bool active = Active();
    if (!active && !force)
        return;
    if (mHost.placeInHost && mHost.placeInHost()) {
        if (mEnvironment.externalParent && mHost.externalParentExists &&
            !mHost.externalParentExists()) {
            LogPrintf("Error: mExternalWindowParent is lost, exiting!");
            Exit();
            return;
        }
        if (mEnvironment.externalParent && !fullScreen)
            hosted = true;
        PlaceInHost(fullScreen);
    }
    if (mFatal) {
        Exit();
        return;
    }
    const bool externalParent = mEnvironment.externalParent;
    if (externalParent && mEverBroken && Now() - mLastBrokenTime < 1000)
        return;
    mWorkingCount = 0;

    const bool paletted = mContext->GetDesktopColors() != -1;
    if (!fullScreen && paletted) {
        if (externalParent) {
            Box("Error",
                "You cannot run this application when your video mode is 8 bits or less. Change "
                "your display settings and run again.",
                kMbOk | kMbIconWarning);
            Exit();
            return;
        }
        LogPrintf("SetDisplay Forcing Fullscreen (PALLETTED)");
        fullScreen = true;
    }
    if (fullScreen == mFullScreen && static_cast<int32_t>(width) == mTargetRect.Width() &&
        static_cast<int32_t>(height) == mTargetRect.Height() && !force) {
        mReady = true;
        return;
    }

    bool memoryCheck = true;
    if (!mEnvironment.pqGiven) {
        const auto scaledW =
            static_cast<int32_t>(static_cast<float>(width) * mEnvironment.viewportScale);
        const auto scaledH =
            static_cast<int32_t>(static_cast<float>(height) * mEnvironment.viewportScale);
        if (!fullScreen && WindowTooBig(scaledW, scaledH)) {
            memoryCheck = false;
            if (externalParent) {
                Box("Error",
                    "You cannot run this application at your current screen resolution. Change "
                    "your display settings and run again.",
                    kMbOk | kMbIconWarning);
                Exit();
                return;
            }
            LogPrintf("SetDisplay Forcing Fullscreen (SMALL)");
            fullScreen = true;
        }
    }
    if (memoryCheck && !fullScreen && mContext->HasNoVideoMemoryForWindow()) {
        if (externalParent) {
            Box("Error", kOutOfMemoryText, kMbOk | kMbIconWarning);
            Exit();
            return;
        }
        LogPrintf("SetDisplay Forcing Fullscreen (MEMORY)");
        fullScreen = true;
    }

    // Tear-down.
    if (mHost.releaseAssets)
        mHost.releaseAssets();
    if (mHost.displayReset)
        mHost.displayReset();
    mFullScreen = fullScreen;
    mTargetRect = {0, 0, static_cast<int32_t>(width), static_cast<int32_t>(height)};
    mDevice.reset();
    mScreenSurface.reset();
    mBroken = false;
    SetSetting(TString(kSettingDxBroken), TString("0"));
    mContext->ReleaseDisplay();
    if (mOutOfMemoryNotice) {
        Box("Reconfiguring",
            "Your video card doesn't have enough memory in the current mode. Changing to another "
            "mode. This setting will be saved so you won't see this box again. This will take "
            "less than a minute. Press OK to continue.",
            kMbOk | kMbIconWarning);
        mOutOfMemoryNotice = false;
    }

    // Creation; a refused antialiasing surface is asked for once more without.
    const uint32_t depth = mLowMemoryVideo ? 16 : 32;
    uint32_t flags =
        1 | (hosted ? CDisplay::kFlagHosted : 0) | (mHintAntialias ? CDisplay::kFlagAntialias : 0);
    bool created = mContext->Create(mMainWindow, fullScreen, static_cast<int32_t>(width),
                                    static_cast<int32_t>(height), depth, flags);
    while (!created && (flags & CDisplay::kFlagAntialias)) {
        mAntialias = false;
        mHintAntialias = false;
        flags &= ~CDisplay::kFlagAntialias;
        created = mContext->Create(mMainWindow, fullScreen, static_cast<int32_t>(width),
                                   static_cast<int32_t>(height), depth, flags);
    }
    if (!created) {
        Fail(width, height, requested, quiet, active);
        return;
    }
    Succeed(fullScreen, hosted);
}

// requested: full screen as the caller asked for it, before any forcing.
void TDisplaySetup::Fail(uint32_t width, uint32_t height, bool requested, bool quiet, bool active) {
    if (mContext->HasTooFewColors()) {
        if (!quiet)
            Box("Error",
                "DirectX requires that you have your screen set to 256 color mode or higher for "
                "any DirectX application to run. Please go to your control panel and select 256 "
                "color mode or install new video drivers to run this game. Exiting.",
                kMbOk);
        mFatal = true;
        Exit();
        return;
    }
    if (mEnvironment.externalParent) {
        MarkBroken();
        return;
    }
    if (mWasFullScreen && requested) {
        MarkBroken();
        Sleep(150);
        return;
    }
    const bool foreground = mMainWindow->IsForeground();
    if (!mInFallback && !(active && foreground)) {
        LogPrintf("SetDisplay marking DirectX Broken: %s, %s", active ? "ACTIVE" : "INACTIVE",
                  foreground ? "FOREGROUND" : "BACKGROUND");
        MarkBroken();
        return;
    }
    const bool paletted = mContext->GetDesktopColors() != -1;
    const bool tooBig = WindowTooBig(static_cast<int32_t>(width), static_cast<int32_t>(height));
    const bool noMemory = mContext->HasNoVideoMemoryForWindow();
    if (!requested && (paletted || tooBig || noMemory)) {
        if (!quiet) {
            const char* text =
                paletted ? "Cannot run in 256 color mode or lower in a window. Switching to full "
                           "screen."
                : tooBig ? "Cannot run in a window when your desktop is set to 800x600 or lower "
                           "resolution. Switching to full screen."
                         : "Cannot run in a window: Insufficient video memory. Switching to full "
                           "screen.";
            Box("Error", text, kMbOk);
        }
        mInFallback = true;
        mInSetup = false;
        SetDisplay(width, height, true, true, false, false);
        return;
    }
    if (mInFallback) {
        LogPrintf("ERROR FALLBACK FAILED");
        Box("Error",
            "Failed to initialize window. Please try running the game again. If that doesn't "
            "help, try changing the screen resolution and color depth. If that fails, then your "
            "video card does not support this game.",
            kMbOk | kMbIconError);
        mMainWindow->PostQuitMessage(0);
        mFatal = true;
        return;
    }
    mInFallback = true;
    mInSetup = false;
    if (requested) {
        SetDisplay(width, height, false, true, false, false);
        if (!quiet)
            Box("Error",
                "Failed to initialize full screen mode. Your video card is not supported. Trying "
                "to run in a window.",
                kMbOk);
    } else {
        if (!quiet)
            Box("Error", "Failed to initialize windowed mode. Trying full screen.", kMbOk);
        SetDisplay(width, height, true, false, false, false);
    }
}

// A window of the host's cannot hold this program's window here: the
// window stays a borderless one of its own, which the display clips to.
void TDisplaySetup::PlaceInHost(bool fullScreen) {
    if (!mEnvironment.externalParent) {
        mContext->SetSecondWindow(nullptr);
        return;
    }
    if (!fullScreen)
        mMainWindow->SetPosition(0, 0);
    mContext->SetSecondWindow(mMainWindow);
}

// Brings a window made at the top-left corner to the middle of the monitor
// it lies on, when it fits there.
void TDisplaySetup::CenterWindow() {
    int32_t x = 0, y = 0, width = 0, height = 0;
    mMainWindow->GetPosition(x, y);
    mMainWindow->GetClientSize(width, height);
    const std::vector<MonitorArea> monitors = mEnvironment.system->GetMonitors();
    if (monitors.empty())
        return;
    const MonitorArea* nearest = &monitors.front();
    for (const MonitorArea& monitor : monitors)
        if (x >= monitor.bounds.left && x < monitor.bounds.right && y >= monitor.bounds.top &&
            y < monitor.bounds.bottom) {
            nearest = &monitor;
            break;
        }
    const GfxRect& area = nearest->bounds;
    if (width > area.Width() || height > area.Height())
        return;
    mMainWindow->SetPosition(area.left + (area.Width() - width) / 2,
                             area.top + (area.Height() - height) / 2);
}

void TDisplaySetup::ApplyDefaultState(GraphicsDevice& device) {
    struct StateValue {
        RenderState state;
        uint32_t value;
    };
    static const StateValue kStates[] = {
        {RenderState::Ambient, 0xFFFFFFFF},
        {RenderState::ZEnable, 1},
        {RenderState::ZWriteEnable, 1},
        {RenderState::ColorVertex, 1},
        {RenderState::Lighting, 1},
        {RenderState::NormalizeNormals, 1},
        {RenderState::DiffuseMaterialSource, gfx::kMaterialSourceMaterial},
        {RenderState::AmbientMaterialSource, gfx::kMaterialSourceMaterial},
        {RenderState::SpecularMaterialSource, gfx::kMaterialSourceMaterial},
        {RenderState::EmissiveMaterialSource, gfx::kMaterialSourceMaterial},
        {RenderState::SrcBlend, gfx::kBlendSrcAlpha},
        {RenderState::DestBlend, gfx::kBlendInvSrcAlpha},
        {RenderState::AlphaBlendEnable, 1},
        {RenderState::Wrap0, 0},
        {RenderState::AlphaTestEnable, 1},
        {RenderState::AlphaRef, 1},
        {RenderState::AlphaFunc, gfx::kCmpGreaterEqual},
        {RenderState::ShadeMode, gfx::kShadeGouraud},
    };
    struct StageValue {
        StageState state;
        uint32_t value;
    };
    static const StageValue kStages[] = {
        {StageState::MagFilter, gfx::kFilterLinear}, {StageState::MinFilter, gfx::kFilterLinear},
        {StageState::MipFilter, gfx::kMipLinear},    {StageState::ColorArg1, gfx::kArgTexture},
        {StageState::ColorArg2, gfx::kArgCurrent},   {StageState::ColorOp, gfx::kOpModulate},
        {StageState::AlphaArg1, gfx::kArgTexture},   {StageState::AlphaArg2, gfx::kArgCurrent},
        {StageState::AlphaOp, gfx::kOpModulate},
    };
    for (const StateValue& s : kStates)
        if (const GfxResult r = device.SetRenderState(s.state, s.value); GfxFailed(r))
            LogDxError(r, kSource, __LINE__);
    for (const StageValue& s : kStages)
        if (const GfxResult r = device.SetStageState(0, s.state, s.value); GfxFailed(r))
            LogDxError(r, kSource, __LINE__);
}

void TDisplaySetup::Succeed(bool fullScreen, bool hosted) {
    mInFallback = false;
    if (!hosted) {
        int32_t x = -1, y = -1;
        mMainWindow->GetPosition(x, y);
        if (x == 0 && y == 0 && !fullScreen)
            CenterWindow();
        mMainWindow->Show(ShowCommand::Show);
        if (fullScreen)
            mMainWindow->SetForeground();
    }
    mDevice = mContext->GetDevice();
    DeviceCaps caps;
    mDevice->GetCaps(caps);
    mSeparateTextureMemories = caps.separateTextureMemories;
    mNoSpecular = !caps.specularGouraudRgb;
    mSquareTexturesOnly = caps.textureSquareOnly ||
                          (caps.maxTextureAspectRatio != 0 && caps.maxTextureAspectRatio < 64);
    mDevice->GetRenderTarget(mScreenSurface);
    ApplyDefaultState(*mDevice);
    if (mHost.representFrame && mHost.representFrame())
        mContext->UpdateFrame();

    if (IsDeviceValid()) {
        mDevice->SetTransform(TransformKind::World, DeviceMatrix::Identity());
        mDevice->SetTransform(TransformKind::View, DeviceMatrix::Identity());
        const float aspect = mTargetRect.Height() > 0 ? static_cast<float>(mTargetRect.Width()) /
                                                            static_cast<float>(mTargetRect.Height())
                                                      : 1.0f;
        mDevice->SetTransform(TransformKind::Projection,
                              MatrixPerspectiveFovLH(0.7853982f, aspect, 0.1f, 1000.0f));
        Material material;
        material.diffuse = {1, 1, 1, 1};
        material.ambient = {0.5f, 0.5f, 0.5f, 1};
        material.specular = {1, 1, 1, 1};
        material.emissive = {0, 0, 0, 1};
        material.power = 1;
        mDevice->SetMaterial(material);
        if (!mContext->HasMouseImage() && !mDefaultCursorSet) {
            mDefaultCursorSet = true;
            if (mHost.defaultCursor)
                mHost.defaultCursor();
        }
        RestoreAssets();
        if (fullScreen)
            mWasFullScreen = true;
        uint32_t hertz = 0;
        if (GraphicsDisplay* display = mContext->GetDirectDraw()) {
            display->GetMonitorFrequency(hertz);
            SetSetting(TString("monitorfrequency"), TString::Format("%d", static_cast<int>(hertz)));
            DisplayMode mode;
            if (!GfxFailed(display->GetDisplayMode(mode)))
                mDisplayDepth = mode.bitCount;
        }
        mReady = true;
    }
}

bool TDisplaySetup::SetFullScreen(bool fullScreen) {
    if (!fullScreen && (mContext->GetDesktopColors() != -1 ||
                        WindowTooBig(mTargetRect.Width(), mTargetRect.Height()) ||
                        mContext->HasNoVideoMemoryForWindow() || mLowMemoryVideo))
        return false;
    SetDisplay(static_cast<uint32_t>(mTargetRect.Width()),
               static_cast<uint32_t>(mTargetRect.Height()), fullScreen, false, false, false);
    return true;
}

void TDisplaySetup::MarkBroken() {
    mLastBrokenTime = Now();
    mEverBroken = true;
    mBroken = true;
    SetSetting(TString(kSettingDxBroken), TString("1"));
}

void TDisplaySetup::MarkBrokenThrottled() {
    // Unsigned time: "earlier than now minus 250 ms", also right after start.
    const uint32_t now = Now();
    if (now >= 250 && mLastBrokenTime < now - 250)
        MarkBroken();
}

bool TDisplaySetup::IsDeviceValid() {
    if (mBroken)
        return false;
    if (mContext->GetDirectDraw() && mDevice)
        return true;
    MarkBroken();
    return false;
}

void TDisplaySetup::RestoreAssets() {
    if (!IsDeviceValid()) {
        LogPrintf("RestoreAssets: DX broken");
        return;
    }
    if (mHost.restoreAssets)
        mHost.restoreAssets();
}

void TDisplaySetup::Restore() {
    if (mRestoring) {
        MarkBroken();
        Sleep(50);
        return;
    }
    mRestoring = true;
    const ClearOnExit clear{mRestoring};
    const auto rebuild = [&](bool quiet) {
        SetDisplay(static_cast<uint32_t>(mTargetRect.Width()),
                   static_cast<uint32_t>(mTargetRect.Height()), mFullScreen, true, quiet, false);
    };
    [&] {
        if (!mMainWindow || mMainWindow->IsMinimized()) {
            Sleep(100);
            return;
        }
        if (mHost.releaseAssets)
            mHost.releaseAssets();
        GraphicsDisplay* display = mContext->GetDirectDraw();
        if (!display || mOutOfMemoryNotice) {
            LogPrintf("TPlatformData::Restore: mDirectDraw NULL. Calling SetDisplay()");
            rebuild(true);
            return;
        }
        GfxResult result = display->TestCooperativeLevel();
        if (GfxFailed(result)) {
            for (int pass = 0;; ++pass) {
                if (result == DDERR_WRONGMODE) {
                    rebuild(false);
                    return;
                }
                if (!Active())
                    return;
                Sleep(100);
                if (result == DDERR_EXCLUSIVEMODEALREADYSET)
                    return;
                if (result == DDERR_NOEXCLUSIVEMODE)
                    result =
                        display->SetCooperativeLevel(gfx::kCoopExclusive | gfx::kCoopFullScreen);
                if (pass > 3)
                    return;
                if (!GfxFailed(result))
                    break;
            }
            if (result != kGfxOk)
                LogDxError(result, kSource, __LINE__);
            LogPrintf("Restore: Test Cooperative level failed. Calling SetDisplay");
            rebuild(false);
            return;
        }
        if (mWorkingCount < 3) {
            if (!Active()) {
                MarkBroken();
                return;
            }
            LogPrintf("TPlatformData::Restore: Working count too small (%d). Calling SetDisplay()",
                      static_cast<int>(mWorkingCount));
            rebuild(false);
            return;
        }
        mWorkingCount = 0;
        mBroken = false;
        SetSetting(TString(kSettingDxBroken), TString("0"));
        result = display->RestoreAllSurfaces();
        if (!GfxFailed(result)) {
            RestoreAssets();
            if (mHost.restoreCursors)
                mHost.restoreCursors();
            return;
        }
        if (result == DDERR_WRONGMODE) {
            LogPrintf("Restore: RestoreAllSurfaces resulted in DDERR_WRONGMODE. Calling "
                      "SetDisplay.");
        } else {
            LogPrintf("RestoreAllSurfaces failed!\n");
            LogDxError(result, kSource, __LINE__);
        }
        rebuild(false);
    }();
}

void TDisplaySetup::OnOutOfVideoMemory() {
    if (mLowMemoryVideo || !mContext->GetDirectDraw())
        return;
    LogPrintf("OutOfVideoMemory triggered!");
    mLowMemoryVideo = true;
    MarkBroken();
    mOutOfMemoryNotice = true;
    WriteDisplayFile();
}

// When the file cannot be written the low-memory mode still holds for this
// run.
void TDisplaySetup::WriteDisplayFile() {
    TXmlNode settings(TString("Settings"));
    settings.SetAttribute("LowMemoryVideo", TString("1"));
    const std::string text = settings.ToString().ToStd();
    TFile file;
    if (!file.Open(kDisplayFile, kFileWriteText) ||
        file.Write(text.data(), static_cast<int32_t>(text.size())) !=
            static_cast<int32_t>(text.size()))
        LogPrintf("Could not write %s", kDisplayFile);
}
