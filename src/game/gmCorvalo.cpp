#include "game/gmCorvalo.h"

#include "framework/core/log/TLog.h"
#include "framework/script/host/TScript.h"
#include "framework/ui/window/TWindow.h"
#include "game/board/BoardScreen.h"
#include "game/data/LevelRecords.h"
#include "game/levels/BoardTrace.h"
#include "game/levels/LevelServices.h"
#include "game/levels/lvCorvaloBlitz.h"
#include "game/levels/lvCorvaloClassic.h"
#include "game/levels/lvCorvaloJoker.h"
#include "game/levels/lvCorvaloRome.h"
#include "game/levels/lvCorvaloStrategy.h"
#include "game/progress/QuestMap.h"
#include "game/state/dtUserState.h"
#include "velk/assets/TAssetLists.h"
#include "velk/game/GameTuning.h"
#include "velk/game/vlkGameLevel.h"
#include "velk/globals/GameGlobals.h"

#include <algorithm>

#include <lua.h>

namespace {

vlkGameLevel* MakeModeLevel(int mode, gmCorvalo& game) {
    switch (mode) {
    case kModeClassic:
        return new lvCorvaloClassic(game);
    case kModeBlitz:
        return new lvCorvaloBlitz(game);
    case kModeStrategy:
        return new lvCorvaloStrategy(game);
    case kModeRome:
        return new lvCorvaloRome(game);
    case kModeJoker:
        return new lvCorvaloJoker(game);
    default:
        return nullptr;
    }
}

gmCorvalo::LevelMaker& Maker() {
    static gmCorvalo::LevelMaker maker = &MakeModeLevel;
    return maker;
}

// The script functions call whichever game object is current when they
// run, so that a script that outlives a board screen calls nothing.
gmCorvalo* CurrentGame() {
    return dynamic_cast<gmCorvalo*>(gCurrentGame);
}

int ScriptOnEndLevel(lua_State*) {
    if (gmCorvalo* game = CurrentGame())
        game->onEndLevel();
    return 0;
}

int ScriptCreateLevel(lua_State*) {
    if (gmCorvalo* game = CurrentGame())
        game->gfn_CreateLevel();
    return 0;
}

// 0 easy, 1 medium, 2 for anything else.
int DifficultyIndex(const TString& difficulty) {
    if (difficulty == TString("easy"))
        return 0;
    if (difficulty == TString("medium"))
        return 1;
    return 2;
}

int LevelCount(int mode) {
    switch (mode) {
    case kModeClassic:
        return GetClassicLevelCount();
    case kModeBlitz:
        return GetBlitzLevelCount();
    case kModeStrategy:
        return GetStrategyLevelCount();
    case kModeRome:
        return GetRomeLevelCount();
    case kModeJoker:
        return GetJokerLevelCount();
    default:
        return 0;
    }
}

bool StartModeLevel(dtUserState& user, int mode, int level, int offset) {
    switch (mode) {
    case kModeClassic:
        return user.StartClassicLevel(level, offset);
    case kModeBlitz:
        return user.StartBlitzLevel(level, offset);
    case kModeStrategy:
        return user.StartStrategyLevel(level, offset);
    case kModeRome:
        return user.StartRomeLevel(level, offset);
    default:
        return false;
    }
}

// The mode id of a script's mode word, in either case; 0 for none.
int ModeFromWord(TString word) {
    word.ToLower();
    if (word == TString("classic"))
        return kModeClassic;
    if (word == TString("blitz"))
        return kModeBlitz;
    if (word == TString("strategy"))
        return kModeStrategy;
    if (word == TString("joker"))
        return kModeJoker;
    if (word == TString("rome"))
        return kModeRome;
    return kModeNone;
}

ProgressStore* Store() {
    return GetLevelServices().progress;
}

void SaveUserData() {
    if (ProgressStore* store = Store())
        store->SaveUserData();
    else
        LogPrintf("gmCorvalo: no progress store; the player's progress is not saved");
}

} // namespace

gmCorvalo::LevelMaker gmCorvalo::SetLevelMaker(LevelMaker maker) {
    LevelMaker previous = std::move(Maker());
    Maker() = std::move(maker);
    return previous;
}

gmCorvalo::gmCorvalo(TWindow* owner) : mTrace(BoardTrace::FromEnvironment()) {
    SetOwner(owner);
    if (ProgressStore* store = Store()) {
        store->LoadUserData();
        mUser = store->GetUserState();
    }
    if (!mUser)
        LogPrintf("gmCorvalo: no player progress; no level can be played");
    if (TScript* script = GetGameScript()) {
        script->RegisterFunction("onEndLevel", &ScriptOnEndLevel);
        script->RegisterFunction("gfn_CreateLevel", &ScriptCreateLevel);
    }
    SetLivesAtStart(mUser ? mUser->lives : 0);
}

gmCorvalo::~gmCorvalo() {
    SetLevel(nullptr);
    if (mTrace)
        mTrace->WriteClosed();
    if (gAssetLists)
        gAssetLists->ClearLevelAssets();
}

int gmCorvalo::ModeNameToId(const TString& name) {
    return ::ModeNameToId(name);
}

BoardScreen* gmCorvalo::GetBoardScreen() const {
    return dynamic_cast<BoardScreen*>(GetOwner());
}

int gmCorvalo::PrepareLevel() {
    if (!mUser)
        return kModeNone;
    dtUserState& u = *mUser;
    const TString modeWord = GetScriptGlobal("gGameMode");
    const TString style = GetScriptGlobal("gGameStyle");
    const TString difficulty = GetScriptGlobal("gGameDifficulty");
    const bool quest = style == TString("quest");
    const int d = DifficultyIndex(difficulty);

    int mode = kModeNone;
    if (modeWord == TString("Classic"))
        mode = kModeClassic;
    else if (modeWord == TString("Blitz"))
        mode = kModeBlitz;
    else if (modeWord == TString("Strategy"))
        mode = kModeStrategy;
    else if (modeWord == TString("Joker"))
        mode = kModeJoker;
    else if (modeWord == TString("Rome"))
        mode = kModeRome;
    else {
        LogPrintf("gmCorvalo: no level for the game mode \"%s\"", modeWord.CStr());
        return kModeNone;
    }
    const int count = LevelCount(mode);

    if (mode == kModeClassic || mode == kModeBlitz || mode == kModeStrategy) {
        if (quest) {
            if (u.level > count && u.infiniteLevel == 0)
                u.level = 1;
            StartModeLevel(u, mode, u.level, u.levelOffset);
            return mode;
        }
        if (d == 2 && !(difficulty == TString("hard")))
            LogPrintf("gmCorvalo: difficulty \"%s\" is played as hard", difficulty.CStr());
        int& levelField = u.modeLevel[mode][d];
        const int level = levelField;
        if (level == 1 && u.levelOffset == 0) {
            u.modeBestCombo[mode][d] = 0;
            u.score[mode][d] = 0;
        }
        // How far past the last record the level about to be played lies;
        // 0 inside the table.
        u.infiniteLevel = std::max(0, level + u.levelOffset - count + 1);
        StartModeLevel(u, mode, level, u.levelOffset);
        levelField = u.level;
        u.bestCombo = u.modeBestCombo[mode][d];
        u.lives = u.modeLives[mode][d];
        return mode;
    }

    if (mode == kModeJoker) {
        if (!quest) {
            const int limit = gGameTuning.joker.index[d];
            int level = u.modeLevel[mode][d];
            if (level == 1 && u.levelOffset == 0)
                u.score[mode][d] = 0;
            if (level >= limit) {
                level = 1;
                u.levelOffset = 0;
                u.score[mode][d] = 0;
            }
            level += u.levelOffset;
            u.modeLevel[mode][d] = level;
            u.StartJokerQuickLevel(level, d);
            u.lives = u.modeLives[mode][d];
        } else {
            u.StartJokerLevel(u.level);
        }
        return mode;
    }

    // Rome: one table in which each difficulty's levels begin at its start
    // index.
    if (!quest) {
        const int start = gGameTuning.rome.index[d];
        int level = u.modeLevel[mode][d] + u.levelOffset;
        if (level == start) {
            u.modeBestCombo[mode][d] = 0;
            u.score[mode][d] = 0;
        }
        u.modeLevel[mode][d] = level;
        u.StartRomeLevel(level, 0);
        if (d > 0)
            u.level = level - start + 1;
        u.bestCombo = u.modeBestCombo[mode][d];
        u.lives = u.modeLives[mode][d];
    } else {
        if (u.level > count) {
            u.level = 1;
            u.levelOffset = 0;
        }
        u.StartRomeLevel(u.level, u.levelOffset);
    }
    return mode;
}

void gmCorvalo::Update(uint32_t elapsed) {
    vlkGame::Update(elapsed);
    if (mTrace)
        mTrace->Write(dynamic_cast<const lvCorvaloLevel*>(GetLevel()));
}

void gmCorvalo::gfn_CreateLevel() {
    SetLevel(nullptr);
    const int mode = PrepareLevel();
    if (mode == kModeNone)
        return;
    vlkGameLevel* level = Maker() ? Maker()(mode, *this) : nullptr;
    if (!level) {
        LogPrintf("gmCorvalo: the game mode %d has no level to play", mode);
        return;
    }
    SetLevel(level);
    if (mTrace)
        mTrace->CountLevel();
    // Read after the level is made: a quest level takes its lives from the
    // quest map's node.
    SetLivesAtStart(mUser->lives);
    level->Start();
}

gmCorvalo::NextStep gmCorvalo::BookEndOfLevel() {
    if (!mUser)
        return NextStep::kNothing;
    dtUserState& u = *mUser;
    const int mode = ModeFromWord(GetScriptGlobal("gGameMode"));
    const bool quest = GetScriptGlobal("gGameStyle") == TString("quest");
    const int d = DifficultyIndex(GetScriptGlobal("gGameDifficulty"));
    const bool won = GetLivesAtStart() == u.lives;

    if (!quest) {
        u.levelOffset = 0;
        if (won) {
            u.levelOffset = 1;
            if (mode != kModeNone)
                u.highScore[mode][d] = std::max(u.highScore[mode][d], u.score[mode][d]);
        } else if (u.lives == 0) {
            if (mode != kModeNone) {
                u.modeLevel[mode][d] = mode == kModeRome ? gGameTuning.rome.index[d] : 1;
                u.modeLives[mode][d] = gGameTuning.game.lives;
            }
            u.ResetForNewGame();
            return NextStep::kEndSequence;
        } else {
            if (mode != kModeNone)
                u.modeLives[mode][d] = u.lives;
            SetLivesAtStart(u.lives);
        }
        if (mode == kModeJoker && u.modeLevel[mode][d] >= gGameTuning.joker.index[d]) {
            u.modeLevel[mode][d] = 1;
            return NextStep::kEndSequence;
        }
        if (mode == kModeRome && u.levelOffset == 1) {
            // The difficulty's range of the one Rome table ends before the
            // next difficulty's start (hard: with the table's last record,
            // which is played like every range's last).
            const auto& start = gGameTuning.rome.index;
            const int end = d < 2 ? start[d + 1] : GetRomeLevelCount() + 1;
            if (u.modeLevel[mode][d] + 1 >= end) {
                u.modeLevel[mode][d] = start[d];
                return NextStep::kEndSequence;
            }
        }
        return NextStep::kNextQuickLevel;
    }

    QuestMap* map = GetLevelServices().questMap;
    if (!map)
        return NextStep::kNothing;
    if (won) {
        if (mode == kModeJoker) {
            ++u.roundCounter;
            const TJokerLevelRecord* record = GetJokerLevel(u.level - 1);
            if (record && u.roundCounter <= record->rounds)
                return NextStep::kCreateLevel;
        }
        map->CompleteCurrentNode(u.levelScore + u.extraScore);
        return NextStep::kNodeCompleted;
    }
    if (mode == kModeJoker) {
        const TJokerLevelRecord* record = GetJokerLevel(u.level - 1);
        if (record && u.roundCounter > record->roundsToWin) {
            map->CompleteCurrentNode(u.levelScore);
            return NextStep::kNodeCompleted;
        }
    }
    if (u.lives > 0) {
        map->SetCurrentNodeLives(u.lives);
        if (ProgressStore* store = Store())
            store->SaveMetamap();
        SetLivesAtStart(u.lives);
        return NextStep::kCreateLevel;
    }
    map->ResetScoresAndLives();
    return NextStep::kEndSequence;
}

void gmCorvalo::onEndLevel() {
    RunLevelScript(TString("showAlphaBackground(false)"));
    BoardScreen* screen = GetBoardScreen();
    switch (BookEndOfLevel()) {
    case NextStep::kNothing:
        break;
    case NextStep::kCreateLevel:
        gfn_CreateLevel();
        break;
    case NextStep::kNextQuickLevel:
        gfn_CreateLevel();
        if (screen)
            screen->ResetBackground();
        SaveUserData();
        break;
    case NextStep::kEndSequence:
        SaveUserData();
        if (screen)
            screen->CloseCurtains();
        break;
    case NextStep::kNodeCompleted: {
        SaveUserData();
        QuestMap* map = GetLevelServices().questMap;
        if (screen && map && map->GetPendingReward() == 0)
            screen->CloseCurtains();
        break;
    }
    }
}

void gmCorvalo::ShowLevelInstructions() {
    RunLevelScript(TString("ShowLevelInstructions()"));
}

void gmCorvalo::ShowReward(int reward) {
    RunLevelScript(TString::Format("setReward(%d)", reward));
    RunLevelScript(TString("DoModal('scripts/reward.lua')"));
}

void gmCorvalo::ShowGoalPanel(int goal) {
    RunLevelScript(TString::Format("setGoalPanel(%d)", goal));
    RunLevelScript(TString("DoModal('scripts/goal_panel.lua')"));
}

bool gmCorvalo::HasCurrentNodeReward() const {
    return GetCurrentNodeReward() != 0;
}

int gmCorvalo::GetCurrentNodeReward() const {
    const QuestMap* map = GetLevelServices().questMap;
    return map && map->HasCurrentNode() ? map->GetCurrentNodeReward() : 0;
}

int gmCorvalo::GetCurrentNodeGoal() const {
    const QuestMap* map = GetLevelServices().questMap;
    return map && map->HasCurrentNode() ? map->GetCurrentNodeGoal() : 0;
}
