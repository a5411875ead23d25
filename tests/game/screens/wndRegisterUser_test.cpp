// The register screen's avatar choice: what a name has earned, the
// default, a choice made twice, a screen that lacks an avatar, and the
// highlight under the pointer.

#include "game/screens/wndRegisterUser.h"

#include "framework/ui/widgets/TButton.h"
#include "framework/ui/widgets/TImage.h"
#include "velk/display/vlkClip.h"

#include "ScreenFixture.h"

#include <string>

namespace {

class RegisterUserTest : public ScreenFixture {
protected:
    void SetUp() override {
        ScreenFixture::SetUp();
        UseAnimations({"avatar_boy_on", "avatar_girl_on", "avatar_cat_on", "avatar_dog_on"});
    }
    // The screen with the avatars named (boy, girl, cat, dog by default).
    wndRegisterUser* MakeScreen(const std::string& fields,
                                std::initializer_list<const char*> avatars = {"boy", "girl", "cat",
                                                                              "dog"}) {
        auto* screenWindow = Make<wndRegisterUser>(
            wndRegisterUser::Create,
            "name = 'register', avatar_boy = { x = 10, y = 20 }, avatar_girl = { x = 30, y = 40 },"
            "avatar_cat = { x = 50, y = 60 }, avatar_dog = { x = 70, y = 80 }" +
                (fields.empty() ? "" : ", " + fields),
            screen, false);
        TWindow* panel = Make<TWindow>(TWindow::Create, "name = 'panel'", screenWindow);
        Make<TImage>(TImage::Create, "name = 'bmpPanelBase_h'", panel);
        for (const char* avatar : avatars) {
            Make<TButton>(TButton::Create,
                          std::string("name = 'btnAvatar_") + avatar + "', type = kRadio",
                          screenWindow);
            Make<TImage>(TImage::Create, std::string("name = 'bmpAvatarLocked_") + avatar + "'",
                         panel);
        }
        PostInit(screenWindow);
        return screenWindow;
    }
    static bool Locked(const wndRegisterUser* window, int code) {
        const wndRegisterUser::AvatarEntry* entry = window->FindEntry(code);
        EXPECT_NE(nullptr, entry) << code;
        if (!entry)
            return false;
        // The lock picture stands exactly in place of the button.
        EXPECT_EQ(entry->locked, entry->lock->IsVisible()) << code;
        EXPECT_EQ(!entry->locked, entry->button->IsVisible()) << code;
        return entry->locked;
    }
};

TEST_F(RegisterUserTest, AnExistingNameShowsWhatItsPlayerHasEarned) {
    AddPlayer("Ann");
    Run("qvd_setCurrentUserInt('UserCatUnlocked', 1); qvd_setCurrentUserInt('UserDogUnlocked', 0)");
    AddPlayer("Bob");
    Run("qvd_setCurrentUserInt('UserCatUnlocked', 1); qvd_setCurrentUserInt('UserDogUnlocked', 1)");
    const struct {
        const char* name;
        bool cat, dog;
    } cases[] = {{"Ann", false, true}, {"Bob", false, false}, {"Cy", true, true}, {"", true, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SetGlobalText("gEnterNameValue", c.name);
        wndRegisterUser* window = MakeScreen("");
        ASSERT_EQ(4u, window->GetEntries().size());
        EXPECT_FALSE(Locked(window, 0));
        EXPECT_FALSE(Locked(window, 1));
        EXPECT_EQ(c.cat, Locked(window, 3));
        EXPECT_EQ(c.dog, Locked(window, 2));
        // The entries run boy, girl, cat, dog.
        const int order[] = {0, 1, 3, 2};
        for (size_t i = 0; i < 4; ++i)
            EXPECT_EQ(order[i], window->GetEntries()[i]->code);
    }
}

TEST_F(RegisterUserTest, WithoutADefaultTheBoyIsChosenAndHisButtonTurnedOn) {
    wndRegisterUser* window = MakeScreen("");
    EXPECT_EQ(0, window->GetCurrentAvatar());
    EXPECT_TRUE(window->FindEntry(0)->button->GetToggleState());
    EXPECT_FALSE(window->FindEntry(1)->button->GetToggleState());
    ASSERT_NE(nullptr, window->GetFigure());
    EXPECT_EQ(10.0f, window->GetFigure()->GetX());
    EXPECT_EQ(20.0f, window->GetFigure()->GetY());
}

TEST_F(RegisterUserTest, TheDefaultAvatarIsChosenAndStandsAtItsPlace) {
    wndRegisterUser* window = MakeScreen("avatar_default = 'cat'");
    EXPECT_EQ(3, window->GetCurrentAvatar());
    EXPECT_TRUE(window->FindEntry(3)->button->GetToggleState());
    EXPECT_FALSE(window->FindEntry(0)->button->GetToggleState());
    EXPECT_EQ(50.0f, window->GetFigure()->GetX());
    EXPECT_EQ(60.0f, window->GetFigure()->GetY());
}

TEST_F(RegisterUserTest, ChoosingTheGirlTwicePlaysHerOnce) {
    wndRegisterUser* window = MakeScreen("");
    const int plays = window->GetFigurePlays();
    ASSERT_TRUE(Run("gfn_setAvatarGirl()"));
    ASSERT_TRUE(Run("gfn_setAvatarGirl()"));
    EXPECT_EQ(plays + 1, window->GetFigurePlays());
    EXPECT_EQ(1, window->GetCurrentAvatar());
    EXPECT_EQ(30.0f, window->GetFigure()->GetX());
    const struct {
        const char* function;
        int code;
    } cases[] = {{"gfn_setAvatarDog", 2}, {"gfn_setAvatarCat", 3}, {"gfn_setAvatarBoy", 0}};
    for (const auto& c : cases) {
        ASSERT_TRUE(Run(std::string(c.function) + "()"));
        EXPECT_EQ(c.code, window->GetCurrentAvatar()) << c.function;
    }
}

TEST_F(RegisterUserTest, AScreenWithoutTheDogLeavesItOut) {
    SetGlobalText("gEnterNameValue", "Nobody");
    wndRegisterUser* window = MakeScreen("avatar_default = 'dog'", {"boy", "girl", "cat"});
    EXPECT_EQ(3u, window->GetEntries().size());
    EXPECT_EQ(nullptr, window->FindEntry(2));
    EXPECT_TRUE(Locked(window, 3));
    // The dog is the choice, though the screen has no button for it.
    EXPECT_EQ(2, window->GetCurrentAvatar());
    for (const auto& entry : window->GetEntries())
        EXPECT_FALSE(entry->button->GetToggleState()) << entry->code;
}

TEST_F(RegisterUserTest, TheHighlightShowsOnlyWhileAnAvatarButtonIsUnderThePointer) {
    wndRegisterUser* window = MakeScreen("");
    ASSERT_NE(nullptr, window->GetHighlight());
    window->OnAnimate();
    EXPECT_EQ(0.0f, window->GetHighlight()->GetAlpha());
    window->FindEntry(1)->button->SetState(TButton::kRollover);
    window->OnAnimate();
    EXPECT_EQ(1.0f, window->GetHighlight()->GetAlpha());
    window->FindEntry(1)->button->SetState(TButton::kNormal);
    window->OnAnimate();
    EXPECT_EQ(0.0f, window->GetHighlight()->GetAlpha());
}

} // namespace
