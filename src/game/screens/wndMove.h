#pragma once

#include "game/screens/clsAnimWindow.h"

#include <cstdint>

// A panel that slides into place with a bounce when it is made: the window
// table's "Direction" ("LeftCenter", "RightCenter", "TopCenter",
// "BottomCenter" in any case; anything else a random side), "Bounce" and
// "Time" (ms) choose the move.
class wndMove : public clsAnimWindow {
public:
    static constexpr float kDefaultBounce = 0.15f;
    static constexpr int32_t kDefaultTimeMs = 200;

    const char* GetClassName() const override { return "wndMove"; }
    bool IsKindOf(TWindowClassId id) const override {
        return id == GetClassId() || clsAnimWindow::IsKindOf(id);
    }
    static TWindow* Create();
    static TWindowCreator GetCreator() { return &Create; }
    static TWindowClassId GetClassId() { return &Create; }

    void PostInit(TWindowStyle& style) override;

    // The move of a "Direction" text.
    static int32_t DirectionOf(const TString& text);

protected:
    ~wndMove() override;
};
