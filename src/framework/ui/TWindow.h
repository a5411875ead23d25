#pragma once

#include "framework/core/math/TRect.h"
#include "framework/core/text/TString.h"

#include <cstddef>
#include <vector>

// A window of the window tree: a named rectangle that owns its children.
// The full window family (text, buttons, layered and modal windows, the Lua
// spec and drawing) grows on this; for now it holds its rectangle, its name
// and its children, which is what the application frame uses.
class TWindow {
public:
    TWindow() = default;
    explicit TWindow(const TString& name) : mName(name) {}
    TWindow(const TWindow&) = delete;
    TWindow& operator=(const TWindow&) = delete;
    virtual ~TWindow();

    const TString& GetName() const { return mName; }
    void SetName(const TString& name) { mName = name; }

    const TRect& GetRect() const { return mRect; }
    int GetWidth() const { return mRect.right - mRect.left; }
    int GetHeight() const { return mRect.bottom - mRect.top; }
    // right = left + width, bottom = top + height; marks the window for
    // redrawing.
    void SetSize(int width, int height);

    bool NeedsRedraw() const { return mNeedsRedraw; }
    void SetNeedsRedraw(bool redraw) { mNeedsRedraw = redraw; }

    // The window takes ownership of the child.
    void AddChild(TWindow* child);
    size_t GetChildCount() const { return mChildren.size(); }
    TWindow* GetParent() const { return mParent; }

    virtual bool IsModal() const { return false; }

private:
    TString mName;
    TRect mRect;
    bool mNeedsRedraw = true;
    TWindow* mParent = nullptr;
    std::vector<TWindow*> mChildren;
};
