#include "framework/host/TFlashHost.h"

#include "framework/ui/movie/TMoviePlayer.h"
#include "framework/ui/script/WindowScriptFixture.h"
#include "platform/graphics/PngWriter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

class FlashHostTest : public WindowScriptFixture {
protected:
    void SetUp() override {
        WindowScriptFixture::SetUp();
        SetMoviePlayerMaker(&TFlashHost::Make);
    }
    void TearDown() override {
        SetMoviePlayerMaker(nullptr);
        WindowScriptFixture::TearDown();
    }
};

TEST_F(FlashHostTest, StartMovie_FailsWithOneLogLineAndChangesNothing) {
    const uint32_t flags = manager->GetTopModal()->GetFlags();
    const size_t mark = Mark();
    EXPECT_EQ(Eval("tostring(StartMovie('intro.swf', true, true))"), "false");
    std::string log = LogSince(mark);
    EXPECT_NE(log.find("Movie 'intro.swf' not played: no Flash player exists"), std::string::npos)
        << log;
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1) << log;
    EXPECT_EQ(Eval("tostring(IsMoviePlaying())"), "false");
    EXPECT_TRUE(Run("StopMovie()"));
    EXPECT_EQ(manager->GetTopModal()->GetFlags(), flags);
}

// A splash that names a movie shows its picture instead.
TEST_F(FlashHostTest, ASplashNamingAMovieShowsItsPicture) {
    std::vector<uint32_t> pixels(16 * 8, 0xFF3080C0u);
    const std::string path = (mFiles.Path() / "splash.png").string();
    ASSERT_TRUE(platform::WritePngFile(path, pixels.data(), 16, 8, 16));
    StartMain("DisplaySplash('intro.swf', '::" + path +
              "', 1000)\n"
              "gSplashDone = true\n"
              "while true do WaitForMessage() end");
    Tick(20);
    Pump(3);
    TWindow* image = Top() ? Top()->FindChild(TString("splashimage"), true) : nullptr;
    ASSERT_NE(image, nullptr) << Log();
    EXPECT_TRUE(image->IsVisible());
    EXPECT_EQ(Eval("tostring(ImageLoaded('splashimage'))"), "true") << Log();
    EXPECT_NE(Log().find("Movie 'intro.swf' not played: no Flash player exists"),
              std::string::npos);
}

TEST(FlashHost, APlayerThatIsNeverOpenIsHarmlessToStepAndClose) {
    TFlashHost host("logo");
    EXPECT_FALSE(host.IsPlaying());
    host.Update();
    host.Close();
    EXPECT_FALSE(host.IsPlaying());
    EXPECT_EQ(host.GetMovieName().ToStd(), "logo");
}

} // namespace
