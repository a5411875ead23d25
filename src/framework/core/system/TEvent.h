#pragma once

#include <cstdint>

// One event of the event pump: five 32-bit words. The game loop takes one
// per call of TApplication::GetEvent and hands it to the window manager.
// x and y are display coordinates (signed 16-bit values widened) for
// pointer events.
struct TEvent {
    uint32_t type = 0;
    int32_t code = 0;
    int32_t x = 0;
    int32_t y = 0;
    uint32_t modifiers = 0;
};
static_assert(sizeof(TEvent) == 20);

// Event types.
inline constexpr uint32_t kEventIdle = 1;
inline constexpr uint32_t kEventNothing = 2;
inline constexpr uint32_t kEventCloseRequest = 3;
inline constexpr uint32_t kEventQuit = 4;
inline constexpr uint32_t kEventLeftButtonDown = 5;
// Code: 1 right down, 0 right up, 3 middle down, 2 middle up, 4 and 5 the
// extra buttons down, 6 wheel forward, 7 wheel back.
inline constexpr uint32_t kEventOtherButton = 6;
inline constexpr uint32_t kEventLeftButtonUp = 7;
inline constexpr uint32_t kEventPointerMove = 8;
inline constexpr uint32_t kEventPointerLost = 9;
inline constexpr uint32_t kEventHover = 10;
inline constexpr uint32_t kEventKeyDown = 11;
inline constexpr uint32_t kEventKeyUp = 12;
inline constexpr uint32_t kEventCharacter = 13;
inline constexpr uint32_t kEventUnicodeCharacter = 14;
inline constexpr uint32_t kEventPaint = 15;
inline constexpr uint32_t kEventDisplayReset = 17;
// Code: 1 active or restored, 0 inactive or minimised.
inline constexpr uint32_t kEventActivation = 18;
// Code: 1 now full screen, 0 windowed.
inline constexpr uint32_t kEventFullScreenToggle = 19;

// Modifier bits.
inline constexpr uint32_t kModifierShift = 1;
inline constexpr uint32_t kModifierControl = 2;
inline constexpr uint32_t kModifierAlt = 4;
inline constexpr uint32_t kModifierExtended = 8;

// Key codes that keep their character values.
inline constexpr int32_t kKeyEnter = 13;
inline constexpr int32_t kKeyEscape = 27;
inline constexpr int32_t kKeyTab = 9;
inline constexpr int32_t kKeyBackspace = 8;

inline void MakeEvent(TEvent& event, uint32_t type, int32_t x, int32_t y, int32_t code,
                      uint32_t modifiers) {
    event.type = type;
    event.code = code;
    event.x = x;
    event.y = y;
    event.modifiers = modifiers;
}
