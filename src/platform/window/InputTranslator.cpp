#include "platform/window/InputTranslator.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace platform {

namespace {

// Next code point of UTF-8 text; malformed bytes give U+FFFD and are passed
// over one at a time.
uint32_t NextCodePoint(const unsigned char*& text) {
    struct Form {
        unsigned char mask;
        unsigned char lead;
        int following;
        uint32_t smallest; // anything below is an overlong form
    };
    static constexpr Form kForms[] = {
        {0xE0, 0xC0, 1, 0x80}, {0xF0, 0xE0, 2, 0x800}, {0xF8, 0xF0, 3, 0x10000}};
    unsigned char lead = *text++;
    if (lead < 0x80)
        return lead;
    for (const Form& form : kForms) {
        if ((lead & form.mask) != form.lead)
            continue;
        uint32_t point = lead & static_cast<unsigned char>(~form.mask);
        for (int i = 0; i < form.following; ++i) {
            if ((text[i] & 0xC0) != 0x80)
                return 0xFFFD;
            point = (point << 6) | (text[i] & 0x3F);
        }
        text += form.following;
        if (point < form.smallest || point > 0x10FFFF || (point >= 0xD800 && point <= 0xDFFF))
            return 0xFFFD;
        return point;
    }
    return 0xFFFD;
}

// The character a key makes by itself, which text input does not deliver:
// Enter, Backspace, Tab and Escape, and the control characters of
// Control+key. 0 when the key makes none.
uint32_t GeneratedCharacter(uint32_t virtualKey, bool control) {
    if (control) {
        if (virtualKey >= 'A' && virtualKey <= 'Z')
            return virtualKey - 'A' + 1;
        switch (virtualKey) {
        case kVkOem4:
            return 0x1B;
        case kVkOem5:
            return 0x1C;
        case kVkOem6:
            return 0x1D;
        case kVkReturn:
            return 0x0A;
        case kVkBack:
            return 0x7F;
        case kVkEscape:
            return 0x1B;
        case kVkSpace:
            return 0x20;
        default:
            return 0;
        }
    }
    switch (virtualKey) {
    case kVkReturn:
        return 0x0D;
    case kVkBack:
        return 0x08;
    case kVkTab:
        return 0x09;
    case kVkEscape:
        return 0x1B;
    default:
        return 0;
    }
}

uint16_t ClampDelta(double delta) {
    double rounded = std::lround(std::clamp(delta, -32768.0, 32767.0));
    return static_cast<uint16_t>(static_cast<int16_t>(rounded));
}

} // namespace

void InputTranslator::SetClientSize(int32_t width, int32_t height) {
    mWidth = width;
    mHeight = height;
}

void InputTranslator::SetWindowOrigin(int32_t x, int32_t y) {
    mOriginX = x;
    mOriginY = y;
}

void InputTranslator::SetPictureSize(int32_t width, int32_t height) {
    mPictureWidth = width;
    mPictureHeight = height;
}

PictureFit InputTranslator::Fit() const {
    return PictureFit(mPictureWidth, mPictureHeight, mWidth, mHeight);
}

bool InputTranslator::MapPointer(int32_t clientX, int32_t clientY, int32_t& x, int32_t& y) const {
    const PictureFit fit = Fit();
    if (!fit.Covers(clientX, clientY) && mButtons == 0 && !mCaptured)
        return false;
    fit.ToPicture(clientX, clientY, x, y);
    return true;
}

void InputTranslator::SetPointer(int32_t x, int32_t y, bool inside) {
    mPointerX = x;
    mPointerY = y;
    mInside = inside;
}

bool InputTranslator::IsOurWindow(uint32_t windowId) const {
    return mWindowId == 0 || windowId == 0 || windowId == mWindowId;
}

void InputTranslator::Push(Queue& out, uint32_t message, uintptr_t wParam, intptr_t lParam,
                           uint32_t now) {
    WindowMessage record;
    record.message = message;
    record.wParam = wParam;
    record.lParam = lParam;
    record.time = now;
    out.push_back(record);
}

void InputTranslator::PushPosition(Queue& out, int32_t x, int32_t y, uint32_t now) {
    WindowMessage record;
    record.message = kWmWindowPosChanged;
    record.time = now;
    record.position = {x, y, mWidth, mHeight};
    out.push_back(record);
}

uint32_t InputTranslator::MouseKeyState() const {
    uint32_t state = mButtons;
    if (mModifiers & KMOD_SHIFT)
        state |= kMkShift;
    if (mModifiers & KMOD_CTRL)
        state |= kMkControl;
    return state;
}

uint16_t InputTranslator::KeyState(uint32_t virtualKey) const {
    bool down = false;
    switch (virtualKey) {
    case kVkShift:
        down = mModifiers & KMOD_SHIFT;
        break;
    case kVkControl:
        down = mModifiers & KMOD_CTRL;
        break;
    case kVkMenu:
        down = mModifiers & KMOD_ALT;
        break;
    default:
        down = virtualKey < mKeysDown.size() && mKeysDown[virtualKey];
        break;
    }
    return down ? 0x8000 : 0;
}

void InputTranslator::Translate(const SDL_Event& event, uint32_t now, Queue& out) {
    if (mPostedType != 0 && event.type == mPostedType) {
        WindowMessage record;
        record.message = static_cast<uint32_t>(event.user.code);
        record.wParam = reinterpret_cast<uintptr_t>(event.user.data1);
        record.lParam = reinterpret_cast<intptr_t>(event.user.data2);
        record.time = now;
        out.push_back(record);
        return;
    }
    switch (event.type) {
    case SDL_QUIT:
        Push(out, kWmClose, 0, 0, now);
        break;
    case SDL_WINDOWEVENT:
        if (IsOurWindow(event.window.windowID))
            TranslateWindow(event.window, now, out);
        break;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        if (IsOurWindow(event.key.windowID))
            TranslateKey(event.key, now, out);
        break;
    case SDL_TEXTINPUT:
        if (IsOurWindow(event.text.windowID))
            TranslateText(event.text.text, now, out);
        break;
    case SDL_MOUSEMOTION:
        if (IsOurWindow(event.motion.windowID)) {
            int32_t x = 0, y = 0;
            if (!MapPointer(event.motion.x, event.motion.y, x, y))
                break;
            MovePointer(x, y, now);
            Push(out, kWmMouseMove, MouseKeyState(), MakeLParam(mPointerX, mPointerY), now);
        }
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        if (IsOurWindow(event.button.windowID))
            TranslateButton(event.button, now, out);
        break;
    case SDL_MOUSEWHEEL:
        if (IsOurWindow(event.wheel.windowID))
            TranslateWheel(event.wheel, now, out);
        break;
    default:
        break;
    }
}

void InputTranslator::TranslateKey(const SDL_KeyboardEvent& key, uint32_t now, Queue& out) {
    mModifiers = key.keysym.mod;
    VirtualKey virtualKey = VirtualKeyFromSdl(key.keysym);
    bool pressed = key.type == SDL_KEYDOWN;
    bool alt = mModifiers & KMOD_ALT;
    bool control = mModifiers & KMOD_CTRL;
    // Alt+key goes to the system keys; Control+Alt is how some layouts type
    // characters, so it stays an ordinary key. F10 alone is a system key too.
    bool altKey = virtualKey.code == kVkMenu;
    bool system = ((alt || altKey) && !control) || (virtualKey.code == kVkF10 && !control);
    if (pressed)
        mSystemKey = alt && !control;
    if (virtualKey.code == 0)
        return;
    if (virtualKey.code < mKeysDown.size())
        mKeysDown[virtualKey.code] = pressed;

    uint32_t lParam = 1 | (virtualKey.scanCode & 0xFF) << 16;
    if (virtualKey.extended)
        lParam |= kKeyExtendedBit;
    if (system && (alt || altKey))
        lParam |= kKeyAltBit;
    if (!pressed)
        lParam |= kKeyPreviousBit | kKeyReleaseBit;
    else if (key.repeat)
        lParam |= kKeyPreviousBit;

    uint32_t message =
        pressed ? (system ? kWmSysKeyDown : kWmKeyDown) : (system ? kWmSysKeyUp : kWmKeyUp);
    Push(out, message, virtualKey.code, static_cast<intptr_t>(lParam), now);
    if (!pressed || (control && alt))
        return;
    if (uint32_t character = GeneratedCharacter(virtualKey.code, control))
        Push(out, system ? kWmSysChar : kWmChar, character, static_cast<intptr_t>(lParam), now);
}

void InputTranslator::TranslateText(const char* utf8, uint32_t now, Queue& out) {
    bool control = mModifiers & KMOD_CTRL;
    bool alt = mModifiers & KMOD_ALT;
    // Control+key makes control characters (generated from the key), never
    // the key's text.
    if (control && !alt)
        return;
    uint32_t message = mSystemKey && alt ? kWmSysChar : kWmChar;
    const unsigned char* text = reinterpret_cast<const unsigned char*>(utf8);
    while (*text) {
        uint32_t point = NextCodePoint(text);
        if (point >= 0x10000) {
            point -= 0x10000;
            Push(out, message, 0xD800 + (point >> 10), 1, now);
            Push(out, message, 0xDC00 + (point & 0x3FF), 1, now);
        } else {
            Push(out, message, point, 1, now);
        }
    }
}

void InputTranslator::MovePointer(int32_t x, int32_t y, uint32_t now) {
    mPointerX = x;
    mPointerY = y;
    if (!mCaptured)
        mInside = true;
    if (mHoverArmed &&
        (std::abs(x - mHoverAnchorX) > kHoverSlack || std::abs(y - mHoverAnchorY) > kHoverSlack)) {
        mHoverStart = now;
        mHoverAnchorX = x;
        mHoverAnchorY = y;
    }
}

void InputTranslator::TranslateButton(const SDL_MouseButtonEvent& button, uint32_t now,
                                      Queue& out) {
    struct ButtonMessages {
        uint8_t button;
        uint32_t stateBit;
        uint32_t down;
        uint32_t up;
        uint32_t which; // high half of wParam
    };
    static constexpr ButtonMessages kButtons[] = {
        {SDL_BUTTON_LEFT, kMkLButton, kWmLButtonDown, kWmLButtonUp, 0},
        {SDL_BUTTON_RIGHT, kMkRButton, kWmRButtonDown, kWmRButtonUp, 0},
        {SDL_BUTTON_MIDDLE, kMkMButton, kWmMButtonDown, kWmMButtonUp, 0},
        {SDL_BUTTON_X1, kMkXButton1, kWmXButtonDown, kWmXButtonUp, kXButton1},
        {SDL_BUTTON_X2, kMkXButton2, kWmXButtonDown, kWmXButtonUp, kXButton2},
    };
    const ButtonMessages* found = nullptr;
    for (const ButtonMessages& candidate : kButtons)
        if (candidate.button == button.button)
            found = &candidate;
    if (!found)
        return;
    bool pressed = button.type == SDL_MOUSEBUTTONDOWN;
    uint32_t message = pressed ? found->down : found->up;
    uint32_t bit = found->stateBit;
    uint32_t extra = found->which;
    // A press over the bars goes nowhere, and so does the release of a
    // button that was pressed there; a release of a button pressed on the
    // picture is reported wherever it happens.
    const PictureFit fit = Fit();
    if ((pressed || !(mButtons & bit)) && !fit.Covers(button.x, button.y))
        return;
    int32_t x = 0, y = 0;
    fit.ToPicture(button.x, button.y, x, y);
    MovePointer(x, y, now);
    if (pressed) {
        // The click that brings an inactive window forward is announced
        // first, whichever of focus and click SDL reports first.
        bool activating = !mActive || (mClickMayActivate &&
                                       button.timestamp - mFocusGainedAt <= kClickActivationMs);
        mClickMayActivate = false;
        if (activating)
            Push(out, kWmMouseActivate, 0, MakeLParam(kHtClient, message), now);
        if (!mActive) {
            mActive = true;
            Push(out, kWmActivateApp, 1, 0, now);
        }
        mButtons |= bit;
    } else {
        mButtons &= ~bit;
    }
    Push(out, message, MakeWParam(MouseKeyState(), extra), MakeLParam(mPointerX, mPointerY), now);
}

void InputTranslator::TranslateWheel(const SDL_MouseWheelEvent& wheel, uint32_t now, Queue& out) {
    double sign = wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -1.0 : 1.0;
    double vertical = wheel.preciseY != 0.0f ? wheel.preciseY : wheel.y;
    double horizontal = wheel.preciseX != 0.0f ? wheel.preciseX : wheel.x;
    // Wheel messages carry screen positions: the window's origin plus the
    // picture point. A turn over the bars goes nowhere.
    if (!Fit().Covers(wheel.mouseX, wheel.mouseY))
        return;
    intptr_t where = MakeLParam(mOriginX + mPointerX, mOriginY + mPointerY);
    if (uint16_t delta = ClampDelta(sign * vertical * kWheelDelta))
        Push(out, kWmMouseWheel, MakeWParam(MouseKeyState(), delta), where, now);
    if (uint16_t delta = ClampDelta(sign * horizontal * kWheelDelta))
        Push(out, kWmMouseHWheel, MakeWParam(MouseKeyState(), delta), where, now);
}

void InputTranslator::TranslateWindow(const SDL_WindowEvent& window, uint32_t now, Queue& out) {
    switch (window.event) {
    case SDL_WINDOWEVENT_EXPOSED:
        mPaintPending = true;
        break;
    case SDL_WINDOWEVENT_MOVED:
        mOriginX = window.data1;
        mOriginY = window.data2;
        if (!mMinimized)
            PushPosition(out, mOriginX, mOriginY, now);
        break;
    case SDL_WINDOWEVENT_SIZE_CHANGED:
        mWidth = window.data1;
        mHeight = window.data2;
        if (!mMinimized)
            Push(out, kWmSize, kSizeRestored, MakeLParam(mWidth, mHeight), now);
        break;
    case SDL_WINDOWEVENT_MINIMIZED:
        if (!mMinimized) {
            mMinimized = true;
            PushPosition(out, kParkedPosition, kParkedPosition, now);
            Push(out, kWmSize, kSizeMinimized, 0, now);
        }
        break;
    case SDL_WINDOWEVENT_MAXIMIZED:
        mMinimized = false;
        Push(out, kWmSize, kSizeMaximized, MakeLParam(mWidth, mHeight), now);
        break;
    case SDL_WINDOWEVENT_RESTORED:
        if (mMinimized) {
            mMinimized = false;
            PushPosition(out, mOriginX, mOriginY, now);
            Push(out, kWmSize, kSizeRestored, MakeLParam(mWidth, mHeight), now);
        }
        break;
    case SDL_WINDOWEVENT_ENTER:
        mInside = true;
        break;
    case SDL_WINDOWEVENT_LEAVE:
        mInside = false;
        if (mLeaveArmed) {
            mLeaveArmed = false;
            mHoverArmed = false;
            Push(out, kWmMouseLeave, 0, 0, now);
        }
        break;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
        if (!mActive) {
            mActive = true;
            mClickMayActivate = true;
            mFocusGainedAt = window.timestamp;
            Push(out, kWmActivateApp, 1, 0, now);
        }
        break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
        if (mCaptured) {
            mCaptured = false;
            Push(out, kWmCaptureChanged, 0, 0, now);
        }
        if (mActive) {
            mActive = false;
            mClickMayActivate = false;
            Push(out, kWmActivateApp, 0, 0, now);
        }
        break;
    case SDL_WINDOWEVENT_CLOSE:
        Push(out, kWmClose, 0, 0, now);
        break;
    default:
        break;
    }
}

void InputTranslator::TrackMouse(uint32_t flags, uint32_t now, Queue& out) {
    if (flags & kTrackCancel) {
        if (flags & kTrackHover)
            mHoverArmed = false;
        if (flags & kTrackLeave)
            mLeaveArmed = false;
        return;
    }
    if (flags & kTrackHover) {
        mHoverArmed = true;
        mHoverStart = now;
        mHoverAnchorX = mPointerX;
        mHoverAnchorY = mPointerY;
    }
    if (flags & kTrackLeave) {
        if (mInside) {
            mLeaveArmed = true;
        } else {
            mLeaveArmed = false;
            mHoverArmed = false;
            Push(out, kWmMouseLeave, 0, 0, now);
        }
    }
}

int64_t InputTranslator::MsUntilDue(uint32_t now) const {
    if (!mHoverArmed || !mInside)
        return -1;
    int32_t waited = static_cast<int32_t>(now - mHoverStart);
    return std::max<int64_t>(0, static_cast<int64_t>(kHoverTimeMs) - waited);
}

void InputTranslator::Poll(uint32_t now, Queue& out) {
    if (MsUntilDue(now) != 0)
        return;
    mHoverArmed = false;
    Push(out, kWmMouseHover, MouseKeyState(), MakeLParam(mPointerX, mPointerY), now);
}

WindowMessage InputTranslator::TakePaint(uint32_t now) {
    mPaintPending = false;
    WindowMessage record;
    record.message = kWmPaint;
    record.time = now;
    return record;
}

} // namespace platform
