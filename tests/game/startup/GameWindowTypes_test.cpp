#include "game/startup/GameWindowTypes.h"

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
#include "game/screens/wndMessagePopup.h"
#include "game/screens/wndMetamap.h"
#include "game/screens/wndMove.h"
#include "game/screens/wndPause.h"
#include "game/screens/wndQuickPlay.h"
#include "game/screens/wndRegisterUser.h"
#include "game/screens/wndToolTip.h"
#include "velk/options/vlkOptionsDialog.h"
#include "velk/options/vlkTextEdit.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <set>
#include <string>

namespace {

// Windows are destroyed through DeleteThis, never by delete.
struct DeleteWindow {
    void operator()(TWindow* window) const { window->DeleteThis(1); }
};
using WindowPtr = std::unique_ptr<TWindow, DeleteWindow>;

TEST(GameWindowTypes, ThirtyTypesInRegistrationOrder) {
    const char* expected[] = {
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
    const auto& types = GetGameWindowTypes();
    ASSERT_EQ(types.size(), std::size(expected));
    std::set<GameWindowCreator> creators;
    for (size_t i = 0; i < types.size(); ++i) {
        EXPECT_STREQ(types[i].name, expected[i]) << i;
        ASSERT_NE(types[i].creator, nullptr) << expected[i];
        creators.insert(types[i].creator);
        // Each creator makes a new window of the class of that name, never
        // a plain window.
        WindowPtr first(types[i].creator());
        WindowPtr second(types[i].creator());
        ASSERT_NE(first, nullptr) << expected[i];
        EXPECT_NE(first.get(), second.get());
        EXPECT_STREQ(first->GetClassName(), expected[i]);
        EXPECT_STRNE(first->GetClassName(), "TWindow") << expected[i] << " makes a plain window";
        const std::map<std::string, TWindowClassId> kinds = {
            {"vlkTextEdit", vlkTextEdit::GetClassId()},
            {"vlkOptionsDialog", vlkOptionsDialog::GetClassId()},
            {"guiCorvalo", guiCorvalo::GetCreator()},
            {"wndCorvalo", wndCorvalo::GetClassId()},
            {"btmCorvalo", btmCorvalo::GetCreator()},
            {"topCorvalo", topCorvalo::GetClassId()},
            {"clsText", clsText::GetClassId()},
            {"clsPanelModeGame", clsPanelModeGame::GetClassId()},
            {"clsMetamapButton", clsMetamapButton::GetClassId()},
            {"wndMainMenu", wndMainMenu::GetClassId()},
            {"wndChangePlayer", wndChangePlayer::GetClassId()},
            {"wndRegisterUser", wndRegisterUser::GetClassId()},
            {"wndQuickPlay", wndQuickPlay::GetClassId()},
            {"wndLoading", wndLoading::GetClassId()},
            {"wndFinishQuest", wndFinishQuest::GetClassId()},
            {"wndMetamap", wndMetamap::GetClassId()},
            {"wndGoalPanel", wndGoalPanel::GetClassId()},
            {"wndInstructionLevel", wndInstructionLevel::GetClassId()},
            {"wndInstructions", wndInstructions::GetClassId()},
            {"wndQuestPanel", wndQuestPanel::GetClassId()},
            {"wndReward", wndReward::GetClassId()},
            {"wndMove", wndMove::GetClassId()},
            {"wndPause", wndPause::GetClassId()},
            {"wndLoseLife", wndLoseLife::GetClassId()},
            {"wndToolTip", wndToolTip::GetClassId()},
            {"wndAvatarUnlocked", wndAvatarUnlocked::GetClassId()},
            {"wndCredits", wndCredits::GetClassId()},
            {"wndCreditsFade", wndCreditsFade::GetClassId()},
            {"wndCutscene", wndCutscene::GetClassId()},
            {"wndAchievements", wndAchievements::GetClassId()},
        };
        const auto kind = kinds.find(expected[i]);
        ASSERT_NE(kind, kinds.end()) << expected[i];
        EXPECT_TRUE(first->IsKindOf(kind->second)) << expected[i];
    }
    EXPECT_EQ(creators.size(), types.size()) << "one creator per type";
}

} // namespace
