// The Ogg Vorbis source, the in-memory source and the builder registry, on
// tone files written at build time; damaged files fail or end early.

#include "framework/core/files/FileTestTree.h"
#include "framework/core/files/TPackWriter.h"
#include "framework/core/settings/TSettings.h"
#include "framework/sound/SoundTestSupport.h"
#include "framework/sound/source/TMemDataSource.h"
#include "framework/sound/source/TOggDataSource.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

using namespace soundtest;

std::vector<int16_t> ReadAll(TSoundDataSource& source, uint32_t offset, uint32_t count) {
    std::vector<int16_t> out(count / 2);
    uint32_t got = source.Read(out.data(), offset, count);
    out.resize(got / 2);
    return out;
}

TEST(OggDataSource, Open_ReportsFormatDurationAndSize) {
    struct Case {
        const char* file;
        uint32_t rate, channels;
        double seconds;
    } cases[] = {{"tone440_mono_1s.ogg", 44100, 1, 1.0},
                 {"tone1000_stereo_3s.ogg", 44100, 2, 3.0},
                 {"tone660_mono22k_short.ogg", 22050, 1, 0.25}};
    for (const Case& c : cases) {
        for (bool stream : {false, true}) {
            TOggDataSource source;
            ASSERT_TRUE(source.Open(FixtureName(c.file).c_str(), stream)) << c.file;
            EXPECT_EQ(source.GetSampleRate(), c.rate);
            EXPECT_EQ(source.GetChannels(), c.channels);
            EXPECT_NEAR(source.GetDuration(), c.seconds, 0.001);
            std::vector<int16_t> reference = DecodeReference(Fixture(c.file));
            EXPECT_EQ(source.GetSize(), reference.size() * 2);
            std::vector<int16_t> all = ReadAll(source, 0, static_cast<uint32_t>(source.GetSize()));
            EXPECT_EQ(all, reference) << c.file << (stream ? " streamed" : " in memory");
        }
    }
}

TEST(OggDataSource, Open_AddsTheExtensionAndFailsSilentlyOnAMissingFile) {
    LogCapture log;
    TOggDataSource source;
    std::string name = FixtureName("tone440_mono_1s.ogg");
    name.resize(name.size() - 4);
    EXPECT_TRUE(source.Open(name.c_str(), false));
    EXPECT_FALSE(source.Open(FixtureName("no_such_tone").c_str(), true));
    EXPECT_FALSE(log.Has("OGG file could not be opened"));
}

TEST(OggDataSource, Read_AtZeroAfterTheEndStartsAgain) {
    TOggDataSource source;
    ASSERT_TRUE(source.Open(FixtureName("tone660_mono22k_short.ogg").c_str(), false));
    uint32_t size = static_cast<uint32_t>(source.GetSize());
    std::vector<int16_t> first = ReadAll(source, 0, size + 100);
    EXPECT_EQ(first.size() * 2, size);
    EXPECT_TRUE(ReadAll(source, size, 64).empty());
    EXPECT_EQ(ReadAll(source, 0, size), first);
}

TEST(OggDataSource, Read_AtAnotherOffsetSeeksToTheFrameOfStereoData) {
    TOggDataSource source;
    ASSERT_TRUE(source.Open(FixtureName("tone1000_stereo_3s.ogg").c_str(), false));
    std::vector<int16_t> reference = DecodeReference(Fixture("tone1000_stereo_3s.ogg"));
    // Byte 400000 is frame 100000 of a stereo sound: a seek by samples
    // would land at frame 200000.
    for (uint32_t offset : {400000u, 4u, 352800u, 400002u}) {
        std::vector<int16_t> part = ReadAll(source, offset, 4000);
        uint32_t frameStart = offset - offset % 4;
        ASSERT_EQ(part.size(), 2000u);
        EXPECT_TRUE(std::equal(part.begin(), part.end(), reference.begin() + frameStart / 2))
            << offset;
    }
}

TEST(OggDataSource, Open_ReadsASoundInsideAPack) {
    FileTestTree tree;
    RegisterOggDataSourceBuilder();
    const std::string fixture = Fixture("tone1000_stereo_3s.ogg");
    std::vector<TPackSource> sources{{"sounds/tone.ogg", fixture.c_str()}};
    TString error;
    std::filesystem::create_directories("assets");
    ASSERT_TRUE(WritePackFile("assets/sounds.nbp", sources, error)) << error.CStr();
    ASSERT_TRUE(LoadPack(GetNameTable(), "::assets/sounds.nbp"));

    // Streamed from the pack entry, and the builder finds it without its
    // extension; both give the decoded file's samples.
    const std::vector<int16_t> reference = DecodeReference(fixture);
    TOggDataSource source;
    ASSERT_TRUE(source.Open("sounds/tone.ogg", true));
    EXPECT_EQ(ReadAll(source, 0, 4096),
              std::vector<int16_t>(reference.begin(), reference.begin() + 2048));
    std::shared_ptr<TSoundDataSource> built =
        TSoundDataSourceBuilder::CreateSource("sounds/tone", false);
    ASSERT_TRUE(built);
    EXPECT_EQ(built->GetSize(), reference.size() * 2);
}

TEST(MemDataSource, HoldsTheDecodedSoundAndEndsAtItsSize) {
    TOggDataSource ogg;
    ASSERT_TRUE(ogg.Open(FixtureName("tone440_mono_1s.ogg").c_str(), false));
    TMemDataSource memory(ogg);
    EXPECT_EQ(memory.GetSize(), ogg.GetSize());
    EXPECT_EQ(memory.GetChannels(), 1u);
    EXPECT_EQ(memory.GetSampleRate(), 44100u);
    EXPECT_DOUBLE_EQ(memory.GetDuration(), ogg.GetDuration());
    uint32_t size = static_cast<uint32_t>(memory.GetSize());
    std::vector<int16_t> reference = DecodeReference(Fixture("tone440_mono_1s.ogg"));
    EXPECT_EQ(ReadAll(memory, 0, size), reference);
    EXPECT_EQ(ReadAll(memory, size - 10, 100).size(), 5u);
    int16_t sample = 0;
    EXPECT_EQ(memory.Read(&sample, size, 2), 0u);
    EXPECT_EQ(memory.Read(&sample, size + 7, 2), 0u);
}

class Builders : public ::testing::Test {
protected:
    void SetUp() override { RegisterOggDataSourceBuilder(); }
    void TearDown() override { ClearSettings(); }
};

TEST_F(Builders, CreateSource_ShortSoundsAreDecodedAtLoadLongOnesWhilePlaying) {
    struct Case {
        const char* file;
        bool stream;
        const char* keep;
        bool decodedAtLoad;
    } cases[] = {
        {"tone880_stereo_1500ms.ogg", false, "0", true},
        {"tone1000_stereo_3s.ogg", false, "0", false},
        {"tone1000_stereo_3s.ogg", false, "1", true},
        {"tone440_mono_1s.ogg", true, "1", false},
    };
    for (const Case& c : cases) {
        SetSetting("keepogguncompressed", c.keep);
        std::shared_ptr<TSoundDataSource> source =
            TSoundDataSourceBuilder::CreateSource(FixtureName(c.file).c_str(), c.stream);
        ASSERT_TRUE(source) << c.file;
        EXPECT_EQ(dynamic_cast<TMemDataSource*>(source.get()) != nullptr, c.decodedAtLoad)
            << c.file << " keep=" << c.keep;
        EXPECT_EQ(source->GetSize(), DecodeReference(Fixture(c.file)).size() * 2);
    }
}

TEST_F(Builders, CreateSource_FindsTheBuilderByTryingExtensions) {
    std::string name = FixtureName("tone440_mono_1s");
    auto source = TSoundDataSourceBuilder::CreateSource(name.c_str(), false);
    ASSERT_TRUE(source);
    EXPECT_EQ(source->GetChannels(), 1u);
    EXPECT_FALSE(TSoundDataSourceBuilder::CreateSource(FixtureName("missing").c_str(), false));
    EXPECT_FALSE(TSoundDataSourceBuilder::CreateSource(FixtureName("missing.wav").c_str(), false));
    EXPECT_TRUE(IsOggDataSourceRegistered());
}

// Damaged files: each fails with the log line or delivers fewer bytes, and
// nothing reads outside its data (the sanitizers watch).
TEST(OggDataSource, DamagedFiles_FailOrEndEarly) {
    support::TempFolder folder("corvalo-ogg-");
    const std::string good = ReadBytes(Fixture("tone1000_stereo_3s.ogg"));
    ASSERT_GT(good.size(), 4000u);
    std::string flipped = good;
    for (size_t i = good.size() / 3; i < good.size(); i += 97) {
        flipped[i] = static_cast<char>(flipped[i] ^ 0x5A);
    }
    // opens: 1 opens, 0 fails, -1 either (the damage decides).
    struct Case {
        const char* name;
        std::string bytes;
        int opens;
    } cases[] = {
        {"empty.ogg", "", 0},
        {"text.ogg", "this is not a sound file at all", 0},
        {"headers_only.ogg", good.substr(0, 200), 0},
        {"half.ogg", good.substr(0, good.size() / 2), 1},
        {"most.ogg", good.substr(0, good.size() - 500), 1},
        {"flipped.ogg", flipped, -1},
    };
    const size_t full = DecodeReference(Fixture("tone1000_stereo_3s.ogg")).size() * 2;
    for (const Case& c : cases) {
        for (bool stream : {false, true}) {
            LogCapture log;
            std::string path = folder.Write(c.name, c.bytes);
            TOggDataSource source;
            bool opened = source.Open(("::" + path).c_str(), stream);
            if (c.opens >= 0) {
                EXPECT_EQ(opened, c.opens == 1) << c.name;
            }
            if (!opened) {
                EXPECT_TRUE(log.Has("OGG file could not be opened")) << c.name;
                continue;
            }
            std::vector<uint8_t> all(static_cast<size_t>(source.GetSize()) + 64);
            uint32_t got = source.Read(all.data(), 0, static_cast<uint32_t>(all.size()));
            EXPECT_LE(got, source.GetSize()) << c.name;
            if (c.opens == 1) {
                EXPECT_LT(got, full) << c.name << " ends early";
            }
            TMemDataSource memory(source);
            EXPECT_LE(memory.GetSize(), source.GetSize());
        }
    }
}

} // namespace
