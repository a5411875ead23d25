#include "platform/desktop/null/NullDesktop.h"

#include "platform/desktop/LinkRules.h"
#include "platform/log/PlatformLog.h"

#include <cstdio>

namespace platform {

bool NullDesktop::SetClipboardText(const std::string& text) {
    mCalls.push_back("SetClipboardText " + text);
    if (mClipboardFails)
        return false;
    mClipboard = text;
    mHasClipboard = true;
    return true;
}

bool NullDesktop::GetClipboardText(std::string& text) {
    mCalls.push_back("GetClipboardText");
    text.clear();
    if (mClipboardFails || !mHasClipboard)
        return false;
    text = mClipboard;
    return !text.empty();
}

bool NullDesktop::OpenUrl(const std::string& url) {
    mCalls.push_back("OpenUrl " + url);
    std::string why;
    if (!IsOpenableUrl(url, &why)) {
        PlatformLog("Link not opened (%s): %s", why.c_str(), url.c_str());
        return false;
    }
    mOpened.push_back(url);
    return true;
}

bool NullDesktop::OpenUrlWith(const std::string& program, const std::string& url) {
    mCalls.push_back("OpenUrlWith " + program + " " + url);
    std::string why;
    if (!IsOpenableUrl(url, &why)) {
        PlatformLog("Link not opened (%s): %s", why.c_str(), url.c_str());
        return false;
    }
    if (program.empty())
        return false;
    mOpened.push_back(program + " " + url);
    return true;
}

int NullDesktop::ShowMessageBox(const std::string& caption, const std::string& text,
                                uint32_t flags) {
    char kind[16];
    std::snprintf(kind, sizeof kind, "0x%02X", flags);
    mCalls.push_back("ShowMessageBox " + std::string(kind) + " " + caption + ": " + text);
    if (mBoxesFail) {
        PlatformLog("Message box not shown (no desktop): %s: %s", caption.c_str(), text.c_str());
        return 0;
    }
    if (mReplies.empty())
        return kIdOk;
    int answer = mReplies.front();
    mReplies.pop_front();
    return answer;
}

CursorHandle NullDesktop::CreateColorCursor(const uint8_t* bgra, int32_t width, int32_t height,
                                            int32_t pitch, int32_t hotX, int32_t hotY) {
    mCalls.push_back("CreateColorCursor " + std::to_string(width) + "x" + std::to_string(height) +
                     " hot " + std::to_string(hotX) + "," + std::to_string(hotY));
    if (mCursorsFail || !bgra || width <= 0 || height <= 0 || pitch < width * 4 || hotX < 0 ||
        hotY < 0 || hotX >= width || hotY >= height)
        return 0;
    CursorImage image;
    image.width = width;
    image.height = height;
    image.hotX = hotX;
    image.hotY = hotY;
    for (int32_t y = 0; y < height; ++y) {
        const uint8_t* row = bgra + static_cast<size_t>(y) * pitch;
        image.bgra.insert(image.bgra.end(), row, row + static_cast<size_t>(width) * 4);
    }
    CursorHandle handle = mNextCursor++;
    mCursors[handle] = std::move(image);
    return handle;
}

const CursorImage* NullDesktop::Cursor(CursorHandle cursor) const {
    auto found = mCursors.find(cursor);
    return found == mCursors.end() ? nullptr : &found->second;
}

bool NullDesktop::SetCursor(CursorHandle cursor) {
    mCalls.push_back("SetCursor " + std::to_string(cursor));
    if (cursor != 0 && !mCursors.count(cursor))
        return false;
    mCurrent = cursor;
    return true;
}

void NullDesktop::DestroyCursor(CursorHandle cursor) {
    mCalls.push_back("DestroyCursor " + std::to_string(cursor));
    mCursors.erase(cursor);
    if (mCurrent == cursor)
        mCurrent = 0;
}

bool NullDesktop::ShowCursor(bool show) {
    mCalls.push_back(std::string("ShowCursor ") + (show ? "1" : "0"));
    mShown = show;
    return true;
}

} // namespace platform
