// The display of the application frame on the null graphics system, as the
// program runs it on OpenGL: the platform hands the display its hooks, so a
// lost device is restored with the assets and the restore listeners.

#include "PumpFixture.h"

#include "framework/graphics/asset/TAssetManager.h"
#include "framework/graphics/display/TDisplaySetup.h"
#include "platform/graphics/null/NullGraphicsSystem.h"
#include "support/LogText.h"

namespace {

// An asset that counts what the display asks of it.
class CountingAsset : public TAsset {
public:
    void ReleaseResources() override { ++releases; }
    void RestoreResources() override { ++restores; }
    int releases = 0;
    int restores = 0;
};

class DisplayOnNullGraphics : public PumpFixture {
protected:
    void BeforeWindow(TPlatform& platform) override {
        auto graphics = std::make_unique<platform::NullGraphicsSystem>();
        mGraphics = graphics.get();
        platform.SetGraphicsBackEnd(std::move(graphics));
    }

    // Frames enough that the next loss is restored, not rebuilt from
    // scratch.
    void Work(TDisplaySetup& setup) {
        for (int frame = 0; frame < 3; ++frame) {
            setup.CountWorkingFrame();
        }
    }

    platform::NullGraphicsSystem* mGraphics = nullptr;
};

TEST_F(DisplayOnNullGraphics, TheRendererRunsTheDisplaySetUpOnTheGivenSystem) {
    TDisplaySetup* setup = mRenderer->GetDisplaySetup();
    ASSERT_NE(setup, nullptr) << "the platform attached its graphics";
    EXPECT_TRUE(setup->IsReady());
    EXPECT_GE(mGraphics->Faults().Calls("CreateDevice"), 1u);
}

TEST_F(DisplayOnNullGraphics, DeviceLoss_RestoresAssetsAndRunsTheRestoreListeners) {
    TDisplaySetup* setup = mRenderer->GetDisplaySetup();
    ASSERT_NE(setup, nullptr);
    auto asset = std::make_shared<CountingAsset>();
    mPlatformObject->mAssetManager->RegisterAsset("counting", asset);
    int listenerRuns = 0;
    mApplication->AddRestoreListener(new CountingTask(listenerRuns));
    Work(*setup);

    setup->MarkBroken();
    ASSERT_FALSE(mRenderer->IsDeviceValid());
    // The event pump finds the display lost and restores it.
    Next();
    EXPECT_TRUE(mRenderer->IsDeviceValid());
    EXPECT_EQ(mGraphics->Faults().Calls("RestoreAllSurfaces"), 1u);
    EXPECT_EQ(asset->restores, 1);
    EXPECT_EQ(listenerRuns, 1);

    // A second loss: once more each.
    Work(*setup);
    setup->MarkBroken();
    Next();
    EXPECT_EQ(asset->restores, 2);
    EXPECT_EQ(listenerRuns, 2);
}

TEST_F(DisplayOnNullGraphics, SurfaceRestore_SetsTheCursorPicturesAgain) {
    TDisplaySetup* setup = mRenderer->GetDisplaySetup();
    ASSERT_NE(setup, nullptr);
    Work(*setup);
    mDesktop->ClearCalls();
    setup->MarkBroken();
    Next();
    ASSERT_EQ(mGraphics->Faults().Calls("RestoreAllSurfaces"), 1u);
    size_t made = 0;
    for (const std::string& call : mDesktop->Calls()) {
        made += call.rfind("CreateColorCursor", 0) == 0 ? 1 : 0;
    }
    EXPECT_EQ(made, 1u) << "the system cursor is set once more";
}

// A display call that runs out of video memory in the running program turns
// the low-memory mode on before its log line.
TEST_F(DisplayOnNullGraphics, OutOfVideoMemory_TheApplicationTurnsLowMemoryOnBeforeTheLogLine) {
    ASSERT_FALSE(mRenderer->IsLowMemory());
    mGraphics->Faults().FailCall("BeginScene", 1, platform::DDERR_OUTOFVIDEOMEMORY);
    EXPECT_FALSE(TGraphics::Get()->BeginDraw());
    EXPECT_TRUE(mRenderer->IsLowMemory());
    const std::string log = support::ReadLogText();
    const size_t triggered = log.find("OutOfVideoMemory triggered!");
    const size_t error = log.find("DX Error:  (0x8876017c)");
    ASSERT_NE(triggered, std::string::npos) << log;
    ASSERT_NE(error, std::string::npos) << log;
    EXPECT_LT(triggered, error);
}

TEST_F(DisplayOnNullGraphics, DisplayRebuild_ReleasesAssetsFirst) {
    auto asset = std::make_shared<CountingAsset>();
    mPlatformObject->mAssetManager->RegisterAsset("counting", asset);
    // A new display mode makes the device again: what assets hold on the
    // old one is let go before.
    mApplication->SetDisplayMode(800, 600, false);
    EXPECT_GE(asset->releases, 1);
    EXPECT_TRUE(mRenderer->IsDeviceValid());
}

} // namespace
