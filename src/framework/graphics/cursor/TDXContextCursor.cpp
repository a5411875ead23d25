// The software mouse cursor of the device context: the picture is kept in
// the screen format as spans of visible pixels and composed onto the frame
// through three small surfaces (two alternating saves of the pixels under
// the cursor and a work surface). Every step that touches the surfaces or
// the cursor state holds the mouse mutex; the helper thread waits at most
// 5 ms for it and skips its update otherwise.

#include "framework/core/log/TLog.h"
#include "framework/graphics/TTexture.h"
#include "framework/graphics/cursor/MouseTextureListener.h"
#include "framework/graphics/display/DxError.h"
#include "framework/graphics/display/TDXContext.h"

#include <algorithm>
#include <chrono>
#include <cmath>

using namespace platform;

namespace {

constexpr char kSource[] = "directx";
// Between frames the cursor is redrawn at most this often unless it moved.
constexpr uint32_t kRedrawMs = 16;
// The helper thread's longest wait for the mouse mutex.
constexpr auto kHelperWait = std::chrono::milliseconds(5);
// The system cursor's picture is this many pixels square.
constexpr int32_t kSystemCursorSize = 32;

// One rebuild of the cursor images at a time in the process.
std::atomic<bool> gRestoringMouseImage{false};

bool IsEmpty(const GfxRect& r) {
    return r.right <= r.left || r.bottom <= r.top;
}

GfxRect Intersect(const GfxRect& a, const GfxRect& b) {
    GfxRect r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
              std::min(a.bottom, b.bottom)};
    if (IsEmpty(r))
        return GfxRect();
    return r;
}

GfxRect Moved(const GfxRect& r, int32_t dx, int32_t dy) {
    return {r.left + dx, r.top + dy, r.right + dx, r.bottom + dy};
}

int32_t ScaleUp(int32_t value, float scale) {
    return static_cast<int32_t>(std::floor(static_cast<float>(value) * scale + 0.5f));
}

// Holds the mouse mutex when it was obtained, and releases it only then.
class MouseLock {
public:
    MouseLock(std::recursive_timed_mutex& mutex, bool unlimited) : mMutex(mutex) {
        if (unlimited) {
            mMutex.lock();
            mOwned = true;
        } else {
            mOwned = mMutex.try_lock_for(kHelperWait);
        }
    }
    ~MouseLock() {
        if (mOwned)
            mMutex.unlock();
    }
    MouseLock(const MouseLock&) = delete;
    MouseLock& operator=(const MouseLock&) = delete;
    bool Owned() const { return mOwned; }

private:
    std::recursive_timed_mutex& mMutex;
    bool mOwned = false;
};

const SurfacePtr kNoSurface;

} // namespace

// Small questions to the program around the context.

uint32_t TDXContext::Now() const {
    return mEnvironment.cursor.now ? mEnvironment.cursor.now() : 0;
}

void TDXContext::Invalidate() {
    if (mEnvironment.cursor.invalidate)
        mEnvironment.cursor.invalidate();
}

bool TDXContext::BackgroundMode() const {
    return mEnvironment.cursor.backgroundMode && mEnvironment.cursor.backgroundMode();
}

GfxRect TDXContext::WindowRectCopy() const {
    std::lock_guard lock(mWindowRectLock);
    return mWindowRect;
}

// The client area in client pixels.
GfxRect TDXContext::ClientRect() const {
    const GfxRect window = WindowRectCopy();
    return {0, 0, window.Width(), window.Height()};
}

const SurfacePtr& TDXContext::GetCursorSaveSurface(int index) const {
    const auto& holder = mCursorSave[index & 1];
    return holder ? holder->GetSurface() : kNoSurface;
}

const SurfacePtr& TDXContext::GetCursorWorkSurface() const {
    return mCursorWork ? mCursorWork->GetSurface() : kNoSurface;
}

void TDXContext::SetPointerPosition(int32_t x, int32_t y) {
    mPointerX = x;
    mPointerY = y;
}

// The pointer in the game's pixels: the client position the main thread
// last saw, divided by the viewport scale.
TDXContext::Point TDXContext::ReadPointer() {
    const int32_t px = mPointerX;
    const int32_t py = mPointerY;
    const float scale = mEnvironment.viewportScale > 0 ? mEnvironment.viewportScale : 1.0f;
    Point p{static_cast<int32_t>(static_cast<float>(px) / scale),
            static_cast<int32_t>(static_cast<float>(py) / scale)};
    mCursorX = p.x;
    mCursorY = p.y;
    return p;
}

GfxRect TDXContext::CursorClip(bool frame) {
    GfxRect screen;
    if (frame && mEnvironment.cursor.screenRect && mEnvironment.cursor.screenRect(screen)) {
        const float scale = mEnvironment.viewportScale;
        return {ScaleUp(screen.left, scale), ScaleUp(screen.top, scale),
                ScaleUp(screen.right, scale), ScaleUp(screen.bottom, scale)};
    }
    return ClientRect();
}

// The back buffer holds client pixels as they are; the front buffer of a
// window is the whole desktop, so client pixels sit at the window's corner.
GraphicsSurface* TDXContext::CursorTarget(bool backBuffer, int32_t& dx, int32_t& dy) {
    dx = dy = 0;
    if (backBuffer)
        return GetBackBuffer().get();
    if (mDisplay.IsWindowed()) {
        const GfxRect window = WindowRectCopy();
        dx = window.left;
        dy = window.top;
    }
    return GetFrontBuffer().get();
}

// The draw test of an update between frames.
bool TDXContext::CursorDrawTest(bool moved) {
    if (mSystemCursor != 0 && mDisplay.IsWindowed()) {
        ReadPointer();
        return false;
    }
    if (!mCursorShownSinceReset) {
        if (!moved)
            return false;
        ReadPointer();
        mCursorShownSinceReset = true;
    }
    if (!moved && Now() - mCursorLastDrawTime < kRedrawMs)
        return false;
    const GfxRect window = WindowRectCopy();
    const int32_t left = mCursorX + window.left;
    const int32_t top = mCursorY + window.top;
    const bool onDesktop = left >= 0 && top >= 0 && left + mCursorWidth <= mDesktopWidth &&
                           top + mCursorHeight <= mDesktopHeight;
    if (!mCursorSurfacesUnavailable && onDesktop) {
        // Drawing on the front buffer of a composited desktop shows torn
        // cursors while the pointer moves; a moved cursor is drawn by the
        // next frame instead, except full screen.
        const bool fullScreen =
            mEnvironment.cursor.isFullScreen && mEnvironment.cursor.isFullScreen();
        if (!(IsWindowsVistaOrLater() && moved) || (fullScreen && !mEnvironment.pqGiven))
            return true;
    }
    Invalidate();
    return false;
}

TDXContext::Point TDXContext::UpdateCursor(int32_t x, int32_t y, bool frame) {
    // A position handed in is where the pointer is: the copy that later
    // reads give follows it.
    if (x != -1)
        SetPointerPosition(ScaleUp(x, mEnvironment.viewportScale),
                           ScaleUp(y, mEnvironment.viewportScale));
    const Point stored{mCursorX, mCursorY};
    const bool minimized = mEnvironment.cursor.isMinimized && mEnvironment.cursor.isMinimized();
    if (mCursorSurfacesLost || minimized)
        return stored;
    if (mSystemCursor != 0 && mDisplay.IsWindowed())
        return ReadPointer();
    if (!mCursorVisible)
        return stored;
    const bool moved = x != -1;
    if (!frame && !CursorDrawTest(moved))
        return {mCursorX, mCursorY};
    if (mCursorWidth == 0)
        return {x, y};
    MouseLock lock(mMouseMutex, frame || moved);
    if (!lock.Owned())
        return stored;
    return UpdateCursorLocked({x, y}, frame, moved);
}

TDXContext::Point TDXContext::UpdateCursorLocked(Point position, bool frame, bool moved) {
    (void)moved;
    mCursorDrew = false;
    if (position.x == -1) {
        position = ReadPointer();
    } else {
        mCursorX = position.x;
        mCursorY = position.y;
    }
    if (!frame && !mEnvironment.cursor.drawOnFrontBuffer) {
        // Only the main thread draws: ask it for a frame when there is
        // something new to show.
        if (!(position.x == mCursorLastX && position.y == mCursorLastY && mCursorBackgroundSaved))
            mCursorRedrawRequested = true;
        return position;
    }
    if (!frame && !IsPresentDone() && mCursorShownSinceReset)
        return position;
    if (!GetCursorSaveSurface(0) || !GetCursorSaveSurface(1))
        return position;
    if (frame)
        mCursorBackgroundSaved = false;
    int32_t dx = 0, dy = 0;
    GraphicsSurface* target = CursorTarget(frame, dx, dy);
    if (!target)
        return position;
    if (!frame && position.x == mCursorLastX && position.y == mCursorLastY &&
        mCursorBackgroundSaved && mCursorShownSinceReset)
        return position;

    const float scale = mEnvironment.viewportScale;
    const int32_t sx = ScaleUp(position.x, scale);
    const int32_t sy = ScaleUp(position.y, scale);
    const GfxRect client = ClientRect();
    if (mDisplay.IsWindowed() &&
        (sx < client.left || sy < client.top || sx >= client.right || sy >= client.bottom)) {
        HideCursor();
        return ReadPointer();
    }

    // The picture's rectangle on the target and the part of the picture
    // left after clipping, cut together.
    const GfxRect clip = CursorClip(frame);
    const GfxRect full{sx + mCursorHotX, sy + mCursorHotY, sx + mCursorHotX + mCursorWidth,
                       sy + mCursorHotY + mCursorHeight};
    const GfxRect dest = Intersect(full, clip);
    GfxRect source;
    if (!IsEmpty(dest))
        source = {dest.left - full.left, dest.top - full.top,
                  mCursorWidth - (full.right - dest.right),
                  mCursorHeight - (full.bottom - dest.bottom)};
    const bool drawable = !IsEmpty(dest) && !mCursorSurfacesUnavailable;

    if (drawable && !SaveUnderCursor(*target, dx, dy, dest, source))
        return position;
    if (drawable && mCursorBackgroundSaved)
        FixOverlap(dest, source);
    if (drawable)
        ComposeWork(source);
    if (EraseOld(*target, dx, dy) == DDERR_SURFACELOST) {
        Invalidate();
        return position;
    }
    if (drawable)
        DrawNew(*target, dx, dy, dest, source);
    FinishDraw(frame, position, drawable ? dest : GfxRect(), drawable ? source : GfxRect());
    return position;
}

// What lies under the new rectangle goes into the spare save surface.
bool TDXContext::SaveUnderCursor(GraphicsSurface& target, int32_t dx, int32_t dy,
                                 const GfxRect& dest, const GfxRect& source) {
    GraphicsSurface& spare = *GetCursorSaveSurface(1 - mCursorSaveIndex);
    const GfxRect from = Moved(dest, dx, dy);
    const GfxResult result = spare.Blt(&source, target, &from);
    if (result == DDERR_SURFACELOST) {
        mCursorSurfacesLost = true;
        mCursorBackgroundSaved = false;
        return false;
    }
    if (GfxFailed(result))
        LogDxError(result, kSource, __LINE__);
    return true;
}

// Where the old and new rectangles overlap, the target still shows the old
// cursor: that part of the new background comes from the old save instead.
void TDXContext::FixOverlap(const GfxRect& dest, const GfxRect& source) {
    const GfxRect overlap = Intersect(dest, mCursorLastDest);
    if (IsEmpty(overlap))
        return;
    GraphicsSurface& current = *GetCursorSaveSurface(mCursorSaveIndex);
    GraphicsSurface& spare = *GetCursorSaveSurface(1 - mCursorSaveIndex);
    const GfxRect from = Moved(overlap, mCursorLastSource.left - mCursorLastDest.left,
                               mCursorLastSource.top - mCursorLastDest.top);
    const GfxRect to = Moved(overlap, source.left - dest.left, source.top - dest.top);
    if (const GfxResult r = spare.Blt(&to, current, &from); GfxFailed(r))
        LogDxError(r, kSource, __LINE__);
}

// The new background with the picture over it, in the work surface.
void TDXContext::ComposeWork(const GfxRect& source) {
    (void)source;
    GraphicsSurface& spare = *GetCursorSaveSurface(1 - mCursorSaveIndex);
    GraphicsSurface& work = *GetCursorWorkSurface();
    if (const GfxResult r = work.Blt(nullptr, spare, nullptr); GfxFailed(r))
        LogDxError(r, kSource, __LINE__);
    LockedSurface locked;
    if (const GfxResult r = work.Lock(nullptr, locked); GfxFailed(r)) {
        LogDxError(r, kSource, __LINE__);
        return;
    }
    ComposeCursorImage(mCursorSecondSlotActive ? mCursorSecondImage : mCursorMainImage, locked);
    if (const GfxResult r = work.Unlock(); GfxFailed(r))
        LogDxError(r, kSource, __LINE__);
}

// The old cursor's place gets its saved background back.
GfxResult TDXContext::EraseOld(GraphicsSurface& target, int32_t dx, int32_t dy) {
    if (!mCursorBackgroundSaved || IsEmpty(mCursorLastDest) ||
        !GetCursorSaveSurface(mCursorSaveIndex))
        return kGfxOk;
    const GfxRect to = Moved(mCursorLastDest, dx, dy);
    const GfxResult result =
        target.Blt(&to, *GetCursorSaveSurface(mCursorSaveIndex), &mCursorLastSource);
    if (GfxFailed(result))
        LogDxError(result, kSource, __LINE__);
    return result;
}

void TDXContext::DrawNew(GraphicsSurface& target, int32_t dx, int32_t dy, const GfxRect& dest,
                         const GfxRect& source) {
    const GfxRect to = Moved(dest, dx, dy);
    if (const GfxResult r = target.Blt(&to, *GetCursorWorkSurface(), &source); GfxFailed(r))
        LogDxError(r, kSource, __LINE__);
}

void TDXContext::FinishDraw(bool frame, Point position, const GfxRect& dest,
                            const GfxRect& source) {
    mCursorOnBackBuffer = frame;
    mCursorLastX = position.x;
    mCursorLastY = position.y;
    mCursorLastDest = dest;
    mCursorLastSource = source;
    mCursorSaveIndex = 1 - mCursorSaveIndex;
    mCursorBackgroundSaved = !mCursorSurfacesUnavailable;
    mCursorLastDrawTime = Now();
    mCursorShownSinceReset = true;
    mCursorDrew = true;
    ++mCursorDrawCount;
}

void TDXContext::HideCursor() {
    MouseLock lock(mMouseMutex, true);
    if (mCursorBackgroundSaved) {
        int32_t dx = 0, dy = 0;
        if (GraphicsSurface* target = CursorTarget(mCursorOnBackBuffer, dx, dy))
            EraseOld(*target, dx, dy);
    }
    mCursorBackgroundSaved = false;
    if (mCursorShownSinceReset) {
        ResetCursor();
        Invalidate();
    }
}

void TDXContext::EraseCursor() {
    MouseLock lock(mMouseMutex, true);
    if (GraphicsSurface* back = GetBackBuffer().get())
        EraseOld(*back, 0, 0);
    mCursorBackgroundSaved = false;
}

void TDXContext::ResetCursor() {
    MouseLock lock(mMouseMutex, true);
    mCursorX = -1;
    mCursorY = -1;
    mCursorLastX = -1;
    mCursorLastY = -1;
    mCursorLastDest = GfxRect();
    mCursorLastSource = GfxRect();
    mCursorShownSinceReset = false;
    mCursorBackgroundSaved = false;
    mCursorSaveIndex = 0;
    mDisplay.UpdateWindowRect();
    std::lock_guard rectLock(mWindowRectLock);
    mWindowRect = mDisplay.GetWindowRect();
}

TDXContext::Point TDXContext::GetCursorPosition() {
    MouseLock lock(mMouseMutex, true);
    return ReadPointer();
}

void TDXContext::UpdateWindowRect() {
    MouseLock lock(mMouseMutex, true);
    mDisplay.UpdateWindowRect();
    bool changed = false;
    {
        std::lock_guard rectLock(mWindowRectLock);
        changed = !(mWindowRect == mDisplay.GetWindowRect());
        mWindowRect = mDisplay.GetWindowRect();
    }
    if (changed) {
        mCursorBackgroundSaved = false;
        ReadPointer();
    }
}

void TDXContext::ApplySystemCursor(bool show) {
    Desktop* desktop = mEnvironment.desktop;
    if (!desktop)
        return;
    const CursorHandle cursor = mSystemCursor;
    if (show && cursor != 0 && mDisplay.IsWindowed()) {
        desktop->SetCursor(cursor);
        desktop->ShowCursor(true);
    } else {
        desktop->ShowCursor(false);
    }
}

void TDXContext::ShowCursor(bool show) {
    MouseLock lock(mMouseMutex, true);
    ApplySystemCursor(show);
    const bool systemOnWindow = mSystemCursor != 0 && mDisplay.IsWindowed();
    if (systemOnWindow && mEnvironment.desktop)
        mEnvironment.desktop->SetCursor(show ? CursorHandle(mSystemCursor) : 0);
    if (show != mCursorVisible || mSystemCursor != 0) {
        mCursorVisible = show;
        if (show)
            UpdateCursor(mCursorX, mCursorY, true);
        else
            HideCursor();
    }
}

bool TDXContext::IsPresentDone() {
    const SurfacePtr& back = GetBackBuffer();
    if (!back)
        return false;
    if (mDisplay.IsWindowed())
        return true;
    GraphicsDisplay* display = GetDirectDraw();
    if (!display || GfxFailed(display->TestCooperativeLevel()))
        return false;
    return back->GetFlipStatus() == kGfxOk;
}

bool TDXContext::PreserveFrame() {
    if (mDisplay.IsWindowed())
        return true;
    MouseLock lock(mMouseMutex, true);
    const SurfacePtr& back = GetBackBuffer();
    const SurfacePtr& front = GetFrontBuffer();
    if (!back || !front)
        return false;
    if (const GfxResult r = back->BltFast(0, 0, *front, nullptr); GfxFailed(r)) {
        LogDxError(r, kSource, __LINE__);
        return false;
    }
    if (mCursorBackgroundSaved) {
        EraseCursor();
        mCursorBackgroundSaved = true;
    }
    return true;
}

void TDXContext::ReleaseCursorSurfaces() {
    for (auto& save : mCursorSave)
        save.reset();
    mCursorWork.reset();
    mCursorBackgroundSaved = false;
}

// The three surfaces of the cursor's size in the display's format. Video
// memory that stays short after the managed textures were evicted turns the
// software cursor off for good, which is not a failure.
bool TDXContext::CreateCursorSurfaces() {
    ReleaseCursorSurfaces();
    if (mCursorSurfacesUnavailable)
        return true;
    const PixelFormat format = mDisplayMode.format;
    const int32_t width = mCursorWidth;
    const int32_t height = mCursorHeight;
    for (int attempt = 0;; ++attempt) {
        GfxResult result = kGfxOk;
        for (auto* holder : {&mCursorSave[0], &mCursorSave[1], &mCursorWork}) {
            result = mDisplay.CreateOffscreenSurface(holder, width, height,
                                                     format.bitCount ? &format : nullptr);
            if (GfxFailed(result))
                break;
        }
        if (!GfxFailed(result)) {
            mCursorSurfacesToRecreate = false;
            return true;
        }
        ReleaseCursorSurfaces();
        if (result == DDERR_OUTOFVIDEOMEMORY) {
            if (attempt == 0) {
                if (GraphicsDisplay* display = GetDirectDraw())
                    display->EvictManagedTextures();
                continue;
            }
            mCursorSurfacesUnavailable = true;
            mCursorSurfacesToRecreate = false;
            return true;
        }
        LogDxError(result, kSource, __LINE__);
        mCursorSurfacesToRecreate = true;
        return false;
    }
}

void TDXContext::DestroySystemCursor() {
    const CursorHandle cursor = mSystemCursor.exchange(0);
    if (cursor != 0 && mEnvironment.desktop)
        mEnvironment.desktop->DestroyCursor(cursor);
}

// A window-system cursor from the texture's top-left 32 x 32 pixels (a
// smaller picture is padded with transparent pixels).
bool TDXContext::BuildSystemCursor(const std::shared_ptr<TTexture>& texture, int32_t hotX,
                                   int32_t hotY) {
    if (!IsWindowsXPOrLater() || !mEnvironment.desktop)
        return false;
    std::vector<uint8_t> pixels(kSystemCursorSize * kSystemCursorSize * 4, 0);
    const std::vector<uint8_t> source = texture ? texture->GetPixels() : std::vector<uint8_t>();
    if (!source.empty()) {
        const int32_t width =
            std::min(static_cast<int32_t>(texture->GetWidth()), kSystemCursorSize);
        const int32_t height =
            std::min(static_cast<int32_t>(texture->GetHeight()), kSystemCursorSize);
        for (int32_t y = 0; y < height; ++y)
            std::copy_n(source.data() + static_cast<size_t>(y) * texture->GetWidth() * 4, width * 4,
                        pixels.data() + static_cast<size_t>(y) * kSystemCursorSize * 4);
    }
    DestroySystemCursor();
    const CursorHandle cursor = mEnvironment.desktop->CreateColorCursor(
        pixels.data(), kSystemCursorSize, kSystemCursorSize, kSystemCursorSize * 4, hotX, hotY);
    if (cursor == 0)
        return false;
    mSystemCursor = cursor;
    mEnvironment.desktop->SetCursor(cursor);
    return true;
}

bool TDXContext::SetMouseImage(const std::shared_ptr<TTexture>& texture, int32_t hotX, int32_t hotY,
                               bool secondSlot) {
    if (!mDevice)
        return false;
    MouseLock lock(mMouseMutex, true);
    HideCursor();
    if (secondSlot && mEnvironment.cursor.activeX && mEnvironment.cursor.activeX())
        return BuildSystemCursor(texture, hotX, hotY);

    const bool wasShowing = secondSlot ? (mCursorSecondSlotActive || mCursorMainTexture != nullptr)
                                       : (mCursorMainTexture && !mCursorSecondSlotActive);
    const std::vector<uint8_t> pixels = texture ? texture->GetPixels() : std::vector<uint8_t>();
    const bool hasPixels = !pixels.empty();
    TCursorImage image;
    if (hasPixels)
        image = BuildCursorImage(pixels.data(), texture->GetWidth(), texture->GetHeight(),
                                 texture->GetWidth() * 4, secondSlot, mDisplayMode.format);
    if (secondSlot) {
        mCursorSecondTexture = texture;
        mCursorSecondImage = std::move(image);
        mCursorSecondHot = {hotX, hotY};
        mCursorSecondSlotActive = texture != nullptr;
    } else {
        mCursorMainTexture = texture;
        mCursorMainImage = std::move(image);
        mCursorMainHot = {hotX, hotY};
    }

    // A picture set for the slot not shown leaves the shown one as it is.
    const bool shownSlot = mCursorSecondSlotActive == secondSlot;
    if (shownSlot) {
        mCursorWidth = 0;
        mCursorHeight = 0;
    }
    if (mCursorMainTexture && !mRestoreListenerMade && mEnvironment.cursor.addRestoreListener) {
        mRestoreListenerMade = true;
        mRestoreListener = new MouseTextureListener([this] { RestoreMouseImage(); },
                                                    [this] { DetachRestoreListener(); });
        mEnvironment.cursor.addRestoreListener(mRestoreListener);
    }
    if (shownSlot && hasPixels) {
        mCursorHotX = -hotX;
        mCursorHotY = -hotY;
        mCursorWidth = texture->GetWidth();
        mCursorHeight = texture->GetHeight();
        if (!CreateCursorSurfaces()) {
            mCursorSurfacesLost = true;
            mCursorSurfacesToRecreate = true;
            return false;
        }
        UpdateWindowRect();
        if (wasShowing) {
            ResetCursor();
            ReadPointer();
            UpdateCursor(-1, -1, false);
        }
    }
    return true;
}

void TDXContext::RestoreMouseImage() {
    if (gRestoringMouseImage.exchange(true)) {
        LogPrintf("Second concurrent call to RestoreMouseImage");
        return;
    }
    struct Done {
        ~Done() { gRestoringMouseImage = false; }
    } done;
    if (BackgroundMode()) {
        mCursorBackgroundSaved = false;
        return;
    }
    const bool systemOnWindow = mSystemCursor != 0 && mDisplay.IsWindowed();
    if (systemOnWindow)
        return;
    // Copies: setting the image replaces the fields read here.
    if (const std::shared_ptr<TTexture> main = mCursorMainTexture) {
        const Point hot = mCursorMainHot;
        if (SetMouseImage(main, hot.x, hot.y, false))
            mCursorSurfacesLost = false;
        if (!mCursorMainImage.empty() && mEnvironment.desktop)
            mEnvironment.desktop->ShowCursor(false);
    }
    if (const std::shared_ptr<TTexture> second = mCursorSecondTexture) {
        const Point hot = mCursorSecondHot;
        if (SetMouseImage(second, hot.x, hot.y, true))
            mCursorSurfacesLost = false;
    }
}

void TDXContext::ServeCursorRedraw() {
    if (!mCursorRedrawRequested.exchange(false))
        return;
    MouseLock lock(mMouseMutex, true);
    if (!GetBackBuffer())
        return;
    // The back buffer still holds the last frame, with the cursor where the
    // last present drew it (full screen) or without it (windowed).
    EraseCursor();
    UpdateFrame();
}
