#pragma once

#include "framework/core/text/TString.h"
#include "framework/ui/window/TWindow.h"

#include <cstdint>

class TImage;
class TText;

// A small window that shows a short text on a background panel sized to
// the text, fading in and out. The window table holds the label
// "lblToolTip" (only measures the text), the image "bmpBg" and the keys
// "margin_x", "margin_y" and "fade_secs"; without the label or the image
// the tip is disabled for good. The screen that holds it places it.
class wndToolTip : public TWindow {
public:
    enum State : uint32_t {
        kDisabled = 0,
        kConstructed = 1,
        kIdle = 2,
        kFadingIn = 3,
        kFadingOut = 4
    };

    static constexpr uint32_t kTickMs = 32;
    static constexpr int32_t kFontSize = 20;

    wndToolTip();

    const char* GetClassName() const override { return "wndToolTip"; }
    bool IsKindOf(TWindowClassId id) const override {
        return id == GetClassId() || TWindow::IsKindOf(id);
    }
    static TWindow* Create();
    static TWindowCreator GetCreator() { return &Create; }
    static TWindowClassId GetClassId() { return &Create; }

    void PostInit(TWindowStyle& style) override;
    bool OnAnimate() override;
    void DrawOverlay() override;

    // The text under the key; nothing while disabled.
    void ShowText(const TString& key, const TString& text, bool show = true);
    // The localised text of the key.
    void ShowLocalized(const TString& key, bool show = true);
    // Fades in, or out (clearing the key when asked).
    void Show(bool show, bool clearKey);
    // Disabling hides the tip first; a tip disabled for want of its
    // children stays disabled.
    void SetEnabled(bool enable);
    TString GetKey() const { return mKey; }

    // One tick at the animator clock's time now.
    void Tick(uint32_t nowMs);

    State GetState() const { return mState; }
    bool IsEnabled() const { return mEnabled; }
    bool IsTipShown() const { return mShown; }
    float GetFadeRate() const { return mFadeRate; }
    float GetAlpha() const;
    const TText* GetText() const { return mText; }

protected:
    ~wndToolTip() override;

private:
    void SetTextAndShow(const TString& text, bool show);
    void SetAlpha(float alpha);

    TText* mText = nullptr;
    TText* mLabel = nullptr;
    TImage* mBackground = nullptr;
    // The plate's right end ("bmpBgEnd", optional), laid at the tip's right
    // edge; the plate ("bmpBg") then lies in a frame that is cut to end
    // where the end begins, so that the plate ends in its border.
    TImage* mBackgroundEnd = nullptr;
    TString mKey;
    bool mShown = true;
    bool mEnabled = true;
    State mState = kConstructed;
    int32_t mMarginX = 1;
    int32_t mMarginY = 0;
    float mFadeRate = 1.0f;
    uint32_t mLastTick = 0;
};
