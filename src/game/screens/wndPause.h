#pragma once

#include "framework/ui/window/TWindow.h"

// The pause pop-up: the achievements button only in quest play (quick play
// shows its disabled twin), and the pause sound as it opens. Its buttons
// and texts are the window table's.
class wndPause : public TWindow {
public:
    const char* GetClassName() const override { return "wndPause"; }
    bool IsKindOf(TWindowClassId id) const override {
        return id == GetClassId() || TWindow::IsKindOf(id);
    }
    static TWindow* Create();
    static TWindowCreator GetCreator() { return &Create; }
    static TWindowClassId GetClassId() { return &Create; }

    void PostInit(TWindowStyle& style) override;

protected:
    ~wndPause() override;
};
