#include "game/screens/wndCutscene.h"

#include "framework/core/log/TLog.h"
#include "framework/core/tasks/TClock.h"
#include "framework/graphics/TGraphics.h"
#include "framework/ui/manager/TWindowManager.h"
#include "framework/ui/script/TScriptBinding.h"
#include "framework/ui/script/TWindowScript.h"
#include "framework/ui/window/TWindowAnim.h"
#include "framework/ui/window/TWindowStyle.h"
#include "game/levels/LevelServices.h"
#include "velk/container/TDraw2dScope.h"
#include "velk/cutscene/vlkCutsceneText.h"
#include "velk/cutscene/vlkCutsceneTextSequence.h"
#include "velk/game/FxMap.h"

#include <new>

namespace {

constexpr const char* kLetters = "gpx/anim/crv_char_";
constexpr int32_t kLetterWidth = 50;

// A decoration cut-scene of an effect at a place, playing; null when the
// effect list has no such effect.
std::unique_ptr<vlkCutscene> Decoration(const char* effect, float x, float y) {
    const TString path = GetFxPath(TString(effect));
    if (path.IsEmpty())
        return nullptr;
    auto scene = std::make_unique<vlkCutscene>();
    scene->Load(path);
    scene->SetPosition(x, y);
    scene->Play();
    return scene;
}

} // namespace

wndCutscene::wndCutscene() {
    TWindowManager* manager = TWindowManager::Instance();
    if (manager && manager->GetScript()) {
        BindScriptFunction(*manager->GetScript(), "cutsceneResume", this, &wndCutscene::Resume);
        BindScriptFunction(*manager->GetScript(), "cutsceneSkip", this, &wndCutscene::SkipAll);
    }
}

wndCutscene::~wndCutscene() = default;

TWindow* wndCutscene::Create() {
    return new (std::nothrow) wndCutscene();
}

void wndCutscene::PostInit(TWindowStyle& style) {
    TWindow::Init(style);
    mMain = std::make_unique<vlkCutscene>(static_cast<vlkICutscene*>(this),
                                          FindChild(TString("btnContinue"), int32_t{-1}));
    SetFile(style.GetString("cutsceneFile"));
    if (style.GetBool("onFinish", false))
        mMain->SetFinishHandler(&vlkICutscene::OnCutsceneEnd);
    mMain->SetSpeed(static_cast<float>(style.GetNumber("speed", 1.0)));
    mMain->Play();

    mTextCutscene = Decoration("Text", 450.0f, 250.0f);
    const TString text = GetFxPath(TString("Text"));
    if (!text.IsEmpty()) {
        mText = std::make_unique<vlkCutsceneText>(text, TString("sprite"), TString(kLetters));
        mText->SetLetterWidth(kLetterWidth);
        mText->SetPosition(350, 350);
        mText->Play();
        mTextSequence =
            std::make_unique<vlkCutsceneTextSequence>(text, TString("sprite"), TString(kLetters));
        mTextSequence->SetPosition(450, 250);
        mTextSequence->Play();
    }
    mFlower = Decoration("Flower1", 550.0f, 350.0f);

    ScheduleAnimation(kTickMs, true, true, false);
    TWindowAnim* animator = GetAnimator();
    TClock* clock = animator ? animator->GetClock() : nullptr;
    mLastTick = clock ? clock->GetTime() : 0;
    // Keys go to the focus window: the window takes it, so Space and Enter
    // reach the cut-scene rather than stopping at its dialog.
    mFlags |= kWindowTakesFocus;
    if (TWindowManager* manager = TWindowManager::Instance())
        manager->SetFocus(this);
}

void wndCutscene::SetFile(const TString& name) {
    mFile = name;
    if (mMain && !mMain->Load(name))
        LogPrintf("wndCutscene: the cut-scene \"%s\" does not load; it plays nothing",
                  name.CStr());
}

bool wndCutscene::OnAnimate() {
    TWindowAnim* animator = GetAnimator();
    TClock* clock = animator ? animator->GetClock() : nullptr;
    Tick(clock ? clock->GetTime() : mLastTick);
    return true;
}

void wndCutscene::Tick(uint32_t nowMs) {
    InvalidateWindows();
    const uint32_t elapsed = nowMs - mLastTick;
    if (mMain)
        mMain->Update(elapsed);
    if (mTextCutscene)
        mTextCutscene->Update(elapsed);
    if (mText)
        mText->Update(elapsed);
    if (mTextSequence)
        mTextSequence->Update(elapsed);
    if (mFlower)
        mFlower->Update(elapsed);
    mLastTick = nowMs;
}

void wndCutscene::Draw() {
    TGraphics* graphics = TGraphics::Exists() ? TGraphics::Get() : nullptr;
    if (!graphics)
        return;
    TDraw2dScope scope(graphics->Begin2d());
    if (mMain)
        mMain->Draw();
    if (mTextCutscene)
        mTextCutscene->Draw();
    if (mText)
        mText->Draw();
    if (mTextSequence)
        mTextSequence->Draw();
    if (mFlower)
        mFlower->Draw();
}

bool wndCutscene::OnMouseDown(TPoint point) {
    return mMain && mMain->HandleClick(point.x, point.y);
}

bool wndCutscene::OnKeyDown(int8_t key, uint32_t) {
    const int8_t code = static_cast<int8_t>(static_cast<uint8_t>(key) & 0xFF);
    if ((code == kSpace || code == kEnter) && mMain)
        mMain->Skip();
    return true;
}

void wndCutscene::OnCutsceneFinished() {
    if (!RunLevelScript(TString("CloseCSWindow()")))
        LogPrintf("wndCutscene: \"CloseCSWindow()\" failed");
}

void wndCutscene::Resume() {
    if (mMain)
        mMain->Skip();
}

void wndCutscene::SkipAll() {
    if (mMain)
        mMain->Finish();
}
