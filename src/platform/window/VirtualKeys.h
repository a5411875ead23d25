#pragma once

#include <SDL_keyboard.h>

#include <cstdint>

namespace platform {

// Virtual-key codes of key messages. Letters and digits are their upper-case
// ASCII codes ('A'..'Z', '0'..'9'); the rest are named here.
inline constexpr uint32_t kVkBack = 0x08;
inline constexpr uint32_t kVkTab = 0x09;
inline constexpr uint32_t kVkClear = 0x0C;
inline constexpr uint32_t kVkReturn = 0x0D;
inline constexpr uint32_t kVkShift = 0x10;
inline constexpr uint32_t kVkControl = 0x11;
inline constexpr uint32_t kVkMenu = 0x12; // Alt
inline constexpr uint32_t kVkPause = 0x13;
inline constexpr uint32_t kVkCapital = 0x14;
inline constexpr uint32_t kVkEscape = 0x1B;
inline constexpr uint32_t kVkSpace = 0x20;
inline constexpr uint32_t kVkPrior = 0x21; // Page Up
inline constexpr uint32_t kVkNext = 0x22;  // Page Down
inline constexpr uint32_t kVkEnd = 0x23;
inline constexpr uint32_t kVkHome = 0x24;
inline constexpr uint32_t kVkLeft = 0x25;
inline constexpr uint32_t kVkUp = 0x26;
inline constexpr uint32_t kVkRight = 0x27;
inline constexpr uint32_t kVkDown = 0x28;
inline constexpr uint32_t kVkSnapshot = 0x2C; // Print Screen
inline constexpr uint32_t kVkInsert = 0x2D;
inline constexpr uint32_t kVkDelete = 0x2E;
inline constexpr uint32_t kVkLWin = 0x5B;
inline constexpr uint32_t kVkRWin = 0x5C;
inline constexpr uint32_t kVkApps = 0x5D;
inline constexpr uint32_t kVkNumpad0 = 0x60; // to kVkNumpad9 = 0x69
inline constexpr uint32_t kVkMultiply = 0x6A;
inline constexpr uint32_t kVkAdd = 0x6B;
inline constexpr uint32_t kVkSeparator = 0x6C;
inline constexpr uint32_t kVkSubtract = 0x6D;
inline constexpr uint32_t kVkDecimal = 0x6E;
inline constexpr uint32_t kVkDivide = 0x6F;
inline constexpr uint32_t kVkF1 = 0x70; // to kVkF24 = 0x87
inline constexpr uint32_t kVkF10 = 0x79;
inline constexpr uint32_t kVkNumLock = 0x90;
inline constexpr uint32_t kVkScroll = 0x91;
inline constexpr uint32_t kVkOem1 = 0xBA; // ; :
inline constexpr uint32_t kVkOemPlus = 0xBB;
inline constexpr uint32_t kVkOemComma = 0xBC;
inline constexpr uint32_t kVkOemMinus = 0xBD;
inline constexpr uint32_t kVkOemPeriod = 0xBE;
inline constexpr uint32_t kVkOem2 = 0xBF;   // / ?
inline constexpr uint32_t kVkOem3 = 0xC0;   // ` ~
inline constexpr uint32_t kVkOem4 = 0xDB;   // [ {
inline constexpr uint32_t kVkOem5 = 0xDC;   // \ |
inline constexpr uint32_t kVkOem6 = 0xDD;   // ] }
inline constexpr uint32_t kVkOem7 = 0xDE;   // ' "
inline constexpr uint32_t kVkOem102 = 0xE2; // the extra key beside left Shift

// A key as key messages describe it: virtual-key code (0: a key the program
// does not know), keyboard scan code and whether it is an extended key.
struct VirtualKey {
    uint32_t code = 0;
    uint32_t scanCode = 0;
    bool extended = false;
};

// The virtual key of an SDL key. Letters follow the layout (the keycode);
// digits, punctuation keys without an ASCII keycode and all other keys follow
// their place on the keyboard (the scan code). Keypad digits and the keypad
// full stop give the navigation keys (not extended) while Num Lock is off, as
// on the system the program was written for.
VirtualKey VirtualKeyFromSdl(const SDL_Keysym& key);

} // namespace platform
