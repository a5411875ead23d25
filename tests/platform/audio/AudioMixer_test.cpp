// The mixer behind the audio devices, driven through the null device:
// cursors, looping, the end of a once-played buffer, volume, rate and
// channel conversion, locking across the wrap, injected failures and the limiter.

#include "platform/audio/null/NullAudioDevice.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

namespace {

using namespace platform;

AudioFormat Format(uint32_t rate, uint16_t channels, uint16_t bits = 16) {
    AudioFormat format;
    format.channels = channels;
    format.samplesPerSec = rate;
    format.bitsPerSample = bits;
    format.blockAlign = static_cast<uint16_t>(channels * bits / 8);
    format.avgBytesPerSec = format.blockAlign * rate;
    return format;
}

class Mixer : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(device.Open(), kAudioOk); }

    std::shared_ptr<AudioBuffer> Make(const AudioFormat& format,
                                      const std::vector<int16_t>& samples) {
        AudioBufferDesc desc;
        desc.flags = kBufferCtrlVolume | kBufferCtrlPositionNotify;
        desc.bufferBytes = static_cast<uint32_t>(samples.size() * 2);
        desc.format = &format;
        std::shared_ptr<AudioBuffer> buffer;
        EXPECT_EQ(device.CreateBuffer(desc, &buffer), kAudioOk);
        if (!buffer) {
            return nullptr;
        }
        void* p1 = nullptr;
        void* p2 = nullptr;
        uint32_t n1 = 0, n2 = 0;
        EXPECT_EQ(buffer->Lock(0, desc.bufferBytes, &p1, &n1, &p2, &n2), kAudioOk);
        std::memcpy(p1, samples.data(), n1);
        EXPECT_EQ(buffer->Unlock(p1, n1, p2, n2), kAudioOk);
        return buffer;
    }

    NullAudioDevice device;
};

std::vector<int16_t> Ramp(size_t count, int16_t step = 7) {
    std::vector<int16_t> samples(count);
    for (size_t i = 0; i < count; ++i) {
        samples[i] = static_cast<int16_t>((i * step) % 20000);
    }
    return samples;
}

TEST_F(Mixer, OnceBuffer_PlaysItsLengthThenStopsWithBothCursorsAtTheStart) {
    std::vector<int16_t> samples = Ramp(2 * 1000);
    auto buffer = Make(Format(44100, 2), samples);
    ASSERT_TRUE(buffer);
    ASSERT_EQ(buffer->Play(0), kAudioOk);
    device.Advance(400);
    uint32_t play = 0, write = 0, status = 0;
    ASSERT_EQ(buffer->GetCurrentPosition(&play, &write), kAudioOk);
    EXPECT_EQ(play, 400u * 4);
    EXPECT_EQ(write, (400u + 441) * 4) << "the write cursor runs 10 ms ahead";
    device.Advance(700);
    const std::vector<int16_t>& out = device.GetCapture();
    ASSERT_EQ(out.size(), 2u * 1100);
    EXPECT_TRUE(std::equal(samples.begin(), samples.end(), out.begin()));
    for (size_t i = samples.size(); i < out.size(); ++i) {
        ASSERT_EQ(out[i], 0) << i;
    }
    ASSERT_EQ(buffer->GetStatus(&status), kAudioOk);
    EXPECT_EQ(status & kStatusPlaying, 0u);
    ASSERT_EQ(buffer->GetCurrentPosition(&play, &write), kAudioOk);
    EXPECT_EQ(play, 0u);
    EXPECT_EQ(write, 0u);
}

TEST_F(Mixer, LoopingBuffer_WrapsRoundTheRing) {
    std::vector<int16_t> samples = Ramp(2 * 300);
    auto buffer = Make(Format(44100, 2), samples);
    ASSERT_EQ(buffer->Play(kPlayLooping), kAudioOk);
    device.Advance(750);
    const std::vector<int16_t>& out = device.GetCapture();
    for (size_t i = 0; i < out.size(); ++i) {
        ASSERT_EQ(out[i], samples[i % samples.size()]) << i;
    }
    uint32_t status = 0, play = 0, write = 0;
    buffer->GetStatus(&status);
    EXPECT_EQ(status, kStatusPlaying | kStatusLooping);
    buffer->GetCurrentPosition(&play, &write);
    EXPECT_EQ(play, (750u % 300) * 4);
    EXPECT_EQ(write, ((750u + 441) % 300) * 4) << "the write cursor wraps too";
}

TEST_F(Mixer, Volume_HundredthsOfADecibel) {
    struct Case {
        int32_t volume;
        int16_t expected;
    } cases[] = {{0, 10000}, {-2000, 1000}, {-4000, 100}, {-600, 5011}, {-10000, 0}};
    for (const Case& c : cases) {
        device.ClearCapture();
        auto buffer = Make(Format(44100, 1), std::vector<int16_t>(100, 10000));
        ASSERT_EQ(buffer->SetVolume(c.volume), kAudioOk);
        buffer->Play(0);
        device.Advance(10);
        EXPECT_NEAR(device.GetCapture()[0], c.expected, 1) << c.volume;
        EXPECT_EQ(device.GetCapture()[0], device.GetCapture()[1]) << "mono goes to both sides";
    }
    auto buffer = Make(Format(44100, 1), std::vector<int16_t>(8, 0));
    EXPECT_EQ(buffer->SetVolume(1), kAudioErrInvalidParam);
    EXPECT_EQ(buffer->SetVolume(-10001), kAudioErrInvalidParam);
}

TEST_F(Mixer, HalfRateMono_IsStretchedAndSpreadToBothSides) {
    std::vector<int16_t> samples = {0, 1000, 2000, 3000, 4000, 5000, 6000, 7000};
    auto buffer = Make(Format(22050, 1), samples);
    buffer->Play(0);
    device.Advance(8);
    const std::vector<int16_t>& out = device.GetCapture();
    std::vector<int16_t> left;
    for (size_t i = 0; i < out.size(); i += 2) {
        left.push_back(out[i]);
        EXPECT_EQ(out[i], out[i + 1]);
    }
    EXPECT_EQ(left, (std::vector<int16_t>{0, 500, 1000, 1500, 2000, 2500, 3000, 3500}));
}

TEST_F(Mixer, TwoBuffers_AddUp) {
    auto a = Make(Format(44100, 2), std::vector<int16_t>(20, 12000));
    auto b = Make(Format(44100, 2), std::vector<int16_t>(20, 5000));
    auto c = Make(Format(44100, 2), std::vector<int16_t>(20, -1000));
    a->Play(0);
    b->Play(0);
    device.Advance(2);
    EXPECT_EQ(device.GetCapture()[0], 17000);
    a->Stop();
    c->Play(0);
    device.Advance(1);
    EXPECT_EQ(device.GetCapture()[4], 4000);
}

// A sine that rises to its amplitude over `attack` frames.
std::vector<int16_t> StereoSine(size_t frames, double amplitude, double period, double phase,
                                size_t attack = 0) {
    std::vector<int16_t> samples(2 * frames);
    for (size_t i = 0; i < frames; ++i) {
        const double rise = i < attack ? static_cast<double>(i) / attack : 1.0;
        const double value = rise * amplitude * std::sin(2 * M_PI * (i / period + phase));
        samples[2 * i] = samples[2 * i + 1] = static_cast<int16_t>(std::lround(value));
    }
    return samples;
}

// Music and an effect (which rises over 10 ms, as ours do) that meet at full
// strength: their sum, up to 1.6 times full scale, comes out scaled down by a
// gain that moves smoothly, with no sample at full scale and no cut top; once
// the effect has ended the music comes through unchanged again.
TEST_F(Mixer, LoudSourcesSummed_StayWithinRangeWithoutAHardClip) {
    const size_t loud = 4410, quiet = 6 * 4410;
    std::vector<int16_t> music = StereoSine(loud + quiet, 26000, 100, 0.0);
    std::vector<int16_t> effect = StereoSine(loud, 26000, 147, 0.1, 441);
    auto a = Make(Format(44100, 2), music);
    auto b = Make(Format(44100, 2), effect);
    ASSERT_TRUE(a && b);
    a->Play(0);
    b->Play(0);
    // Passes of the length the SDL device asks for.
    for (size_t left = loud + quiet; left > 0; left -= std::min<size_t>(left, 1024)) {
        device.Advance(static_cast<uint32_t>(std::min<size_t>(left, 1024)));
    }
    const std::vector<int16_t>& out = device.GetCapture();
    ASSERT_EQ(out.size(), music.size());
    int32_t biggestSum = 0;
    double previousGain = 1.0;
    double largestStep = 0.0;
    for (size_t i = 0; i < out.size(); i += 2) {
        const int32_t sum = music[i] + (i < effect.size() ? effect[i] : 0);
        biggestSum = std::max(biggestSum, std::abs(sum));
        ASSERT_LE(std::abs(out[i]), AudioMixer::kCeiling) << "frame " << i / 2;
        ASSERT_EQ(out[i], out[i + 1]);
        ASSERT_EQ(out[i] < 0, sum < 0) << "frame " << i / 2;
        if (std::abs(sum) > 4000) {
            const double gain = static_cast<double>(out[i]) / sum;
            ASSERT_LE(gain, 1.0 + 1e-3);
            largestStep = std::max(largestStep, std::abs(gain - previousGain));
            previousGain = gain;
        }
    }
    EXPECT_GT(biggestSum, 40000) << "the sources do meet above full scale";
    EXPECT_LT(largestStep, 0.03) << "the gain moves smoothly, as no clip does";
    // A clip flattens a top into runs of equal samples; a limited top stays
    // round.
    size_t flat = 0;
    for (size_t i = 4; i < 2 * loud; i += 2) {
        if (out[i] == out[i - 2] && out[i] == out[i - 4] && std::abs(out[i]) > 30000) {
            ++flat;
        }
    }
    EXPECT_EQ(flat, 0u);
    const size_t settled = 2 * (loud + 4 * 4410);
    EXPECT_TRUE(std::equal(out.begin() + settled, out.end(), music.begin() + settled))
        << "after the effect the music passes unchanged";
}

// Two sources that start together at full strength at the start of a pass,
// before the limiter could see them coming: the gain drops at once, and the
// tops that follow are still round and within range.
TEST_F(Mixer, LoudSourcesStartingTogether_DropTheGainAtOnceWithoutCutTops) {
    auto a = Make(Format(44100, 2), StereoSine(4410, 30000, 90, 0.2));
    auto b = Make(Format(44100, 2), StereoSine(4410, 30000, 90, 0.2));
    a->Play(0);
    b->Play(0);
    device.Advance(1024);
    device.Advance(1024);
    const std::vector<int16_t>& out = device.GetCapture();
    size_t flat = 0;
    for (size_t i = 0; i < out.size(); i += 2) {
        ASSERT_LE(std::abs(out[i]), AudioMixer::kCeiling) << "frame " << i / 2;
        if (i >= 4 && out[i] == out[i - 2] && out[i] == out[i - 4] && std::abs(out[i]) > 30000) {
            ++flat;
        }
    }
    EXPECT_EQ(flat, 0u);
    EXPECT_GT(*std::max_element(out.begin(), out.end()), 30000) << "limited, not muted";
}

TEST_F(Mixer, Lock_GivesTwoPartsAcrossTheWrapAndRefusesBadRanges) {
    auto buffer = Make(Format(44100, 2), std::vector<int16_t>(200, 0)); // 400 bytes
    void* p1 = nullptr;
    void* p2 = nullptr;
    uint32_t n1 = 0, n2 = 0;
    ASSERT_EQ(buffer->Lock(300, 200, &p1, &n1, &p2, &n2), kAudioOk);
    EXPECT_EQ(n1, 100u);
    EXPECT_EQ(n2, 100u);
    EXPECT_EQ(static_cast<uint8_t*>(p2) + 300, p1);
    EXPECT_EQ(buffer->Unlock(p1, n1, p2, n2), kAudioOk);
    EXPECT_EQ(buffer->Lock(400, 4, &p1, &n1, &p2, &n2), kAudioErrInvalidParam);
    EXPECT_EQ(buffer->Lock(0, 401, &p1, &n1, &p2, &n2), kAudioErrInvalidParam);
    EXPECT_EQ(buffer->Lock(0, 0, &p1, &n1, &p2, &n2), kAudioErrInvalidParam);
}

// What lies between the play and the write cursor is on its way out: the
// whole ring written over plays the old bytes up to the write cursor and
// the new ones from there on, across the ring's end too.
TEST_F(Mixer, WriteOverThePartBetweenTheCursors_PlaysAsCommitted) {
    const uint32_t ring = 1000; // frames, the write cursor 441 ahead
    for (uint32_t playAt : {100u, 558u, 559u, 800u, 999u}) {
        SCOPED_TRACE(playAt);
        device.ClearCapture();
        std::vector<int16_t> before = Ramp(2 * ring, 3);
        auto buffer = Make(Format(44100, 2), before);
        ASSERT_EQ(buffer->Play(kPlayLooping), kAudioOk);
        device.Advance(playAt);
        uint32_t play = 0, write = 0;
        ASSERT_EQ(buffer->GetCurrentPosition(&play, &write), kAudioOk);
        ASSERT_EQ(play, playAt * 4);
        std::vector<int16_t> after(2 * ring);
        for (size_t i = 0; i < after.size(); ++i) {
            after[i] = static_cast<int16_t>(-1 - static_cast<int>(i));
        }
        void* p1 = nullptr;
        void* p2 = nullptr;
        uint32_t n1 = 0, n2 = 0;
        ASSERT_EQ(buffer->Lock(0, ring * 4, &p1, &n1, &p2, &n2), kAudioOk);
        std::memcpy(p1, after.data(), n1);
        ASSERT_EQ(buffer->Unlock(p1, n1, p2, n2), kAudioOk);
        device.Advance(ring);
        const std::vector<int16_t> out(device.GetCapture().begin() + 2 * playAt,
                                       device.GetCapture().end());
        for (uint32_t k = 0; k < ring; ++k) {
            const uint32_t frame = (playAt + k) % ring;
            const std::vector<int16_t>& expected = k < 441 ? before : after;
            ASSERT_EQ(out[2 * k], expected[2 * frame]) << "frame " << frame << ", " << k << " on";
            ASSERT_EQ(out[2 * k + 1], expected[2 * frame + 1]) << "frame " << frame;
        }
    }
}

TEST_F(Mixer, InjectedFailures_AnswerOnceAndLostBuffersNeedARestore) {
    auto buffer = Make(Format(44100, 2), std::vector<int16_t>(200, 100));
    device.GetMixer().FailNext(AudioCall::Play, kAudioErrOutOfVideoMemory);
    EXPECT_EQ(buffer->Play(0), kAudioErrOutOfVideoMemory);
    EXPECT_EQ(buffer->Play(0), kAudioOk);
    device.GetMixer().LoseBuffers();
    uint32_t status = 0;
    buffer->GetStatus(&status);
    EXPECT_EQ(status, kStatusBufferLost);
    void* p1 = nullptr;
    uint32_t n1 = 0;
    EXPECT_EQ(buffer->Lock(0, 4, &p1, &n1, nullptr, nullptr), kAudioErrBufferLost);
    EXPECT_EQ(buffer->Play(0), kAudioErrBufferLost);
    EXPECT_EQ(buffer->Restore(), kAudioOk);
    EXPECT_EQ(buffer->Play(0), kAudioOk);
    EXPECT_EQ(device.GetMixer().GetCallCount(AudioCall::Play), 4u);
}

TEST(NullAudioDevice, RefusesBuffersBeforeOpenAndBadFormats) {
    NullAudioDevice device;
    AudioFormat format = Format(44100, 2);
    AudioBufferDesc desc;
    desc.bufferBytes = 64;
    desc.format = &format;
    std::shared_ptr<AudioBuffer> buffer;
    EXPECT_EQ(device.CreateBuffer(desc, &buffer), kAudioErrInvalidCall);
    device.GetMixer().FailNext(AudioCall::Open, kAudioErrNoDriver);
    EXPECT_EQ(device.Open(), kAudioErrNoDriver);
    ASSERT_EQ(device.Open(), kAudioOk);
    struct Case {
        uint16_t channels, bits, align;
        uint32_t rate, bytes;
    } bad[] = {{0, 16, 0, 44100, 64}, {3, 16, 6, 44100, 66}, {2, 12, 3, 44100, 64},
               {2, 16, 2, 44100, 64}, {2, 16, 4, 50, 64},    {2, 16, 4, 44100, 2}};
    for (const Case& c : bad) {
        AudioFormat f = Format(c.rate, c.channels, c.bits);
        f.blockAlign = c.align;
        desc.format = &f;
        desc.bufferBytes = c.bytes;
        EXPECT_EQ(device.CreateBuffer(desc, &buffer), kAudioErrInvalidParam) << c.channels;
    }
    AudioBufferDesc primary;
    primary.flags = kBufferPrimary;
    ASSERT_EQ(device.CreateBuffer(primary, &buffer), kAudioOk);
    EXPECT_EQ(buffer->SetFormat(format), kAudioOk);
    EXPECT_EQ(buffer->Lock(0, 4, nullptr, nullptr, nullptr, nullptr), kAudioErrInvalidCall);
}

TEST(AudioDevice, GainOfVolume) {
    EXPECT_FLOAT_EQ(GainOfVolume(0), 1.0f);
    EXPECT_FLOAT_EQ(GainOfVolume(-2000), 0.1f);
    EXPECT_FLOAT_EQ(GainOfVolume(-10000), 0.0f);
    EXPECT_NEAR(GainOfVolume(-9999), 1e-5f, 1e-7f);
}

} // namespace
