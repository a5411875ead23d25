#include "GlProbe.h"
#include "platform/graphics/gl/GlThread.h"

#include <thread>

namespace {

using GlThreadTest = support::GlProbe;

TEST_F(GlThreadTest, CallsOnTheGlThread_AreAllowed) {
    platform::LockedSurface locked;
    ASSERT_EQ(backBuffer->Lock(nullptr, locked), platform::kGfxOk);
    EXPECT_EQ(backBuffer->Unlock(), platform::kGfxOk);
}

#ifndef NDEBUG
TEST_F(GlThreadTest, ASurfaceLockedFromAnotherThread_StopsTheProgramNamingTheCall) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(
        {
            std::thread other([this] {
                platform::LockedSurface locked;
                backBuffer->Lock(nullptr, locked);
            });
            other.join();
        },
        "Lock called off the GL thread");
}

TEST_F(GlThreadTest, ADeviceDrawFromAnotherThread_StopsTheProgram) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(
        {
            std::thread other([this] { device->BeginScene(); });
            other.join();
        },
        "off the GL thread");
}
#endif

} // namespace
