#pragma once

#include "platform/desktop/Desktop.h"
#include "platform/desktop/SystemCursor.h"

#include <deque>
#include <map>
#include <string>
#include <vector>

namespace platform {

// Desktop services without a desktop, for tests. Records every call as a
// text line, keeps the clipboard in memory (and can be told to refuse it),
// checks links by the same rules as the real back end but opens nothing,
// answers message boxes from a scripted list of replies (kIdOk once the list
// is empty, 0 when told boxes cannot be shown) and keeps the cursors it is
// given.
class NullDesktop : public Desktop {
public:
    // Test controls.
    void FailClipboard(bool fail) { mClipboardFails = fail; }
    void ScriptReply(int answer) { mReplies.push_back(answer); }
    void FailMessageBoxes(bool fail) { mBoxesFail = fail; }
    void FailCursors(bool fail) { mCursorsFail = fail; }

    const std::vector<std::string>& Calls() const { return mCalls; }
    void ClearCalls() { mCalls.clear(); }
    const std::vector<std::string>& OpenedLinks() const { return mOpened; }
    // The picture of a cursor made here; null when there is no such cursor.
    const CursorImage* Cursor(CursorHandle cursor) const;
    CursorHandle CurrentCursor() const { return mCurrent; }
    bool CursorShown() const { return mShown; }

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
    std::vector<std::string> mCalls;
    std::vector<std::string> mOpened;
    std::string mClipboard;
    bool mHasClipboard = false;
    bool mClipboardFails = false;
    std::deque<int> mReplies;
    bool mBoxesFail = false;
    bool mCursorsFail = false;
    std::map<CursorHandle, CursorImage> mCursors;
    CursorHandle mNextCursor = 1;
    CursorHandle mCurrent = 0;
    bool mShown = true;
};

} // namespace platform
