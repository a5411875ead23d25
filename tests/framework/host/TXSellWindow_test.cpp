#include "framework/host/TXSellWindow.h"

#include "framework/ui/script/WindowScriptFixture.h"
#include "framework/ui/widgets/TText.h"

#include "PortalHost.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

std::string Fixture(const std::string& name) {
    std::ifstream in(std::string(CORVALO_TEST_DATA) + "/host/xsell/" + name, std::ios::binary);
    EXPECT_TRUE(in) << name;
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The window table of a cross-promotion screen: eight descriptions and
// buttons, the site's button, the centred lines and the logos. Buttons and
// logos are placed by their centres.
std::string Screen(const std::string& config) {
    std::string table =
        "MakeDialog { XSellWindow { name = 'xsell', w = 800, h = 600, config = '" + config + "',\n";
    for (int n = 1; n <= 8; ++n) {
        std::string y = std::to_string(40 + 60 * n);
        table += "  Text { name = 'descrip" + std::to_string(n) + "', x = 200, y = " + y +
                 ", w = 400, h = 40 },\n";
        table += "  Window { name = 'xsellbutton" + std::to_string(n) + "', x = 100, y = " + y +
                 ", w = 61, h = 41 },\n";
    }
    table += "  Window { name = 'gamesite', x = 700, y = 560, w = 100, h = 30 },\n"
             "  Window { name = 'sitelogo', x = 100, y = 20, w = 80, h = 40 },\n"
             "  Text { name = 'centertext1', x = 0, y = 540, w = 800, h = 20 },\n"
             "  Text { name = 'centertext2', x = 0, y = 565, w = 800, h = 20 },\n"
             "} }\n";
    return table;
}

class XSellTest : public WindowScriptFixture {
protected:
    // The dialog is the top modal.
    TWindow* Find(const char* name) const { return Top()->FindChild(TString(name), true); }
    void SetUp() override {
        WindowScriptFixture::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        manager->RegisterWindowType("XSellWindow", TXSellWindow::GetCreator());
        Write("xsell/xsell.xml", Fixture("three.xml"));
        Write("xsell/nine.xml", Fixture("nine.xml"));
        // The game finds its files under their names in the assets folder.
        ScanAssetFolder("assets", "");
    }

    TXSellWindow* Open(const std::string& config) {
        EXPECT_TRUE(Run(Screen(config))) << Log();
        TWindow* window = Find("xsell");
        EXPECT_NE(window, nullptr);
        EXPECT_TRUE(window && window->IsKindOf(TXSellWindow::GetClassId()));
        return static_cast<TXSellWindow*>(window);
    }
    std::string Text(const std::string& name) {
        TWindow* window = Find(name.c_str());
        return window ? static_cast<TText*>(window)->GetText().ToStd() : "(none)";
    }
    bool Shown(const std::string& name) {
        TWindow* window = Find(name.c_str());
        return window && window->IsVisible();
    }
    std::vector<std::string> Opened(int from, int to) {
        page.calls.clear();
        for (int n = from; n <= to; ++n)
            EXPECT_TRUE(Run("LaunchGameLink(" + std::to_string(n) + ")"));
        return page.calls;
    }

    PortalHost page;
};

TEST_F(XSellTest, Files_FillTheWindowsAndHideTheRest) {
    struct Case {
        const char* config;
        int games; // descriptions shown
        bool site;
        std::vector<std::string> links; // opened for LaunchGameLink -1 to 8
    } cases[] = {
        {"xsell/xsell.xml",
         3,
         true,
         {"open https://example.org/", "open https://example.org/lanterns",
          "open https://example.org/garden", "open https://example.org/tide"}},
        {"xsell/nine.xml",
         8,
         false,
         {"open https://example.org/game1", "open https://example.org/game2",
          "open https://example.org/game3", "open https://example.org/game4",
          "open https://example.org/game5", "open https://example.org/game6",
          "open https://example.org/game7"}},
        {"xsell/missing.xml", 0, false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.config);
        TXSellWindow* window = Open(c.config);
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(window->GetConfig().ToStd(), c.config);
        ASSERT_TRUE(Run("SetupXSell()")) << Log();
        for (int n = 1; n <= 8; ++n) {
            bool shown = n <= c.games;
            EXPECT_EQ(Shown("descrip" + std::to_string(n)), shown) << n;
            EXPECT_EQ(Shown("xsellbutton" + std::to_string(n)), shown) << n;
        }
        EXPECT_EQ(Shown("gamesite"), c.site);
        EXPECT_EQ(Opened(-1, 8), c.links);
        // The next case opens its dialog above this one.
    }
    EXPECT_NE(Log().find("describes more than 8 games"), std::string::npos) << Log();
    EXPECT_NE(Log().find("LaunchGameLink: no link 8"), std::string::npos);
}

TEST_F(XSellTest, Texts_CarryTheLinkMarkupAndTheCentredLines) {
    Open("xsell/xsell.xml");
    ASSERT_TRUE(Run("SetupXSell()")) << Log();
    EXPECT_EQ(Text("descrip1"), "Stack the lanterns. <u><font color=\"003cff\"><a "
                                "id='xsellbutton1'>Play now</a></font></u>");
    EXPECT_EQ(Text("descrip2"), "A quiet garden puzzle.") << "an empty link text adds no link";
    EXPECT_EQ(Text("centertext1"), "More games");
    EXPECT_EQ(Text("centertext2"), "from the same makers");
}

TEST_F(XSellTest, Setup_CentresButtonsAndLogosOnTheirPlaces) {
    Open("xsell/xsell.xml");
    ASSERT_TRUE(Run("SetupXSell()")) << Log();
    // 61 x 41 at (100, 100): half the size, divided toward zero, is 30 x 20.
    EXPECT_EQ(Find("xsellbutton1")->GetRect(), TRect(70, 80, 131, 121));
    EXPECT_EQ(Find("sitelogo")->GetRect(), TRect(60, 0, 140, 40));
    EXPECT_EQ(Find("gamesite")->GetRect(), TRect(650, 545, 750, 575));
}

TEST_F(XSellTest, Destruction_TakesTheScriptFunctionsAway) {
    Open("xsell/xsell.xml");
    EXPECT_EQ(Eval("type(LaunchGameLink)"), "function");
    manager->PopModal();
    Pump();
    EXPECT_EQ(Eval("type(LaunchGameLink)"), "nil");
    EXPECT_EQ(Eval("type(SetupXSell)"), "nil");
}

} // namespace
