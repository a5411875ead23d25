#pragma once

// Synthetic SDL events for tests of the window layer's translation.

#include <SDL_events.h>

#include <cstring>

namespace support {

inline SDL_Event SdlKey(bool down, SDL_Scancode scancode, SDL_Keycode sym, uint16_t mod = 0,
                        uint8_t repeat = 0) {
    SDL_Event event{};
    event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.key.repeat = repeat;
    event.key.keysym.scancode = scancode;
    event.key.keysym.sym = sym;
    event.key.keysym.mod = mod;
    return event;
}

inline SDL_Event SdlText(const char* utf8) {
    SDL_Event event{};
    event.type = SDL_TEXTINPUT;
    std::strncpy(event.text.text, utf8, sizeof event.text.text - 1);
    return event;
}

inline SDL_Event SdlMotion(int x, int y) {
    SDL_Event event{};
    event.type = SDL_MOUSEMOTION;
    event.motion.x = x;
    event.motion.y = y;
    return event;
}

inline SDL_Event SdlButton(bool down, uint8_t button, int x, int y, uint32_t timestamp = 0) {
    SDL_Event event{};
    event.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    event.button.timestamp = timestamp;
    event.button.button = button;
    event.button.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.button.clicks = 1;
    event.button.x = x;
    event.button.y = y;
    return event;
}

inline SDL_Event SdlWheel(float y, bool flipped = false, float x = 0.0f) {
    SDL_Event event{};
    event.type = SDL_MOUSEWHEEL;
    event.wheel.preciseY = y;
    event.wheel.preciseX = x;
    event.wheel.y = static_cast<Sint32>(y);
    event.wheel.x = static_cast<Sint32>(x);
    event.wheel.direction = flipped ? SDL_MOUSEWHEEL_FLIPPED : SDL_MOUSEWHEEL_NORMAL;
    return event;
}

inline SDL_Event SdlWindowEvent(SDL_WindowEventID id, int data1 = 0, int data2 = 0,
                                uint32_t timestamp = 0) {
    SDL_Event event{};
    event.type = SDL_WINDOWEVENT;
    event.window.timestamp = timestamp;
    event.window.event = static_cast<Uint8>(id);
    event.window.data1 = data1;
    event.window.data2 = data2;
    return event;
}

} // namespace support
