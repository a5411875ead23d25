#include "platform/desktop/sdl/SdlDesktop.h"

#include "platform/desktop/LinkRules.h"
#include "platform/log/PlatformLog.h"

#include <SDL.h>

#include <vector>

namespace platform {

namespace {

struct ButtonSet {
    std::vector<SDL_MessageBoxButtonData> buttons;
};

ButtonSet ButtonsFor(uint32_t flags) {
    const uint32_t enter = SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT;
    const uint32_t escape = SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT;
    switch (flags & kMbButtonsMask) {
    case kMbOkCancel:
        return {{{enter, kIdOk, "OK"}, {escape, kIdCancel, "Cancel"}}};
    case kMbYesNoCancel:
        return {{{enter, kIdYes, "Yes"}, {0, kIdNo, "No"}, {escape, kIdCancel, "Cancel"}}};
    case kMbYesNo:
        return {{{enter, kIdYes, "Yes"}, {escape, kIdNo, "No"}}};
    case kMbRetryCancel:
        return {{{enter, kIdRetry, "Retry"}, {escape, kIdCancel, "Cancel"}}};
    default:
        return {{{enter | escape, kIdOk, "OK"}}};
    }
}

uint32_t BoxKind(uint32_t flags) {
    switch (flags & kMbIconMask) {
    case kMbIconError:
        return SDL_MESSAGEBOX_ERROR;
    case kMbIconWarning:
        return SDL_MESSAGEBOX_WARNING;
    default:
        return SDL_MESSAGEBOX_INFORMATION;
    }
}

} // namespace

SdlDesktop::~SdlDesktop() {
    for (SDL_Cursor* cursor : mCursors)
        SDL_FreeCursor(cursor);
}

bool SdlDesktop::SetClipboardText(const std::string& text) {
    return SDL_SetClipboardText(text.c_str()) == 0;
}

bool SdlDesktop::GetClipboardText(std::string& text) {
    text.clear();
    if (!SDL_HasClipboardText())
        return false;
    char* held = SDL_GetClipboardText();
    if (!held)
        return false;
    text = held;
    SDL_free(held);
    return !text.empty();
}

bool SdlDesktop::OpenUrl(const std::string& url) {
    std::string why;
    if (!IsOpenableUrl(url, &why)) {
        PlatformLog("Link not opened (%s): %s", why.c_str(), url.c_str());
        return false;
    }
    if (SDL_OpenURL(url.c_str()) != 0) {
        PlatformLog("Link not opened (%s): %s", SDL_GetError(), url.c_str());
        return false;
    }
    return true;
}

bool SdlDesktop::OpenUrlWith(const std::string& program, const std::string& url) {
    std::string why;
    if (!IsOpenableUrl(url, &why)) {
        PlatformLog("Link not opened (%s): %s", why.c_str(), url.c_str());
        return false;
    }
    if (!StartProgram(program, url, &why)) {
        PlatformLog("Cannot start %s for a link: %s", program.c_str(), why.c_str());
        return false;
    }
    return true;
}

int SdlDesktop::ShowMessageBox(const std::string& caption, const std::string& text,
                               uint32_t flags) {
    ButtonSet set = ButtonsFor(flags);
    SDL_MessageBoxData box{};
    box.flags = BoxKind(flags);
    box.window = mOwner;
    box.title = caption.c_str();
    box.message = text.c_str();
    box.numbuttons = static_cast<int>(set.buttons.size());
    box.buttons = set.buttons.data();
    int answer = 0;
    if (SDL_ShowMessageBox(&box, &answer) != 0) {
        PlatformLog("Message box not shown (%s): %s: %s", SDL_GetError(), caption.c_str(),
                    text.c_str());
        return 0;
    }
    // Closing the box without a button counts as its escape answer.
    if (answer < 0) {
        for (const SDL_MessageBoxButtonData& button : set.buttons)
            if (button.flags & SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT)
                answer = button.buttonid;
    }
    return answer;
}

CursorHandle SdlDesktop::CreateColorCursor(const uint8_t* bgra, int32_t width, int32_t height,
                                           int32_t pitch, int32_t hotX, int32_t hotY) {
    if (!bgra || width <= 0 || height <= 0 || pitch < width * 4 || hotX < 0 || hotY < 0 ||
        hotX >= width || hotY >= height) {
        PlatformLog("Cursor not made: bad picture %dx%d (pitch %d, hot spot %d,%d)", width, height,
                    pitch, hotX, hotY);
        return 0;
    }
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(
        const_cast<uint8_t*>(bgra), width, height, 32, pitch, SDL_PIXELFORMAT_BGRA32);
    if (!surface) {
        PlatformLog("Cursor not made: %s", SDL_GetError());
        return 0;
    }
    SDL_Cursor* cursor = SDL_CreateColorCursor(surface, hotX, hotY);
    SDL_FreeSurface(surface);
    if (!cursor) {
        PlatformLog("Cursor not made: %s", SDL_GetError());
        return 0;
    }
    mCursors.insert(cursor);
    return reinterpret_cast<CursorHandle>(cursor);
}

bool SdlDesktop::SetCursor(CursorHandle cursor) {
    SDL_Cursor* chosen = reinterpret_cast<SDL_Cursor*>(cursor);
    if (cursor != 0 && !mCursors.count(chosen))
        return false;
    if (!chosen)
        chosen = SDL_GetDefaultCursor();
    if (!chosen)
        return false;
    SDL_SetCursor(chosen);
    return true;
}

void SdlDesktop::DestroyCursor(CursorHandle cursor) {
    SDL_Cursor* made = reinterpret_cast<SDL_Cursor*>(cursor);
    if (mCursors.erase(made))
        SDL_FreeCursor(made);
}

bool SdlDesktop::ShowCursor(bool show) {
    return SDL_ShowCursor(show ? SDL_ENABLE : SDL_DISABLE) >= 0;
}

} // namespace platform
