#include "game/board/btmCorvalo.h"

#include "framework/core/log/TLog.h"
#include "framework/core/tasks/TClock.h"
#include "framework/graphics/TGraphics.h"
#include "framework/graphics/TTexture.h"
#include "framework/graphics/animation/TAnimatedTexture.h"
#include "framework/script/wrappers/TLuaObjectWrapper.h"
#include "framework/ui/manager/TWindowManager.h"
#include "framework/ui/widgets/TText.h"
#include "framework/ui/window/TWindowAnim.h"
#include "framework/ui/window/TWindowStyle.h"
#include "game/board/GetLocalizedString.h"
#include "game/data/GameIds.h"
#include "game/data/LevelRecords.h"
#include "game/data/MetamapNodes.h"
#include "game/levels/LevelServices.h"
#include "game/progress/QuestMap.h"
#include "game/state/dtLevelState.h"
#include "game/state/dtUserState.h"
#include "velk/assets/TAssetLists.h"
#include "velk/container/TDraw2dScope.h"
#include "velk/container/WindowVisibility.h"
#include "velk/display/vlkClip.h"
#include "velk/game/GameTuning.h"
#include "velk/globals/GameGlobals.h"
#include "velk/motion/TLinearMove.h"

#include <new>

namespace {

constexpr uint32_t kAnimateMs = 16;
constexpr uint32_t kCountMs = 800;
constexpr float kSparkScale = 1.5f;
// The bar's ends are art: the filled part starts 17.5 px in and is 20 px
// shorter than the picture.
constexpr float kTimeBarInset = 17.5f;
constexpr float kTimeBarEnds = 20.0f;

constexpr const char* kModeIcons[] = {"gpxClassic", "gpxStrategy", "gpxBlitz", "gpxJoker",
                                      "gpxRome"};
constexpr const char* kAvatarPrefixes[] = {"mavatar_", "favatar_", "davatar_", "cavatar_"};
constexpr const char* kAvatarTables[] = {"avatar_boy", "avatar_girl", "avatar_dog", "avatar_cat"};

std::shared_ptr<TTexture> FindTexture(const char* name) {
    std::shared_ptr<TTexture> texture =
        gAssetLists ? gAssetLists->GetTexture(TString(name)) : nullptr;
    if (!texture)
        LogPrintf("btmCorvalo: no picture \"%s\"; the panel shows without it", name);
    return texture;
}

std::unique_ptr<vlkSprite> MakeSprite(const char* name, float x, float y) {
    auto sprite = std::make_unique<vlkSprite>();
    sprite->SetTexture(FindTexture(name));
    sprite->SetPosition(x, y);
    return sprite;
}

// The user state's avatar: 0 boy, 1 girl, 2 dog, 3 cat; anything else the
// boy.
size_t AvatarIndex(const dtUserState* user) {
    const int avatar = user ? user->avatar : 0;
    return avatar >= 0 && avatar < 4 ? static_cast<size_t>(avatar) : 0;
}

TString LowerGlobal(const char* name) {
    TString value = GetScriptGlobal(name);
    value.ToLower();
    return value;
}

bool IsQuestStyle() {
    return LowerGlobal("gGameStyle") == TString("quest");
}

// 0 Small, 1 Medium, anything else Large.
size_t DifficultyIndex(int difficulty) {
    return difficulty == 0 ? 0 : difficulty == 1 ? 1 : 2;
}

const TString& RecordBackground(const dtLevelState* state, int mode) {
    static const TString kNone;
    if (!state)
        return kNone;
    switch (mode) {
    case kModeClassic:
        return state->classic ? state->classic->background : kNone;
    case kModeBlitz:
        return state->blitz ? state->blitz->background : kNone;
    case kModeStrategy:
        return state->strategy ? state->strategy->background : kNone;
    case kModeRome:
        return state->rome ? state->rome->background : kNone;
    case kModeJoker:
        return state->joker ? state->joker->background : kNone;
    default:
        return kNone;
    }
}

// The region of a quest level's stretch of the map.
int QuestRegion(int level) {
    if (level >= 0 && level <= 9)
        return 1;
    if (level >= 10 && level <= 20)
        return 0;
    if (level >= 21 && level <= 31)
        return 2;
    if (level >= 32 && level <= 42)
        return 3;
    if (level >= 43 && level <= 55)
        return 4;
    return 0;
}

int TimeOfDay(const TString& word) {
    if (word == TString("noon"))
        return 1;
    if (word == TString("afternoon"))
        return 2;
    if (word == TString("night"))
        return 3;
    return 0;
}

} // namespace

btmCorvalo::btmCorvalo()
    : TWindow(TString("btmCorvalo")), mTimeBarOrigin(273.0f, 739.0f),
      mGoalBarOrigin(127.0f, 523.0f), mAvatarPositions(4) {
    mTimeBar = std::make_unique<vlkSprite>();
    mTimeBarTexture = FindTexture("Time Bar");
    mTimeBar->SetTexture(mTimeBarTexture);
    mTimeBar->SetScaleX(0.0f);
    mLayoutBar1 = MakeSprite("LayoutBar01", 519.5f, 739.0f);
    mLayoutBar2 = MakeSprite("LayoutBar02", 127.0f, 352.0f);
    mGoalBar = std::make_unique<vlkSprite>();
    mGoalBarTexture = FindTexture("Goal Bar");
    mGoalBar->SetTexture(mGoalBarTexture);
    mGoalBar->SetScaleY(0.0f);
    CreateSpark();
}

btmCorvalo::~btmCorvalo() = default;

TWindow* btmCorvalo::Create() {
    return new (std::nothrow) btmCorvalo();
}

bool btmCorvalo::IsKindOf(TWindowClassId id) const {
    return id == GetCreator() || TWindow::IsKindOf(id);
}

void btmCorvalo::CreateSpark() {
    std::shared_ptr<TAnimatedTexture> spark =
        gAssetLists ? gAssetLists->GetAnimatedTexture(TString("NewRowfx")) : nullptr;
    if (!spark)
        LogPrintf("btmCorvalo: no animation \"NewRowfx\"; the time bar has no spark");
    mSpark = std::make_unique<vlkClip>(spark, gGameClock);
    mSpark->SetScale(kSparkScale);
    mSpark->PlayAnimation(TString("DoAnim"));
}

void btmCorvalo::CreateCounters() {
    mTotalCounter = std::make_unique<TLinearMove>();
    mLevelScoreCounter = std::make_unique<TLinearMove>();
}

void btmCorvalo::LoadAvatarIconPosition(size_t index, const TWindowStyle& style,
                                        const char* table) {
    if (index >= mAvatarPositions.size())
        return;
    std::unique_ptr<TLuaTable> position(style.GetTable(table));
    if (!position)
        return;
    mAvatarPositions[index] = TVec2(static_cast<float>(position->GetNumber("x", 0.0)),
                                    static_cast<float>(position->GetNumber("y", 0.0)));
}

void btmCorvalo::PostInit(TWindowStyle& windowStyle) {
    TWindow::PostInit(windowStyle);
    for (size_t i = 0; i < 4; ++i)
        LoadAvatarIconPosition(i, windowStyle, kAvatarTables[i]);
    mIconX = static_cast<float>(windowStyle.GetNumber("icon_x", 0.0));
    mIconY = static_cast<float>(windowStyle.GetNumber("icon_y", 0.0));

    ProgressStore* progress = GetLevelServices().progress;
    const dtUserState* user = progress ? progress->GetUserState() : nullptr;
    const size_t avatar = AvatarIndex(user);
    mAvatarPrefix = TString(kAvatarPrefixes[avatar]);
    style = LowerGlobal("gGameStyle");

    TClock* clock = GetAnimator() ? GetAnimator()->GetClock() : nullptr;
    mAvatar = std::make_unique<vlkClip>(nullptr, clock);
    SetAvatarMood(kMoodStand);
    mAvatar->SetPosition(mAvatarPositions[avatar].x, mAvatarPositions[avatar].y);

    CreateCounters();
    ScheduleAnimation(kAnimateMs, true, true, false);
    mLastAnimation = GetAnimator() ? GetAnimator()->GetTime() : 0;
}

void btmCorvalo::SetPlayInfo(int modeId, int difficultyIndex, int questTask,
                             const TString& playStyle) {
    mode = modeId;
    difficulty = difficultyIndex;
    task = questTask;
    style = playStyle;
    style.ToLower();
}

// ---- set-up ----

void btmCorvalo::SetupClassic(dtUserState* user) {
    Setup(Mode::kClassic, user, 0);
}

void btmCorvalo::SetupBlitz(dtUserState* user) {
    Setup(Mode::kBlitz, user, 0);
}

void btmCorvalo::SetupStrategy(dtUserState* user) {
    Setup(Mode::kStrategy, user, 0);
}

void btmCorvalo::SetupRome(dtUserState* user) {
    Setup(Mode::kRome, user, 0);
}

void btmCorvalo::SetupJoker(dtUserState* user, int jokerDifficulty) {
    Setup(Mode::kJoker, user, jokerDifficulty);
}

void btmCorvalo::Setup(Mode setupMode, dtUserState* user, int jokerDifficulty) {
    if (!user) {
        LogPrintf("btmCorvalo: a set-up without player progress; the panel stays as it is");
        return;
    }
    static constexpr int kModeIds[] = {kModeClassic, kModeBlitz, kModeStrategy, kModeRome,
                                       kModeJoker};
    const int modeId = kModeIds[static_cast<int>(setupMode)];
    const bool joker = setupMode == Mode::kJoker;
    const bool fromWorldMap = GameStyleCode == 1;

    // 1. The shown values start from the user state.
    mUser = user;
    mBestComboShown = 0;
    mLevelScoreShown = 0;
    mTotalShown = 0;
    mLivesShown = user->lives;
    mGoalLeft = mGoalTotal = user->quota;
    if (!joker || !fromWorldMap)
        user->levelScore = 0;

    // 2, 3.
    mTimeBar->SetScaleX(0.0f);
    mGoalBar->SetScaleY(0.0f);
    if (setupMode == Mode::kClassic)
        mSpark->SetPosition(mTimeBarOrigin.x + 10.0f, mTimeBarOrigin.y);

    // 4. The mode's icon (Strategy's after the task display) and the
    // background of the level record.
    const dtLevelState* state = user->GetLevelState();
    TString background = RecordBackground(state, modeId);
    if (setupMode != Mode::kStrategy)
        ShowModeIcon(modeId);
    SelectBackground(background);

    // 5 to 8: level, scores, total.
    SetTextOf("lblLevelText", GetLocalizedString(TString("lblLevel")));
    int level = user->level;
    if (fromWorldMap)
        if (const QuestMap* map = GetLevelServices().questMap; map && map->HasCurrentNode())
            level = map->GetCurrentNodeLevel() + 1;
    SetTextOf("lblLevel", TString::Format("%d", level));
    SetTextOf("lblScore", TString::Format("%d", user->levelScore));
    int32_t total = 0;
    if (style == TString("quest"))
        total = joker ? user->totalScore + user->levelScore : user->totalScore;
    else if (modeId > 0 && modeId < kModeIdCount)
        total = user->score[static_cast<size_t>(modeId)][DifficultyIndex(difficulty)];
    mTotalShown = mTotalRunning = total;
    SetTextOf("lblTotalScore", TString::Format("%d", total));
    // The best combo shows this level's own figure from its start, not the
    // one the last level or life left there (Joker shows its rounds there).
    if (!joker) {
        mBestComboShown = user->bestCombo;
        SetTextOf("txtBestCombo", TString::Format("%d", mBestComboShown));
    }

    // 9. Goal, board size, clock.
    SetTextOf("lblGoal", TString::Format("%d", mGoalLeft));
    const int size = joker ? jokerDifficulty + 1 : BoardSize();
    RunLevelScript(TString::Format("selectSize(%d)", size));
    if (setupMode == Mode::kBlitz || setupMode == Mode::kRome) {
        const auto& timers =
            setupMode == Mode::kBlitz ? gGameTuning.blitz.timer : gGameTuning.rome.timer;
        const size_t index = size == 1 ? 0 : size == 2 ? 1 : 2;
        mClockTotal = static_cast<float>(timers[index]) * 1000.0f;
    }

    // 10 to 12; Classic sets the lives and the mood first.
    if (setupMode == Mode::kClassic) {
        RunLevelScript(TString::Format("selectLifes(%d)", user->lives));
        SetAvatarMood(kMoodStand);
        ShowTask(setupMode);
    } else {
        ShowTask(setupMode);
        if (setupMode == Mode::kStrategy)
            ShowModeIcon(modeId);
        RunLevelScript(TString::Format("selectLifes(%d)", user->lives));
        SetAvatarMood(kMoodStand);
    }

    // 13.
    if (setupMode == Mode::kBlitz || setupMode == Mode::kRome)
        mHoldFullClock = 1;

    // 14.
    if (joker) {
        ShowClock(false);
        HideNewRowAndTimeBar();
        ShowChild("lblGoalOriented", false);
        ShowChild("gpxGoalOriented", false);
        FillRoundDisplay(jokerDifficulty);
    }
}

int btmCorvalo::BoardSize() const {
    const dtLevelState* state = mUser ? mUser->GetLevelState() : nullptr;
    return state ? state->GetDifficulty() : difficulty + 1;
}

void btmCorvalo::ShowTask(Mode setupMode) {
    if (setupMode == Mode::kJoker) {
        ShowChild("lblGoalOriented", false);
        ShowChild("gpxGoalOriented", false);
        return;
    }
    if (setupMode != Mode::kRome && task != 0 && style == TString("quest")) {
        ShowChild("lblGoalBar", false);
        ShowChild("gpxGoalOriented", true);
        SetTextOf("lblGoalOriented", GetLocalizedString(TString::Format("Goal GUI %d", task)));
        ShowChild("lblGoalOriented", true);
        mLayoutBar2.reset();
        if (SetTaskIcon(task))
            ShowChild("lblGoal", false);
        return;
    }
    ShowChild("lblGoalBar", true);
    ShowChild("lblGoalOriented", false);
    ShowChild("gpxGoalOriented", false);
}

void btmCorvalo::FillRoundDisplay(int jokerDifficulty) {
    // Both are optional.
    if (TText* label = Text("lblBestCombo"))
        label->SetText(GetLocalizedString(TString("lblRound")));
    TText* display = Text("txtBestCombo");
    if (!display)
        return;
    TString rounds;
    if (IsQuestStyle()) {
        const TJokerLevelRecord* record = GetJokerLevel(mUser->level - 1);
        if (record) {
            rounds = TString::Format("%d / %d", mUser->roundCounter, record->rounds);
        } else {
            LogPrintf("btmCorvalo: no Joker level %d; the round shows alone", mUser->level);
            rounds = TString::Format("%d", mUser->roundCounter);
        }
    } else {
        const size_t d = DifficultyIndex(jokerDifficulty);
        rounds =
            TString::Format("%d / %d", mUser->modeLevel[kModeJoker][d], gGameTuning.joker.index[d]);
    }
    display->SetText(rounds);
}

// ---- the displays ----

void btmCorvalo::SelectBackground(TString& timeOfDay) {
    int region = 0;
    if (IsQuestStyle())
        if (const QuestMap* map = GetLevelServices().questMap; map && map->HasCurrentNode())
            region = QuestRegion(map->GetCurrentNodeLevel());
    timeOfDay.ToLower();
    RunLevelScript(TString::Format("selectBackground(%d, %d)", region, TimeOfDay(timeOfDay)));
}

void btmCorvalo::ShowModeIcon(int modeId) {
    if (modeId < 1 || modeId > 5)
        return;
    for (int i = 1; i <= 5; ++i)
        ShowChild(kModeIcons[i - 1], i == modeId);
}

bool btmCorvalo::SetTaskIcon(int questTask) {
    const char* name = questTask == 3 ? "icon_wild" : questTask == 4 ? "icon_broom" : nullptr;
    if (!name)
        return false;
    mTaskIcon = MakeSprite(name, mIconX, mIconY);
    return true;
}

void btmCorvalo::ShowClock(bool show) {
    ShowChild("gpxClock", show);
    ShowChild("txtClock", show);
    ShowChild("btnNewRow", !show);
    ShowChild("gpxNewRow", !show);
    ShowChild("txtNewRow", !show);
}

void btmCorvalo::SetNewRowEnabled(bool enabled) {
    mNewRowEnabled = enabled ? 1 : 0;
    ShowChild("btnNewRow", enabled);
}

void btmCorvalo::UpdateNewRowEnabled(bool enabled) {
    if (enabled != (mNewRowEnabled != 0))
        SetNewRowEnabled(enabled);
}

void btmCorvalo::ShowNewRowButton(bool show) {
    ShowChild("btnNewRow", show);
}

void btmCorvalo::HideNewRowAndTimeBar() {
    ShowChild("btnNewRow", false);
    ShowChild("gpxNewRow", false);
    ShowChild("txtNewRow", false);
    ShowChild("bmpLayoutBarTime", false);
    mSpark->SetVisible(false);
    mLayoutBar1->SetVisible(false);
}

void btmCorvalo::PlaceTimeBar(float fraction) {
    if (!mTimeBarTexture)
        return;
    const float width = static_cast<float>(mTimeBarTexture->GetWidth());
    if (width <= 0.0f)
        return;
    const float length = (width - kTimeBarEnds) * fraction;
    const float left = mTimeBarOrigin.x + kTimeBarInset;
    mTimeBar->SetPosition(left + length * 0.5f, mTimeBarOrigin.y);
    mTimeBar->SetScaleX((1.0f - kTimeBarEnds / width) * fraction);
    mSpark->SetPosition(left + length, mTimeBarOrigin.y + 1.0f);
}

void btmCorvalo::PlaceGoalBar(float fraction) {
    if (!mGoalBarTexture)
        return;
    const float height = static_cast<float>(mGoalBarTexture->GetHeight());
    mGoalBar->SetPosition(mGoalBarOrigin.x, mGoalBarOrigin.y - height * fraction * 0.5f);
    mGoalBar->SetScaleY(fraction);
}

void btmCorvalo::UpdateTimeBar(float fraction) {
    PlaceTimeBar(fraction);
    RefreshCounters();
}

void btmCorvalo::UpdateClock(int32_t remainingMs) {
    if (mHoldFullClock) {
        if (remainingMs == 0)
            remainingMs = static_cast<int32_t>(mClockTotal);
        else
            mHoldFullClock = 0;
    }
    SetClockText(remainingMs);
    PlaceTimeBar(mClockTotal > 0.0f ? static_cast<float>(remainingMs) / mClockTotal : 0.0f);
    RefreshCounters();
}

void btmCorvalo::SetClockText(int32_t ms) {
    const int32_t seconds = ms / 1000;
    SetTextOf("txtClock", TString::Format("%d:%02d", seconds / 60, seconds % 60));
}

void btmCorvalo::UpdateGoalBar(float fraction) {
    PlaceGoalBar(fraction);
    RefreshCounters();
}

void btmCorvalo::RefreshCounters() {
    if (!mUser)
        return;
    if (mUser->quota != mGoalLeft) {
        mGoalLeft = mUser->quota;
        SetTextOf("lblGoal", TString::Format("%d", mGoalLeft));
        if (task == 0) {
            const float fraction = mGoalTotal != 0 ? static_cast<float>(mGoalTotal - mGoalLeft) /
                                                         static_cast<float>(mGoalTotal)
                                                   : 0.0f;
            PlaceGoalBar(fraction);
        }
    }
    if (mUser->lives != mLivesShown) {
        mLivesShown = mUser->lives;
        RunLevelScript(TString::Format("selectLifes(%d)", mLivesShown));
    }
    if (mUser->bestCombo != mBestComboShown) {
        mBestComboShown = mUser->bestCombo;
        SetTextOf("txtBestCombo", TString::Format("%d", mBestComboShown));
    }
    if (mUser->levelScore != mLevelScoreShown) {
        mLevelScoreBase = mLevelScoreShown;
        if (mLevelScoreCounter) {
            mLevelScoreCounter->Set(0.0f, static_cast<float>(mUser->levelScore - mLevelScoreShown),
                                    kCountMs);
            mLevelScoreCounter->Start();
        }
        mLevelScoreShown = mUser->levelScore;
    }
    if (mTotalRunning != mTotalShown) {
        mTotalShown = mTotalRunning;
        SetTextOf("lblTotalScore", TString::Format("%d", mTotalShown));
    }
}

// ---- score ----

void btmCorvalo::AddScore(int32_t points) {
    if (!mTotalCounter)
        mTotalCounter = std::make_unique<TLinearMove>();
    mTotalBase = mTotalRunning;
    int32_t target = points;
    if (!mTotalCounter->IsDone())
        target += static_cast<int32_t>(mTotalCounter->GetEnd() - mTotalCounter->GetValue());
    mTotalCounter->Set(0.0f, static_cast<float>(target), kCountMs);
    mTotalCounter->Start();
}

bool btmCorvalo::OnAnimate() {
    TWindowAnim* animator = GetAnimator();
    Animate(animator ? animator->GetTime() : mLastAnimation);
    return true;
}

void btmCorvalo::Animate(uint32_t now) {
    const uint32_t elapsed = now - mLastAnimation;
    mLastAnimation = now;
    if (mTotalCounter && !mTotalCounter->IsDone()) {
        mTotalCounter->Update(elapsed);
        mTotalRunning = static_cast<int32_t>(mTotalCounter->GetValue()) + mTotalBase;
    }
    if (mLevelScoreCounter && !mLevelScoreCounter->IsDone()) {
        mLevelScoreCounter->Update(elapsed);
        // Looked up each time: a layout may take the text away.
        if (TText* score = Text("lblScore"))
            score->SetText(TString::Format(
                "%d", static_cast<int32_t>(mLevelScoreCounter->GetValue()) + mLevelScoreBase));
    }
}

void btmCorvalo::OnBeforeFrame() {
    // The panel's texts ask for their own changes; its sprites are drawn
    // again where they were and are only when they change.
    const TRect screen = GetScreenRect();
    mLookWatch.Check({mLayoutBar1.get(), mLayoutBar2.get(), mTimeBar.get(), mGoalBar.get(),
                      mAvatar.get(), mTaskIcon.get(), mSpark.get()},
                     TPoint(screen.left, screen.top));
}

int32_t btmCorvalo::StoreScore() {
    if (!mUser)
        return 0;
    if (style == TString("quest")) {
        mUser->totalScore = mTotalShown;
        return mTotalShown;
    }
    if (mode < 1 || mode > 5)
        return 0;
    mUser->score[static_cast<size_t>(mode)][DifficultyIndex(difficulty)] = mTotalShown;
    return mTotalShown;
}

// ---- avatar ----

void btmCorvalo::SetAvatarMood(int mood) {
    const char* word = mood == kMoodStand   ? "stand"
                       : mood == kMoodHappy ? "happy"
                       : mood == kMoodScare ? "scare"
                                            : nullptr;
    if (!word || !mAvatar)
        return;
    const TString name = mAvatarPrefix + TString(word);
    std::shared_ptr<TAnimatedTexture> animation =
        gAssetLists ? gAssetLists->GetAnimatedTexture(name) : nullptr;
    if (animation)
        mAvatar->SetAnimationAndPlay(animation);
    else
        LogPrintf("btmCorvalo: no animation \"%s\"; the avatar keeps its last one", name.CStr());
    mMood = mood;
    mAvatar->SetVisible(true);
}

void btmCorvalo::SetAvatarVisible(bool visible) {
    if (mAvatar)
        mAvatar->SetVisible(visible);
}

// ---- drawing ----

void btmCorvalo::Draw() {
    TGraphics* graphics = TGraphics::Get();
    if (!graphics)
        return;
    TDraw2dScope scope(graphics->Begin2d());
    mLayoutBar1->Draw();
    if (mLayoutBar2)
        mLayoutBar2->Draw();
    mTimeBar->Draw();
    mGoalBar->Draw();
    if (mAvatar)
        mAvatar->Draw();
}

void btmCorvalo::DrawOverlay() {
    TGraphics* graphics = TGraphics::Get();
    if (!graphics)
        return;
    TDraw2dScope scope(graphics->Begin2d());
    if (mTaskIcon)
        mTaskIcon->Draw();
    mSpark->Draw();
}

// ---- children ----

TText* btmCorvalo::Text(const char* name) const {
    // The task's text may lie inside its picture.
    const int32_t depth = TString(name) == TString("lblGoalOriented") ? -1 : 1;
    return dynamic_cast<TText*>(FindChild(TString(name), depth));
}

void btmCorvalo::SetTextOf(const char* name, const TString& text) {
    if (TText* child = Text(name)) {
        child->SetText(text);
        return;
    }
    // Once per name: the clock asks every frame.
    for (const std::string& missing : mMissingTexts)
        if (missing == name)
            return;
    mMissingTexts.emplace_back(name);
    LogPrintf("btmCorvalo: no text \"%s\" in the panel's layout; it is left out", name);
}

void btmCorvalo::ShowChild(const char* name, bool show) {
    const int32_t depth = TString(name) == TString("lblGoalOriented") ? -1 : 1;
    SetChildVisible(this, TString(name), show, depth);
}
