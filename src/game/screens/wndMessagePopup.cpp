#include "game/screens/wndMessagePopup.h"

#include "framework/core/log/TLog.h"
#include "framework/ui/manager/TWindowManager.h"
#include "framework/ui/script/TScriptBinding.h"
#include "framework/ui/script/TWindowScript.h"
#include "framework/ui/widgets/TImage.h"
#include "game/levels/LevelServices.h"
#include "game/screens/ScreenSound.h"
#include "velk/container/WindowVisibility.h"

#include <cstring>
#include <new>

namespace {

using Content = PopupPolicy::Content;
using Pattern = PopupPolicy::Pattern;

const PopupPolicy kPolicies[] = {
    {"wndGoalPanel", "gfn_OnBackGoalPanel", "removeGoalPanel()", "btnOk", 2, Content::kNamedChild,
     nullptr, Pattern::kDirect},
    {"wndInstructionLevel", "gfn_OnBackInstructionLevel", "removeInstructionLevel()", "btnOk", 2,
     Content::kImageField, "Popup1", Pattern::kDirect},
    {"wndInstructions", "gfn_OnBackInstructions", "removeInstructions()", nullptr, 0,
     Content::kImageField, nullptr, Pattern::kThroughBlack},
    {"wndQuestPanel", "gfn_OnBackQuestPanel", "removeQuestPanel()", "btnContinue", -1,
     Content::kImageField, "Popup1", Pattern::kWhenBoth},
    {"wndReward", "gfn_OnBackReward", "removeReward()", "btnOk", 2, Content::kNamedChild, nullptr,
     Pattern::kDirect},
};

const char kContainer[] = "bmpContainer";

} // namespace

const PopupPolicy* FindPopupPolicy(const char* className) {
    for (const PopupPolicy& policy : kPolicies)
        if (className && std::strcmp(policy.className, className) == 0)
            return &policy;
    return nullptr;
}

wndMessagePopup::wndMessagePopup(const PopupPolicy& policy) : mPolicy(policy) {
    TWindowManager* manager = TWindowManager::Instance();
    if (manager && manager->GetScript())
        BindScriptFunction(*manager->GetScript(), mPolicy.backFunction, this,
                           &wndMessagePopup::OnBack);
}

wndMessagePopup::~wndMessagePopup() = default;

void wndMessagePopup::PostInit(TWindowStyle& style) {
    wndFade::PostInit(style);
    if (mPolicy.content == Content::kImageField) {
        TWindow* found = FindChild(TString(kContainer), int32_t{1});
        mContainer =
            found && found->IsKindOf(TImage::GetClassId()) ? static_cast<TImage*>(found) : nullptr;
    }
    TImage* panel = GetPanel();
    switch (mPolicy.pattern) {
    case Pattern::kDirect:
    case Pattern::kWhenBoth:
        if (panel && (mPolicy.pattern == Pattern::kDirect || mContainer)) {
            panel->SetAlpha(0.0f);
            ShowContent(false);
            StartFade(kToOpaque, kRate);
        } else {
            mStep = kShown;
        }
        break;
    case Pattern::kThroughBlack:
        if (panel)
            panel->SetAlpha(0.0f);
        ShowContent(false);
        StartFade(kToOpaque, kRate);
        break;
    }
    if (mPolicy.openSound)
        PlayScreenSound(TString(mPolicy.openSound));
}

void wndMessagePopup::OnFadeFinished(uint32_t finished) {
    if (mPolicy.pattern == Pattern::kThroughBlack) {
        if (mStep == kShown)
            return;
        if (finished == kToOpaque) {
            // Black: the message changes behind it, then the black clears.
            ShowContent(mStep == kOpening);
            StartFade(kToClear, kRate);
        } else if (mStep == kOpening) {
            mStep = kShown;
        } else {
            Close();
        }
        return;
    }
    if (mStep == kOpening) {
        mStep = kShown;
        ShowContent(true);
    } else if (mStep == kClosing) {
        Close();
    }
}

void wndMessagePopup::OnBack() {
    if (mStep == kClosing)
        return;
    if (mPolicy.hiddenButton)
        SetChildVisible(this, TString(mPolicy.hiddenButton), false, mPolicy.hiddenButtonDepth);
    mStep = kClosing;
    switch (mPolicy.pattern) {
    case Pattern::kDirect:
        if (GetPanel()) {
            ShowContent(false);
            StartFade(kToClear, kRate);
        } else {
            OnFadeFinished(kToOpaque);
        }
        break;
    case Pattern::kWhenBoth:
        ShowContent(false);
        StartFade(kToClear, kRate);
        break;
    case Pattern::kThroughBlack:
        StartFade(kToOpaque, kRate);
        break;
    }
}

void wndMessagePopup::ShowContent(bool show) {
    if (mPolicy.content == Content::kNamedChild)
        SetChildVisible(this, TString(kContainer), show, int32_t{1});
    else
        SetWindowVisible(mContainer, show);
}

void wndMessagePopup::Close() {
    if (mCloseRun)
        return;
    mCloseRun = true;
    if (!RunLevelScript(TString(mPolicy.closeStatement)))
        LogPrintf("%s: \"%s\" failed", GetClassName(), mPolicy.closeStatement);
}

#define CORVALO_MESSAGE_POPUP_BODY(Name)                                                           \
    Name::Name() : wndMessagePopup(*FindPopupPolicy(#Name)) {}                                     \
    Name::~Name() = default;                                                                       \
    TWindow* Name::Create() { return new (std::nothrow) Name(); }

CORVALO_MESSAGE_POPUP_BODY(wndGoalPanel)
CORVALO_MESSAGE_POPUP_BODY(wndInstructionLevel)
CORVALO_MESSAGE_POPUP_BODY(wndInstructions)
CORVALO_MESSAGE_POPUP_BODY(wndQuestPanel)
CORVALO_MESSAGE_POPUP_BODY(wndReward)
