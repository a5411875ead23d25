// The board screen's pop-ups and HUD effects: texts over the board, the
// achievement panels, the level-won celebration, freeze and logo flash,
// the clips and the ambient particles. Every effect is made the first time
// it is needed; one whose file does not load is logged once and left out.

#include "game/board/wndCorvalo.h"

#include "framework/core/log/TLog.h"
#include "framework/graphics/TGraphics.h"
#include "framework/ui/widgets/TImage.h"
#include "framework/ui/widgets/TText.h"
#include "game/board/BoardTheme.h"
#include "game/board/GetLocalizedString.h"
#include "game/gmCorvalo.h"
#include "game/levels/LevelServices.h"
#include "game/progress/QuestMap.h"
#include "game/random/GameRandom.h"
#include "game/state/dtUserState.h"
#include "velk/assets/TAssetLists.h"
#include "velk/container/WindowVisibility.h"
#include "velk/cutscene/vlkCutscene.h"
#include "velk/cutscene/vlkCutsceneText.h"
#include "velk/cutscene/vlkCutsceneTextSequence.h"
#include "velk/cutscene/vlkSpriteCS.h"
#include "velk/display/vlkClip.h"
#include "velk/game/FxMap.h"
#include "velk/globals/GameGlobals.h"
#include "velk/motion/vlkSplinePath.h"
#include "velk/particles/TParticleSystem.h"
#include "velk/particles/vlkParticleFx.h"
#include "velk/particles/vlkTrailBurstFx.h"

#include <cmath>

namespace {

constexpr const char* kLetters = "gpx/letters/";
constexpr const char* kTextObject = "sprite";
constexpr const char* kSnowPath = "anim/p_snow.xml";
constexpr const char* kGridClearLetters = "anim/anim_gridclear.xml";
constexpr const char* kGridClearText = "anim/anim_gridcleartext.xml";
constexpr int kTextRise = 100;
constexpr int kGridClearSecondRise = 60;
constexpr int kShownLetterWidth = 30;
constexpr float kPanelSpeed = 0.5f;
constexpr int kFireworkChanceIn1000 = 10;

// Where the warning frame sits on the board frame that shows, and how much
// larger it is drawn.
struct WarningPlace {
    int dx;
    int dy;
    float k;
};
constexpr WarningPlace kNoFrameWarning = {6, 3, 0.97f};
constexpr WarningPlace kFrameWarning[] = {{-4, -2, 0.97f}, {-2, -3, 0.98f}, {-12, -15, 1.01f}};

TString Localized(const char* label) {
    return GetLocalizedString(TString(label));
}

TString WithNumber(const char* label, int n) {
    return TString::Format("%s%d", Localized(label).CStr(), n);
}

} // namespace

void wndCorvalo::LogMissing(const std::string& line) {
    if (mLogged.insert(line).second)
        LogPrintf("wndCorvalo: %s", line.c_str());
}

TString wndCorvalo::EffectFile(const char* name) {
    TString file = GetFxPath(TString(name));
    if (file.IsEmpty())
        LogMissing(std::string("the effect list has no \"") + name + "\"; that effect is left out");
    return file;
}

std::unique_ptr<vlkCutsceneTextSequence> wndCorvalo::MakeSequence(const TString& file,
                                                                  int letterWidth) {
    if (file.IsEmpty())
        return nullptr;
    vlkCutscene probe;
    if (!probe.Load(file)) {
        LogMissing(std::string("the text template \"") + file.CStr() +
                   "\" does not load; its pop-up is left out");
        return nullptr;
    }
    auto text = std::make_unique<vlkCutsceneTextSequence>(
        file, TString(kTextObject), mSpriteText ? TString(kLetters) : TString());
    text->SetLetterWidth(letterWidth);
    return text;
}

std::unique_ptr<vlkCutscene> wndCorvalo::MakeCutscene(const TString& file, const char* what) {
    if (file.IsEmpty())
        return nullptr;
    auto scene = std::make_unique<vlkCutscene>();
    if (!scene->Load(file)) {
        LogMissing(std::string("the ") + what + " \"" + file.CStr() +
                   "\" does not load; it is left out");
        return nullptr;
    }
    return scene;
}

std::unique_ptr<TParticleSystem> wndCorvalo::MakeParticles(const char* name, float x, float y,
                                                           float z) {
    const TString file = EffectFile(name);
    if (file.IsEmpty())
        return nullptr;
    auto system = std::make_unique<TParticleSystem>();
    if (!system->LoadParticleSystem(file)) {
        LogMissing(std::string("the particles \"") + name + "\" do not load; they are left out");
        return nullptr;
    }
    system->Mirror();
    system->SetPosition(x, y, z);
    return system;
}

std::unique_ptr<vlkClip> wndCorvalo::MakeClip(const char* name) {
    std::shared_ptr<TAnimatedTexture> animation =
        gAssetLists ? gAssetLists->GetAnimatedTexture(TString(name)) : nullptr;
    if (!animation) {
        LogMissing(std::string("the asset lists have no animation \"") + name +
                   "\"; its clip is left out");
        return nullptr;
    }
    return vlkClip::vlkClipFromAnimation(animation, GetClock());
}

void wndCorvalo::MakeScoreTrail() {
    const TString file = EffectFile("Score");
    if (file.IsEmpty())
        return;
    auto trail = std::make_unique<vlkParticleFx>();
    if (!trail->LoadParticlePath(file)) {
        LogMissing("the score trail does not load; the score bursts at once");
        return;
    }
    trail->MirrorEmitters();
    trail->SetActive(false);
    mScoreTrail = std::move(trail);

    vlkSegmentPoints last{};
    vlkSplinePath* path = mScoreTrail->GetPath();
    const bool hasEnd = path && path->SeekLastSegment(last);
    mScoreExplosion = MakeParticles("ScoreXplot", hasEnd ? last[9] : 0.0f, hasEnd ? last[10] : 0.0f,
                                    hasEnd ? last[11] : 0.0f);
    if (mScoreExplosion) {
        mScoreExplosion->SetActive(false);
        mScoreExplosion->SetVisible(false);
    }
}

void wndCorvalo::DeleteEffects() {
    mCountdown.reset();
    mGridClear1.reset();
    mGridClear2.reset();
    mCombo.reset();
    mChainedCombo.reset();
    mSuperCombo.reset();
    mAlmostThere.reset();
    mGood.reset();
    mAmbient.reset();
    mTilesCompleted.reset();
    for (auto& firework : mFireworks)
        firework.reset();
    mOpening.reset();
    mClosing.reset();
    for (auto& snow : mSnow)
        snow.reset();
    mFreeze.reset();
    mUnfreeze.reset();
    mLogoFlash.reset();
    mRayOfLight.reset();
    mLogoParticles.reset();
    mScoreTrail.reset();
    mScoreExplosion.reset();
    for (auto& panel : mPanelCutscenes)
        panel.reset();
    mCircle.reset();
    mWarning.reset();
    mHeartLoss.reset();
}

// ---- drawing ---------------------------------------------------------------

void wndCorvalo::DrawParticleLayers() {
    if (mAmbient)
        mAmbient->Draw();
    if (mRayOfLight)
        mRayOfLight->Draw();
    if (mLogoParticles)
        mLogoParticles->Draw();
}

void wndCorvalo::DrawPopups() {
    for (vlkClip* clip : {mCircle.get(), mWarning.get(), mHeartLoss.get()})
        if (clip && clip->IsVisible())
            clip->Draw();
    for (auto* text : {mCountdown.get(), mAlmostThere.get()})
        if (text)
            text->Draw();
    if (mCombo)
        mCombo->Draw();
    for (auto* text :
         {mChainedCombo.get(), mSuperCombo.get(), mGridClear1.get(), mGridClear2.get()})
        if (text)
            text->Draw();
    if (mTilesCompleted)
        mTilesCompleted->Draw();
    for (auto* scene : {mFreeze.get(), mUnfreeze.get(), mLogoFlash.get()})
        if (scene)
            scene->Draw();
    if (mScoreTrail)
        mScoreTrail->Draw();
    if (mScoreExplosion)
        mScoreExplosion->Draw();
    if (mGood)
        mGood->Draw();
    if (mSnow[0])
        for (auto& snow : mSnow)
            if (snow)
                snow->Draw();
    if (mFireworks[0])
        for (auto& firework : mFireworks)
            if (firework)
                firework->Draw();
}

// ---- the frame step --------------------------------------------------------

namespace {

// A text still on its parts; a stopped one is past its last part and
// counts as ended, though its last part never finished.
bool IsUnfinished(const vlkCutsceneTextSequence* text) {
    return text && text->GetCurrentIndex() < text->GetParts().size();
}

} // namespace

bool wndCorvalo::IsGridClearPlaying() const {
    return IsUnfinished(mGridClear1.get()) || IsUnfinished(mGridClear2.get());
}

bool wndCorvalo::IsAlmostTherePlaying() const {
    return IsUnfinished(mAlmostThere.get());
}

void wndCorvalo::UpdatePopups(uint32_t elapsed) {
    const bool almostThere = IsAlmostTherePlaying();
    if (mGridClear1 && !almostThere) {
        mGridClear1->Update(elapsed);
        if (mGridClear2)
            mGridClear2->Update(elapsed);
    }
    if (!IsGridClearPlaying() && !almostThere) {
        if (mCombo)
            mCombo->Update(elapsed);
        if (mChainedCombo)
            mChainedCombo->Update(elapsed);
        if (mSuperCombo)
            mSuperCombo->Update(elapsed);
    }
    if (mAlmostThere)
        mAlmostThere->Update(elapsed);
    if (mAmbient)
        mAmbient->Update(elapsed);
    if (mTilesCompleted)
        mTilesCompleted->Update(elapsed);
    if (mGood)
        mGood->Update(elapsed);
}

void wndCorvalo::UpdateEffects(uint32_t elapsed) {
    if (!mFireworksStopped)
        UpdateFireworks(elapsed);

    if (mSnow[0])
        for (auto& snow : mSnow)
            if (snow)
                snow->Update(elapsed);
    if (mFreeze)
        mFreeze->Update(elapsed);
    if (mUnfreeze)
        mUnfreeze->Update(elapsed);

    if (mScoreTrail) {
        mScoreTrail->Update(elapsed);
        // The lane reports its end in the one update in which it arrives.
        if (mScoreTrail->GetState() == vlkParticleFx::kStatePathEnded) {
            mScoreTrail->SetEmissionStopped(true);
            mScoreBurst = 1;
            if (mScoreExplosion) {
                mScoreExplosion->SetActive(true);
                mScoreExplosion->SetVisible(true);
                mScoreExplosion->Restart();
            }
            StartPanelsAndFireworks();
        }
    }
    if (mScoreExplosion)
        mScoreExplosion->Update(elapsed);

    if (mLogoFlash) {
        mLogoFlash->Update(elapsed);
        if (mLogoFlash->IsFinished()) {
            for (TParticleSystem* system : {mRayOfLight.get(), mLogoParticles.get()}) {
                if (system) {
                    system->SetActive(false);
                    system->SetVisible(false);
                }
            }
        }
    }
    if (mRayOfLight)
        mRayOfLight->Update(elapsed);
    if (mLogoParticles)
        mLogoParticles->Update(elapsed);
}

void wndCorvalo::UpdateFireworks(uint32_t elapsed) {
    for (auto& firework : mFireworks)
        if (firework)
            firework->Update(elapsed);
    for (int i = 0; i + 1 < kFireworks; ++i) {
        vlkTrailBurstFx* current = mFireworks[i].get();
        vlkTrailBurstFx* next = mFireworks[i + 1].get();
        if (!current || !next || next->IsDone() || next->IsActive())
            continue;
        if (current->IsBursting() || RandomBelow(1000) < kFireworkChanceIn1000)
            next->Launch();
    }
}

// ---- achievement panels ------------------------------------------------------

TWindow* wndCorvalo::PanelWindow(int slot) {
    if (!mPanels[slot])
        mPanels[slot] = FindChild(TString::Format("bmpAchievePanel%d", slot), true);
    return mPanels[slot];
}

void wndCorvalo::ResetAchievementPanels() {
    // A panel of the last level still on screen goes with it: nothing would
    // update it any more, and a close or a click would wait for it forever.
    for (int slot = 0; slot < kPanels; ++slot) {
        vlkCutscene* scene = mPanelCutscenes[slot].get();
        if (scene && scene->IsEnabled()) {
            scene->SetEnabled(false);
            scene->SetVisible(false);
            SetWindowVisible(PanelWindow(slot), false);
        }
    }
    mPanelCount = 0;
}

int wndCorvalo::AddAchievementPanel() {
    if (mPanelCount >= kPanels)
        return -1;
    const int slot = mPanelCount++;
    if (!mPanelCutscenes[slot]) {
        const TString file = EffectFile(TString::Format("AchievePa%d", slot).CStr());
        mPanelCutscenes[slot] = MakeCutscene(file, "achievement panel");
        if (vlkCutscene* scene = mPanelCutscenes[slot].get()) {
            scene->SetPosition(0.0f, 0.0f);
            scene->SetSpeed(kPanelSpeed);
            scene->Play();
            scene->Update(0);
            scene->SetEnabled(false);
        }
    }
    return slot;
}

void wndCorvalo::ShowAchievement(const TString& label) {
    const int slot = AddAchievementPanel();
    if (slot < 0)
        return;
    TWindow* panel = PanelWindow(slot);
    if (!panel)
        return;
    if (auto* icon = dynamic_cast<TImage*>(panel->FindChild(TString("bmpIcon"), true))) {
        std::shared_ptr<TTexture> picture = gAssetLists ? gAssetLists->GetTexture(label) : nullptr;
        if (!picture)
            LogMissing(std::string("the asset lists have no picture \"") + label.CStr() + "\"");
        icon->SetBitmap(picture, 1.0f);
    }
    if (auto* text = dynamic_cast<TText*>(panel->FindChild(TString("lblText"), true)))
        text->SetText(GetLocalizedString(label));
}

void wndCorvalo::UpdateAchievementPanels(uint32_t elapsed) {
    for (int slot = 0; slot < mPanelCount; ++slot) {
        vlkCutscene* scene = mPanelCutscenes[slot].get();
        if (!scene)
            continue;
        scene->Update(elapsed);
        if (!scene->IsEnabled())
            continue;
        TWindow* panel = PanelWindow(slot);
        if (scene->IsFinished()) {
            scene->SetEnabled(false);
            scene->SetVisible(false);
            SetWindowVisible(panel, false);
        } else if (panel) {
            if (const vlkSpriteCS* sprite = scene->FindSpriteObject(TString("panel"))) {
                const TVec3 at = sprite->GetPosition();
                panel->SetPosition(static_cast<int32_t>(std::lround(at.x)),
                                   static_cast<int32_t>(std::lround(at.y)));
            }
        }
    }
    if (mClosePending && !AnyPanelPlaying()) {
        mClosePending = 0;
        CloseBoard();
    }
}

void wndCorvalo::StartPanelsAndFireworks() {
    for (int slot = 0; slot < mPanelCount; ++slot) {
        vlkCutscene* scene = mPanelCutscenes[slot].get();
        if (!scene)
            continue;
        scene->SetEnabled(true);
        scene->SetVisible(true);
        scene->Play();
        SetWindowVisible(PanelWindow(slot), true);
    }
    for (auto& firework : mFireworks)
        if (firework)
            firework->PickRandomFirework();
    if (mFireworks[0])
        mFireworks[0]->Launch();
    mFireworksStopped = 0;
}

// ---- the celebration ---------------------------------------------------------

void wndCorvalo::StartCelebration() {
    const TString mode = LowerGlobal("gGameMode");
    if (mode == TString("classic") || mode == TString("strategy")) {
        if (!mScoreTrail)
            MakeScoreTrail();
        if (mScoreTrail) {
            mScoreTrail->SetEmissionStopped(false);
            mScoreTrail->SetActive(true);
            mScoreTrail->Start();
            mScoreBurst = 0;
            return;
        }
        // Without a trail to wait for, the score bursts at once.
    }
    mScoreBurst = 1;
    StartPanelsAndFireworks();
}

bool wndCorvalo::IsCelebrating() {
    if (mScoreTrail && mScoreTrail->IsActive())
        return true;
    for (const auto& firework : mFireworks)
        if (firework && firework->IsActive())
            return true;
    return false;
}

bool wndCorvalo::TakeScoreBurst() {
    const bool burst = mScoreBurst != 0;
    mScoreBurst = 0;
    return burst;
}

void wndCorvalo::SkipCelebration() {
    if (AnyPanelPlaying())
        return;
    for (auto& firework : mFireworks)
        if (firework && firework->IsActive() && !firework->IsDone())
            firework->Stop();
    mFireworksStopped = 1;
}

// ---- text pop-ups ------------------------------------------------------------

void wndCorvalo::StartCountdown(const TString& text) {
    PlaySound(TString("gameplay_song"), true);
    mCountdown = MakeSequence(EffectFile(mSpriteText ? "Go" : "GoText"), 50);
    if (mCountdown) {
        mCountdown->SetText(text);
        const TPoint centre = GetFrameCentre();
        mCountdown->SetPosition(centre.x, centre.y - kTextRise);
        mCountdown->SetLetterWidth(50);
        mCountdown->Play();
    }
    mAwaitingStart = 1;
    PlaySound(TString("popup_countdown"), false);
}

void wndCorvalo::ShowGridClear() {
    if (!mGridClear1) {
        const TString file(mSpriteText ? kGridClearLetters : kGridClearText);
        mGridClear1 = MakeSequence(file, 20);
        mGridClear2 = mGridClear1 ? MakeSequence(file, 20) : nullptr;
        if (!mGridClear1)
            return;
        mGridClear1->SetText(Localized("Anim_GridClearBonus1"));
        mGridClear2->SetText(Localized("Anim_GridClearBonus2"));
    }
    const TPoint centre = GetFrameCentre();
    mGridClear1->SetPosition(centre.x, centre.y - kTextRise);
    mGridClear2->SetPosition(centre.x, centre.y - kGridClearSecondRise);
    mGridClear1->SetLetterWidth(kShownLetterWidth);
    mGridClear2->SetLetterWidth(kShownLetterWidth);
    mGridClear1->Play();
    mGridClear2->Play();
}

void wndCorvalo::ShowCombo(int size) {
    if (!mCombo) {
        const TString file = EffectFile(mSpriteText ? "Combo" : "ComboText");
        if (file.IsEmpty())
            return;
        vlkCutscene probe;
        if (!probe.Load(file)) {
            LogMissing(std::string("the text template \"") + file.CStr() +
                       "\" does not load; its pop-up is left out");
            return;
        }
        mCombo = std::make_unique<vlkCutsceneText>(file, TString(kTextObject),
                                                   mSpriteText ? TString(kLetters) : TString());
    }
    const TPoint centre = GetFrameCentre();
    mCombo->SetText(WithNumber("Anim_Combo", size));
    mCombo->SetPosition(centre.x, centre.y - kTextRise);
    mCombo->SetLetterWidth(kShownLetterWidth);
    mCombo->Play();
    ShowLogoFlash();
}

namespace {

void ShowNumberedSequence(vlkCutsceneTextSequence& text, const char* label, int size,
                          TPoint centre) {
    text.SetText(WithNumber(label, size));
    text.SetPosition(centre.x, centre.y - kTextRise);
    text.SetLetterWidth(kShownLetterWidth);
    text.Play();
}

} // namespace

void wndCorvalo::ShowChainedCombo(int size) {
    if (!mChainedCombo)
        mChainedCombo = MakeSequence(EffectFile(mSpriteText ? "Combo" : "ComboText"), 30);
    if (!mChainedCombo)
        return;
    ShowNumberedSequence(*mChainedCombo, "Anim_ChainedCombo", size, GetFrameCentre());
    ShowLogoFlash();
}

void wndCorvalo::ShowSuperCombo(int size) {
    if (!mSuperCombo)
        mSuperCombo = MakeSequence(EffectFile(mSpriteText ? "Combo" : "ComboText"), 30);
    if (!mSuperCombo)
        return;
    ShowNumberedSequence(*mSuperCombo, "Anim_SuperCombo", size, GetFrameCentre());
    ShowLogoFlash();
}

void wndCorvalo::ShowGood() {
    if (!mGood) {
        mGood = MakeSequence(EffectFile(mSpriteText ? "Go" : "GoText"), 55);
        if (!mGood)
            return;
        mGood->SetText(Localized("Anim_Good"));
    }
    const TPoint centre = GetFrameCentre();
    mGood->SetPosition(centre.x, centre.y - kTextRise);
    mGood->SetLetterWidth(55);
    mGood->Play();
}

void wndCorvalo::ShowAlmostThere() {
    if (!mAlmostThere) {
        mAlmostThere =
            MakeSequence(EffectFile(mSpriteText ? "AlmostThere" : "AlmostThereText"), 22);
        if (!mAlmostThere)
            return;
        mAlmostThere->SetText(Localized("Anim_AlmostThere"));
    }
    const TPoint centre = GetFrameCentre();
    mAlmostThere->SetPosition(centre.x, centre.y - kTextRise);
    mAlmostThere->SetLetterWidth(kShownLetterWidth);
    mAlmostThere->Play();
}

void wndCorvalo::StopAlmostThere() {
    if (mAlmostThere)
        mAlmostThere->Stop();
}

// ---- freeze, logo flash, tiles completed ---------------------------------------

void wndCorvalo::StartFreeze() {
    if (!mSnow[0]) {
        for (int i = 0; i < kSnow; ++i) {
            auto snow = std::make_unique<vlkParticleFx>();
            if (!snow->LoadParticlePath(TString(kSnowPath))) {
                LogMissing(std::string("the snow \"") + kSnowPath +
                           "\" does not load; it is left out");
                break;
            }
            snow->MirrorEmitters();
            const float x =
                i == 0 ? 180.0f : static_cast<float>(180 + 80 * i - (RandomInRange(0, 60) - 30));
            snow->SetOffset(x, 735.0f, 0.0f);
            mSnow[i] = std::move(snow);
        }
    }
    for (auto& snow : mSnow) {
        if (!snow)
            continue;
        snow->SetEmissionStopped(false);
        snow->SetActive(true);
        snow->SetVisible(true);
        snow->Start();
        snow->Update(static_cast<uint32_t>(RandomBelow(3001)));
    }
    for (auto* made : {&mFreeze, &mUnfreeze}) {
        if (*made)
            continue;
        const bool freeze = made == &mFreeze;
        *made = MakeCutscene(EffectFile(freeze ? "Freeze" : "Unfreeze"), "freeze scene");
        if (*made) {
            (*made)->SetPosition(137.0f, 707.0f);
            (*made)->SetVisible(false);
            (*made)->SetEnabled(false);
        }
    }
    if (mUnfreeze)
        mUnfreeze->SetVisible(false);
    if (mFreeze) {
        mFreeze->SetEnabled(true);
        mFreeze->SetVisible(true);
        mFreeze->HideAllObjects();
        mFreeze->Play();
    }
}

void wndCorvalo::EndFreeze() {
    if (mSnow[0]) {
        for (auto& snow : mSnow) {
            if (!snow)
                continue;
            snow->SetEmissionStopped(true);
            snow->Update(5000);
        }
    }
    if (mFreeze)
        mFreeze->SetVisible(false);
    if (!mUnfreeze) {
        mUnfreeze = MakeCutscene(EffectFile("Unfreeze"), "freeze scene");
        if (mUnfreeze)
            mUnfreeze->SetPosition(137.0f, 707.0f);
    }
    if (mUnfreeze) {
        mUnfreeze->SetEnabled(true);
        mUnfreeze->SetVisible(true);
        mUnfreeze->HideAllObjects();
        mUnfreeze->Play();
    }
}

void wndCorvalo::ClearFreeze() {
    for (auto& snow : mSnow) {
        if (snow) {
            snow->SetActive(false);
            snow->SetVisible(false);
        }
    }
    for (vlkCutscene* scene : {mFreeze.get(), mUnfreeze.get()}) {
        if (scene) {
            scene->SetEnabled(false);
            scene->SetVisible(false);
        }
    }
}

void wndCorvalo::ShowLogoFlash() {
    if (!mLogoFlash) {
        mLogoFlash = MakeCutscene(EffectFile("HUDLogo"), "logo flash");
        if (mLogoFlash) {
            mLogoFlash->SetPosition(0.0f, 0.0f);
            mLogoFlash->SetEnabled(false);
            mLogoFlash->SetVisible(false);
        }
        mRayOfLight = MakeParticles("RayOfLight", 512.0f, 300.0f, 0.0f);
        mLogoParticles = MakeParticles("LogoCorvalo", 512.0f, 30.0f, 0.0f);
    }
    if (mLogoFlash) {
        mLogoFlash->SetEnabled(true);
        mLogoFlash->SetVisible(true);
        mLogoFlash->HideAllObjects();
        mLogoFlash->Play();
    }
    for (TParticleSystem* system : {mRayOfLight.get(), mLogoParticles.get()}) {
        if (system) {
            system->SetActive(true);
            system->SetVisible(true);
            system->Restart();
        }
    }
}

void wndCorvalo::ShowTilesCompleted() {
    StopGameplayMusic();
    if (!mTilesCompleted)
        mTilesCompleted = MakeParticles("Tilescompleted", 125.0f, 130.0f, 0.0f);
    if (mTilesCompleted)
        mTilesCompleted->Restart();
}

void wndCorvalo::PlayGameplayMusic() {
    PlaySound(TString("gameplay_song"), true);
}

void wndCorvalo::StopGameplayMusic() {
    StopSound(TString("gameplay_song"));
}

// ---- clips -------------------------------------------------------------------

void wndCorvalo::ShowCircle(bool show) {
    if (!mCircle) {
        mCircle = MakeClip("Circle");
        if (!mCircle)
            return;
        mCircle->SetPosition(122.0f, 135.0f);
        mCircle->SetScale(1.5f);
    }
    mCircle->SetVisible(show);
    if (show)
        mCircle->PlayAnimation(TString("DoAnim"));
}

void wndCorvalo::SetBoardWarning(bool on) {
    if (!on) {
        if (mWarning)
            mWarning->SetVisible(false);
        StopSound(TString("warning"));
        return;
    }
    if (!mWarning)
        mWarning = MakeClip("Frame");
    if (mWarning) {
        mWarning->SetScale(1.0f);
        const TWindow* panel = FindChild(TString("btmCorvalo"), true);
        const TWindow* frame = nullptr;
        WarningPlace place = kNoFrameWarning;
        for (int i = 0; i < 3; ++i) {
            const TWindow* candidate = FindChild(TString(kFrameNames[i]), true);
            if (candidate && candidate->IsVisible()) {
                frame = candidate;
                place = kFrameWarning[i];
            }
        }
        if (!frame)
            frame = FindChild(TString(kFrameNames[0]), true);
        const float height = mWarning->GetHeight();
        if (!panel || !frame || height <= 0.0f) {
            LogMissing("the warning frame has no bottom panel, board frame or picture height "
                       "to be placed by; it is not shown");
            mWarning->SetVisible(false);
        } else {
            const TRect& p = panel->GetRect();
            const TRect& f = frame->GetRect();
            mWarning->SetPosition(static_cast<float>(f.left + p.left + place.dx),
                                  static_cast<float>(f.top + p.top + place.dy));
            mWarning->SetScale(static_cast<float>(frame->GetHeight()) / height * place.k);
            mWarning->SetVisible(true);
            mWarning->PlayAnimation(TString("DoAnim"));
        }
    }
    PlaySound(TString("warning"), true);
}

void wndCorvalo::ShowLives(int lives) {
    if (lives < 0 || lives > 2)
        return;
    for (int heart = 3; heart > lives; --heart)
        SetChildVisible(this, TString::Format("bmpHeart%d", heart), false, -1);
    const TWindow* lost = FindChild(TString::Format("bmpHeart%d", lives + 1), true);
    if (!lost)
        return;
    if (!mHeartLoss)
        mHeartLoss = MakeClip("HeartL");
    if (!mHeartLoss)
        return;
    const TRect at = lost->GetScreenRect();
    mHeartLoss->SetPosition(static_cast<float>(at.left), static_cast<float>(at.top));
    mHeartLoss->SetVisible(true);
    mHeartLoss->PlayAnimation(TString("DoAnim"));
}

// ---- ambient particles -------------------------------------------------------

void wndCorvalo::SetAmbientTheme() {
    if (!mAmbient) {
        mAmbient = MakeParticles("Flower", static_cast<float>(GetWidth()) / 2.0f,
                                 static_cast<float>(GetHeight()) / 2.0f, 1.0f);
        if (!mAmbient)
            return;
    }
    const char* theme = nullptr;
    if (LowerGlobal("gGameStyle") != TString("quest")) {
        auto* game = dynamic_cast<gmCorvalo*>(mGame);
        const dtUserState* user = game ? game->GetUser() : nullptr;
        theme = ThemeName(GetQuickBackground(user ? user->level : 1).theme);
    } else {
        const QuestMap* map = GetLevelServices().questMap;
        if (map && map->HasCurrentNode())
            theme = QuestThemeName(map->GetCurrentNodeLevel());
    }
    if (theme) {
        const TString texture = EffectFile(theme);
        TParticleEmitter* first = mAmbient->GetEmitter(0);
        if (!texture.IsEmpty() && first)
            first->SetTexture(texture);
    }
    mAmbient->Restart();
    mAmbient->Update(static_cast<uint32_t>(6000 + RandomBelow(6001)));
}
