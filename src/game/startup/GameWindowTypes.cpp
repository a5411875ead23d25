#include "game/startup/GameWindowTypes.h"

#include "framework/core/text/TString.h"
#include "framework/ui/window/TWindow.h"
#include "game/board/btmCorvalo.h"
#include "game/board/guiCorvalo.h"
#include "game/board/topCorvalo.h"
#include "game/board/wndCorvalo.h"
#include "game/screens/clsMetamapButton.h"
#include "game/screens/clsPanelModeGame.h"
#include "game/screens/clsText.h"
#include "game/screens/wndAchievements.h"
#include "game/screens/wndAvatarUnlocked.h"
#include "game/screens/wndChangePlayer.h"
#include "game/screens/wndCredits.h"
#include "game/screens/wndCreditsFade.h"
#include "game/screens/wndCutscene.h"
#include "game/screens/wndFinishQuest.h"
#include "game/screens/wndLoading.h"
#include "game/screens/wndLoseLife.h"
#include "game/screens/wndMainMenu.h"
#include "game/screens/wndMetamap.h"
#include "game/screens/wndMessagePopup.h"
#include "game/screens/wndMove.h"
#include "game/screens/wndPause.h"
#include "game/screens/wndQuickPlay.h"
#include "game/screens/wndRegisterUser.h"
#include "game/screens/wndToolTip.h"
#include "velk/options/vlkOptionsDialog.h"
#include "velk/options/vlkTextEdit.h"

#include <cstring>
#include <new>
#include <utility>

namespace {

constexpr const char* kTypeNames[kGameWindowTypeCount] = {
    "wndMainMenu",
    "wndChangePlayer",
    "vlkTextEdit",
    "wndCorvalo",
    "guiCorvalo",
    "btmCorvalo",
    "wndLoseLife",
    "wndCutscene",
    "topCorvalo",
    "wndLoading",
    "wndMove",
    "wndRegisterUser",
    "vlkOptionsDialog",
    "clsText",
    "wndCredits",
    "clsPanelModeGame",
    "clsMetamapButton",
    "wndMetamap",
    "wndQuickPlay",
    "wndAchievements",
    "wndCreditsFade",
    "wndInstructions",
    "wndInstructionLevel",
    "wndPause",
    "wndReward",
    "wndQuestPanel",
    "wndFinishQuest",
    "wndGoalPanel",
    "wndAvatarUnlocked",
    "wndToolTip",
};

// A plain window standing in for the class of type I.
template <size_t I> TWindow* CreatePlaceholder() {
    return new (std::nothrow) TWindow(TString(kTypeNames[I]));
}

template <size_t... I>
constexpr std::array<GameWindowType, kGameWindowTypeCount> MakeTable(std::index_sequence<I...>) {
    return {{{kTypeNames[I], &CreatePlaceholder<I>}...}};
}

// The classes written so far take their type's place in the table.
const GameWindowType kWrittenTypes[] = {
    {"vlkTextEdit", &vlkTextEdit::Create},
    {"guiCorvalo", &guiCorvalo::Create},
    {"wndCorvalo", &wndCorvalo::Create},
    {"btmCorvalo", &btmCorvalo::Create},
    {"vlkOptionsDialog", &vlkOptionsDialog::Create},
    {"topCorvalo", &topCorvalo::Create},
    {"clsText", &clsText::Create},
    {"clsPanelModeGame", &clsPanelModeGame::Create},
    {"clsMetamapButton", &clsMetamapButton::Create},
    {"wndMainMenu", &wndMainMenu::Create},
    {"wndChangePlayer", &wndChangePlayer::Create},
    {"wndRegisterUser", &wndRegisterUser::Create},
    {"wndQuickPlay", &wndQuickPlay::Create},
    {"wndLoading", &wndLoading::Create},
    {"wndFinishQuest", &wndFinishQuest::Create},
    {"wndMetamap", &wndMetamap::Create},
    {"wndGoalPanel", &wndGoalPanel::Create},
    {"wndInstructionLevel", &wndInstructionLevel::Create},
    {"wndInstructions", &wndInstructions::Create},
    {"wndQuestPanel", &wndQuestPanel::Create},
    {"wndReward", &wndReward::Create},
    {"wndMove", &wndMove::Create},
    {"wndPause", &wndPause::Create},
    {"wndLoseLife", &wndLoseLife::Create},
    {"wndToolTip", &wndToolTip::Create},
    {"wndAvatarUnlocked", &wndAvatarUnlocked::Create},
    {"wndCredits", &wndCredits::Create},
    {"wndCreditsFade", &wndCreditsFade::Create},
    {"wndCutscene", &wndCutscene::Create},
    {"wndAchievements", &wndAchievements::Create},
};

std::array<GameWindowType, kGameWindowTypeCount> BuildTable() {
    std::array<GameWindowType, kGameWindowTypeCount> table =
        MakeTable(std::make_index_sequence<kGameWindowTypeCount>());
    for (GameWindowType& type : table)
        for (const GameWindowType& written : kWrittenTypes)
            if (std::strcmp(type.name, written.name) == 0)
                type.creator = written.creator;
    return table;
}

} // namespace

const std::array<GameWindowType, kGameWindowTypeCount>& GetGameWindowTypes() {
    static const std::array<GameWindowType, kGameWindowTypeCount> table = BuildTable();
    return table;
}
