#pragma once

#include "platform/desktop/Desktop.h"

#include <SDL_mouse.h>
#include <SDL_video.h>

#include <set>

namespace platform {

// Desktop services on SDL2: the clipboard, SDL_OpenURL for links (after the
// link rules), SDL_ShowMessageBox and SDL colour cursors. Cursors it made
// are freed with it. Clipboard and cursors need the main window to exist
// (SDL's video system running); message boxes work without it.
class SdlDesktop : public Desktop {
public:
    SdlDesktop() = default;
    ~SdlDesktop() override;
    SdlDesktop(const SdlDesktop&) = delete;
    SdlDesktop& operator=(const SdlDesktop&) = delete;

    // The window message boxes belong to (may be null).
    void SetOwner(SDL_Window* owner) { mOwner = owner; }

    bool SetClipboardText(const std::string& text) override;
    bool GetClipboardText(std::string& text) override;
    bool OpenUrl(const std::string& url) override;
    bool OpenUrlWith(const std::string& program, const std::string& url) override;
    int ShowMessageBox(const std::string& caption, const std::string& text,
                       uint32_t flags) override;
    CursorHandle CreateColorCursor(const uint8_t* bgra, int32_t width, int32_t height,
                                   int32_t pitch, int32_t hotX, int32_t hotY) override;
    bool SetCursor(CursorHandle cursor) override;
    void DestroyCursor(CursorHandle cursor) override;
    bool ShowCursor(bool show) override;

private:
    SDL_Window* mOwner = nullptr;
    std::set<SDL_Cursor*> mCursors;
};

} // namespace platform
