// The first forms of the window manager, sound manager, draw front and
// asset manager that the application frame builds on.

#include "framework/graphics/TGraphics.h"
#include "framework/graphics/TRenderer.h"
#include "framework/graphics/asset/TAssetManager.h"
#include "framework/script/host/TScript.h"
#include "framework/sound/manager/TSoundManager.h"
#include "framework/sound/source/TOggDataSource.h"
#include "framework/ui/manager/TWindowManager.h"
#include "framework/ui/script/TWindowScript.h"
#include "framework/ui/window/TScreen.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

TEST(SoundManager, VolumesAreKeptAndClamped) {
    EXPECT_EQ(TSoundManager::Instance(), nullptr);
    {
        TSoundManager manager;
        EXPECT_EQ(TSoundManager::Instance(), &manager);
        EXPECT_FLOAT_EQ(manager.GetMasterVolume(), 1.0f);
        manager.SetMasterVolume(0.0f);
        EXPECT_FLOAT_EQ(manager.GetVolume(TSoundManager::kMasterGroup), 0.0f);
        manager.SetMasterVolume(0.25f);
        EXPECT_FLOAT_EQ(manager.GetMasterVolume(), 0.25f);
        manager.SetMasterVolume(7.0f);
        EXPECT_FLOAT_EQ(manager.GetMasterVolume(), 1.0f);
        manager.SetVolume(2, 0.5f);
        EXPECT_FLOAT_EQ(manager.GetVolume(2), 0.5f);
        EXPECT_FLOAT_EQ(manager.GetVolume(99), manager.GetMasterVolume());
        manager.SetVolume(TSoundManager::kMasterGroup, -1.0f);
        EXPECT_FLOAT_EQ(manager.GetMasterVolume(), 0.0f);
        EXPECT_TRUE(manager.IsEnabled());
        manager.SetEnabled(false);
        EXPECT_FALSE(manager.IsEnabled());
        // No audio driver: Init reports failure, the game goes on silent.
        const char* driver = std::getenv("SDL_AUDIODRIVER");
        std::string saved = driver ? driver : "";
        setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
        EXPECT_FALSE(manager.Init()) << "reported a sound output that does not exist";
        EXPECT_FALSE(manager.IsInitialised());
        if (driver) {
            setenv("SDL_AUDIODRIVER", saved.c_str(), 1);
        } else {
            unsetenv("SDL_AUDIODRIVER");
        }
    }
    EXPECT_EQ(TSoundManager::Instance(), nullptr);
    RegisterOggDataSourceBuilder();
    EXPECT_TRUE(IsOggDataSourceRegistered());
}

// At shut-down the window script (and with it its Lua state) goes before the
// platform's task list, which may still hold script threads on that state.
TEST(Script, ThreadThatOutlivesItsStateNoLongerTouchesIt) {
    auto* owner = new TScript(nullptr);
    ASSERT_NE(owner->GetState(), nullptr);
    TScript* thread = owner->NewThread();
    ASSERT_NE(thread, nullptr);
    TScript* inner = thread->NewThread();
    ASSERT_NE(inner, nullptr);
    EXPECT_NE(thread->GetState(), nullptr);
    delete owner;
    EXPECT_EQ(thread->GetState(), nullptr);
    EXPECT_EQ(inner->GetState(), nullptr);
    EXPECT_FALSE(thread->DoLuaString("x = 1"));
    EXPECT_EQ(thread->NewThread(), nullptr);
    EXPECT_TRUE(thread->Step());
    EXPECT_TRUE(thread->IsSuspended());
    delete inner;
    delete thread;
}

TEST(WindowManager, OwnsItsScriptAndRootWindow) {
    EXPECT_EQ(TWindowManager::Instance(), nullptr);
    auto* manager = new TWindowManager;
    EXPECT_EQ(TWindowManager::Instance(), manager);
    EXPECT_EQ(manager->GetScript(), nullptr);
    EXPECT_FALSE(manager->SetScriptFlag(true)) << "no script to hold the flag";
    EXPECT_EQ(manager->mBackgroundMode.load(), 0);
    EXPECT_EQ(manager->mInputBlocked, 0);
    EXPECT_TRUE(manager->IsDirty());
    auto* script = new TWindowScript(nullptr);
    manager->Init(script);
    EXPECT_EQ(manager->GetScript(), script);
    EXPECT_FALSE(manager->SetScriptFlag(true));
    EXPECT_TRUE(manager->SetScriptFlag(false));
    EXPECT_EQ(manager->GetScreenRect(), TRect());
    auto* screen = new TScreen;
    screen->AddChild(new TWindow("child"));
    manager->SetMainWindow(screen);
    screen->SetSize(640, 480);
    EXPECT_EQ(manager->GetScreenRect(), TRect(0, 0, 640, 480));
    EXPECT_EQ(manager->GetModalDepth(), 1u);
    EXPECT_TRUE(RunLuaString("x = 1"));
    delete manager;
    EXPECT_EQ(TWindowManager::Instance(), nullptr);
    EXPECT_FALSE(RunLuaString("x = 1")) << "ran without a window script";
}

TEST(Graphics, ClipStackPopsNothingWhenEmpty) {
    TGraphics* graphics = TGraphics::Get();
    EXPECT_EQ(TGraphics::Get(), graphics);
    graphics->PopClipRect();
    EXPECT_EQ(graphics->GetClipDepth(), 0u);
    graphics->PushClipRect(TRect(1, 2, 3, 4));
    EXPECT_EQ(graphics->GetClipRect(), TRect(1, 2, 3, 4));
    TGraphics::Destroy();
    EXPECT_FALSE(TGraphics::Exists());
    EXPECT_EQ(TGraphics::Get()->GetClipDepth(), 0u);
    TGraphics::Destroy();
}

TEST(AssetManager, SharesLiveAssetsByName) {
    TAssetManager manager;
    EXPECT_EQ(TAssetManager::Instance(), &manager);
    auto asset = std::make_shared<TAsset>();
    manager.Register("a.png", asset);
    EXPECT_EQ(manager.Find("a.png"), asset);
    EXPECT_EQ(manager.Find("b.png"), nullptr);
    asset.reset();
    EXPECT_EQ(manager.Find("a.png"), nullptr) << "kept an asset nobody holds";
}

TEST(Renderer, IsThereOnlyWhileItLives) {
    EXPECT_EQ(TRenderer::Get(), nullptr);
    {
        TRenderer renderer;
        EXPECT_EQ(TRenderer::Get(), &renderer);
        EXPECT_EQ(renderer.PresentFrame(-1, -1).x, -1);
        EXPECT_FALSE(renderer.CanPresent());
    }
    EXPECT_EQ(TRenderer::Get(), nullptr);
}

} // namespace
