#include "framework/ui/window/TScreen.h"

#include "framework/graphics/TGraphics.h"
#include "framework/graphics/TTexture.h"
#include "framework/ui/manager/TWindowManager.h"

TScreen::TScreen() {
    mName = "_screen_";
    mFlags |= kWindowOpaque | kWindowFirstPass;
}

TWindow* TScreen::Create() {
    return new TScreen;
}

void TScreen::Draw() {
    TWindowManager* manager = TWindowManager::Instance();
    TGraphics* graphics = TGraphics::Get();
    if (!mNoClear && (mAlwaysClear || (manager && manager->GetTopModal() == this))) {
        const TRect viewport = graphics->GetViewport();
        graphics->FillRect(
            TRect(0, 0, viewport.right - viewport.left, viewport.bottom - viewport.top),
            mBackground);
    }
    if (manager && manager->GetBackgroundTexture())
        manager->GetBackgroundTexture()->Blit(0, 0, nullptr, nullptr);
}
