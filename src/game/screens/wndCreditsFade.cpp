#include "game/screens/wndCreditsFade.h"

#include "framework/core/log/TLog.h"
#include "framework/ui/manager/TWindowManager.h"
#include "framework/ui/script/TScriptBinding.h"
#include "framework/ui/script/TWindowScript.h"
#include "framework/ui/widgets/TImage.h"
#include "game/levels/LevelServices.h"
#include "velk/container/WindowVisibility.h"

#include <new>

wndCreditsFade::wndCreditsFade() {
    TWindowManager* manager = TWindowManager::Instance();
    if (manager && manager->GetScript())
        BindScriptFunction(*manager->GetScript(), "gfn_OnBackCredits", this,
                           &wndCreditsFade::OnBack);
}

wndCreditsFade::~wndCreditsFade() = default;

TWindow* wndCreditsFade::Create() {
    return new (std::nothrow) wndCreditsFade();
}

void wndCreditsFade::PostInit(TWindowStyle& style) {
    wndFade::PostInit(style);
    if (TImage* panel = GetPanel())
        panel->SetAlpha(0.0f);
    TWindow* content = FindChild(TString("bmpContent"), int32_t{1});
    mContent = content && content->IsKindOf(TImage::GetClassId()) ? static_cast<TImage*>(content)
                                                                   : nullptr;
    SetWindowVisible(mContent, false);
    StartFade(kToOpaque, kRate);
}

void wndCreditsFade::OnFadeFinished(uint32_t finished) {
    if (mStep == kOpen)
        return;
    if (finished == kToOpaque) {
        SetWindowVisible(mContent, mStep == kOpening);
        StartFade(kToClear, kRate);
    } else if (mStep == kOpening) {
        mStep = kOpen;
    } else if (!RunLevelScript(TString("removeCredits()"))) {
        LogPrintf("wndCreditsFade: \"removeCredits()\" failed");
    }
}

void wndCreditsFade::OnBack() {
    if (mStep == kClosing)
        return;
    mStep = kClosing;
    StartFade(kToOpaque, kRate);
}
