// The sound manager: start-up and its failure lines, volumes, enabling,
// the finished-stream scan, and the thread on the SDL dummy driver.

#include "framework/graphics/TRenderer.h"
#include "framework/sound/PcmSource.h"
#include "framework/sound/SoundTestSupport.h"
#include "framework/sound/stream/TSoundStream.h"
#include "framework/sound/stream/TStreamSpooler.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

namespace {

using namespace soundtest;

std::shared_ptr<TSoundStream> MakeStream(float seconds, int group = 0, bool loop = false) {
    auto source =
        std::make_shared<PcmSource>(Counting(static_cast<size_t>(44100 * seconds)), 44100, 1);
    auto stream = TSoundStream::Create(new TStreamSpooler(source), loop, group, {});
    stream->CreateBuffer(44100, 1, 16, 2.0f);
    return stream;
}

TEST(SoundManager, Init_OnceOnlyAndOpensThePrimaryBuffer) {
    NullRig rig(true);
    ASSERT_TRUE(rig.initialised);
    EXPECT_TRUE(rig.manager.IsInitialised());
    EXPECT_TRUE(rig.manager.IsThreadRunning());
    EXPECT_EQ(rig.device->GetMixer().GetBufferCount(), 1u) << "the primary buffer";
    EXPECT_TRUE(rig.manager.Init(std::make_unique<platform::NullAudioDevice>(), true));
    EXPECT_EQ(rig.manager.GetDevice(), rig.device) << "the first device stays";
    EXPECT_EQ(rig.device->GetMixer().GetCallCount(platform::AudioCall::Open), 1u);
}

TEST(SoundManager, Init_DeviceFailuresAreLoggedAndTheGameGoesOnSilent) {
    struct Case {
        platform::AudioCall call;
        int32_t code;
        const char* line;
    } cases[] = {
        {platform::AudioCall::Open, platform::kAudioErrNoDriver,
         "DX Error:  (0x88780078), File soundmanager, Line 163"},
        {platform::AudioCall::SetCooperativeLevel, platform::kAudioErrGeneric,
         "DX Error:  (0x80004005), File soundmanager, Line 178"},
        {platform::AudioCall::CreateBuffer, platform::kAudioErrOutOfMemory,
         "DX Error:  (0x8007000e), File soundmanager, Line 183"},
    };
    for (const Case& c : cases) {
        LogCapture log;
        platform::ManualTimeSource time(0);
        platform::ScopedTimeSource scoped(time);
        TSoundManager manager;
        auto device = std::make_unique<platform::NullAudioDevice>();
        device->GetMixer().FailNext(c.call, c.code);
        EXPECT_FALSE(manager.Init(std::move(device), true));
        EXPECT_FALSE(manager.IsInitialised());
        EXPECT_TRUE(manager.IsThreadRunning()) << "the thread keeps running";
        EXPECT_TRUE(log.Has(c.line)) << log.Text();
        // Sounds still play, silently, for their length.
        auto stream = MakeStream(0.2f);
        EXPECT_FALSE(stream->HasBuffer());
        stream->Start(true);
        EXPECT_TRUE(stream->Update(false));
        time.Advance(250);
        EXPECT_FALSE(stream->Update(false));
    }
}

TEST(SoundManager, OutOfVideoMemory_TellsTheDisplayBeforeTheLogLine) {
    TRenderer renderer;
    LogCapture log;
    TSoundManager manager;
    auto device = std::make_unique<platform::NullAudioDevice>();
    device->GetMixer().FailNext(platform::AudioCall::CreateBuffer,
                                platform::kAudioErrOutOfVideoMemory);
    EXPECT_FALSE(manager.Init(std::move(device), false));
    EXPECT_TRUE(renderer.IsLowMemory());
    EXPECT_TRUE(log.Has("DX Error:  (0x8876017c), File soundmanager, Line 183")) << log.Text();
}

TEST(SoundManager, Init_WithoutAnAudioDriverFailsWithTheLogLine) {
    ScopedEnv driver("SDL_AUDIODRIVER", "no-such-driver");
    LogCapture log;
    TSoundManager manager;
    EXPECT_FALSE(manager.Init());
    EXPECT_TRUE(log.Has("File soundmanager, Line 163")) << log.Text();
}

TEST(SoundManager, Volumes_MasterTimesGroup) {
    NullRig rig;
    TSoundManager& m = rig.manager;
    m.SetMasterVolume(0.7f);
    EXPECT_FLOAT_EQ(m.GetVolume(TSoundManager::kMasterGroup), 0.7f);
    EXPECT_FLOAT_EQ(m.GetVolume(1001), 0.7f) << "a group never set counts as 1.0";
    m.SetGroupVolume(1001, 0.5f);
    EXPECT_FLOAT_EQ(m.GetVolume(1001), 0.35f);
    EXPECT_FLOAT_EQ(m.GetVolume(1000), 0.7f);
    m.SetVolume(1000, 0.0f);
    EXPECT_FLOAT_EQ(m.GetVolume(1000), 0.0f);
    m.SetVolume(TSoundManager::kMasterGroup, 1.0f);
    EXPECT_FLOAT_EQ(m.GetVolume(1001), 0.5f);
}

TEST(SoundManager, ApplyVolume_NudgesFirstSoTheDeviceSeesAChange) {
    NullRig rig;
    auto stream = MakeStream(1.0f, 7);
    auto* buffer = dynamic_cast<platform::MixerBuffer*>(stream->GetBuffer().get());
    ASSERT_NE(buffer, nullptr);
    // The nudge goes away from the side the volume is on: 0.5 first to
    // 0.45, 0.3 first to 0.35.
    struct Case {
        float group;
        int32_t nudged, final;
    } cases[] = {
        {0.5f, -2750, -2500}, {0.3f, -3250, -3500}, {1.0f, -250, 0}, {0.0f, -4750, -10000}};
    for (const Case& c : cases) {
        size_t before = buffer->GetVolumeHistory().size();
        rig.manager.SetGroupVolume(7, c.group);
        std::vector<int32_t> history = buffer->GetVolumeHistory();
        ASSERT_EQ(history.size() - before, 2u) << c.group;
        EXPECT_EQ(history[before], c.nudged) << c.group;
        EXPECT_EQ(history[before + 1], c.final) << c.group;
    }
}

TEST(SoundManager, GroupVolumeZero_SilencesTheMix) {
    NullRig rig;
    auto quiet = MakeStream(1.0f, 3);
    auto loud = MakeStream(1.0f, 4);
    rig.manager.SetGroupVolume(3, 0.0f);
    quiet->Start(true);
    rig.device->Advance(1000);
    for (int16_t s : rig.device->GetCapture()) {
        ASSERT_EQ(s, 0);
    }
    loud->Start(true);
    rig.device->Advance(1000);
    EXPECT_NE(rig.device->GetCapture()[2000 + 100], 0);
}

TEST(SoundManager, Scan_WaitsHalfASecondAndRetiresEveryFinishedStream) {
    NullRig rig;
    auto a = MakeStream(0.1f);
    auto b = MakeStream(0.1f);
    auto looping = MakeStream(0.1f, 0, true);
    a->Start(true);
    b->Start(true);
    looping->Start(false);
    std::weak_ptr<TSoundStream> weakA = a, weakB = b;
    a.reset();
    b.reset();
    // Both once-buffers play out (2 s) before the next scan.
    for (int i = 0; i < 25; ++i) {
        rig.device->Advance(4410);
    }
    rig.time.Advance(400);
    rig.manager.CollectFinishedStreams(true);
    EXPECT_EQ(rig.manager.GetActiveCount(), 3u) << "no scan within 500 ms";
    // The first scan fills the halves; a later one finds them played out.
    for (int i = 0; i < 3 && rig.manager.GetActiveCount() == 3; ++i) {
        rig.Scan();
    }
    EXPECT_EQ(rig.manager.GetActiveCount(), 1u);
    EXPECT_EQ(rig.manager.GetReleaseCount(), 2u) << "both retired in the same pass";
    EXPECT_FALSE(weakA.expired());
    rig.manager.Update();
    EXPECT_TRUE(weakA.expired());
    EXPECT_TRUE(weakB.expired());
    EXPECT_EQ(rig.manager.GetReleaseCount(), 0u);
}

TEST(SoundManager, Scan_WithoutRetireRemovesAtOnce) {
    NullRig rig;
    std::weak_ptr<TSoundStream> weak;
    {
        auto stream = MakeStream(0.1f);
        stream->Start(true);
        weak = stream;
    }
    for (int i = 0; i < 25; ++i) {
        rig.device->Advance(4410);
    }
    for (int i = 0; i < 3 && !weak.expired(); ++i) {
        rig.Scan(false);
    }
    EXPECT_TRUE(weak.expired());
    EXPECT_EQ(rig.manager.GetReleaseCount(), 0u);
}

TEST(SoundManager, SoundLock_IsRecursiveAndIdleWithoutAManager) {
    {
        TSoundLock none; // no manager: nothing to take
    }
    NullRig rig;
    {
        TSoundLock outer;
        TSoundLock inner;
        EXPECT_EQ(rig.manager.GetLockDepth(), 2);
    }
    EXPECT_EQ(rig.manager.GetLockDepth(), 0);
}

TEST(SoundManager, DummyDriver_ThreadRunsAndShutsDownCleanly) {
    ScopedEnv driver("SDL_AUDIODRIVER", "dummy");
    TSoundManager manager;
    ASSERT_TRUE(manager.Init()) << "SDL's dummy driver opens";
    EXPECT_TRUE(manager.IsThreadRunning());
    auto stream = MakeStream(0.5f, 0, true);
    ASSERT_TRUE(stream->HasBuffer());
    stream->Start(false);
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    manager.SetEnabled(false);
    manager.SetEnabled(true);
    stream.reset();
}

} // namespace
