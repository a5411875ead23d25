// Streams on the null device: the buffer size and volume rules, the ring
// filled half by half, play-once buffers, looping over short data, pausing
// and holding, and a long sound that comes out bit for bit.

#include "framework/sound/PcmSource.h"
#include "framework/sound/SoundTestSupport.h"
#include "framework/sound/source/TOggDataSource.h"
#include "framework/sound/stream/TSoundInstance.h"
#include "framework/sound/stream/TSoundStream.h"
#include "framework/sound/stream/TStreamSpooler.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using namespace soundtest;

TEST(SoundStream, BufferSizeFor_RoundsToEightAndClamps) {
    struct Case {
        uint32_t rate;
        uint16_t channels;
        float seconds;
        uint32_t size;
    } cases[] = {
        {44100, 2, 2.0f, 352800}, {22050, 1, 2.0f, 88200}, {11025, 1, 0.0001f, 8},
        {44100, 2, 0.0f, 4},      {44100, 1, 0.001f, 88},  {48000, 2, 10000.0f, 0x0FFFFFFF},
        {44100, 2, -1.0f, 4},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TSoundStream::BufferSizeFor(c.rate, c.channels, 16, c.seconds), c.size)
            << c.rate << " " << c.channels << " " << c.seconds;
    }
}

TEST(SoundStream, AttenuationOf_Volumes) {
    struct Case {
        float volume;
        int32_t attenuation;
    } cases[] = {{0.0f, -10000}, {0.0001f, -4999}, {0.5f, -2500}, {1.0f, 0},
                 {2.0f, 0},      {-0.5f, -5000},   {0.45f, -2750}};
    for (const Case& c : cases) {
        EXPECT_EQ(TSoundStream::AttenuationOf(c.volume), c.attenuation) << c.volume;
    }
}

class Streams : public ::testing::Test {
protected:
    std::shared_ptr<TSoundStream> Make(std::shared_ptr<TSoundDataSource> source, bool loop,
                                       float seconds = 2.0f) {
        auto stream = TSoundStream::Create(new TStreamSpooler(source), loop, 0, {});
        stream->CreateBuffer(source->GetSampleRate(), static_cast<uint16_t>(source->GetChannels()),
                             16, seconds);
        return stream;
    }
    std::vector<int16_t> BufferSamples(TSoundStream& stream) {
        void* p1 = nullptr;
        void* p2 = nullptr;
        uint32_t n1 = 0, n2 = 0;
        std::vector<int16_t> out(stream.GetBufferSize() / 2);
        EXPECT_EQ(stream.GetBuffer()->Lock(0, stream.GetBufferSize(), &p1, &n1, &p2, &n2),
                  platform::kAudioOk);
        std::memcpy(out.data(), p1, n1);
        stream.GetBuffer()->Unlock(p1, n1, p2, n2);
        return out;
    }

    NullRig rig;
};

TEST_F(Streams, CreateBuffer_FillsTheFirstHalfAndSetsTheNotices) {
    ASSERT_TRUE(rig.initialised);
    auto source = std::make_shared<PcmSource>(Counting(44100 * 2 * 3), 44100, 2);
    auto stream = Make(source, false);
    ASSERT_TRUE(stream->HasBuffer());
    EXPECT_EQ(stream->GetBufferSize(), 352800u);
    EXPECT_FLOAT_EQ(stream->GetBufferSeconds(), 2.0f);
    EXPECT_EQ(stream->GetBytesLeft(), 352800);
    EXPECT_EQ(stream->GetLastFilledHalf(), 1);
    std::vector<int16_t> ring = BufferSamples(*stream);
    std::vector<int16_t> expected = Counting(352800 / 4);
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), ring.begin()));
    EXPECT_EQ(ring[352800 / 4], 0) << "the second half waits";
    auto* buffer = dynamic_cast<platform::MixerBuffer*>(stream->GetBuffer().get());
    ASSERT_NE(buffer, nullptr);
    auto positions = buffer->GetNotificationPositions();
    ASSERT_EQ(positions.size(), 2u);
    EXPECT_EQ(positions[0].offset, 0u);
    EXPECT_EQ(positions[1].offset, 352800u / 2);
}

TEST(SoundStream, CreateBuffer_WithoutAnInitialisedManagerLeavesTheStreamSilent) {
    platform::ManualTimeSource time(0);
    platform::ScopedTimeSource scoped(time);
    TSoundManager silent; // never initialised: no device
    auto source = std::make_shared<PcmSource>(Counting(44100), 44100, 1);
    auto stream = TSoundStream::Create(new TStreamSpooler(source), false, 0, {});
    EXPECT_FALSE(stream->CreateBuffer(44100, 1, 16, 2.0f));
    EXPECT_FALSE(stream->HasBuffer());
    stream->Start(true);
    time.Advance(900);
    EXPECT_TRUE(stream->Update(false)) << "still within its one second";
    time.Advance(200);
    EXPECT_FALSE(stream->Update(false)) << "played its length in silence";
}

TEST_F(Streams, ShortSound_PlaysOnceWithoutLoopingAndFinishesAfterOneBufferLength) {
    auto source = std::make_shared<PcmSource>(Counting(22050 * 1), 22050, 1); // 1 s
    auto stream = Make(source, false);
    ASSERT_EQ(stream->GetBufferSize(), 88200u);
    stream->Start(stream->GetBufferSeconds() > source->GetDuration());
    EXPECT_TRUE(stream->IsPlayOnce());
    uint32_t status = 0;
    stream->GetBuffer()->GetStatus(&status);
    EXPECT_EQ(status, platform::kStatusPlaying) << "played without looping";
    int updates = 0;
    bool playing = true;
    uint32_t frames = 0;
    while (playing && frames < 44100 * 4) {
        rig.device->Advance(2205); // 50 ms
        frames += 2205;
        playing = stream->Update(false);
        ++updates;
    }
    EXPECT_FALSE(playing);
    EXPECT_GE(frames, 44100u * 19 / 10);
    EXPECT_LE(frames, 44100u * 21 / 10) << "finished about one buffer length after the start";
    const std::vector<int16_t>& out = rig.device->GetCapture();
    // The sound comes out stretched to 44100 Hz: every other output frame
    // is a source sample.
    for (size_t i = 0; i < 22050; i += 1000) {
        ASSERT_EQ(out[4 * i], source->GetSize() ? Counting(22050)[i] : 0) << i;
    }
    for (size_t i = 2 * 44100 + 200; i < 2 * 44100 * 19 / 10; ++i) {
        ASSERT_EQ(out[i], 0) << "silence after the sound, at " << i;
    }
}

TEST_F(Streams, LoopingSound_ShorterThanAHalfRepeatsInsideTheHalf) {
    // 0.3 s of data in a 2 s ring: the first half holds it three times and
    // a third of a fourth.
    std::vector<int16_t> samples = Counting(44100 * 3 / 10);
    auto source = std::make_shared<PcmSource>(samples, 44100, 1);
    auto stream = Make(source, true);
    std::vector<int16_t> ring = BufferSamples(*stream);
    for (size_t i = 0; i < 44100; ++i) {
        ASSERT_EQ(ring[i], samples[i % samples.size()]) << i;
    }
    EXPECT_FALSE(stream->HasSourceEnded());
}

TEST_F(Streams, LongSound_IsRefilledHalfByHalfAndComesOutBitForBit) {
    RegisterOggDataSourceBuilder();
    std::string name = FixtureName("tone1000_stereo_3s.ogg");
    auto source = TSoundDataSourceBuilder::CreateSource(name.c_str(), false);
    ASSERT_TRUE(source);
    ASSERT_TRUE(dynamic_cast<TOggDataSource*>(source.get())) << "decoded while it plays";
    std::vector<int16_t> reference = DecodeReference(Fixture("tone1000_stereo_3s.ogg"));
    auto stream = Make(source, false);
    stream->Start(false);
    EXPECT_FALSE(stream->IsPlayOnce());
    bool playing = true;
    uint32_t frames = 0;
    while (playing && frames < 44100 * 8) {
        rig.device->Advance(4410);
        frames += 4410;
        playing = stream->Update(false);
    }
    EXPECT_FALSE(playing);
    // The data ends at 3 s and the stream stops within one buffer length
    // after the spooler found that end.
    EXPECT_GE(frames, 44100u * 39 / 10);
    EXPECT_LE(frames, 44100u * 55 / 10);
    const std::vector<int16_t>& out = rig.device->GetCapture();
    ASSERT_GE(out.size(), reference.size());
    EXPECT_TRUE(std::equal(reference.begin(), reference.end(), out.begin()))
        << "the captured samples differ from the decoded file";
    for (size_t i = reference.size(); i < out.size(); ++i) {
        ASSERT_EQ(out[i], 0) << i;
    }
}

// The ring's second half is refilled at the first scan that finds the write
// cursor wrapped past the ring's end, possibly while the play cursor is
// still inside that half, in the 10 ms before the end: the bytes between
// the two cursors are already on their way out and must play as they were.
// Scans every 100 ms, the one after the first pass landing the given number
// of frames before (negative) or after the ring's end; the capture is the
// source sample for sample.
TEST_F(Streams, RefillWhileThePlayCursorIsNearTheEnd_PlaysTheSourceUnchanged) {
    const uint32_t ringFrames = 88200; // 2 s of 44100 Hz stereo
    const uint32_t scan = 4410;
    const std::vector<int16_t> samples = Counting(44100 * 2 * 6);
    for (int32_t landing : {-442, -441, -440, -300, -200, -2, -1, 0, 1, 200, 440, 441}) {
        SCOPED_TRACE(landing);
        NullRig local;
        auto source = std::make_shared<PcmSource>(samples, 44100, 2);
        auto stream = TSoundStream::Create(new TStreamSpooler(source), false, 0, {});
        ASSERT_TRUE(stream->CreateBuffer(44100, 2, 16, 2.0f));
        ASSERT_EQ(stream->GetBufferSize(), ringFrames * 4);
        stream->Start(false);
        const uint32_t first = static_cast<uint32_t>((landing + int32_t(scan)) % int32_t(scan));
        uint32_t frames = 0;
        for (uint32_t step = first ? first : scan; frames < 44100 * 4; step = scan) {
            local.device->Advance(step);
            frames += step;
            ASSERT_TRUE(stream->Update(false));
        }
        const std::vector<int16_t>& out = local.device->GetCapture();
        ASSERT_EQ(out.size(), size_t(frames) * 2);
        size_t wrong = 0;
        size_t firstWrong = out.size();
        for (size_t i = 0; i < out.size(); ++i) {
            if (out[i] != samples[i]) {
                firstWrong = std::min(firstWrong, i);
                ++wrong;
            }
        }
        EXPECT_EQ(wrong, 0u) << "from frame " << firstWrong / 2;
    }
}

TEST_F(Streams, ZeroLengthLoopingSource_FillsSilenceAndEnds) {
    auto source = std::make_shared<PcmSource>(std::vector<int16_t>{}, 44100, 2);
    TStreamSpooler spooler(source);
    std::vector<uint8_t> half(1000, 0xAB);
    uint32_t got = 99;
    EXPECT_FALSE(spooler.Fill(static_cast<uint32_t>(half.size()), half.data(), &got, true));
    EXPECT_EQ(got, 0u);
    EXPECT_TRUE(std::all_of(half.begin(), half.end(), [](uint8_t b) { return b == 0; }));
    auto stream = Make(source, true);
    EXPECT_TRUE(stream->HasSourceEnded());
}

TEST_F(Streams, Spooler_LoopsFromTheStartAndRewinds) {
    auto source = std::make_shared<PcmSource>(Counting(10), 44100, 1); // 20 bytes
    TStreamSpooler spooler(source);
    std::vector<int16_t> out(25);
    uint32_t got = 0;
    EXPECT_TRUE(spooler.Fill(50, out.data(), &got, true));
    EXPECT_EQ(got, 50u);
    for (size_t i = 0; i < out.size(); ++i) {
        EXPECT_EQ(out[i], Counting(10)[i % 10]);
    }
    EXPECT_EQ(spooler.GetPosition(), 10u);
    EXPECT_FALSE(spooler.Fill(50, out.data(), &got, false));
    EXPECT_EQ(got, 10u);
    EXPECT_EQ(out[5], 0);
    spooler.Rewind();
    EXPECT_EQ(spooler.GetPosition(), 0u);
    spooler.SeekTime(3.0 / 44100);
    EXPECT_EQ(spooler.GetPosition(), 6u);
}

TEST_F(Streams, PausedStream_StaysPausedThroughDisableAndEnable) {
    auto source = std::make_shared<PcmSource>(Counting(44100 * 5), 44100, 1);
    auto paused = Make(source, true);
    auto other = Make(source, true);
    paused->Start(false);
    other->Start(false);
    paused->SetPaused(true);
    rig.manager.SetEnabled(false);
    EXPECT_TRUE(other->IsHeld());
    EXPECT_TRUE(other->IsPaused());
    EXPECT_FALSE(paused->IsHeld());
    uint32_t status = 0;
    other->GetBuffer()->GetStatus(&status);
    EXPECT_EQ(status & platform::kStatusPlaying, 0u);
    rig.manager.SetEnabled(true);
    EXPECT_TRUE(paused->IsPaused());
    EXPECT_FALSE(other->IsPaused());
    EXPECT_FALSE(other->IsHeld());
    other->GetBuffer()->GetStatus(&status);
    EXPECT_EQ(status & platform::kStatusPlaying, platform::kStatusPlaying);
    paused->GetBuffer()->GetStatus(&status);
    EXPECT_EQ(status & platform::kStatusPlaying, 0u);
}

TEST_F(Streams, StartWhileDisabled_HoldsTheStream) {
    rig.manager.SetEnabled(false);
    auto source = std::make_shared<PcmSource>(Counting(44100), 44100, 1);
    auto stream = Make(source, false);
    stream->Start(true);
    EXPECT_TRUE(stream->IsHeld());
    EXPECT_TRUE(stream->IsPaused());
    rig.manager.SetEnabled(true);
    EXPECT_FALSE(stream->IsPaused());
}

TEST_F(Streams, LostBuffer_IsRestoredWhenTheVolumeIsSet) {
    auto source = std::make_shared<PcmSource>(Counting(44100), 44100, 1);
    auto stream = Make(source, false);
    rig.device->GetMixer().LoseBuffers();
    stream->SetVolume(0.5f);
    uint32_t status = 0;
    stream->GetBuffer()->GetStatus(&status);
    EXPECT_EQ(status & platform::kStatusBufferLost, 0u);
    int32_t volume = 0;
    stream->GetBuffer()->GetVolume(&volume);
    EXPECT_EQ(volume, -2500);
}

TEST_F(Streams, DeviceFailures_AreLoggedWithTheirLine) {
    LogCapture log;
    auto source = std::make_shared<PcmSource>(Counting(44100 * 4), 44100, 1);
    rig.device->GetMixer().FailNext(platform::AudioCall::CreateBuffer,
                                    platform::kAudioErrOutOfMemory);
    auto failed = Make(source, false);
    EXPECT_FALSE(failed->HasBuffer());
    EXPECT_TRUE(log.Has("DX Error:  (0x8007000e), File soundstream, Line 233")) << log.Text();
    auto stream = Make(source, true);
    rig.device->GetMixer().FailNext(platform::AudioCall::Play, platform::kAudioErrGeneric);
    stream->Start(false);
    EXPECT_TRUE(log.Has("File soundstream, Line 561"));
    rig.device->GetMixer().FailNext(platform::AudioCall::Lock, platform::kAudioErrBufferLost);
    rig.device->Advance(100);
    EXPECT_FALSE(stream->Update(false)) << "a buffer that cannot be locked ends the stream";
    EXPECT_TRUE(log.Has("DX Error:  (0x88780096), File soundstream, Line 409"));
}

TEST_F(Streams, Stop_OnceOnlyAndLeavesTheManager) {
    auto source = std::make_shared<PcmSource>(Counting(44100), 44100, 1);
    auto stream = Make(source, false);
    std::weak_ptr<TSoundStream> weak = stream;
    EXPECT_EQ(rig.manager.GetActiveCount(), 1u);
    stream->Stop(true);
    stream->Stop(false);
    EXPECT_EQ(rig.manager.GetActiveCount(), 0u);
    EXPECT_EQ(rig.manager.GetReleaseCount(), 1u);
    stream.reset();
    EXPECT_FALSE(weak.expired()) << "the release list holds it until Update";
    rig.manager.Update();
    EXPECT_TRUE(weak.expired());
}

} // namespace
