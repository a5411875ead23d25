#pragma once

#include "framework/core/text/TColor32.h"
#include "framework/ui/window/TModalWindow.h"

// The full-screen modal window "_screen_" at the bottom of the modal stack:
// it clears the picture with its background colour while it is the top
// modal (or always, when asked) and draws the manager's background picture.
class TScreen : public TModalWindow {
public:
    TScreen();

    const char* GetClassName() const override { return "TScreen"; }
    bool IsKindOf(TWindowClassId id) const override {
        return id == GetClassId() || TModalWindow::IsKindOf(id);
    }
    static TWindow* Create();
    static TWindowCreator GetCreator() { return &Create; }
    static TWindowClassId GetClassId() { return &Create; }

    void Draw() override;

    void SetBackgroundColor(const TColor& colour) { mBackground = colour; }
    const TColor& GetBackgroundColor() const { return mBackground; }
    void SetAlwaysClear(bool on) { mAlwaysClear = on; }
    void SetNoClear(bool on) { mNoClear = on; }

private:
    bool mAlwaysClear = false;
    bool mNoClear = false;
    TColor mBackground;
};
