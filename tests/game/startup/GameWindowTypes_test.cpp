#include "game/startup/GameWindowTypes.h"

#include "framework/ui/window/TWindow.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>

namespace {

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
        // Each creator makes a new window named after its type.
        std::unique_ptr<TWindow> first(types[i].creator());
        std::unique_ptr<TWindow> second(types[i].creator());
        ASSERT_NE(first, nullptr) << expected[i];
        EXPECT_NE(first.get(), second.get());
        EXPECT_EQ(first->GetName().ToStd(), expected[i]);
    }
    EXPECT_EQ(creators.size(), types.size()) << "one creator per type";
}

} // namespace
