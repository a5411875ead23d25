#include "platform/desktop/LinkRules.h"
#include "platform/desktop/SystemCursor.h"
#include "platform/desktop/null/NullDesktop.h"
#include "platform/desktop/sdl/SdlDesktop.h"
#include "platform/log/PlatformLog.h"
#include "platform/window/sdl/SdlWindow.h"

#include "support/DriverLeaks.h"
#include "support/TempFolder.h"
#include "support/TestWindow.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

using namespace platform;

namespace {

std::vector<std::string> gLog;
void KeepLine(const char* line) {
    gLog.push_back(line);
}

// Collects the platform's log lines for the life of a test.
class LogCapture {
public:
    LogCapture() : mPrevious(SetLogSink(&KeepLine)) { gLog.clear(); }
    ~LogCapture() { SetLogSink(mPrevious); }
    bool Has(const std::string& text) const {
        for (const std::string& line : gLog)
            if (line.find(text) != std::string::npos)
                return true;
        return false;
    }

private:
    LogSink mPrevious;
};

TEST(LinkRules, OnlyWebAndMailLinksAreOpened) {
    struct {
        const char* url;
        bool openable;
    } cases[] = {
        {"http://example.com", true},
        {"https://example.com/games?id=3&x=%20", true},
        {"HTTPS://Example.com", true},
        {"mailto:someone@example.com", true},
        {"file:///etc/passwd", false},
        {"javascript:alert(1)", false},
        {"; rm -rf /", false},
        {"http://example.com; rm -rf /", false},
        {"http://example.com/$(reboot)\n", false},
        {"data:text/html,<b>x</b>", false},
        {"ftp://example.com", false},
        {"", false},
        {" http://example.com", false},
        {"http://", false},
        {"https://", false},
        {"http:///etc/passwd", false},
        {"mailto:", false},
        {"http:example.com", false},
        {"-http://example.com", false},
        {"http://exa\tmple.com", false},
    };
    for (const auto& c : cases) {
        std::string why;
        EXPECT_EQ(IsOpenableUrl(c.url, &why), c.openable) << '"' << c.url << '"';
        EXPECT_EQ(why.empty(), c.openable) << c.url;
    }
}

TEST(LinkRules, StartProgram_PassesTheArgumentAsItIsWithoutAShell) {
    support::TempFolder folder;
    // A shell would run the "; touch" part and make two files; the program
    // gets one argument and makes one file with this odd name.
    std::string odd = (folder.Path() / "a; touch b").string();
    ASSERT_TRUE(StartProgram("touch", odd));
    for (int i = 0; i < 500 && !std::filesystem::exists(odd); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_TRUE(std::filesystem::exists(odd));
    EXPECT_FALSE(std::filesystem::exists(folder.Path() / "b"));
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::current_path() / "b"));
}

TEST(LinkRules, StartProgram_ReportsAProgramThatCannotStart) {
    std::string why;
    EXPECT_FALSE(StartProgram("corvalo-no-such-program", "http://example.com", &why));
    EXPECT_FALSE(why.empty());
    EXPECT_FALSE(StartProgram("/nonexistent/browser", "http://example.com", &why));
    EXPECT_FALSE(StartProgram("", "http://example.com", &why));
}

TEST(NullDesktop, Links_FollowTheRulesAndRefusalsAreLogged) {
    LogCapture log;
    NullDesktop desktop;
    EXPECT_TRUE(desktop.OpenUrl("https://example.com"));
    EXPECT_FALSE(desktop.OpenUrl("file:///etc/passwd"));
    EXPECT_TRUE(log.Has("Link not opened (only http, https and mailto links are opened): "
                        "file:///etc/passwd"));
    EXPECT_TRUE(desktop.OpenUrlWith("browser", "mailto:a@b.c"));
    EXPECT_FALSE(desktop.OpenUrlWith("browser", "javascript:x"));
    EXPECT_EQ(desktop.OpenedLinks(),
              (std::vector<std::string>{"https://example.com", "browser mailto:a@b.c"}));
}

TEST(NullDesktop, Clipboard_GivesBackWhatWasSetUnlessItFails) {
    NullDesktop desktop;
    std::string text = "stale";
    EXPECT_FALSE(desktop.GetClipboardText(text));
    EXPECT_TRUE(text.empty());
    EXPECT_TRUE(desktop.SetClipboardText("Sch\xC3\xB6n"));
    EXPECT_TRUE(desktop.GetClipboardText(text));
    EXPECT_EQ(text, "Sch\xC3\xB6n");
    desktop.FailClipboard(true);
    EXPECT_FALSE(desktop.SetClipboardText("x"));
    EXPECT_FALSE(desktop.GetClipboardText(text));
    EXPECT_TRUE(text.empty());
}

TEST(NullDesktop, MessageBoxes_AnswerFromTheScriptAndNeverBlock) {
    LogCapture log;
    NullDesktop desktop;
    desktop.ScriptReply(kIdNo);
    desktop.ScriptReply(kIdCancel);
    EXPECT_EQ(desktop.ShowMessageBox("Quit?", "Leave the game?", kMbYesNoCancel | kMbIconQuestion),
              kIdNo);
    EXPECT_EQ(desktop.ShowMessageBox("Quit?", "Really?", kMbYesNoCancel), kIdCancel);
    EXPECT_EQ(desktop.ShowMessageBox("Note", "Saved.", kMbOk), kIdOk);
    desktop.FailMessageBoxes(true);
    EXPECT_EQ(desktop.ShowMessageBox("Error", "No display", kMbOk | kMbIconError), 0);
    EXPECT_TRUE(log.Has("Error: No display"));
    EXPECT_EQ(desktop.Calls().front(), "ShowMessageBox 0x23 Quit?: Leave the game?");
}

TEST(NullDesktop, Cursors_KeepTheirPictureAndHotSpot) {
    NullDesktop desktop;
    CursorImage arrow = SystemCursorImage();
    CursorHandle cursor = desktop.CreateColorCursor(arrow.bgra.data(), arrow.width, arrow.height,
                                                    arrow.width * 4, 3, 4);
    ASSERT_NE(cursor, 0u);
    ASSERT_NE(desktop.Cursor(cursor), nullptr);
    EXPECT_EQ(desktop.Cursor(cursor)->bgra, arrow.bgra);
    EXPECT_EQ(desktop.Cursor(cursor)->hotX, 3);
    EXPECT_EQ(desktop.Cursor(cursor)->hotY, 4);
    EXPECT_TRUE(desktop.SetCursor(cursor));
    EXPECT_EQ(desktop.CurrentCursor(), cursor);
    EXPECT_FALSE(desktop.SetCursor(cursor + 100));
    desktop.DestroyCursor(cursor);
    EXPECT_EQ(desktop.CurrentCursor(), 0u);
    EXPECT_EQ(desktop.Cursor(cursor), nullptr);

    struct {
        int32_t width, height, pitch, hotX, hotY;
    } bad[] = {{0, 32, 128, 0, 0}, {32, 32, 64, 0, 0}, {32, 32, 128, 32, 0}, {32, 32, 128, 0, -1}};
    for (const auto& b : bad)
        EXPECT_EQ(desktop.CreateColorCursor(arrow.bgra.data(), b.width, b.height, b.pitch, b.hotX,
                                            b.hotY),
                  0u);
    desktop.FailCursors(true);
    EXPECT_EQ(desktop.CreateColorCursor(arrow.bgra.data(), 32, 32, 128, 0, 0), 0u);
}

class SdlDesktopTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(window.Create(support::TestWindowSpec())) << window.LastError();
        support::PinGlDriver();
        desktop.SetOwner(window.NativeWindow());
    }

    SdlWindow window;
    SdlDesktop desktop;
};

TEST_F(SdlDesktopTest, Clipboard_GivesBackWhatWasSet) {
    ASSERT_TRUE(desktop.SetClipboardText("Corvalo \xE2\x82\xAC 3"));
    std::string text;
    EXPECT_TRUE(desktop.GetClipboardText(text));
    EXPECT_EQ(text, "Corvalo \xE2\x82\xAC 3");
}

TEST_F(SdlDesktopTest, RefusedLinks_AreLoggedAndNeverOpened) {
    LogCapture log;
    EXPECT_FALSE(desktop.OpenUrl("file:///etc/passwd"));
    EXPECT_FALSE(desktop.OpenUrlWith("touch", "; rm -rf /"));
    EXPECT_TRUE(log.Has("Link not opened (only http, https and mailto links are opened): "
                        "file:///etc/passwd"));
    EXPECT_TRUE(log.Has("; rm -rf /"));
}

TEST_F(SdlDesktopTest, BadCursorPicture_IsRefusedWithALogLine) {
    LogCapture log;
    std::vector<uint8_t> pixels(16 * 16 * 4, 0xFF);
    EXPECT_EQ(desktop.CreateColorCursor(pixels.data(), 16, 16, 64, 16, 0), 0u);
    EXPECT_EQ(desktop.CreateColorCursor(nullptr, 16, 16, 64, 0, 0), 0u);
    EXPECT_TRUE(log.Has("Cursor not made: bad picture 16x16"));
    EXPECT_FALSE(desktop.SetCursor(12345));
}

TEST_F(SdlDesktopTest, CursorsOnADriverWithout_FailHonestly) {
    if (std::string(SDL_GetCurrentVideoDriver()) != "offscreen")
        GTEST_SKIP() << "only the offscreen driver lacks cursors";
    LogCapture log;
    CursorImage arrow = SystemCursorImage();
    EXPECT_EQ(desktop.CreateColorCursor(arrow.bgra.data(), arrow.width, arrow.height,
                                        arrow.width * 4, 0, 0),
              0u);
    EXPECT_TRUE(log.Has("Cursor not made"));
}

} // namespace
