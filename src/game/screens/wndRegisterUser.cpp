#include "game/screens/wndRegisterUser.h"

#include "framework/graphics/TGraphics.h"
#include "framework/graphics/animation/TAnimatedTexture.h"
#include "framework/script/host/TScript.h"
#include "framework/script/wrappers/TLuaObjectWrapper.h"
#include "framework/ui/manager/TWindowManager.h"
#include "framework/ui/script/TScriptBinding.h"
#include "framework/ui/script/TWindowScript.h"
#include "framework/ui/widgets/TButton.h"
#include "framework/ui/widgets/TImage.h"
#include "framework/ui/window/TWindowAnim.h"
#include "framework/ui/window/TWindowStyle.h"
#include "game/screens/PlayerRecord.h"
#include "velk/assets/TAssetLists.h"
#include "velk/container/TDraw2dScope.h"
#include "velk/container/WindowVisibility.h"
#include "velk/display/vlkClip.h"
#include "velk/globals/GameGlobals.h"
#include "velk/settings/vlkGameSettings.h"

#include <new>

namespace {

constexpr uint32_t kFrameMs = 16;
// The order the entries are made in.
constexpr int32_t kEntryOrder[] = {0, 1, 3, 2};
constexpr int32_t kBoy = 0, kGirl = 1, kDog = 2, kCat = 3;

template <typename T> T* ChildOfClass(const TWindow& parent, const TString& name, int32_t depth) {
    TWindow* child = parent.FindChild(name, depth);
    return child && child->IsKindOf(T::GetClassId()) ? static_cast<T*>(child) : nullptr;
}

TString Named(const char* prefix, int32_t code, const char* suffix = "") {
    return TString(prefix) + TString(AvatarNameOfCode(code)) + TString(suffix);
}

std::shared_ptr<TAnimatedTexture> OnAnimation(int32_t code) {
    return gAssetLists ? gAssetLists->GetAnimatedTexture(Named("avatar_", code, "_on")) : nullptr;
}

} // namespace

TWindow* wndRegisterUser::Create() {
    return new (std::nothrow) wndRegisterUser();
}

wndRegisterUser::wndRegisterUser() {
    TWindowManager* manager = TWindowManager::Instance();
    if (TScript* script = manager ? manager->GetScript() : nullptr) {
        BindScriptFunction(*script, "gfn_setAvatarBoy", this, &wndRegisterUser::SelectBoy);
        BindScriptFunction(*script, "gfn_setAvatarGirl", this, &wndRegisterUser::SelectGirl);
        BindScriptFunction(*script, "gfn_setAvatarCat", this, &wndRegisterUser::SelectCat);
        BindScriptFunction(*script, "gfn_setAvatarDog", this, &wndRegisterUser::SelectDog);
    }
}

wndRegisterUser::~wndRegisterUser() = default;

const wndRegisterUser::AvatarEntry* wndRegisterUser::FindEntry(int32_t code) const {
    for (const auto& entry : mEntries)
        if (entry->code == code)
            return entry.get();
    return nullptr;
}

TVec2 wndRegisterUser::GetPosition(int32_t code) const {
    return code >= 0 && code < 4 ? mPositions[static_cast<size_t>(code)] : TVec2{};
}

void wndRegisterUser::PostInit(TWindowStyle& style) {
    TWindow::PostInit(style);
    // 1.
    mHighlight = ChildOfClass<TImage>(*this, TString("bmpPanelBase_h"), 2);
    // 2. What the player of the name being entered has earned.
    bool catUnlocked = false;
    bool dogUnlocked = false;
    TWindowManager* manager = TWindowManager::Instance();
    TScript* script = manager ? manager->GetScript() : nullptr;
    if (script && gGameSettings) {
        const int user = gGameSettings->FindUser(script->GetGlobalString("gEnterNameValue"));
        if (user >= 0) {
            catUnlocked = gGameSettings->GetUserInt(TString("UserCatUnlocked"), 0, user) == 1;
            dogUnlocked = gGameSettings->GetUserInt(TString("UserDogUnlocked"), 0, user) == 1;
        }
    }
    // 3.
    for (int32_t code : kEntryOrder) {
        TButton* button = ChildOfClass<TButton>(*this, Named("btnAvatar_", code), 1);
        TImage* lock = ChildOfClass<TImage>(*this, Named("bmpAvatarLocked_", code), 2);
        std::shared_ptr<TAnimatedTexture> animation = OnAnimation(code);
        if (!button || !lock || !animation)
            continue;
        auto entry = std::make_unique<AvatarEntry>();
        entry->code = code;
        entry->button = button;
        entry->lock = lock;
        entry->animation = std::move(animation);
        SetWindowVisible(lock, true);
        SetWindowVisible(button, false);
        mEntries.push_back(std::move(entry));
    }
    // 4. The boy and the girl are always open; an avatar without its
    // entry is left out.
    for (auto& entry : mEntries) {
        entry->locked =
            (entry->code == kCat && !catUnlocked) || (entry->code == kDog && !dogUnlocked);
        SetWindowVisible(entry->lock, entry->locked);
        SetWindowVisible(entry->button, !entry->locked);
    }
    // 5.
    for (int32_t code : {kBoy, kGirl, kCat, kDog}) {
        std::unique_ptr<TLuaTable> table(style.GetTable(Named("avatar_", code).CStr()));
        if (table)
            mPositions[static_cast<size_t>(code)] =
                TVec2{static_cast<float>(table->GetNumber("x", 0.0)),
                      static_cast<float>(table->GetNumber("y", 0.0))};
    }
    // 6.
    SelectDefaultAvatar(style.GetString("avatar_default", TString()));
    // 7.
    ScheduleAnimation(kFrameMs, true, true, false);
}

void wndRegisterUser::ShowFigure(const std::shared_ptr<TAnimatedTexture>& animation) {
    const TVec2 at = GetPosition(mCurrentAvatar);
    if (!mFigure) {
        TWindowAnim* animator = GetAnimator();
        mFigure = std::make_unique<vlkClip>(animation, animator ? animator->GetClock() : nullptr);
    } else {
        mFigure->SetAnimation(animation);
    }
    mFigure->SetPosition(at.x, at.y);
    mFigure->PlayAnimation(TString("DoAnim"));
    ++mFigurePlays;
}

void wndRegisterUser::SelectDefaultAvatar(const TString& name) {
    mCurrentAvatar = AvatarCodeOfName(name);
    if (std::shared_ptr<TAnimatedTexture> animation = OnAnimation(mCurrentAvatar))
        ShowFigure(animation);
    // The chosen avatar's own button, when the screen has it.
    if (TButton* button = ChildOfClass<TButton>(*this, Named("btnAvatar_", mCurrentAvatar), 1))
        button->SetToggleState(true);
}

void wndRegisterUser::SelectAvatar(int32_t code) {
    if (code == mCurrentAvatar || code < 0 || code >= 4)
        return;
    mCurrentAvatar = code;
    if (std::shared_ptr<TAnimatedTexture> animation = OnAnimation(code))
        ShowFigure(animation);
}

bool wndRegisterUser::OnAnimate() {
    // The screen is drawn again when what it shows changes, not at every
    // tick: the figure's frames come far less often than the ticks, and
    // the windows on it ask for their own changes.
    const uint64_t look = mFigure ? mFigure->GetLook() : 0;
    if (look != mFigureLook) {
        mFigureLook = look;
        InvalidateWindows();
    }
    if (mHighlight) {
        bool over = false;
        for (const auto& entry : mEntries)
            over = over || entry->button->GetState() == TButton::kRollover;
        const float alpha = over ? 1.0f : 0.0f;
        if (mHighlight->GetAlpha() != alpha)
            mHighlight->SetAlpha(alpha);
    }
    return true;
}

void wndRegisterUser::Draw() {
    TGraphics* graphics = TGraphics::Get();
    if (!mFigure || !graphics)
        return;
    TDraw2dScope scope(graphics->Begin2d());
    mFigure->Draw();
}
