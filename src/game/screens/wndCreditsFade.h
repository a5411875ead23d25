#pragma once

#include "game/screens/wndFade.h"

class TImage;

// The credits' fading frame: its picture "bmpContent" comes and goes
// through black. Scripts close it through "gfn_OnBackCredits"; after its
// closing fade it runs "removeCredits()".
class wndCreditsFade : public wndFade {
public:
    enum Step : uint32_t { kOpening = 0, kOpen = 1, kClosing = 2 };

    wndCreditsFade();

    const char* GetClassName() const override { return "wndCreditsFade"; }
    bool IsKindOf(TWindowClassId id) const override {
        return id == GetClassId() || TWindow::IsKindOf(id);
    }
    static TWindow* Create();
    static TWindowCreator GetCreator() { return &Create; }
    static TWindowClassId GetClassId() { return &Create; }

    void PostInit(TWindowStyle& style) override;
    void OnFadeFinished(uint32_t finished) override;
    // Once closing, a second call changes nothing.
    void OnBack();

    Step GetStep() const { return mStep; }

protected:
    ~wndCreditsFade() override;

private:
    Step mStep = kOpening;
    TImage* mContent = nullptr;
};
