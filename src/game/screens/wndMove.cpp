#include "game/screens/wndMove.h"

#include "framework/ui/window/TWindowStyle.h"

#include <new>

wndMove::~wndMove() = default;

TWindow* wndMove::Create() {
    return new (std::nothrow) wndMove();
}

int32_t wndMove::DirectionOf(const TString& text) {
    TString lower = text;
    lower.ToLower();
    if (lower == TString("leftcenter"))
        return kInFromLeft;
    if (lower == TString("rightcenter"))
        return kInFromRight;
    if (lower == TString("topcenter"))
        return kInFromTop;
    if (lower == TString("bottomcenter"))
        return kInFromBottom;
    return kRandomIn;
}

void wndMove::PostInit(TWindowStyle& style) {
    TWindow::PostInit(style);
    const int32_t direction = DirectionOf(style.GetString("Direction", TString("TopCenter")));
    const float bounce = static_cast<float>(style.GetNumber("Bounce", kDefaultBounce));
    const int32_t time = style.GetInt("Time", kDefaultTimeMs);
    StartMove(direction, bounce, time);
}
