// Sounds as assets: names with a group, sharing by key, playing, stopping,
// pausing, the end notice on the main thread, and the real SDL output
// written to a file by SDL's disk driver.

#include "framework/graphics/asset/TAssetManager.h"
#include "framework/sound/SoundTestSupport.h"
#include "framework/sound/asset/TSound.h"
#include "framework/sound/source/TOggDataSource.h"
#include "framework/sound/stream/TSoundInstance.h"
#include "framework/sound/stream/TSoundStream.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <thread>

namespace {

using namespace soundtest;

TEST(SoundSpec, NamesGroupsAndKeys) {
    struct Case {
        const char* name;
        bool preload;
        int defaultGroup;
        const char* file;
        int group;
        const char* key;
    } cases[] = {
        {"click?group=1001", true, -1, "click", 1001, "click;1;1001"},
        {"theme", true, 1000, "theme", 1000, "theme;1;1000"},
        {"sfx/pop.ogg?volume=3", true, 0, "sfx/pop.ogg", 0, "sfx/pop.ogg;1;0"},
        {"a?x=1&group=-5", false, 2, "a", -5, "a;0;-5"},
        {"b?group=12abc", true, 0, "b", 12, "b;1;12"},
        {"c?group=", true, 9, "c", 0, "c;1;0"},
    };
    for (const Case& c : cases) {
        TSoundSpec spec = ParseSoundSpec(c.name, c.preload, c.defaultGroup);
        EXPECT_EQ(spec.fileName.ToStd(), c.file) << c.name;
        EXPECT_EQ(spec.group, c.group) << c.name;
        EXPECT_EQ(spec.key.ToStd(), c.key) << c.name;
    }
    EXPECT_EQ(ParseGroupSpec("click?group=1001").ToStd(), "click;1;1001");
}

class Sounds : public ::testing::Test {
protected:
    void SetUp() override { RegisterOggDataSourceBuilder(); }

    TAssetManager assets;
};

TEST_F(Sounds, Get_SharesOneSoundPerKeyWhileItLives) {
    NullRig rig;
    std::string name = FixtureName("tone440_mono_1s");
    std::shared_ptr<TSound> a = TSound::Get(name.c_str(), true, 1000);
    ASSERT_TRUE(a);
    EXPECT_STREQ(a->GetClassName(), "TSound");
    EXPECT_TRUE(a->IsKindOf("TAsset"));
    EXPECT_FALSE(a->IsKindOf("TTexture"));
    EXPECT_TRUE(a->IsKindOf(TSound::GetClassId()));
    EXPECT_TRUE(a->IsKindOf(TAsset::GetClassId()));
    const TAsset& asAsset = *a;
    EXPECT_TRUE(asAsset.IsKindOf(TSound::GetClassId())) << "through the asset's own call";
    EXPECT_EQ(TSound::Get(name.c_str(), true, 1000), a);
    EXPECT_EQ(assets.Find((name + ";1;1000").c_str()), a);
    std::shared_ptr<TSound> other = TSound::Get((name + "?group=1001").c_str(), true, 1000);
    EXPECT_NE(other, a) << "another group is another sound";
    EXPECT_EQ(other->GetData()->mGroup, 1001);
    std::weak_ptr<TSound> weak = a;
    a.reset();
    EXPECT_TRUE(weak.expired()) << "the asset manager holds sounds weakly";
    EXPECT_FALSE(assets.Find((name + ";1;1000").c_str()));
}

TEST_F(Sounds, Get_MissingFileIsLoggedAndEmpty) {
    LogCapture log;
    EXPECT_FALSE(TSound::Get(FixtureName("nothing_here").c_str()));
    EXPECT_FALSE(TSound::Get(""));
    EXPECT_TRUE(log.Has("TSound::Get: No valid sound file found: ::")) << log.Text();
}

TEST_F(Sounds, Play_FailuresAreLogged) {
    LogCapture log;
    TSound empty;
    EXPECT_FALSE(empty.Play(false));
    EXPECT_TRUE(log.Has("Play of uninitialized sound"));
    std::shared_ptr<TSound> sound = TSound::Get(FixtureName("tone440_mono_1s").c_str());
    ASSERT_TRUE(sound);
    ASSERT_EQ(TSoundManager::Instance(), nullptr);
    EXPECT_FALSE(sound->Play(false));
    EXPECT_TRUE(log.Has("No Sound Manager"));
    EXPECT_FALSE(sound->StopAll()) << "no instance to stop";
    EXPECT_FALSE(sound->Pause(true));
}

TEST_F(Sounds, Play_ShortSoundOnceLongOrLoopingOnTheRing) {
    NullRig rig;
    auto shortSound = TSound::Get(FixtureName("tone880_stereo_1500ms").c_str());
    auto longSound = TSound::Get(FixtureName("tone1000_stereo_3s").c_str());
    ASSERT_TRUE(shortSound && longSound);
    auto once = shortSound->Play(false);
    auto looped = shortSound->Play(true);
    auto ring = longSound->Play(false);
    ASSERT_TRUE(once && looped && ring);
    EXPECT_TRUE(once->GetStream()->IsPlayOnce());
    EXPECT_FALSE(looped->GetStream()->IsPlayOnce());
    EXPECT_FALSE(ring->GetStream()->IsPlayOnce());
    // A sound played once has a ring of its length, 1.5 s and 50 ms after
    // it; a looped or longer one has the 2 s ring.
    const auto& source = shortSound->GetData()->mSource;
    EXPECT_NEAR(source->GetDuration(), 1.5, 0.01);
    EXPECT_EQ(once->GetStream()->GetBufferSize(),
              TSoundStream::BufferSizeFor(source->GetSampleRate(),
                                          static_cast<uint16_t>(source->GetChannels()), 16,
                                          static_cast<float>(source->GetDuration() + 0.05)));
    EXPECT_LT(once->GetStream()->GetBufferSize(), 352800u);
    EXPECT_EQ(looped->GetStream()->GetBufferSize(), 352800u);
    EXPECT_EQ(ring->GetStream()->GetBufferSize(), 352800u);
    EXPECT_EQ(once->GetOwner().lock(), shortSound);
    EXPECT_EQ(shortSound->GetInstanceCount(), 2u);
    EXPECT_EQ(rig.manager.GetActiveCount(), 3u);
    EXPECT_TRUE(shortSound->Pause(true));
    EXPECT_TRUE(once->GetStream()->IsPaused());
    EXPECT_TRUE(shortSound->Pause(false));
    EXPECT_FALSE(looped->GetStream()->IsPaused());
    EXPECT_TRUE(shortSound->Stop(looped));
    EXPECT_FALSE(shortSound->Stop(nullptr));
    EXPECT_EQ(looped->GetStream(), nullptr) << "the stopped stream is gone";
    EXPECT_EQ(shortSound->GetInstanceCount(), 1u);
    EXPECT_TRUE(longSound->StopAll());
    EXPECT_FALSE(longSound->StopAll());
    EXPECT_EQ(rig.manager.GetActiveCount(), 1u);
}

class RecordingListener : public TSoundFinishListener {
public:
    void ForgetInstance(TSoundInstance*) override { ++forgotten; }
    void OnSoundFinished(const std::shared_ptr<TSoundInstance>&,
                         const std::weak_ptr<void>&) override {
        ++finished;
        thread = std::this_thread::get_id();
    }
    std::atomic<int> forgotten{0};
    std::atomic<int> finished{0};
    std::thread::id thread;
};

TEST_F(Sounds, EndOfASound_IsToldOnTheMainThreadsUpdate) {
    NullRig rig(true); // the sound thread scans the streams
    auto sound = TSound::Get(FixtureName("tone660_mono22k_short").c_str());
    ASSERT_TRUE(sound);
    RecordingListener listener;
    auto instance = sound->Play(false);
    ASSERT_TRUE(instance);
    instance->SetFinishListener(&listener);
    // Play the ring out, then let the thread's scans find the end.
    for (int i = 0; i < 25; ++i) {
        rig.device->Advance(4410);
    }
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (rig.manager.GetReleaseCount() == 0 && std::chrono::steady_clock::now() < deadline) {
        rig.time.Advance(200);
        std::this_thread::sleep_for(std::chrono::milliseconds(60));
    }
    ASSERT_EQ(rig.manager.GetReleaseCount(), 1u) << "the sound thread retired the stream";
    EXPECT_EQ(listener.finished, 0) << "nothing is told on the sound thread";
    EXPECT_NE(instance->GetStream(), nullptr);
    rig.manager.Update();
    EXPECT_EQ(listener.finished, 1);
    EXPECT_EQ(listener.forgotten, 1);
    EXPECT_EQ(listener.thread, std::this_thread::get_id());
    EXPECT_EQ(instance->GetStream(), nullptr);
    EXPECT_EQ(sound->GetInstanceCount(), 0u);
}

TEST_F(Sounds, ShutDown_TellsNoListener) {
    RecordingListener listener;
    std::shared_ptr<TSound> sound;
    {
        NullRig rig;
        sound = TSound::Get(FixtureName("tone440_mono_1s").c_str());
        auto instance = sound->Play(true);
        instance->SetFinishListener(&listener);
    }
    EXPECT_EQ(listener.forgotten, 1);
    EXPECT_EQ(listener.finished, 0);
    EXPECT_EQ(sound->GetInstanceCount(), 0u);
    // The sound outlives the manager: its destruction takes no lock.
    sound.reset();
}

TEST_F(Sounds, DestroyingASound_StopsItsStreams) {
    NullRig rig;
    RecordingListener listener;
    auto sound = TSound::Get(FixtureName("tone440_mono_1s").c_str());
    auto instance = sound->Play(true);
    instance->SetFinishListener(&listener);
    EXPECT_EQ(rig.manager.GetActiveCount(), 1u);
    sound.reset();
    EXPECT_EQ(rig.manager.GetActiveCount(), 0u);
    EXPECT_EQ(instance->GetStream(), nullptr);
    EXPECT_EQ(listener.finished, 0) << "the listener was let go first";
}

// The strongest of a set of frequencies in the left channel (Goertzel).
double DominantFrequency(const std::vector<int16_t>& stereo, double rate) {
    double best = 0.0, bestPower = -1.0;
    size_t frames = stereo.size() / 2;
    for (double f = 200.0; f <= 4000.0; f += 20.0) {
        double k = 2.0 * std::cos(2.0 * M_PI * f / rate);
        double s1 = 0.0, s2 = 0.0;
        for (size_t i = 0; i < frames; ++i) {
            double s = stereo[2 * i] + k * s1 - s2;
            s2 = s1;
            s1 = s;
        }
        double power = s1 * s1 + s2 * s2 - k * s1 * s2;
        if (power > bestPower) {
            bestPower = power;
            best = f;
        }
    }
    return best;
}

std::vector<int16_t> PlayToDisk(float groupVolume) {
    support::TempFolder folder("corvalo-disk-");
    std::string file = (folder.Path() / "out.raw").string();
    ScopedEnv driver("SDL_AUDIODRIVER", "disk");
    ScopedEnv path("SDL_DISKAUDIOFILE", file.c_str());
    {
        TSoundManager manager;
        EXPECT_TRUE(manager.Init());
        manager.SetGroupVolume(1001, groupVolume);
        auto sound = TSound::Get((FixtureName("tone1000_stereo_3s") + "?group=1001").c_str());
        EXPECT_TRUE(sound);
        if (!sound) {
            return {};
        }
        auto instance = sound->Play(false);
        std::this_thread::sleep_for(std::chrono::milliseconds(600));
    }
    std::string bytes = ReadBytes(file);
    std::vector<int16_t> samples(bytes.size() / 2);
    std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
    return samples;
}

TEST_F(Sounds, DiskDriver_WritesTheTonePlayedAndSilenceAtGroupVolumeZero) {
    std::vector<int16_t> loud = PlayToDisk(1.0f);
    ASSERT_GT(loud.size(), 2u * 8192) << "the disk driver wrote too little";
    int peak = 0;
    for (int16_t s : loud) {
        peak = std::max(peak, std::abs(int(s)));
    }
    EXPECT_GT(peak, 10000) << "a tone at half scale";
    // The device ran before the sound started: look from the first loud
    // sample on.
    auto start =
        std::find_if(loud.begin(), loud.end(), [](int16_t v) { return std::abs(v) > 2000; });
    ASSERT_GE(loud.end() - start, 2 * 4096) << "too little of the tone was written";
    std::vector<int16_t> middle(start, start + 2 * 4096);
    EXPECT_NEAR(DominantFrequency(middle, 44100.0), 1000.0, 20.0);

    std::vector<int16_t> quiet = PlayToDisk(0.0f);
    ASSERT_GT(quiet.size(), 2u * 8192);
    EXPECT_TRUE(std::all_of(quiet.begin(), quiet.end(), [](int16_t s) { return s == 0; }));
}

} // namespace
