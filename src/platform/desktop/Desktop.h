#pragma once

#include <cstdint>
#include <string>

namespace platform {

// Message box buttons and icons (combined by or-ing one of each) and the
// answers, with the numbers the frame's callers use.
inline constexpr uint32_t kMbOk = 0x00;
inline constexpr uint32_t kMbOkCancel = 0x01;
inline constexpr uint32_t kMbYesNoCancel = 0x03;
inline constexpr uint32_t kMbYesNo = 0x04;
inline constexpr uint32_t kMbRetryCancel = 0x05;
inline constexpr uint32_t kMbButtonsMask = 0x0F;
inline constexpr uint32_t kMbIconError = 0x10;
inline constexpr uint32_t kMbIconQuestion = 0x20;
inline constexpr uint32_t kMbIconWarning = 0x30;
inline constexpr uint32_t kMbIconInformation = 0x40;
inline constexpr uint32_t kMbIconMask = 0xF0;

inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;
inline constexpr int kIdRetry = 4;
inline constexpr int kIdYes = 6;
inline constexpr int kIdNo = 7;

// A hardware cursor made by CreateColorCursor; 0 stands for the system's
// own arrow.
using CursorHandle = uintptr_t;

// The small services of the desktop around the main window: clipboard text,
// opening links, message boxes and the pointer's picture. Back ends: sdl/
// (SDL2 and POSIX) and null/ (records calls, answers from a script, never
// blocks). The application frame owns the one instance. Main thread only.
class Desktop {
public:
    virtual ~Desktop() = default;

    // Text is UTF-8. Set: false when the clipboard refused it. Get: false
    // (and empty text) when there is no text or the clipboard cannot be read.
    virtual bool SetClipboardText(const std::string& text) = 0;
    virtual bool GetClipboardText(std::string& text) = 0;

    // Opens a link in the user's browser or mail program. Only http, https
    // and mailto links are opened (IsOpenableUrl); others are refused with a
    // log line. Never through a shell.
    virtual bool OpenUrl(const std::string& url) = 0;
    // Starts a program (found on PATH when the name has no slash) with the
    // link as its one argument, without a shell; the same links as OpenUrl.
    virtual bool OpenUrlWith(const std::string& program, const std::string& url) = 0;

    // Shows a message box and waits for the answer (kId...); 0 when no box
    // could be shown (the text then goes to the log).
    virtual int ShowMessageBox(const std::string& caption, const std::string& text,
                               uint32_t flags) = 0;

    // Hardware colour cursors from 4-byte pixels in the order blue, green,
    // red, alpha (pitch in bytes per row). 0 when the cursor cannot be made.
    virtual CursorHandle CreateColorCursor(const uint8_t* bgra, int32_t width, int32_t height,
                                           int32_t pitch, int32_t hotX, int32_t hotY) = 0;
    // 0 puts the system's arrow back.
    virtual bool SetCursor(CursorHandle cursor) = 0;
    virtual void DestroyCursor(CursorHandle cursor) = 0;
    virtual bool ShowCursor(bool show) = 0;
};

} // namespace platform
