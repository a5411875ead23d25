#include "game/progress/dtGameSettings.h"

#include "framework/core/log/TLog.h"
#include "framework/core/prefs/TPrefsDB.h"
#include "framework/script/host/TScript.h"
#include "framework/ui/script/TScriptBinding.h"
#include "game/data/GameIds.h"
#include "game/data/ModeFiles.h"
#include "game/progress/TokenString.h"
#include "game/progress/clsMetamap.h"
#include "game/state/dtUserState.h"
#include "velk/game/GameConfig.h"
#include "velk/game/GameTuning.h"
#include "velk/globals/GameGlobals.h"

#include <algorithm>
#include <array>
#include <new>
#include <string>
#include <vector>

namespace {

constexpr int kProfileVersion = dtGameSettings::kProfileVersion;
// The lives of a fresh profile and of a quest load, whatever the game data
// says.
constexpr int kProfileLives = 3;

const TString kVersionKey("UserDataVersion");
const TString kAvatarKey("UserAvatar");
const TString kMetamapKey("UserMetamap");
const TString kInstructionsKey("UserLevelInstructions");
const TString kUserKey("vlkUser");
const TString kFirstTimeKey("vlkFirstTime");

const char* const kAvatarNames[] = {"boy", "girl", "dog", "cat"};

// Where a key is read and written: in quick play (the empty style too), in
// the quest, or in both.
enum Styles : uint8_t { kNone = 0, kQuick = 1, kQuest = 2, kBoth = 3 };

// The steps of a load and of a save that walk the key table.
enum class LoadStep : uint8_t { kNever, kQuickValues, kQuestValues, kEveryStyle };
enum class SaveStep : uint8_t { kHead, kStyleValues, kTail };

// One value of the progress record: a plain field, a field per mode, a
// field per mode and difficulty, or a byte.
struct Field {
    int32_t dtUserState::*scalar = nullptr;
    std::array<int32_t, kModeIdCount> dtUserState::*byMode = nullptr;
    dtUserState::PerMode dtUserState::*perMode = nullptr;
    uint8_t dtUserState::*byte = nullptr;
    int mode = 0;
    int difficulty = 0;

    int32_t Get(const dtUserState& user) const {
        if (scalar)
            return user.*scalar;
        if (byMode)
            return (user.*byMode)[mode];
        if (perMode)
            return (user.*perMode)[mode][difficulty];
        return user.*byte;
    }
    void Set(dtUserState& user, int32_t value) const {
        if (scalar)
            user.*scalar = value;
        else if (byMode)
            (user.*byMode)[mode] = value;
        else if (perMode)
            (user.*perMode)[mode][difficulty] = value;
        else
            user.*byte = static_cast<uint8_t>(value);
    }
};

Field Scalar(int32_t dtUserState::*member) {
    Field field;
    field.scalar = member;
    return field;
}
Field ByMode(std::array<int32_t, kModeIdCount> dtUserState::*member, int mode) {
    Field field;
    field.byMode = member;
    field.mode = mode;
    return field;
}
Field PerMode(dtUserState::PerMode dtUserState::*member, int mode, int difficulty) {
    Field field;
    field.perMode = member;
    field.mode = mode;
    field.difficulty = difficulty;
    return field;
}
Field Byte(uint8_t dtUserState::*member) {
    Field field;
    field.byte = member;
    return field;
}

// A default of the game data: the game's lives, or the Rome start level of
// the difficulty (Rome keys only).
enum class Default : uint8_t { kValue, kGameLives, kRomeStart };

// One key of a profile. A mode-prefixed key's name follows the record's
// mode name ("Classic" + "UserBestCombo"). A flag reads true only for a
// stored 1 and is written as 1 or 0; a clamped counter is written as no
// more than its achievement threshold.
struct ProfileKey {
    TString name;
    Field field;
    int32_t defaultValue = 0;
    Default defaultKind = Default::kValue;
    LoadStep load = LoadStep::kNever;
    Styles loadStyles = kNone;
    SaveStep save = SaveStep::kStyleValues;
    Styles saveStyles = kNone;
    bool modePrefixed = false;
    bool flag = false;
    int clampThreshold = -1;

    int32_t DefaultValue() const {
        switch (defaultKind) {
        case Default::kGameLives:
            return gGameTuning.game.lives;
        case Default::kRomeStart:
            if (field.mode == kModeRome)
                return gGameTuning.rome.index[static_cast<size_t>(field.difficulty)];
            break;
        case Default::kValue:
            break;
        }
        return defaultValue;
    }
};

ProfileKey Key(const char* name, Field field, int32_t defaultValue, LoadStep load,
               Styles loadStyles, SaveStep save, Styles saveStyles) {
    ProfileKey key;
    key.name = TString(name);
    key.field = field;
    key.defaultValue = defaultValue;
    key.load = load;
    key.loadStyles = loadStyles;
    key.save = save;
    key.saveStyles = saveStyles;
    return key;
}

// A value every style reads and only the quest writes.
ProfileKey QuestValue(const char* name, Field field) {
    return Key(name, field, 0, LoadStep::kEveryStyle, kBoth, SaveStep::kStyleValues, kQuest);
}

ProfileKey Clamped(const char* name, int32_t dtUserState::*member, int threshold) {
    ProfileKey key = QuestValue(name, Scalar(member));
    key.clampThreshold = threshold;
    return key;
}

ProfileKey Flag(ProfileKey key) {
    key.flag = true;
    return key;
}

ProfileKey ModeKey(const char* suffix, int32_t dtUserState::*member, int32_t defaultValue) {
    ProfileKey key = Key(suffix, Scalar(member), defaultValue, LoadStep::kQuickValues, kQuick,
                         SaveStep::kStyleValues, kQuick);
    key.modePrefixed = true;
    return key;
}

// The quick-play values per mode and difficulty.
void AddFamily(std::vector<ProfileKey>& keys, const char* pattern,
               dtUserState::PerMode dtUserState::*member, std::initializer_list<int> modes,
               const char* const (&difficulties)[3], int32_t defaultValue, Default kind) {
    for (int mode : modes) {
        for (int d = 0; d < 3; ++d) {
            const TString name =
                TString::Format(pattern, ModeNameFromIndex(mode).CStr(), difficulties[d]);
            ProfileKey key = Key(name.CStr(), PerMode(member, mode, d), defaultValue,
                                 LoadStep::kQuickValues, kQuick, SaveStep::kStyleValues, kQuick);
            key.defaultKind = kind;
            keys.push_back(key);
        }
    }
}

// Every key of a profile but the version, the avatar and the quest map,
// in the order in which the load and the save walk them.
const std::vector<ProfileKey>& ProfileKeys() {
    static const std::vector<ProfileKey> keys = [] {
        using U = dtUserState;
        using T = TGameTuning;
        std::vector<ProfileKey> k;
        // Written, never read: the mode comes from the script.
        k.push_back(
            Key("UserMode", Scalar(&U::mode), 0, LoadStep::kNever, kNone, SaveStep::kHead, kBoth));
        // Read on its own: it is this object's avatar too.
        k.push_back(Key("UserAvatar", Scalar(&U::avatar), 0, LoadStep::kNever, kNone,
                        SaveStep::kHead, kBoth));
        k.push_back(ModeKey("UserBestCombo", &U::bestCombo, 0));
        k.push_back(ModeKey("UserTotalScore", &U::totalScore, 0));
        k.push_back(ModeKey("UserLevel", &U::level, 1));
        k.push_back(ModeKey("UserLives", &U::lives, kProfileLives));
        k.push_back(ModeKey("UserInfiniteLevel", &U::infiniteLevel, 0));
        k.push_back(Key("UserAllQuest", Scalar(&U::allQuest), 0, LoadStep::kEveryStyle, kBoth,
                        SaveStep::kTail, kBoth));
        k.push_back(Key("UserHalfQuest", Scalar(&U::halfQuest), 0, LoadStep::kEveryStyle, kBoth,
                        SaveStep::kTail, kBoth));
        k.push_back(QuestValue("UserCombo25", Scalar(&U::combo25)));
        k.push_back(QuestValue("UserCombo50", Scalar(&U::combo50)));
        k.push_back(QuestValue("UserChain20", Scalar(&U::chain20)));
        k.push_back(Clamped("UserBomb", &U::bomb, T::kBomb));
        k.push_back(Clamped("UserFreeze", &U::freeze, T::kFreeze));
        k.push_back(Clamped("UserWild", &U::wild, T::kWild));
        k.push_back(Clamped("UserSideWinder", &U::sidewinder, T::kSidewinder));
        k.push_back(Clamped("UserShowTime", &U::showtime, T::kShowtime));
        k.push_back(QuestValue("UserScreen1", Scalar(&U::screen1)));
        k.push_back(QuestValue("UserScreen5", Scalar(&U::screen5)));
        // Read in every style, written by quick play only.
        const struct {
            const char* name;
            int mode;
        } quickBits[] = {{"UserBlitz", kModeBlitz},
                         {"UserRome", kModeRome},
                         {"UserClassic", kModeClassic},
                         {"UserStrategy", kModeStrategy},
                         {"UserJoker", kModeJoker}};
        for (const auto& bits : quickBits)
            k.push_back(Key(bits.name, ByMode(&U::quickDifficultyBits, bits.mode), 0,
                            LoadStep::kEveryStyle, kBoth, SaveStep::kStyleValues, kQuick));
        k.push_back(Flag(QuestValue("UserMoney", Scalar(&U::scoreAchieved))));
        k.push_back(Key("UserLevelInstructions", Scalar(&U::instructionsShown), 0,
                        LoadStep::kQuestValues, kQuest, SaveStep::kStyleValues, kQuest));
        const struct {
            const char* name;
            int mode;
        } questBits[] = {{"UserDiffBlitz", kModeBlitz},
                         {"UserDiffClassic", kModeClassic},
                         {"UserDiffCradle", kModeRome},
                         {"UserDiffJoker", kModeJoker},
                         {"UserDiffStrategy", kModeStrategy}};
        for (const auto& bits : questBits)
            k.push_back(QuestValue(bits.name, ByMode(&U::questDifficultyBits, bits.mode)));
        k.push_back(Flag(QuestValue("UserCatUnlocked", Byte(&U::catUnlocked))));
        k.push_back(Flag(QuestValue("UserDogUnlocked", Byte(&U::dogUnlocked))));

        const char* const sizes[3] = {"Small", "Medium", "Large"};
        const char* const levels[3] = {"Easy", "Medium", "Hard"};
        AddFamily(k, "UserScore%s%s", &U::score,
                  {kModeClassic, kModeBlitz, kModeStrategy, kModeRome, kModeJoker}, sizes, 0,
                  Default::kValue);
        AddFamily(k, "UserHighScore%s%s", &U::highScore,
                  {kModeClassic, kModeBlitz, kModeStrategy, kModeRome, kModeJoker}, sizes, 0,
                  Default::kValue);
        AddFamily(k, "User%sLevel%s", &U::modeLevel,
                  {kModeClassic, kModeBlitz, kModeStrategy, kModeRome, kModeJoker}, levels, 1,
                  Default::kRomeStart);
        AddFamily(k, "User%s%sCombo", &U::modeBestCombo,
                  {kModeClassic, kModeBlitz, kModeStrategy, kModeRome}, levels, 0, Default::kValue);
        AddFamily(k, "User%sLives%s", &U::modeLives,
                  {kModeBlitz, kModeClassic, kModeJoker, kModeRome, kModeStrategy}, levels, 0,
                  Default::kGameLives);
        return k;
    }();
    return keys;
}

TString KeyName(const ProfileKey& key, const dtUserState& user) {
    return key.modePrefixed ? ModeNameFromIndex(user.mode) + key.name : key.name;
}

int32_t StoredValue(const ProfileKey& key, const dtUserState& user) {
    const int32_t value = key.field.Get(user);
    if (key.flag)
        return value != 0 ? 1 : 0;
    if (key.clampThreshold >= 0)
        return std::min(value,
                        gGameTuning.achieve.thresholds[static_cast<size_t>(key.clampThreshold)]);
    return value;
}

vlkGameSettings* CreateGameSettings() {
    return new (std::nothrow) dtGameSettings;
}

void LoadProfileAfterGameData() {
    if (auto* settings = dynamic_cast<dtGameSettings*>(gGameSettings))
        settings->ChangeUserData();
}

} // namespace

int ModeIndexFromName(const TString& name) {
    TString lower = name;
    lower.ToLower();
    for (int mode = kModeClassic; mode <= kModeRome; ++mode) {
        TString candidate = ModeNameFromIndex(mode);
        candidate.ToLower();
        if (lower == candidate)
            return mode;
    }
    return -1;
}

TString ModeNameFromIndex(int index) {
    switch (index) {
    case kModeClassic:
        return TString("Classic");
    case kModeStrategy:
        return TString("Strategy");
    case kModeBlitz:
        return TString("Blitz");
    case kModeJoker:
        return TString("Joker");
    case kModeRome:
        return TString("Rome");
    default:
        return TString("");
    }
}

dtGameSettings::dtGameSettings() {
    if (TScript* script = GetGameScript()) {
        BindScriptFunction(*script, "gfn_changeUserData", this, &dtGameSettings::ChangeUserData);
        BindScriptFunction(*script, "gnf_changeAvatar", this, &dtGameSettings::ChangeAvatar);
        BindScriptFunction(*script, "gfn_isShownInstruction", this,
                           &dtGameSettings::MarkInstructionShown);
        BindScriptFunction(*script, "gfn_getCurrentUserAvatar", this,
                           &dtGameSettings::GetCurrentUserAvatarName);
    }
    GetLevelServices().progress = this;
}

dtGameSettings::~dtGameSettings() {
    ForgetScriptBindings(this);
    LevelServices& services = GetLevelServices();
    if (services.progress == this)
        services.progress = nullptr;
    ReplaceUserState(nullptr);
}

dtUserState* dtGameSettings::GetUserState() {
    return static_cast<dtUserState*>(mProgress.get());
}

void dtGameSettings::ReplaceUserState(dtUserState* state) {
    // Nobody may read the old map once it is gone.
    LevelServices& services = GetLevelServices();
    dtUserState* old = GetUserState();
    if (old && services.questMap == old->GetMetamap())
        services.questMap = nullptr;
    mProgress.reset(state);
    if (state)
        services.questMap = state->GetMetamap();
}

bool dtGameSettings::IsQuickStyle() {
    const TString style = GetScriptGlobal("gGameStyle");
    return style.IsEmpty() || style == TString("quick");
}

void dtGameSettings::LoadUserData() {
    ReplaceUserState(nullptr);
    auto* user = new dtUserState;
    TString modeName = GetScriptGlobal("gGameMode");
    if (modeName.IsEmpty())
        modeName = TString("Classic");
    user->mode = ModeIndexFromName(modeName);
    user->SetMetamap(std::make_unique<clsMetamap>());

    TPrefsDB& prefs = *GetPrefs();
    const int player = GetCurrentUserIndex();
    if (prefs.GetInt(kVersionKey, -1, player) != kProfileVersion) {
        SetDefaultUserData(user);
        ReplaceUserState(user);
        return;
    }
    mAvatar = prefs.GetInt(kAvatarKey, 0, player);
    user->avatar = mAvatar;
    TokenString stored(prefs.GetValue(kMetamapKey, TString(""), player));
    user->GetMetamap()->Load(stored);

    const bool quick = IsQuickStyle();
    const Styles style = quick ? kQuick : kQuest;
    auto readStep = [&](LoadStep step) {
        for (const ProfileKey& key : ProfileKeys()) {
            if (key.load != step || !(key.loadStyles & style))
                continue;
            const int32_t value = prefs.GetInt(KeyName(key, *user), key.DefaultValue(), player);
            key.field.Set(*user, key.flag ? (value == 1 ? 1 : 0) : value);
        }
    };
    if (quick) {
        readStep(LoadStep::kQuickValues);
    } else {
        user->level = 1;
        user->roundCounter = 1;
        user->bestCombo = 0;
        user->lives = kProfileLives;
        user->infiniteLevel = 0;
        user->totalScore = user->GetMetamap()->GetQuestTotal();
        readStep(LoadStep::kQuestValues);
        if (user->GetMetamap()->HasCurrentNode())
            user->level = user->GetMetamap()->GetCurrentNodeLevel();
    }
    user->levelScore = 0;
    readStep(LoadStep::kEveryStyle);
    ReplaceUserState(user);
}

bool dtGameSettings::Save() {
    dtUserState* user = GetUserState();
    if (!user) {
        LogPrintf("dtGameSettings: no player progress to save");
        return false;
    }
    TPrefsDB& prefs = *GetPrefs();
    const int player = GetCurrentUserIndex();
    // One transaction: a save that stops half way (a failed store, a
    // killed program) leaves the last whole profile.
    bool stored = prefs.SetInt(kVersionKey, kProfileVersion, player, false);
    const Styles style = IsQuickStyle() ? kQuick : kQuest;
    auto writeStep = [&](SaveStep step) {
        for (const ProfileKey& key : ProfileKeys()) {
            if (!stored)
                return;
            if (key.save != step || !(key.saveStyles & style))
                continue;
            stored = prefs.SetInt(KeyName(key, *user), StoredValue(key, *user), player, false);
        }
    };
    writeStep(SaveStep::kHead);
    writeStep(SaveStep::kStyleValues);
    writeStep(SaveStep::kTail);
    if (stored) {
        TokenString map;
        if (clsMetamap* metamap = user->GetMetamap())
            metamap->Save(map);
        stored = prefs.SetValue(kMetamapKey, map.text, player, false);
    }
    if (!stored) {
        prefs.Rollback();
        LogPrintf("dtGameSettings: the profile of player %d could not be stored; the one saved "
                  "before stays",
                  player);
        return false;
    }
    if (!prefs.Commit()) {
        LogPrintf("dtGameSettings: the profile of player %d could not be committed", player);
        return false;
    }
    return true;
}

void dtGameSettings::ChangeUserData() {
    LoadUserData();
    Save();
}

void dtGameSettings::SaveMetamap() {
    dtUserState* user = GetUserState();
    TokenString map;
    if (clsMetamap* metamap = user ? user->GetMetamap() : nullptr)
        metamap->Save(map);
    GetPrefs()->SetValue(kMetamapKey, map.text, GetCurrentUserIndex(), true);
}

void dtGameSettings::SetCurrentUserInt(const TString& key, int value) {
    GetPrefs()->SetInt(key, value, GetCurrentUserIndex(), true);
}

void dtGameSettings::SetDefaultUserData(dtUserState* user) {
    if (!user)
        return;
    dtUserState& u = *user;
    u.mode = kModeClassic;
    u.avatar = mAvatar;
    u.bestCombo = 0;
    u.levelScore = 0;
    u.totalScore = 0;
    u.level = 1;
    u.roundCounter = 1;
    u.lives = kProfileLives;
    u.infiniteLevel = 0;
    u.allQuest = u.halfQuest = 0;
    for (int32_t* counter : {&u.combo25, &u.combo50, &u.chain20, &u.bomb, &u.freeze, &u.wild,
                             &u.sidewinder, &u.showtime, &u.screen1, &u.screen5})
        *counter = 0;
    u.quickDifficultyBits.fill(0);
    u.spareWord0 = u.spareWord1 = 0;
    u.scoreAchieved = 0;
    u.instructionsShown = 0;
    u.questDifficultyBits.fill(0);
    for (dtUserState::PerMode* table : {&u.score, &u.highScore, &u.modeBestCombo})
        for (auto& row : *table)
            row.fill(0);
    u.catUnlocked = u.dogUnlocked = 0;
    for (int mode = kModeClassic; mode < kModeIdCount; ++mode) {
        u.modeLevel[mode].fill(1);
        u.modeLives[mode].fill(gGameTuning.game.lives);
    }
    for (size_t d = 0; d < 3; ++d)
        u.modeLevel[kModeRome][d] = gGameTuning.rome.index[d];
}

void dtGameSettings::ChangeAvatar(const TString& name) {
    mAvatar = 0;
    for (int code = 0; code < 4; ++code) {
        if (name.Equals(TString(kAvatarNames[code])))
            mAvatar = code;
    }
    if (dtUserState* user = GetUserState())
        user->avatar = mAvatar;
    GetPrefs()->SetInt(kAvatarKey, mAvatar, GetCurrentUserIndex(), true);
}

int dtGameSettings::MarkInstructionShown(const TString& modeName) {
    const struct {
        const char* name;
        int bit;
    } bits[] = {{"Classic", 1}, {"Blitz", 2}, {"Strategy", 4}, {"Rome", 8}, {"Joker", 16}};
    dtUserState* user = GetUserState();
    if (!user)
        return 0;
    for (const auto& entry : bits) {
        if (!modeName.Equals(TString(entry.name)))
            continue;
        if (user->instructionsShown & entry.bit)
            return 0;
        user->instructionsShown |= entry.bit;
        GetPrefs()->SetInt(kInstructionsKey, user->instructionsShown, GetCurrentUserIndex(), true);
        return 1;
    }
    return 0;
}

TString dtGameSettings::GetUserAvatarName(int userIndex) {
    const int code = GetPrefs()->GetInt(kAvatarKey, 0, userIndex);
    if (code < 0 || code > 3)
        return TString("");
    return TString::Format("%s", kAvatarNames[code]);
}

TString dtGameSettings::GetCurrentUserAvatarName() {
    return GetUserAvatarName(GetCurrentUserIndex());
}

void dtGameSettings::ClearFirstTime() {
    TPrefsDB& prefs = *GetPrefs();
    prefs.SetInt(kFirstTimeKey, 1, prefs.GetInt(kUserKey, 0, -1), true);
}

bool dtGameSettings::IsFirstTime() {
    TPrefsDB& prefs = *GetPrefs();
    return prefs.GetInt(kFirstTimeKey, 0, prefs.GetInt(kUserKey, 0, -1)) == 0;
}

void InstallGameSettings() {
    SetGameSettingsCreator(&CreateGameSettings);
    InstallGameDataLoaders(&LoadProfileAfterGameData);
}
