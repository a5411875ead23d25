#include "game/startup/GameWindowTypes.h"

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
#include "game/screens/wndMessagePopup.h"
#include "game/screens/wndMetamap.h"
#include "game/screens/wndMove.h"
#include "game/screens/wndPause.h"
#include "game/screens/wndQuickPlay.h"
#include "game/screens/wndRegisterUser.h"
#include "game/screens/wndToolTip.h"
#include "velk/options/vlkOptionsDialog.h"
#include "velk/options/vlkTextEdit.h"

namespace {

// Registration order; each name makes a window of the class of that name.
constexpr std::array<GameWindowType, kGameWindowTypeCount> kTypes = {{
    {"wndMainMenu", &wndMainMenu::Create},
    {"wndChangePlayer", &wndChangePlayer::Create},
    {"vlkTextEdit", &vlkTextEdit::Create},
    {"wndCorvalo", &wndCorvalo::Create},
    {"guiCorvalo", &guiCorvalo::Create},
    {"btmCorvalo", &btmCorvalo::Create},
    {"wndLoseLife", &wndLoseLife::Create},
    {"wndCutscene", &wndCutscene::Create},
    {"topCorvalo", &topCorvalo::Create},
    {"wndLoading", &wndLoading::Create},
    {"wndMove", &wndMove::Create},
    {"wndRegisterUser", &wndRegisterUser::Create},
    {"vlkOptionsDialog", &vlkOptionsDialog::Create},
    {"clsText", &clsText::Create},
    {"wndCredits", &wndCredits::Create},
    {"clsPanelModeGame", &clsPanelModeGame::Create},
    {"clsMetamapButton", &clsMetamapButton::Create},
    {"wndMetamap", &wndMetamap::Create},
    {"wndQuickPlay", &wndQuickPlay::Create},
    {"wndAchievements", &wndAchievements::Create},
    {"wndCreditsFade", &wndCreditsFade::Create},
    {"wndInstructions", &wndInstructions::Create},
    {"wndInstructionLevel", &wndInstructionLevel::Create},
    {"wndPause", &wndPause::Create},
    {"wndReward", &wndReward::Create},
    {"wndQuestPanel", &wndQuestPanel::Create},
    {"wndFinishQuest", &wndFinishQuest::Create},
    {"wndGoalPanel", &wndGoalPanel::Create},
    {"wndAvatarUnlocked", &wndAvatarUnlocked::Create},
    {"wndToolTip", &wndToolTip::Create},
}};

} // namespace

const std::array<GameWindowType, kGameWindowTypeCount>& GetGameWindowTypes() {
    return kTypes;
}
