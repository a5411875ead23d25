#include "framework/ui/manager/TWindowManager.h"

#include "framework/core/log/TLog.h"
#include "framework/core/settings/TSettings.h"
#include "framework/core/system/TEvent.h"
#include "framework/core/tasks/FrameworkTime.h"
#include "framework/core/tasks/TTaskList.h"
#include "framework/graphics/TGraphics.h"
#include "framework/graphics/TRenderer.h"
#include "framework/script/message/TLuaMessage.h"
#include "framework/script/message/TMessage.h"
#include "framework/ui/script/TWindowScript.h"
#include "framework/ui/widgets/TImage.h"
#include "framework/ui/window/TModalWindow.h"
#include "platform/graphics/PixelConversion.h"

#include <lua.h>

#include <algorithm>
#include <cstdlib>
#include <iterator>

namespace {

TWindowManager* gInstance = nullptr;

// SetTopModalOnly(flag): only the top modal is drawn while it is set.
int ScriptSetTopModalOnly(lua_State* state) {
    if (TWindowManager* manager = TWindowManager::Instance())
        manager->mTopModalOnly = lua_toboolean(state, 1) ? 1 : 0;
    return 0;
}

bool Contains(const std::list<TWindow*>& windows, const TWindow* window) {
    return std::find(windows.begin(), windows.end(), window) != windows.end();
}

bool IsModalWindow(const TWindow* window) {
    return window && window->IsKindOf(TModalWindow::GetClassId());
}

// A screen a script opened (a modal named after its file) opening or
// closing: one log line each, so that the log tells which screens a
// player went through, and a program that drives the game can wait on it.
void LogScreen(const char* what, TWindow* window) {
    if (window && IsModalWindow(window) && !window->GetName().IsEmpty())
        LogPrintf("Screen %s: %s", what, window->GetName().CStr());
}

} // namespace

TWindowManager::TWindowManager() {
    gInstance = this;
}

TWindowManager::~TWindowManager() {
    if (mWholeFrames || mPartialFrames)
        LogPrintf("TWindowManager: %u frames drawn whole, %u in their changed rectangles (%u "
                  "checked, %u unlike the whole frame)",
                  mWholeFrames, mPartialFrames, mCheckedFrames, mDifferingFrames);
    for (TMessageHandler* handler : mHandlers)
        delete handler;
    mHandlers.clear();
    mCaptures.clear();
    while (!mModalStack.empty())
        PopModal();
    DeleteQueuedWindows();
    while (!mOverlays.empty()) {
        TWindow* overlay = mOverlays.front();
        mOverlays.pop_front();
        overlay->DeleteThis(1);
    }
    // Deleting the windows may have queued more.
    DeleteQueuedWindows();
    for (TMessage* message : mMessages)
        delete message;
    mMessages.clear();
    // The script goes last: wrappers and message objects live in its state.
    // The application's task list holds it too; it lets it go first.
    if (mScript) {
        if (mHost && mHost->GetTaskList())
            mHost->GetTaskList()->RemoveTask(mScript);
        delete mScript;
        mScript = nullptr;
    }
    if (gInstance == this)
        gInstance = nullptr;
}

TWindowManager* TWindowManager::Instance() {
    return gInstance;
}

void TWindowManager::Init(TWindowScript* script) {
    mScript = script;
    if (!script)
        return;
    if (TWindow* top = GetTopModal())
        script->SetCurrentWindow(top);
    script->RegisterFunction("SetTopModalOnly", ScriptSetTopModalOnly);
    if (mHost && mHost->GetTaskList())
        mHost->GetTaskList()->AddTask(script);
}

void TWindowManager::RegisterWindowType(const TString& typeName, TWindowCreator creator) {
    if (mScript)
        mScript->RegisterWindowType(typeName, creator);
}

void TWindowManager::RunScriptForWindow(TWindow* window, const TString& fileName) {
    if (!mScript)
        return;
    mScript->PushWindow(window);
    mScript->DoFile(fileName);
    mScript->PopWindow();
}

bool TWindowManager::SetScriptFlag(bool flag) {
    return mScript ? mScript->SetStringTableFlag(flag) : false;
}

void TWindowManager::PassToScript(TMessage* message, const TLuaFunction* command) {
    if (mScript)
        mScript->DeliverMessage(message, command);
    else
        delete message;
}

void TWindowManager::SetMainWindow(TWindow* window) {
    mMainWindow = window;
    PushModal(window);
    if (TGraphics::Exists()) {
        const TRect viewport = TGraphics::Get()->GetViewport();
        window->SetSize(viewport.right - viewport.left, viewport.bottom - viewport.top);
    }
    window->OnAttached();
}

TRect TWindowManager::GetScreenRect() const {
    return mMainWindow ? mMainWindow->GetRect() : TRect();
}

void TWindowManager::PushModal(TWindow* window) {
    if (!window)
        return;
    // 1.
    mHover = nullptr;
    ExitCaptures();
    // 2.
    TWindow* previous = GetTopModal();
    mModalStack.push_front(window);
    if (previous) {
        previous->AddChild(window, false);
        if (IsModalWindow(previous))
            static_cast<TModalWindow*>(previous)->GetClock().Pause();
    }
    // 3.
    SetFocus(window);
    if (mScript)
        mScript->SetCurrentWindow(window);
    // 4.
    window->OnAttached();
    if (window->GetWidth() == 0 && window->GetParent())
        window->SetSize(window->GetParent()->GetWidth(), window->GetParent()->GetHeight());
    // 5.
    Invalidate();
    LogScreen("opened", window);
}

void TWindowManager::PopModal() {
    if (mModalStack.empty())
        return;
    TWindow* popped = mModalStack.front();
    if (TWindow* parent = popped->GetParent())
        parent->RemoveChild(popped);
    QueueDelete(popped);
    mModalStack.pop_front();
    if (IsModalWindow(popped))
        static_cast<TModalWindow*>(popped)->DeleteTasks();
    if (popped == mMainWindow)
        mMainWindow = nullptr;
    if (TWindow* top = GetTopModal()) {
        if (mScript)
            mScript->SetCurrentWindow(top);
        SetFocus(top);
    } else if (mScript) {
        mScript->SetCurrentWindow(nullptr);
    }
    LogScreen("closed", popped);
    TModalPoppedSpider spider;
    spider.Visit(popped);
    Invalidate();
    mAbortDraw = 1;
}

void TWindowManager::DoPopModal(const TString& name) {
    mHover = nullptr;
    TWindow* match = nullptr;
    for (TWindow* window = GetTopModal(); window; window = window->GetParent()) {
        if (window->GetName() == name || window->GetIdString() == name) {
            match = window;
            break;
        }
    }
    if (match) {
        TWindow* popped = nullptr;
        while (popped != match && !mModalStack.empty()) {
            popped = mModalStack.front();
            PopModal();
        }
    }
    if (IsModalWindow(GetTopModal()))
        static_cast<TModalWindow*>(GetTopModal())->GetClock().Start();
}

void TWindowManager::PostMessage(TMessage* message) {
    if (message)
        mMessages.push_back(message);
}

void TWindowManager::AddMessageHandler(TMessageHandler* handler) {
    if (handler)
        mHandlers.push_back(handler);
}

bool TWindowManager::HandleHover() {
    return mTooltipHandler && mTooltipHandler->HandleHover();
}

void TWindowManager::DispatchMessages() {
    while (!mMessages.empty()) {
        TMessage* message = mMessages.front();
        mMessages.pop_front();
        if (message->GetType() == TMessage::kQuitNow) {
            delete message;
            if (mHost)
                mHost->PostQuit(0);
            continue;
        }
        TWindow* target = message->GetTarget();
        if (!target) {
            // Handlers see the message a script-made one carries.
            TMessage* carried = message;
            if (message->IsKindOf(TLuaMessageWrapper::ClassId())) {
                if (TMessage* held = static_cast<TLuaMessageWrapper*>(message)->GetHeldMessage())
                    carried = held;
            }
            bool consumed = false;
            for (TMessageHandler* handler : mHandlers) {
                if (handler->HandleMessage(carried)) {
                    consumed = true;
                    break;
                }
            }
            if (consumed) {
                delete message;
                continue;
            }
            target = mFocus ? mFocus : GetTopModal();
            if (!target) {
                delete message;
                continue;
            }
        }
        target->SendMessage(message);
    }
}

void TWindowManager::DeleteQueuedWindows() {
    if (mDeletionList.empty())
        return;
    // One at a time: a window that goes with its parent leaves the list.
    while (!mDeletionList.empty()) {
        TWindow* window = mDeletionList.front();
        mDeletionList.pop_front();
        window->DeleteThis(1);
    }
    Invalidate();
}

void TWindowManager::HandleEvent(const TEvent& event) {
    // 1. to 3.
    if (event.type == kEventNothing)
        return;
    if (event.type == kEventDisplayReset)
        mBackground.reset();
    if (event.type == kEventCloseRequest && mScript)
        mScript->ResumeOnClose();
    // 4. Windows closed during the last event go now.
    DeleteQueuedWindows();
    // 5.
    if (mModalStack.empty())
        return;
    TWindow* top = GetTopModal();
    if (!top) {
        if (mHost)
            mHost->PostQuit(0);
        return;
    }
    // 6.
    switch (event.type) {
    case kEventIdle:
        if (IsModalWindow(top))
            static_cast<TModalWindow*>(top)->RunTasks(0);
        [[fallthrough]];
    case kEventPaint:
        if (event.type == kEventPaint)
            Invalidate();
        DispatchMessages();
        Draw();
        DispatchMessages();
        break;
    case kEventLeftButtonDown:
    case kEventOtherButton:
    case kEventLeftButtonUp:
    case kEventPointerMove:
    case kEventHover:
        HandlePointer(event);
        DispatchMessages();
        break;
    case kEventPointerLost:
        CaptureLost();
        DispatchMessages();
        break;
    case kEventKeyDown:
    case kEventKeyUp:
    case kEventCharacter:
    case kEventUnicodeCharacter:
        // A hot key's press that brought no character must not eat the
        // next one typed.
        if (event.type == kEventKeyDown)
            gSwallowNextChar = false;
        (mFocus ? mFocus : top)->HandleEvent(event);
        DispatchMessages();
        break;
    case kEventActivation:
        break;
    default:
        DispatchMessages();
        if (TWindow* current = GetTopModal())
            current->HandleEvent(event);
        break;
    }
}

TEvent TWindowManager::LocalEvent(const TEvent& event, const TWindow* window) {
    TEvent local = event;
    const TPoint point = window->ScreenToLocal(TPoint(event.x, event.y));
    local.x = point.x;
    local.y = point.y;
    return local;
}

void TWindowManager::HandlePointer(const TEvent& event) {
    const int mouseMode = mHost ? mHost->GetMouseMode() : 0;
    if (!mCaptures.empty()) {
        ReleaseLostCaptures(event);
        if (!mCaptures.empty()) {
            WalkCaptures(event);
            return;
        }
    }
    // 1.
    if (event.type == kEventPointerMove && mouseMode == 1)
        return;
    // 2. Overlays first, when they take the pointer.
    const bool overlayMouse = GetSettingBool("overlaymouse");
    const TPoint screen(event.x, event.y);
    if (overlayMouse) {
        for (TWindow* overlay : std::vector<TWindow*>(mOverlays.begin(), mOverlays.end())) {
            TWindow* target = overlay->DeepestChildAt(overlay->ScreenToLocal(screen), -1);
            if (target && target->HandleEvent(LocalEvent(event, target))) {
                if (mHover != target && mHighlightHover)
                    Invalidate();
                mHover = target;
                return;
            }
        }
    }
    // 3.
    TWindow* top = GetTopModal();
    TWindow* hover = top->DeepestChildAt(top->ScreenToLocal(screen), -1);
    if (mHighlightHover && hover != mHover)
        Invalidate();
    mHover = hover;
    const bool handled = hover && hover->HandleEvent(LocalEvent(event, hover));
    // 4.
    if (!handled && overlayMouse && event.type == kEventLeftButtonUp)
        PostMessage(new TMessage(TMessage::kPressAnyKey, "mouse:up"));
}

void TWindowManager::ReleaseLostCaptures(const TEvent& event) {
    TWindow* top = GetTopModal();
    if (!top)
        return;
    const bool absolute = (mHost ? mHost->GetMouseMode() : 0) == 0;
    TWindow* hit = nullptr;
    if (absolute)
        hit = top->DeepestChildAt(top->ScreenToLocal(TPoint(event.x, event.y)), -1);
    for (TWindow* window : std::vector<TWindow*>(mCaptures.begin(), mCaptures.end())) {
        if (!Contains(mCaptures, window))
            continue;
        const bool shown = window->IsShown();
        // Under the pointer, but something else of the same dialog is hit
        // there: a window that has appeared above it. (Overlays keep their
        // own rules; a push lets go of every capture itself.)
        const TWindow* root = window;
        while (root->GetParent() && !root->IsModalRoot())
            root = root->GetParent();
        bool covered = false;
        // A picture takes no pointer events, so one drawn over the window
        // (a fade's clear panel) leaves it the pointer.
        const bool pictureHit = hit && dynamic_cast<const TImage*>(hit) != nullptr;
        if (shown && absolute && root == top && !pictureHit &&
            window->GetScreenRect().Contains(event.x, event.y)) {
            covered = true;
            for (TWindow* w = hit; w; w = w->GetParent()) {
                if (w == window) {
                    covered = false;
                    break;
                }
            }
        }
        if (shown && !covered)
            continue;
        // The window decides whether it lets go (a dragged knob keeps
        // the pointer over other windows); a hidden one always does.
        window->OnMouseExit();
        if (!shown)
            RemoveCapture(window);
    }
}

void TWindowManager::WalkCaptures(const TEvent& event) {
    const int mouseMode = mHost ? mHost->GetMouseMode() : 0;
    TWindow* top = GetTopModal();
    mCaptureChanged = 0;
    auto it = mCaptures.begin();
    while (it != mCaptures.end()) {
        TWindow* window = *it;
        auto next = std::next(it);
        TWindow* nextWindow = next == mCaptures.end() ? nullptr : *next;
        auto resume = [&] {
            it = nextWindow ? std::find(mCaptures.begin(), mCaptures.end(), nextWindow)
                            : mCaptures.end();
            mCaptureChanged = 0;
        };
        if (!window->GetScreenRect().Contains(event.x, event.y) && mouseMode == 0) {
            window->OnMouseExit();
            if (!Contains(mCaptures, window)) {
                if (GetTopModal() != top)
                    return;
                resume();
                continue;
            }
        }
        const bool relativeMove = event.type == kEventPointerMove && mouseMode == 1;
        window->HandleEvent(relativeMove ? event : LocalEvent(event, window));
        if (GetTopModal() != top)
            return;
        if (mCaptureChanged)
            resume();
        else
            it = next;
    }
}

void TWindowManager::CaptureLost() {
    TWindow* top = GetTopModal();
    mCaptureChanged = 0;
    auto it = mCaptures.begin();
    while (it != mCaptures.end()) {
        auto next = std::next(it);
        TWindow* nextWindow = next == mCaptures.end() ? nullptr : *next;
        (*it)->OnMouseExit();
        if (GetTopModal() != top)
            return;
        if (mCaptureChanged) {
            it = nextWindow ? std::find(mCaptures.begin(), mCaptures.end(), nextWindow)
                            : mCaptures.end();
            mCaptureChanged = 0;
        } else {
            it = next;
        }
    }
}

void TWindowManager::ExitCaptures() {
    if (mCaptures.empty())
        return;
    std::list<TWindow*> captured;
    captured.swap(mCaptures);
    for (TWindow* window : captured)
        window->OnMouseExit();
}

void TWindowManager::Draw() {
    // 1.
    mAbortDraw = 0;
    if (mBackgroundMode || !mHost || !mHost->IsReadyToDraw())
        return;
    // 2.
    const uint32_t now = GetFrameworkTime();
    if (now - mLastDrawTime < FrameIntervalMs())
        return;
    // The windows say what changed since the last frame.
    AskForChanges();
    if (!mDirty)
        return;
    mLastDrawTime = now;
    // 3.
    if (!mModalStack.empty()) {
        TWindowClearFlags clear(~kWindowDrawnFirstPass, true);
        clear.Visit(mModalStack.back());
    }
    // 4.
    TWindow* top = GetTopModal();
    if (top && mHost->IsReadyToDraw()) {
        if (TTaskList* tasks = mHost->GetTaskList())
            tasks->RunAll(1);
        if (IsModalWindow(top))
            static_cast<TModalWindow*>(top)->RunTasks(1);
    }
    // 5. What the frame's own tasks changed.
    AskForChanges();
    TGraphics* graphics = TGraphics::Get();
    if (!mWholeDirty && !mBackground && !mHighlightHover) {
        if (DrawChangedRects(graphics))
            return;
    }
    if (mBackground) {
        if (graphics->BeginRenderTarget(mBackground)) {
            DrawModalStack(1);
            graphics->EndRenderTarget();
        }
        if (!graphics->BeginDraw())
            return;
        ClearChanges();
        if (mMainWindow)
            mMainWindow->DrawTree(0);
        DrawModalStack(2);
    } else {
        if (!graphics->BeginDraw())
            return;
        ClearChanges();
        DrawModalStack(0);
    }
    mLastFrame = CurrentFrameKey(graphics);
    ++mWholeFrames;
    // 6.
    for (TWindow* overlay : mOverlays)
        overlay->DrawTree(0);
    DrawHoverFrame();
    graphics->EndDraw(true);
}

// What the back buffer's picture was drawn for: a new display, a restored
// device or a change of the screen's size leaves a picture that must be
// drawn whole.
TWindowManager::FrameKey TWindowManager::CurrentFrameKey(TGraphics* graphics) const {
    FrameKey key;
    key.screen = GetScreenRect();
    if (const TRenderer* renderer = graphics->GetRenderer()) {
        key.displays = renderer->GetDisplayCount();
        key.restores = renderer->GetRestoreCount();
        key.fullScreen = renderer->IsFullScreen();
    }
    return key;
}

bool TWindowManager::DrawChangedRects(TGraphics* graphics) {
    // The software cursor and the frame-rate overlay draw over every frame
    // where they are and would stay in the kept picture.
    TRenderer* renderer = graphics->GetRenderer();
    if (mDirtyRects.empty() || !(CurrentFrameKey(graphics) == mLastFrame) || !renderer ||
        renderer->IsSoftwareCursor() || graphics->IsOverlayOn())
        return false;
    std::vector<TRect> rects;
    for (const TRect& changed : mDirtyRects) {
        const TRect area = TRect::Intersection(changed, mLastFrame.screen);
        if (area.right > area.left && area.bottom > area.top)
            rects.push_back(area);
    }
    // The tree is drawn as in a whole frame, each window once and under
    // the same transforms, and the device cuts every draw to the changed
    // rectangles: the pixels there are those of a whole frame. A device
    // that cannot cut draws whole frames.
    if (rects.empty() || !renderer->SetScissorRegion(rects))
        return false;
    if (!graphics->BeginDraw()) {
        renderer->SetScissorRegion({});
        return true;
    }
    ClearChanges();
    DrawModalStack(0);
    for (TWindow* overlay : mOverlays)
        overlay->DrawTree(0);
    renderer->SetScissorRegion({});
    static const TString kCheck("checkpartialframes");
    if (GetSettingBool(kCheck))
        CheckPartialFrame(renderer);
    graphics->EndDraw(true);
    ++mPartialFrames;
    return true;
}

namespace {

// The back buffer's pixels, top row first; empty when it cannot be read.
std::vector<uint32_t> ReadPicture(TRenderer* renderer, int32_t& width, int32_t& height) {
    std::vector<uint32_t> pixels;
    TDisplaySetup* setup = renderer->GetDisplaySetup();
    const platform::SurfacePtr back = setup ? setup->GetContext().GetBackBuffer() : nullptr;
    platform::LockedSurface locked;
    if (!back || back->Lock(nullptr, locked) != platform::kGfxOk)
        return pixels;
    width = locked.width;
    height = locked.height;
    pixels.resize(static_cast<size_t>(width) * height);
    const uint32_t step = locked.format.BytesPerPixel();
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            pixels[static_cast<size_t>(y) * width + x] =
                platform::ReadPixel(locked.format, locked.bits +
                                                       static_cast<ptrdiff_t>(y) * locked.pitch +
                                                       static_cast<ptrdiff_t>(x) * step) &
                0x00FFFFFFu;
    back->Unlock();
    return pixels;
}

} // namespace

void TWindowManager::CheckPartialFrame(TRenderer* renderer) {
    // A check for developers: the same frame drawn whole must give the
    // same picture; where it does not, a change was not invalidated.
    int32_t width = 0, height = 0;
    const std::vector<uint32_t> partial = ReadPicture(renderer, width, height);
    DrawModalStack(0);
    for (TWindow* overlay : mOverlays)
        overlay->DrawTree(0);
    const std::vector<uint32_t> whole = ReadPicture(renderer, width, height);
    if (partial.empty() || partial.size() != whole.size())
        return;
    size_t differing = 0;
    int largest = 0;
    TRect where(width, height, 0, 0);
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            const size_t i = static_cast<size_t>(y) * width + x;
            if (partial[i] == whole[i])
                continue;
            ++differing;
            for (int shift = 0; shift < 24; shift += 8)
                largest = std::max(largest, std::abs(static_cast<int>((partial[i] >> shift) & 0xFF) -
                                                     static_cast<int>((whole[i] >> shift) & 0xFF)));
            where = TRect(std::min(where.left, x), std::min(where.top, y),
                          std::max(where.right, x + 1), std::max(where.bottom, y + 1));
        }
    }
    ++mCheckedFrames;
    if (differing) {
        ++mDifferingFrames;
        LogPrintf("TWindowManager: partial frame %u differs from the whole frame in %zu pixels "
                  "within (%d, %d, %d, %d), by up to %d in a channel",
                  mPartialFrames, differing, where.left, where.top, where.right, where.bottom,
                  largest);
    }
}

void TWindowManager::InvalidateRect(const TRect& screenRect) {
    if (screenRect.right <= screenRect.left || screenRect.bottom <= screenRect.top)
        return;
    mDirty = 1;
    if (mWholeDirty)
        return;
    // Rectangles that touch or overlap become one; past the most kept,
    // everything becomes the one around them all.
    TRect merged = screenRect;
    for (auto it = mDirtyRects.begin(); it != mDirtyRects.end();) {
        const TRect& r = *it;
        if (r.left <= merged.right && merged.left <= r.right && r.top <= merged.bottom &&
            merged.top <= r.bottom) {
            merged.Union(TRect(merged), r);
            mDirtyRects.erase(it);
            it = mDirtyRects.begin();
        } else {
            ++it;
        }
    }
    mDirtyRects.push_back(merged);
    // Past the most kept, the two whose joining adds the least area become
    // one, until the list fits.
    const auto area = [](const TRect& r) {
        return static_cast<int64_t>(r.right - r.left) * (r.bottom - r.top);
    };
    while (mDirtyRects.size() > kMaxDirtyRects) {
        size_t bestA = 0, bestB = 1;
        int64_t bestCost = -1;
        for (size_t a = 0; a < mDirtyRects.size(); ++a) {
            for (size_t b = a + 1; b < mDirtyRects.size(); ++b) {
                TRect both;
                both.Union(mDirtyRects[a], mDirtyRects[b]);
                const int64_t cost = area(both) - area(mDirtyRects[a]) - area(mDirtyRects[b]);
                if (bestCost < 0 || cost < bestCost) {
                    bestCost = cost;
                    bestA = a;
                    bestB = b;
                }
            }
        }
        const TRect both = mDirtyRects[bestB];
        mDirtyRects.erase(mDirtyRects.begin() + static_cast<std::ptrdiff_t>(bestB));
        TRect joined;
        joined.Union(mDirtyRects[bestA], both);
        // The joined rectangle may now touch others: it goes in again.
        mDirtyRects.erase(mDirtyRects.begin() + static_cast<std::ptrdiff_t>(bestA));
        InvalidateRect(joined);
    }
}

uint32_t TWindowManager::FrameIntervalMs() const {
    if (mHost && !mHost->IsForeground() && !mHost->KeepsFrontRateInBackground())
        return kBackgroundFrameIntervalMs;
    return kFrameIntervalMs;
}

uint32_t TWindowManager::MsUntilDue() const {
    if (!mMessages.empty())
        return 0;
    uint32_t soonest = TTask::kNotDue;
    TWindow* top = GetTopModal();
    if (top && IsModalWindow(top))
        soonest = static_cast<TModalWindow*>(top)->GetTasks().MsUntilReady();
    if (!mBackgroundMode && mDirty && mHost && top) {
        if (!mHost->IsReadyToDraw())
            return 0;
        const uint32_t since = GetFrameworkTime() - mLastDrawTime;
        const uint32_t interval = FrameIntervalMs();
        soonest = std::min(soonest, since >= interval ? 0 : interval - since);
    }
    return soonest;
}

namespace {

void BeforeFrame(TWindow* window) {
    if (!window->IsVisible())
        return;
    window->OnBeforeFrame();
    for (TWindow* child : window->GetChildren())
        if (!(child->GetFlags() & kWindowModal))
            BeforeFrame(child);
}

} // namespace

void TWindowManager::AskForChanges() {
    for (TWindow* window : mModalStack)
        BeforeFrame(window);
    for (TWindow* overlay : mOverlays)
        BeforeFrame(overlay);
}

void TWindowManager::DrawModalStack(int pass) {
    if (mAbortDraw || !mHost || mModalStack.empty() || !mHost->IsDisplayReady())
        return;
    TWindow* top = GetTopModal();
    if (pass == 2 || mTopModalOnly) {
        top->DrawTree(pass);
        return;
    }
    // Drawing starts at the highest opaque window as large as the screen.
    auto start = std::prev(mModalStack.end());
    for (auto it = mModalStack.begin(); it != mModalStack.end(); ++it) {
        TWindow* window = *it;
        if ((window->GetFlags() & kWindowOpaque) && mMainWindow &&
            window->GetWidth() == mMainWindow->GetWidth() &&
            window->GetHeight() == mMainWindow->GetHeight()) {
            start = it;
            break;
        }
    }
    for (auto it = start;; --it) {
        if (!(pass == 1 && *it == top))
            (*it)->DrawTree(pass);
        if (!mHost->IsDisplayReady() || mAbortDraw || it == mModalStack.begin())
            break;
    }
}

void TWindowManager::DrawHoverFrame() {
    if (!mHighlightHover || !mHover || !mMainWindow)
        return;
    TGraphics* graphics = TGraphics::Get();
    const TRect clip = mMainWindow->GetRect();
    graphics->PushViewport(clip);
    graphics->PushClipRect(clip);
    const TRect r = mHover->GetScreenRect();
    const TColor yellow(1.0f, 1.0f, 0.0f, 1.0f);
    graphics->FillRect(TRect(r.left, r.top, r.right, r.top + 2), yellow);
    graphics->FillRect(TRect(r.left, r.bottom - 2, r.right, r.bottom), yellow);
    graphics->FillRect(TRect(r.left, r.top, r.left + 2, r.bottom), yellow);
    graphics->FillRect(TRect(r.right - 2, r.top, r.right, r.bottom), yellow);
    graphics->PopViewport();
    graphics->PopClipRect();
}

void TWindowManager::QueueDelete(TWindow* window) {
    if (!window)
        return;
    mHover = nullptr;
    if (!Contains(mDeletionList, window))
        mDeletionList.push_back(window);
    for (TMessage* message : mMessages) {
        for (TWindow* w = message->GetTarget(); w; w = w->GetParent()) {
            if (w == window) {
                message->SetTarget(nullptr);
                break;
            }
        }
    }
    RemoveCapture(window);
}

void TWindowManager::OnWindowRemoved(TWindow* window) {
    mHover = nullptr;
    if (mFocus == window)
        mFocus = nullptr;
    RemoveCapture(window);
    for (TWindow* modal : mModalStack) {
        if (!IsModalWindow(modal))
            break;
        static_cast<TModalWindow*>(modal)->ForgetFocusChild(window);
    }
    // A window deleted by other hands than the deletion list must leave no
    // pointer behind either.
    mDeletionList.remove(window);
    mOverlays.remove(window);
    mModalStack.remove(window);
    if (mMainWindow == window)
        mMainWindow = nullptr;
    for (TMessage* message : mMessages) {
        if (message->GetTarget() == window)
            message->SetTarget(nullptr);
    }
}

void TWindowManager::AddCapture(TWindow* window) {
    if (window && !Contains(mCaptures, window))
        mCaptures.push_back(window);
}

void TWindowManager::RemoveCapture(TWindow* window) {
    if (Contains(mCaptures, window)) {
        mCaptures.remove(window);
        mCaptureChanged = 1;
    }
}

void TWindowManager::AddToWindowList(TWindow* window) {
    if (window && !Contains(mOverlays, window))
        mOverlays.push_back(window);
}

bool TWindowManager::RemoveFromWindowList(TWindow* window) {
    if (!Contains(mOverlays, window))
        return false;
    mOverlays.remove(window);
    return true;
}

void TWindowManager::SetFocus(TWindow* window, TWindow* previous) {
    mFocus = window;
    if (window)
        window->OnFocusGained(previous);
}
