#pragma once

#include <cstdint>

// The event pump's translation rules (TEventPump.cpp); the pump itself is
// TPlatform::GetEvent.

// The key code of a key event: arrows, Insert, Page Up and Page Down and
// Delete become negative codes, keypad and punctuation keys their
// characters, every other virtual key stays as it is.
int32_t TranslateKeyCode(uint32_t virtualKey);

// The modifier bits of a pointer message's key state: shift 1, control 2.
uint32_t MouseKeyModifiers(uint32_t keyState);

// A button or the wheel this soon after the click that activated the
// window belongs to that click.
inline constexpr uint32_t kActivationClickMs = 400;
