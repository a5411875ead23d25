#include "framework/host/TFlashHost.h"

#include "framework/ui/movie/TMoviePlayer.h"
#include "framework/ui/script/WindowScriptFixture.h"

#include <gtest/gtest.h>

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

TEST(FlashHost, APlayerThatIsNeverOpenIsHarmlessToStepAndClose) {
    TFlashHost host("logo");
    EXPECT_FALSE(host.IsPlaying());
    host.Update();
    host.Close();
    EXPECT_FALSE(host.IsPlaying());
    EXPECT_EQ(host.GetMovieName().ToStd(), "logo");
}

} // namespace
