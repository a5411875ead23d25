#include "game/screens/wndCredits.h"
#include "game/screens/wndCreditsFade.h"

#include "game/screens/PopupFixture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace {

const CreditsStyles kDefaults{TString("ffffffff"), TString("28"), TString("ffffffff"),
                              TString("32")};

TEST(CreditsLine, MarkupTrimmingAndDroppedLines) {
    struct Case {
        const char* line;
        const char* expected;
    };
    const Case cases[] = {
        {"[Cast]\n", "<font color='ffffffff' size='28'>Cast</font>\n"},
        {"[[Music]]\n", "<font color='ffffffff' size='32'>Music</font>\n"},
        {"  \tAnn Smith \t\r\n", "Ann Smith\n"},
        {"Ann Smith | left out\n", "\n"},
        {"|", "\n"},
        {"\n", "\n"},
        {"", "\n"},
        {"[Open] and plain", "<font color='ffffffff' size='28'>Open</font> and plain\n"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(std::string(c.expected), CreditsLine(TString(c.line), kDefaults).ToStd())
            << c.line;
    EXPECT_EQ(TString("ff7f003f"), CreditsColor(TColor(1.0f, 0.5f, 0.0f, 0.25f)));
}

// A credits window of 800 x 600 over a credits file of the test's own.
class CreditsTest : public ScreenFixture {
protected:
    wndCredits* Make(const std::string& fileText, const std::string& keys) {
        if (!fileText.empty()) {
            std::ofstream(mFolder.Path() / "credits.txt") << fileText;
        }
        credits = static_cast<wndCredits*>(wndCredits::Create());
        root->AddChild(credits, false);
        std::unique_ptr<TLuaTable> table =
            lua.Table("{ x = 100, w = 800, h = 600, font = '__DEFAULT', file = '::" +
                      (mFolder.Path() / "credits.txt").string() + "', " + keys + " }");
        TWindowStyle style(table.get());
        credits->Init(style);
        return credits;
    }
    // The text of the credits without the blank stretch after them.
    std::string Credits() const {
        std::string text = credits->GetText().ToStd();
        const size_t end = text.find_last_not_of('\n');
        return end == std::string::npos ? std::string() : text.substr(0, end + 1);
    }
    size_t TrailingBreaks() const {
        const std::string text = credits->GetText().ToStd();
        const size_t end = text.find_last_not_of('\n');
        return text.size() - (end == std::string::npos ? 0 : end + 1);
    }

    wndCredits* credits = nullptr;

private:
    support::TempFolder mFolder{"corvalo-credits-"};
};

TEST_F(CreditsTest, TheLineThatReachesTheEndOfTheFileIsNotShown) {
    // The read that meets the end of the file gives no line: a last line
    // without its line break is lost, a last empty line costs nothing.
    Make("A\n[B]\nC", "time = 2000, slotheight = 40, fontsize = 24");
    EXPECT_EQ("\nA\n<font color='ffffffff' size='28'>B</font>", Credits());
    Make("A\nB\n\n", "time = 2000, slotheight = 40, fontsize = 24");
    EXPECT_EQ("\nA\nB", Credits());
    // One window high of breaks after the credits' own (the line break of
    // B and the empty line): 600 / 24.
    EXPECT_EQ(2u + 25u, TrailingBreaks());
    ASSERT_NE(nullptr, credits->GetLayout());
}

TEST_F(CreditsTest, ClimbsOneSlotPerTimeAndJumpsBackByItsHeight) {
    Make("[Thanks]\nA\n\n", "time = 2000, slotheight = 40");
    EXPECT_FLOAT_EQ(0.02f, credits->GetSpeed());
    EXPECT_EQ(40, credits->GetRect().top); // starts one slot low
    EXPECT_EQ(100, credits->GetRect().left);
    struct Case {
        uint32_t at;
        int32_t top;
    };
    const Case cases[] = {
        {0, 40}, {1000, 20}, {2000, 0}, {4000, -40}, {30000, 40 - 600 % 600}, {31000, 20},
    };
    for (const Case& c : cases) {
        credits->ScrollTo(c.at);
        EXPECT_EQ(c.top, credits->GetRect().top) << c.at;
    }
}

TEST_F(CreditsTest, NoTimeNoFontSizeAndNoFileAreReadSafely) {
    Make("", "slotheight = 40, fontsize = 0, file = '::/nonexistent/credits.txt'");
    EXPECT_EQ("", Credits());
    EXPECT_EQ(1u + 600u, TrailingBreaks());
    EXPECT_FLOAT_EQ(40.0f, credits->GetSpeed());
    const std::string log = Log();
    EXPECT_NE(std::string::npos, log.find("\"time\" 0 is taken as 1 ms"));
    EXPECT_NE(std::string::npos, log.find("\"fontsize\" 0 is taken as 1"));
    EXPECT_NE(std::string::npos, log.find("does not open"));
    credits->ScrollTo(5);
    credits->Draw();
}

class CreditsFadeTest : public ScreenFixture {};

TEST_F(CreditsFadeTest, TheContentComesAndGoesThroughBlack) {
    auto* fade = static_cast<wndCreditsFade*>(wndCreditsFade::Create());
    TImage* panel = AddImage(fade, "bmpPanelBlack");
    TImage* content = AddImage(fade, "bmpContent");
    Open(fade);
    EXPECT_FALSE(content->IsVisible());
    EXPECT_EQ(0.0f, panel->GetAlpha());
    auto run = [&](int ticks) {
        for (int i = 0; i < ticks; ++i) {
            clock.SetTime(clock.GetTime() + 32);
            fade->OnAnimate();
        }
    };
    run(8);
    EXPECT_EQ(1.0f, panel->GetAlpha());
    EXPECT_TRUE(content->IsVisible());
    run(8);
    EXPECT_EQ(wndCreditsFade::kOpen, fade->GetStep());
    EXPECT_EQ(0.0f, panel->GetAlpha());

    ASSERT_TRUE(CallScript("gfn_OnBackCredits()"));
    ASSERT_TRUE(CallScript("gfn_OnBackCredits()"));
    run(8);
    EXPECT_FALSE(content->IsVisible());
    EXPECT_TRUE(fakes.scripts.statements.empty());
    run(8);
    EXPECT_EQ(1, fakes.scripts.Count("removeCredits()"));
    EXPECT_EQ(1u, fakes.scripts.statements.size());
}

} // namespace
