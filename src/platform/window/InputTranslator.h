#pragma once

#include "platform/window/PictureFit.h"
#include "platform/window/VirtualKeys.h"
#include "platform/window/WindowMessage.h"

#include <SDL_events.h>

#include <bitset>
#include <cstdint>
#include <deque>

namespace platform {

// Turns SDL events into main-window messages, filling in what SDL leaves out:
// key codes with their extended and Alt bits, the characters of Enter,
// Backspace, Tab, Escape and Control+key, UTF-16 character units, hover after
// the pointer rests (only while hover tracking is armed), leave (only while
// leave tracking is armed), click-to-activate, and the parked position of a
// minimised window. It only keeps input state and never calls SDL, so tests
// feed it synthetic events; each window back end owns one (in its message
// queue) and feeds it the real ones.
// Times: `now` is the platform timer (hover); SDL event timestamps decide which
// click activated the window.
class InputTranslator {
public:
    using Queue = std::deque<WindowMessage>;

    // Events of other windows are passed over; 0 takes every window's.
    void SetWindowId(uint32_t id) { mWindowId = id; }
    // The SDL event type that carries posted messages (0: none).
    void SetPostedEventType(uint32_t type) { mPostedType = type; }
    void SetClientSize(int32_t width, int32_t height);
    void SetWindowOrigin(int32_t x, int32_t y);
    // The picture the window shows, scaled to fit the client area: SDL's
    // pointer positions are read through the fit (0 by 0: no scaling).
    void SetPictureSize(int32_t width, int32_t height);
    PictureFit Fit() const;
    // In picture coordinates.
    void SetPointer(int32_t x, int32_t y, bool inside);
    void SetActive(bool active) { mActive = active; }
    void SetCaptured(bool captured) { mCaptured = captured; }
    void SetModifiers(uint16_t sdlModifiers) { mModifiers = sdlModifiers; }

    void Translate(const SDL_Event& event, uint32_t now, Queue& out);

    // Arms, re-arms or cancels hover and leave tracking (kTrack... flags).
    // Arming leave while the pointer is outside the window reports the leave
    // at once, as the tracking call does on the original system.
    void TrackMouse(uint32_t flags, uint32_t now, Queue& out);
    // Appends the hover message once the pointer has rested long enough.
    void Poll(uint32_t now, Queue& out);
    // Milliseconds until Poll can make a message; -1 when nothing is armed.
    int64_t MsUntilDue(uint32_t now) const;

    // An exposed window wants one paint message, made only when the queue is
    // otherwise empty; several exposures make one.
    bool PaintPending() const { return mPaintPending; }
    WindowMessage TakePaint(uint32_t now);
    void Invalidate() { mPaintPending = true; }

    // Key state as of the last translated event: high bit (0x8000) while the
    // key is down. Shift, Control and Alt follow the modifier state.
    uint16_t KeyState(uint32_t virtualKey) const;
    bool IsActive() const { return mActive; }
    bool IsCaptured() const { return mCaptured; }
    bool IsMinimized() const { return mMinimized; }
    bool IsPointerInside() const { return mInside; }
    bool HoverArmed() const { return mHoverArmed; }
    bool LeaveArmed() const { return mLeaveArmed; }
    int32_t PointerX() const { return mPointerX; }
    int32_t PointerY() const { return mPointerY; }

    // A click this soon after the window gained the focus is the click that
    // activated it.
    static constexpr uint32_t kClickActivationMs = 100;
    // Where the original system parks a minimised window.
    static constexpr int32_t kParkedPosition = -32000;

private:
    void TranslateKey(const SDL_KeyboardEvent& key, uint32_t now, Queue& out);
    void TranslateText(const char* utf8, uint32_t now, Queue& out);
    void TranslateButton(const SDL_MouseButtonEvent& button, uint32_t now, Queue& out);
    void TranslateWheel(const SDL_MouseWheelEvent& wheel, uint32_t now, Queue& out);
    void TranslateWindow(const SDL_WindowEvent& window, uint32_t now, Queue& out);
    void MovePointer(int32_t x, int32_t y, uint32_t now);
    // The picture point under a client point; false (nothing to report)
    // when the point lies in the bars beside the picture and no button is
    // held down there or captured.
    bool MapPointer(int32_t clientX, int32_t clientY, int32_t& x, int32_t& y) const;
    void Push(Queue& out, uint32_t message, uintptr_t wParam, intptr_t lParam, uint32_t now);
    void PushPosition(Queue& out, int32_t x, int32_t y, uint32_t now);
    uint32_t MouseKeyState() const;
    bool IsOurWindow(uint32_t windowId) const;

    uint32_t mWindowId = 0;
    uint32_t mPostedType = 0;
    int32_t mWidth = 0;
    int32_t mHeight = 0;
    int32_t mPictureWidth = 0;
    int32_t mPictureHeight = 0;
    int32_t mOriginX = 0;
    int32_t mOriginY = 0;
    int32_t mPointerX = 0;
    int32_t mPointerY = 0;
    bool mInside = false;
    bool mActive = false;
    bool mCaptured = false;
    bool mMinimized = false;
    bool mPaintPending = false;
    uint16_t mModifiers = 0;
    uint32_t mButtons = 0; // kMk...Button bits
    std::bitset<256> mKeysDown;
    // Set by a key press with Alt (and without Control): its text becomes
    // system characters.
    bool mSystemKey = false;

    bool mHoverArmed = false;
    uint32_t mHoverStart = 0;
    int32_t mHoverAnchorX = 0;
    int32_t mHoverAnchorY = 0;
    bool mLeaveArmed = false;

    bool mClickMayActivate = false;
    uint32_t mFocusGainedAt = 0;
};

} // namespace platform
