#include "platform/window/VirtualKeys.h"

#include <array>

namespace platform {

namespace {

struct KeyEntry {
    SDL_Scancode scancode;
    uint32_t code;
    uint32_t scanCode;
    bool extended;
};

// Keys by their place on the keyboard. Scan codes are the keyboard's own
// (set 1), which key messages carry in lParam.
constexpr KeyEntry kKeys[] = {
    {SDL_SCANCODE_A, 'A', 0x1E, false},
    {SDL_SCANCODE_B, 'B', 0x30, false},
    {SDL_SCANCODE_C, 'C', 0x2E, false},
    {SDL_SCANCODE_D, 'D', 0x20, false},
    {SDL_SCANCODE_E, 'E', 0x12, false},
    {SDL_SCANCODE_F, 'F', 0x21, false},
    {SDL_SCANCODE_G, 'G', 0x22, false},
    {SDL_SCANCODE_H, 'H', 0x23, false},
    {SDL_SCANCODE_I, 'I', 0x17, false},
    {SDL_SCANCODE_J, 'J', 0x24, false},
    {SDL_SCANCODE_K, 'K', 0x25, false},
    {SDL_SCANCODE_L, 'L', 0x26, false},
    {SDL_SCANCODE_M, 'M', 0x32, false},
    {SDL_SCANCODE_N, 'N', 0x31, false},
    {SDL_SCANCODE_O, 'O', 0x18, false},
    {SDL_SCANCODE_P, 'P', 0x19, false},
    {SDL_SCANCODE_Q, 'Q', 0x10, false},
    {SDL_SCANCODE_R, 'R', 0x13, false},
    {SDL_SCANCODE_S, 'S', 0x1F, false},
    {SDL_SCANCODE_T, 'T', 0x14, false},
    {SDL_SCANCODE_U, 'U', 0x16, false},
    {SDL_SCANCODE_V, 'V', 0x2F, false},
    {SDL_SCANCODE_W, 'W', 0x11, false},
    {SDL_SCANCODE_X, 'X', 0x2D, false},
    {SDL_SCANCODE_Y, 'Y', 0x15, false},
    {SDL_SCANCODE_Z, 'Z', 0x2C, false},
    {SDL_SCANCODE_1, '1', 0x02, false},
    {SDL_SCANCODE_2, '2', 0x03, false},
    {SDL_SCANCODE_3, '3', 0x04, false},
    {SDL_SCANCODE_4, '4', 0x05, false},
    {SDL_SCANCODE_5, '5', 0x06, false},
    {SDL_SCANCODE_6, '6', 0x07, false},
    {SDL_SCANCODE_7, '7', 0x08, false},
    {SDL_SCANCODE_8, '8', 0x09, false},
    {SDL_SCANCODE_9, '9', 0x0A, false},
    {SDL_SCANCODE_0, '0', 0x0B, false},
    {SDL_SCANCODE_RETURN, kVkReturn, 0x1C, false},
    {SDL_SCANCODE_ESCAPE, kVkEscape, 0x01, false},
    {SDL_SCANCODE_BACKSPACE, kVkBack, 0x0E, false},
    {SDL_SCANCODE_TAB, kVkTab, 0x0F, false},
    {SDL_SCANCODE_SPACE, kVkSpace, 0x39, false},
    {SDL_SCANCODE_MINUS, kVkOemMinus, 0x0C, false},
    {SDL_SCANCODE_EQUALS, kVkOemPlus, 0x0D, false},
    {SDL_SCANCODE_LEFTBRACKET, kVkOem4, 0x1A, false},
    {SDL_SCANCODE_RIGHTBRACKET, kVkOem6, 0x1B, false},
    {SDL_SCANCODE_BACKSLASH, kVkOem5, 0x2B, false},
    {SDL_SCANCODE_NONUSHASH, kVkOem5, 0x2B, false},
    {SDL_SCANCODE_SEMICOLON, kVkOem1, 0x27, false},
    {SDL_SCANCODE_APOSTROPHE, kVkOem7, 0x28, false},
    {SDL_SCANCODE_GRAVE, kVkOem3, 0x29, false},
    {SDL_SCANCODE_COMMA, kVkOemComma, 0x33, false},
    {SDL_SCANCODE_PERIOD, kVkOemPeriod, 0x34, false},
    {SDL_SCANCODE_SLASH, kVkOem2, 0x35, false},
    {SDL_SCANCODE_NONUSBACKSLASH, kVkOem102, 0x56, false},
    {SDL_SCANCODE_CAPSLOCK, kVkCapital, 0x3A, false},
    {SDL_SCANCODE_F1, kVkF1 + 0, 0x3B, false},
    {SDL_SCANCODE_F2, kVkF1 + 1, 0x3C, false},
    {SDL_SCANCODE_F3, kVkF1 + 2, 0x3D, false},
    {SDL_SCANCODE_F4, kVkF1 + 3, 0x3E, false},
    {SDL_SCANCODE_F5, kVkF1 + 4, 0x3F, false},
    {SDL_SCANCODE_F6, kVkF1 + 5, 0x40, false},
    {SDL_SCANCODE_F7, kVkF1 + 6, 0x41, false},
    {SDL_SCANCODE_F8, kVkF1 + 7, 0x42, false},
    {SDL_SCANCODE_F9, kVkF1 + 8, 0x43, false},
    {SDL_SCANCODE_F10, kVkF1 + 9, 0x44, false},
    {SDL_SCANCODE_F11, kVkF1 + 10, 0x57, false},
    {SDL_SCANCODE_F12, kVkF1 + 11, 0x58, false},
    {SDL_SCANCODE_F13, kVkF1 + 12, 0x64, false},
    {SDL_SCANCODE_F14, kVkF1 + 13, 0x65, false},
    {SDL_SCANCODE_F15, kVkF1 + 14, 0x66, false},
    {SDL_SCANCODE_F16, kVkF1 + 15, 0x67, false},
    {SDL_SCANCODE_F17, kVkF1 + 16, 0x68, false},
    {SDL_SCANCODE_F18, kVkF1 + 17, 0x69, false},
    {SDL_SCANCODE_F19, kVkF1 + 18, 0x6A, false},
    {SDL_SCANCODE_F20, kVkF1 + 19, 0x6B, false},
    {SDL_SCANCODE_F21, kVkF1 + 20, 0x6C, false},
    {SDL_SCANCODE_F22, kVkF1 + 21, 0x6D, false},
    {SDL_SCANCODE_F23, kVkF1 + 22, 0x6E, false},
    {SDL_SCANCODE_F24, kVkF1 + 23, 0x76, false},
    {SDL_SCANCODE_PRINTSCREEN, kVkSnapshot, 0x37, true},
    {SDL_SCANCODE_SCROLLLOCK, kVkScroll, 0x46, false},
    {SDL_SCANCODE_PAUSE, kVkPause, 0x45, false},
    {SDL_SCANCODE_INSERT, kVkInsert, 0x52, true},
    {SDL_SCANCODE_HOME, kVkHome, 0x47, true},
    {SDL_SCANCODE_PAGEUP, kVkPrior, 0x49, true},
    {SDL_SCANCODE_DELETE, kVkDelete, 0x53, true},
    {SDL_SCANCODE_END, kVkEnd, 0x4F, true},
    {SDL_SCANCODE_PAGEDOWN, kVkNext, 0x51, true},
    {SDL_SCANCODE_RIGHT, kVkRight, 0x4D, true},
    {SDL_SCANCODE_LEFT, kVkLeft, 0x4B, true},
    {SDL_SCANCODE_DOWN, kVkDown, 0x50, true},
    {SDL_SCANCODE_UP, kVkUp, 0x48, true},
    {SDL_SCANCODE_NUMLOCKCLEAR, kVkNumLock, 0x45, true},
    {SDL_SCANCODE_KP_DIVIDE, kVkDivide, 0x35, true},
    {SDL_SCANCODE_KP_MULTIPLY, kVkMultiply, 0x37, false},
    {SDL_SCANCODE_KP_MINUS, kVkSubtract, 0x4A, false},
    {SDL_SCANCODE_KP_PLUS, kVkAdd, 0x4E, false},
    {SDL_SCANCODE_KP_ENTER, kVkReturn, 0x1C, true},
    {SDL_SCANCODE_KP_1, kVkNumpad0 + 1, 0x4F, false},
    {SDL_SCANCODE_KP_2, kVkNumpad0 + 2, 0x50, false},
    {SDL_SCANCODE_KP_3, kVkNumpad0 + 3, 0x51, false},
    {SDL_SCANCODE_KP_4, kVkNumpad0 + 4, 0x4B, false},
    {SDL_SCANCODE_KP_5, kVkNumpad0 + 5, 0x4C, false},
    {SDL_SCANCODE_KP_6, kVkNumpad0 + 6, 0x4D, false},
    {SDL_SCANCODE_KP_7, kVkNumpad0 + 7, 0x47, false},
    {SDL_SCANCODE_KP_8, kVkNumpad0 + 8, 0x48, false},
    {SDL_SCANCODE_KP_9, kVkNumpad0 + 9, 0x49, false},
    {SDL_SCANCODE_KP_0, kVkNumpad0 + 0, 0x52, false},
    {SDL_SCANCODE_KP_PERIOD, kVkDecimal, 0x53, false},
    {SDL_SCANCODE_KP_COMMA, kVkSeparator, 0x7E, false},
    {SDL_SCANCODE_APPLICATION, kVkApps, 0x5D, true},
    {SDL_SCANCODE_LCTRL, kVkControl, 0x1D, false},
    {SDL_SCANCODE_LSHIFT, kVkShift, 0x2A, false},
    {SDL_SCANCODE_LALT, kVkMenu, 0x38, false},
    {SDL_SCANCODE_LGUI, kVkLWin, 0x5B, true},
    {SDL_SCANCODE_RCTRL, kVkControl, 0x1D, true},
    {SDL_SCANCODE_RSHIFT, kVkShift, 0x36, false},
    {SDL_SCANCODE_RALT, kVkMenu, 0x38, true},
    {SDL_SCANCODE_RGUI, kVkRWin, 0x5C, true},
};

// Lookup by scan code, built once.
const std::array<const KeyEntry*, SDL_NUM_SCANCODES>& KeyTable() {
    static const auto table = [] {
        std::array<const KeyEntry*, SDL_NUM_SCANCODES> byScancode{};
        for (const KeyEntry& entry : kKeys)
            byScancode[entry.scancode] = &entry;
        return byScancode;
    }();
    return table;
}

// Punctuation keys follow the character the layout puts on them.
uint32_t PunctuationKey(SDL_Keycode key) {
    switch (key) {
    case ';':
        return kVkOem1;
    case '=':
        return kVkOemPlus;
    case ',':
        return kVkOemComma;
    case '-':
        return kVkOemMinus;
    case '.':
        return kVkOemPeriod;
    case '/':
        return kVkOem2;
    case '`':
        return kVkOem3;
    case '[':
        return kVkOem4;
    case '\\':
        return kVkOem5;
    case ']':
        return kVkOem6;
    case '\'':
        return kVkOem7;
    default:
        return 0;
    }
}

// Keypad keys without Num Lock: the navigation key printed beside the digit.
uint32_t KeypadNavigationKey(SDL_Scancode scancode) {
    switch (scancode) {
    case SDL_SCANCODE_KP_0:
        return kVkInsert;
    case SDL_SCANCODE_KP_1:
        return kVkEnd;
    case SDL_SCANCODE_KP_2:
        return kVkDown;
    case SDL_SCANCODE_KP_3:
        return kVkNext;
    case SDL_SCANCODE_KP_4:
        return kVkLeft;
    case SDL_SCANCODE_KP_5:
        return kVkClear;
    case SDL_SCANCODE_KP_6:
        return kVkRight;
    case SDL_SCANCODE_KP_7:
        return kVkHome;
    case SDL_SCANCODE_KP_8:
        return kVkUp;
    case SDL_SCANCODE_KP_9:
        return kVkPrior;
    case SDL_SCANCODE_KP_PERIOD:
        return kVkDelete;
    default:
        return 0;
    }
}

bool IsDigitRow(SDL_Scancode scancode) {
    return scancode >= SDL_SCANCODE_1 && scancode <= SDL_SCANCODE_0;
}

} // namespace

VirtualKey VirtualKeyFromSdl(const SDL_Keysym& key) {
    VirtualKey result;
    const KeyEntry* entry = (key.scancode >= 0 && key.scancode < SDL_NUM_SCANCODES)
                                ? KeyTable()[key.scancode]
                                : nullptr;
    if (entry) {
        result.code = entry->code;
        result.scanCode = entry->scanCode;
        result.extended = entry->extended;
    }
    if (!(key.mod & KMOD_NUM)) {
        if (uint32_t navigation = KeypadNavigationKey(key.scancode)) {
            result.code = navigation;
            return result;
        }
    }
    if (IsDigitRow(key.scancode))
        return result;
    if (key.sym >= 'a' && key.sym <= 'z') {
        result.code = static_cast<uint32_t>(key.sym - 'a' + 'A');
    } else if (uint32_t punctuation = PunctuationKey(key.sym)) {
        result.code = punctuation;
    }
    return result;
}

} // namespace platform
