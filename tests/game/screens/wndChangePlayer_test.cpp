// The player list's window: the players reach the script as a table of
// texts whatever their names hold, the list stops at the maximum, the
// chosen player is found among all the buttons, and only the highlighted
// button stays on.

#include "game/screens/wndChangePlayer.h"

#include "framework/core/prefs/TPrefsDB.h"
#include "framework/ui/widgets/TButton.h"
#include "framework/ui/widgets/TText.h"

#include "ScreenFixture.h"

#include <string>
#include <vector>

namespace {

class ChangePlayerTest : public ScreenFixture {
protected:
    void SetUp() override {
        ScreenFixture::SetUp();
        // The script's side: what UpdatePlayerChoices was given.
        Run("function UpdatePlayerChoices(current, count, names)"
            "  gCalled = (gCalled or 0) + 1; gCurrent = current; gCount = count; gNames = names "
            "end");
    }
    wndChangePlayer* MakeList(int maximum, int buttons) {
        Run("gMaximumNumberOfPlayers = " + std::to_string(maximum));
        auto* list =
            Make<wndChangePlayer>(wndChangePlayer::Create, "name = 'players'", screen, false);
        TWindow* column = Make<TWindow>(TWindow::Create, "name = 'column'", list);
        for (int i = 1; i <= buttons; ++i) {
            Make<TButton>(TButton::Create,
                          "name = 'btnUser" + std::to_string(i) + "', type = kRadio", column);
            Make<TText>(TText::Create, "name = 'lblUser" + std::to_string(i) + "', w = 200, h = 30",
                        column);
        }
        PostInit(list);
        return list;
    }
    std::vector<std::string> Names() {
        std::vector<std::string> names;
        Run("gNameCount = table.getn(gNames or {})");
        const int count = std::stoi(Global("gNameCount"));
        for (int i = 1; i <= count; ++i) {
            Run("gOneName = gNames[" + std::to_string(i) + "]");
            names.push_back(Global("gOneName"));
        }
        return names;
    }
    TButton* Button(TWindow* list, int number) {
        return static_cast<TButton*>(
            list->FindChild(TString(("btnUser" + std::to_string(number)).c_str()), int32_t{2}));
    }
};

TEST_F(ChangePlayerTest, WithoutPlayersTheListIsEmptyAndNoneIsCurrent) {
    MakeList(5, 5);
    EXPECT_EQ("1", Global("gCalled"));
    EXPECT_EQ("-1", Global("gCurrent"));
    EXPECT_EQ("0", Global("gCount"));
    EXPECT_TRUE(Names().empty());
    // Nothing chosen: the first player, who does not exist.
    Run("gChosen = gfn_getCurrentSelectedUser(); gName = gfn_getSelectedPlayerName();"
        "gAvatar = gfn_getSelectedPlayerAvatar()");
    EXPECT_EQ("0", Global("gChosen"));
    EXPECT_EQ("", Global("gName"));
    EXPECT_EQ("", Global("gAvatar"));
}

TEST_F(ChangePlayerTest, OnlyTheMaximumIsListedWhileTheCountIsAll) {
    for (const char* name : {"Ann", "Bob", "Cy"})
        AddPlayer(name);
    MakeList(2, 2);
    EXPECT_EQ("2", Global("gCurrent")) << "the last one made is current";
    EXPECT_EQ("3", Global("gCount"));
    EXPECT_EQ((std::vector<std::string>{"Ann", "Bob"}), Names());
}

TEST_F(ChangePlayerTest, ACurrentPlayerPastThePlayersIsNone) {
    AddPlayer("Ann");
    AddPlayer("Bob");
    gGameSettings->GetPrefs()->SetInt(TString("vlkUser"), 4, -1, true);
    MakeList(5, 5);
    EXPECT_EQ("-1", Global("gCurrent"));
    EXPECT_EQ("2", Global("gCount"));
}

TEST_F(ChangePlayerTest, NamesArriveAsTheyStandAndRunNothing) {
    const std::vector<std::string> names = {"O'Neil", "back\\slash", "two\nlines",
                                            "'..(function() gRan = 1 end)()..'"};
    for (const std::string& name : names)
        AddPlayer(name);
    MakeList(5, 5);
    EXPECT_EQ(names, Names());
    EXPECT_EQ("(nil)", Global("gRan"));
    // gfn_setPlayerChoices hands them over again.
    Run("gfn_setPlayerChoices()");
    EXPECT_EQ("2", Global("gCalled"));
    EXPECT_EQ(names, Names());
}

TEST_F(ChangePlayerTest, TheSixthButtonChoosesTheSixthPlayer) {
    for (const char* name : {"Ann", "Bob", "Cy", "Dee", "Eve", "Fay"})
        AddPlayer(name);
    Run("qvd_setCurrentUserInt('UserAvatar', 1)");
    wndChangePlayer* list = MakeList(6, 6);
    Button(list, 6)->SetToggleState(true);
    Run("gChosen = gfn_getCurrentSelectedUser(); gName = gfn_getSelectedPlayerName();"
        "gAvatar = gfn_getSelectedPlayerAvatar()");
    EXPECT_EQ("5", Global("gChosen"));
    EXPECT_EQ("Fay", Global("gName"));
    EXPECT_EQ("girl", Global("gAvatar"));
    // The choice becomes the current player; an index past the players
    // changes nothing.
    Run("gfn_updateSelectedPlayerName(1)");
    EXPECT_EQ(1, gGameSettings->GetCurrentUserIndex());
    Run("gfn_updateSelectedPlayerName(6)");
    EXPECT_EQ(1, gGameSettings->GetCurrentUserIndex());
}

TEST_F(ChangePlayerTest, OnlyTheHighlightedButtonStaysOn) {
    for (const char* name : {"Ann", "Bob", "Cy"})
        AddPlayer(name);
    wndChangePlayer* list = MakeList(3, 3);
    Run("gv_Current_Player = 2");
    for (int i = 1; i <= 3; ++i)
        Button(list, i)->SetToggleState(true);
    list->OnAnimate();
    EXPECT_EQ(2, list->GetHighlighted());
    EXPECT_FALSE(Button(list, 1)->GetToggleState());
    EXPECT_TRUE(Button(list, 2)->GetToggleState());
    EXPECT_FALSE(Button(list, 3)->GetToggleState());
    Run("gChosen = gfn_getCurrentSelectedUser()");
    EXPECT_EQ("1", Global("gChosen"));
}

TEST_F(ChangePlayerTest, AMissingButtonOrLabelIsSkipped) {
    AddPlayer("Ann");
    Run("gMaximumNumberOfPlayers = 3");
    auto* list = Make<wndChangePlayer>(wndChangePlayer::Create, "name = 'players'", screen, false);
    Make<TButton>(TButton::Create, "name = 'btnUser1', type = kRadio", list);
    Make<TText>(TText::Create, "name = 'lblUser2', w = 200, h = 30", list);
    Make<TText>(TText::Create, "name = 'btnUser3', w = 200, h = 30", list); // not a button
    PostInit(list);
    ASSERT_EQ(4u, list->GetButtons().size());
    EXPECT_EQ(nullptr, list->GetButtons()[0]);
    EXPECT_NE(nullptr, list->GetButtons()[1]);
    EXPECT_EQ(nullptr, list->GetLabels()[1]);
    EXPECT_EQ(nullptr, list->GetButtons()[2]);
    EXPECT_EQ(nullptr, list->GetButtons()[3]);
    EXPECT_TRUE(list->OnAnimate());
}

} // namespace
