#pragma once

#include <cstdint>
#include <string>

namespace platform {

// One message of the main window's queue, shaped like the messages the
// application frame was written against: a kind, two parameter words and the
// time it was made. The window back ends turn their input into these records,
// so the frame's window procedure and event pump work on records alone and can
// be fed recorded sequences in tests.
//
// Parameter layouts (the numbers are the ones the frame's tables test):
// - pointer messages: lParam holds the client position as two signed 16-bit
//   halves (x low, y high); wParam holds the button and key state bits (kMk...).
//   kWmMouseWheel carries its signed delta (multiples of kWheelDelta, positive
//   away from the user) in the high half of wParam, and a screen position.
//   kWmXButtonDown/Up carry kXButton1 or kXButton2 in the high half of wParam.
// - key messages: wParam is the virtual-key code (kVk...); lParam bits 0-15
//   repeat count, 16-23 scan code, 24 extended key, 29 Alt held, 30 key was
//   already down, 31 key is being released.
// - kWmChar, kWmSysChar: wParam is one UTF-16 code unit; characters beyond the
//   basic plane come as two messages, high surrogate first.
// - kWmSize: wParam kSize...; lParam the client width and height.
// - kWmActivateApp: wParam 1 when the program becomes active, 0 when not.
// - kWmMouseActivate: lParam low half the hit-test code (kHtClient), high half
//   the pointer message that activated the window.
// - kWmWindowPosChanged: the new outer rectangle in `position`.
// - kWmCaptureChanged: lParam is the window that now holds the capture
//   (0: none of ours).
// - kWmTimer: wParam is the timer id.
// - kWmQuit: wParam is the exit code.
struct WindowPosition {
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
};

struct WindowMessage {
    uint32_t message = 0;
    uintptr_t wParam = 0;
    intptr_t lParam = 0;
    uint32_t time = 0;
    WindowPosition position;
};

// Message kinds.
inline constexpr uint32_t kWmNull = 0x0000;
inline constexpr uint32_t kWmDestroy = 0x0002;
inline constexpr uint32_t kWmSize = 0x0005;
inline constexpr uint32_t kWmPaint = 0x000F;
inline constexpr uint32_t kWmClose = 0x0010;
inline constexpr uint32_t kWmQuit = 0x0012;
inline constexpr uint32_t kWmEraseBackground = 0x0014;
inline constexpr uint32_t kWmActivateApp = 0x001C;
inline constexpr uint32_t kWmSetCursor = 0x0020;
inline constexpr uint32_t kWmMouseActivate = 0x0021;
inline constexpr uint32_t kWmWindowPosChanging = 0x0046;
inline constexpr uint32_t kWmWindowPosChanged = 0x0047;
inline constexpr uint32_t kWmNcHitTest = 0x0084;
inline constexpr uint32_t kWmKeyDown = 0x0100;
inline constexpr uint32_t kWmKeyUp = 0x0101;
inline constexpr uint32_t kWmChar = 0x0102;
inline constexpr uint32_t kWmSysKeyDown = 0x0104;
inline constexpr uint32_t kWmSysKeyUp = 0x0105;
inline constexpr uint32_t kWmSysChar = 0x0106;
inline constexpr uint32_t kWmTimer = 0x0113;
inline constexpr uint32_t kWmInitMenuPopup = 0x0117;
inline constexpr uint32_t kWmMouseMove = 0x0200;
inline constexpr uint32_t kWmLButtonDown = 0x0201;
inline constexpr uint32_t kWmLButtonUp = 0x0202;
inline constexpr uint32_t kWmRButtonDown = 0x0204;
inline constexpr uint32_t kWmRButtonUp = 0x0205;
inline constexpr uint32_t kWmMButtonDown = 0x0207;
inline constexpr uint32_t kWmMButtonUp = 0x0208;
inline constexpr uint32_t kWmMouseWheel = 0x020A;
inline constexpr uint32_t kWmXButtonDown = 0x020B;
inline constexpr uint32_t kWmXButtonUp = 0x020C;
inline constexpr uint32_t kWmMouseHWheel = 0x020E;
inline constexpr uint32_t kWmCaptureChanged = 0x0215;
inline constexpr uint32_t kWmMouseHover = 0x02A1;
inline constexpr uint32_t kWmMouseLeave = 0x02A3;
inline constexpr uint32_t kWmUser = 0x0400;

// kWmSize kinds.
inline constexpr uintptr_t kSizeRestored = 0;
inline constexpr uintptr_t kSizeMinimized = 1;
inline constexpr uintptr_t kSizeMaximized = 2;
inline constexpr uintptr_t kSizeMaxShow = 3;

// Button and key state bits of pointer messages.
inline constexpr uint32_t kMkLButton = 0x0001;
inline constexpr uint32_t kMkRButton = 0x0002;
inline constexpr uint32_t kMkShift = 0x0004;
inline constexpr uint32_t kMkControl = 0x0008;
inline constexpr uint32_t kMkMButton = 0x0010;
inline constexpr uint32_t kMkXButton1 = 0x0020;
inline constexpr uint32_t kMkXButton2 = 0x0040;

// High half of wParam of the extra-button messages.
inline constexpr uint32_t kXButton1 = 1;
inline constexpr uint32_t kXButton2 = 2;

// One notch of the wheel.
inline constexpr int kWheelDelta = 120;

// Hit-test code of the client area.
inline constexpr uint32_t kHtClient = 1;

// Key message lParam bits.
inline constexpr uint32_t kKeyExtendedBit = 1u << 24;
inline constexpr uint32_t kKeyAltBit = 1u << 29;
inline constexpr uint32_t kKeyPreviousBit = 1u << 30;
inline constexpr uint32_t kKeyReleaseBit = 1u << 31;

// Mouse tracking requests (TrackMouse).
inline constexpr uint32_t kTrackHover = 0x00000001;
inline constexpr uint32_t kTrackLeave = 0x00000002;
inline constexpr uint32_t kTrackCancel = 0x80000000;

// How long the pointer must rest before a hover message, and how far it may
// drift meanwhile (pixels either way).
inline constexpr uint32_t kHoverTimeMs = 400;
inline constexpr int kHoverSlack = 2;

// Two 16-bit halves in one parameter word, the way pointer positions and
// sizes are packed. The halves are cut to 16 bits.
constexpr intptr_t MakeLParam(int32_t low, int32_t high) {
    return static_cast<intptr_t>((static_cast<uint32_t>(low) & 0xFFFFu) |
                                 ((static_cast<uint32_t>(high) & 0xFFFFu) << 16));
}
constexpr uintptr_t MakeWParam(uint32_t low, uint32_t high) {
    return static_cast<uintptr_t>((low & 0xFFFFu) | ((high & 0xFFFFu) << 16));
}
constexpr uint32_t LowWord(uintptr_t word) {
    return static_cast<uint32_t>(word) & 0xFFFFu;
}
constexpr uint32_t HighWord(uintptr_t word) {
    return (static_cast<uint32_t>(word) >> 16) & 0xFFFFu;
}
// Pointer coordinates are signed: a captured pointer can be left of or above
// the window.
constexpr int32_t PointX(intptr_t lParam) {
    return static_cast<int16_t>(LowWord(static_cast<uintptr_t>(lParam)));
}
constexpr int32_t PointY(intptr_t lParam) {
    return static_cast<int16_t>(HighWord(static_cast<uintptr_t>(lParam)));
}
constexpr int32_t WheelDeltaOf(uintptr_t wParam) {
    return static_cast<int16_t>(HighWord(wParam));
}

// Readable name of a message kind ("WM_PAINT" style) for logs and test output;
// "0x...." for kinds without one.
std::string MessageName(uint32_t message);

} // namespace platform
