#pragma once

// An application with its main window on the recording window back end, a
// 1024 by 768 display, a hand-moved clock, and the pump's first call
// already taken.

#include "AppFixture.h"

#include "framework/core/system/TEvent.h"
#include "framework/graphics/TGraphics.h"
#include "framework/graphics/TRenderer.h"
#include "framework/host/TGameState.h"
#include "platform/time/manual/ManualTimeSource.h"

#include <string>

class PumpFixture : public AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        if (HasFatalFailure()) {
            return;
        }
        BuildPlatform(CommandLine());
        BuildApplication();
        mPlatformObject = mApplication->GetPlatform();
        BeforeWindow(*mPlatformObject);
        ASSERT_TRUE(mApplication->CreateMainWindow());
        mApplication->SetDisplayMode(1024, 768, false);
        mRenderer = TRenderer::Get();
        ASSERT_NE(mRenderer, nullptr);
        ASSERT_TRUE(mRenderer->IsDeviceValid());
        // The wake-up timer would slip "nothing" events between the ones a
        // test expects.
        mWindow->KillTimer(0);
        mWindow->SetPointerPosition(0, 0, true);
        mFirst = Next();
        Drain();
        mWindow->ClearCalls();
        mDesktop->ClearCalls();
    }

    // The command line of the platform, and what happens before the main
    // window is made; hosted tests override them.
    virtual const char* CommandLine() { return ""; }
    virtual void BeforeWindow(TPlatform&) {}

    TEvent Next() {
        TEvent event;
        mApplication->GetEvent(event);
        return event;
    }

    // Takes events until an idle one.
    void Drain() {
        for (int i = 0; i < 100 && Next().type != kEventIdle; ++i) {
        }
    }

    void Feed(uint32_t message, uintptr_t wParam = 0, intptr_t lParam = 0) {
        mWindow->Inject(message, wParam, lParam);
    }

    static std::string Describe(const TEvent& event) {
        return "{" + std::to_string(event.type) + ", code " + std::to_string(event.code) + ", " +
               std::to_string(event.x) + "," + std::to_string(event.y) + ", mods " +
               std::to_string(event.modifiers) + "}";
    }

    std::string State(const char* name) {
        return TGameState::GetInstance()->GetState(name).ToStd();
    }

    platform::ManualTimeSource mClock{100000};
    platform::ScopedTimeSource mClockScope{mClock};
    TPlatform* mPlatformObject = nullptr;
    TRenderer* mRenderer = nullptr;
    TEvent mFirst;
};
