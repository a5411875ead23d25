#pragma once

#include "framework/core/math/TPoint.h"
#include "framework/core/math/TRect.h"
#include "framework/core/text/TString.h"
#include "framework/ui/manager/TWindowHost.h"
#include "framework/ui/window/TWindow.h"

#include <atomic>
#include <cstdint>
#include <list>
#include <memory>
#include <vector>

class TLuaFunction;
class TMessage;
class TTexture;
class TGraphics;
class TRenderer;
class TWindowScript;
struct TEvent;

// Offered each untargeted message before any window; true when it took it.
class TMessageHandler {
public:
    virtual ~TMessageHandler() = default;
    virtual bool HandleMessage(TMessage* message) = 0;
};

// Answers a pointer resting on a window (tooltips).
class TTooltipHandler {
public:
    virtual ~TTooltipHandler() = default;
    virtual bool HandleHover() = 0;
};

// The one window manager: it owns the window tree at run time (the main
// window, the stack of modal windows with the top one at the front, the
// overlay windows drawn above everything, the windows waiting to be
// deleted), the windows that hold the pointer, the focus window, a queue
// of messages and the window script. It takes every event of the game
// loop, routes pointer events to the window under the pointer and key
// events to the focus window, delivers the queued messages and redraws the
// tree when it is dirty, at most every 12 ms (200 ms behind other
// windows). The platform object creates and owns it; the application
// destructor deletes it first. Windows closed during an event are deleted
// at the start of the next one. Main thread only.
class TWindowManager {
public:
    static constexpr uint32_t kFrameIntervalMs = 12;
    static constexpr uint32_t kBackgroundFrameIntervalMs = 200;

    TWindowManager();
    TWindowManager(const TWindowManager&) = delete;
    TWindowManager& operator=(const TWindowManager&) = delete;
    virtual ~TWindowManager();

    // The window manager, or null before it exists and after it is gone.
    static TWindowManager* Instance();

    // The application's services; without a host nothing is drawn and a
    // quit goes nowhere.
    void SetHost(std::unique_ptr<TWindowHost> host) { mHost = std::move(host); }
    TWindowHost* GetHost() const { return mHost.get(); }

    // ---- The window script
    // Takes over the window script (deleted last, with the manager),
    // defines "SetTopModalOnly" and adds the script to the application's
    // task list.
    void Init(TWindowScript* script);
    TWindowScript* GetScript() const { return mScript; }
    void RegisterWindowType(const TString& typeName, TWindowCreator creator);
    // Runs the file with the window as the script's current window.
    void RunScriptForWindow(TWindow* window, const TString& fileName);
    // Sets the window script's option; returns its previous value.
    bool SetScriptFlag(bool flag);
    // Hands a message (owned) and a command to the script; the message is
    // deleted without a script.
    void PassToScript(TMessage* message, const TLuaFunction* command);

    // ---- Modal stack
    // Stores the root window, pushes it and sizes it to the viewport.
    void SetMainWindow(TWindow* window);
    TWindow* GetMainWindow() const { return mMainWindow; }
    void PushModal(TWindow* window);
    // Pops the top modal; it is deleted at the start of the next event.
    void PopModal();
    // Pops down to the modal whose name or id string is the name; nothing
    // when none matches. The new top modal's clock starts again.
    void DoPopModal(const TString& name);
    TWindow* GetTopModal() const { return mModalStack.empty() ? nullptr : mModalStack.front(); }
    const std::list<TWindow*>& GetModalStack() const { return mModalStack; }
    size_t GetModalDepth() const { return mModalStack.size(); }
    // The root window's rectangle; empty without one.
    TRect GetScreenRect() const;

    // ---- Events, messages and drawing
    void HandleEvent(const TEvent& event);
    void DispatchMessages();
    void Draw();
    // The time between frames now: kFrameIntervalMs in front or while the
    // host keeps the front rate, else kBackgroundFrameIntervalMs.
    uint32_t FrameIntervalMs() const;
    // How long the event pump may wait before an idle event has work here,
    // in milliseconds: 0 with messages queued or a frame waiting on the
    // display, else the time until the next frame of a dirty screen or the
    // top modal's next task; TTask::kNotDue when nothing is coming.
    uint32_t MsUntilDue() const;
    // Appends a message to the queue; the manager owns it from then on.
    void PostMessage(TMessage* message);
    const std::list<TMessage*>& GetMessageQueue() const { return mMessages; }
    // Takes ownership.
    void AddMessageHandler(TMessageHandler* handler);
    void SetTooltipHandler(TTooltipHandler* handler) { mTooltipHandler = handler; }
    bool HandleHover();

    // ---- Services for windows
    // While set the drawing pass draws nothing; the pass clears it. Popping
    // a modal sets it, and a screen that is about to leave sets it so that
    // no frame of it half taken down is shown.
    void SetAbortDraw(bool abort) { mAbortDraw = abort ? 1 : 0; }
    bool IsDrawAborted() const { return mAbortDraw != 0; }
    // The whole screen is drawn again at the next frame.
    void Invalidate() { mDirty = 1, mWholeDirty = 1; }
    // Only this rectangle of the screen (screen pixels) changed: unless
    // something asks for the whole screen, the next frame draws the tree
    // again inside the changed rectangles alone, over the picture the back
    // buffer keeps. A window that moves or changes size invalidates where
    // it was and where it is.
    void InvalidateRect(const TRect& screenRect);
    bool IsDirty() const { return mDirty != 0; }
    bool IsWholeDirty() const { return mWholeDirty != 0; }
    // The changed rectangles of the next frame while it is not a whole one.
    const std::vector<TRect>& GetDirtyRects() const { return mDirtyRects; }
    // Frames drawn whole and frames drawn in their changed rectangles.
    uint32_t GetWholeFrameCount() const { return mWholeFrames; }
    uint32_t GetPartialFrameCount() const { return mPartialFrames; }
    // Partial frames checked against a whole one, and those that differed.
    uint32_t GetCheckedFrameCount() const { return mCheckedFrames; }
    uint32_t GetDifferingFrameCount() const { return mDifferingFrames; }
    // More rectangles than this are merged into the one around them all.
    static constexpr size_t kMaxDirtyRects = 8;
    // The window is deleted at the start of the next event; messages aimed
    // at it or below it lose their target.
    void QueueDelete(TWindow* window);
    const std::list<TWindow*>& GetDeletionList() const { return mDeletionList; }
    // A window leaves the tree for good: focus, capture, hover and the
    // modals' remembered focus forget it.
    void OnWindowRemoved(TWindow* window);
    void AddCapture(TWindow* window);
    void RemoveCapture(TWindow* window);
    const std::list<TWindow*>& GetCaptures() const { return mCaptures; }
    // The overlay windows; the manager deletes them when it goes.
    void AddToWindowList(TWindow* window);
    bool RemoveFromWindowList(TWindow* window);
    const std::list<TWindow*>& GetWindowList() const { return mOverlays; }
    // The focus window gets the key events. SetFocus calls its
    // OnFocusGained with the previous focus window.
    TWindow* GetFocus() const { return mFocus; }
    void SetFocus(TWindow* window) { SetFocus(window, mFocus); }
    void SetFocus(TWindow* window, TWindow* previous);
    TWindow* GetHoverWindow() const { return mHover; }

    // Windows below the top modal are drawn into this picture before each
    // frame while one is held; dropped when the display is set up again.
    void SetBackgroundTexture(const std::shared_ptr<TTexture>& texture) { mBackground = texture; }
    const std::shared_ptr<TTexture>& GetBackgroundTexture() const { return mBackground; }

    // No drawing while set: a movie covers the main window, or a screen
    // asked for it. The platform's helper thread reads it.
    std::atomic<uint8_t> mBackgroundMode{0};
    // Set while a movie plays: mouse buttons and the wheel make no events.
    uint8_t mInputBlocked = 0;
    // Only the top modal is drawn ("SetTopModalOnly" from scripts).
    uint8_t mTopModalOnly = 0;
    // A change of the hover window redraws, and the hover window gets a
    // frame.
    uint8_t mHighlightHover = 0;

private:
    void HandlePointer(const TEvent& event);
    // Captured windows lose the pointer when they are hidden (themselves or
    // through a group) or when another window is hit where the pointer is
    // over them; the event then goes to what the hit test finds.
    void ReleaseLostCaptures(const TEvent& event);
    void WalkCaptures(const TEvent& event);
    // Empties the capture list; each window in it gets OnMouseExit.
    void ExitCaptures();
    // The pointer capture ended: each captured window gets OnMouseExit.
    void CaptureLost();
    void DrawModalStack(int pass);
    // A frame begins: what a window changes while it draws is for the
    // next one.
    void ClearChanges() { mDirty = 0, mWholeDirty = 0, mDirtyRects.clear(); }
    // Calls OnBeforeFrame on every shown window of the modal stack and the
    // overlays.
    void AskForChanges();
    // Draws the modal stack and the overlays inside the changed rectangles;
    // false when the frame must be a whole one after all.
    bool DrawChangedRects(TGraphics* graphics);
    // With the setting "checkpartialframes": draws the partial frame just
    // drawn again whole and logs where the two pictures differ.
    void CheckPartialFrame(TRenderer* renderer);
    void DrawHoverFrame();
    void DeleteQueuedWindows();
    // The event with its point turned from the screen into the window's.
    static TEvent LocalEvent(const TEvent& event, const TWindow* window);

    std::shared_ptr<TTexture> mBackground;
    TWindow* mMainWindow = nullptr;
    uint8_t mAbortDraw = 0;
    uint32_t mLastDrawTime = 0;
    std::list<TWindow*> mModalStack;
    std::list<TWindow*> mDeletionList;
    std::list<TWindow*> mOverlays;
    uint8_t mDirty = 1;
    uint8_t mWholeDirty = 1;
    uint32_t mWholeFrames = 0;
    uint32_t mPartialFrames = 0;
    uint32_t mCheckedFrames = 0;
    uint32_t mDifferingFrames = 0;
    std::vector<TRect> mDirtyRects;
    struct FrameKey {
        TRect screen;
        int displays = -1;
        int restores = -1;
        bool fullScreen = false;
        bool operator==(const FrameKey&) const = default;
    };
    FrameKey CurrentFrameKey(TGraphics* graphics) const;
    // What the last whole frame was drawn for.
    FrameKey mLastFrame;
    uint8_t mCaptureChanged = 0;
    TWindow* mHover = nullptr;
    std::list<TWindow*> mCaptures;
    TWindow* mFocus = nullptr;
    TWindowScript* mScript = nullptr;
    std::list<TMessage*> mMessages;
    std::vector<TMessageHandler*> mHandlers;
    TTooltipHandler* mTooltipHandler = nullptr;
    std::unique_ptr<TWindowHost> mHost;
};

// Marks the window manager's screen dirty, when there is a manager.
inline void InvalidateWindows() {
    if (TWindowManager* manager = TWindowManager::Instance())
        manager->Invalidate();
}

// Marks a rectangle of the screen (screen pixels) changed, when there is a
// manager.
inline void InvalidateScreenRect(const TRect& screenRect) {
    if (TWindowManager* manager = TWindowManager::Instance())
        manager->InvalidateRect(screenRect);
}
