// The Ogg Vorbis source, the in-memory source and the builder registry, on
// tone files written at build time; damaged files fail or end early.

#include "framework/core/files/FileTestTree.h"
#include "framework/core/files/TPackWriter.h"
#include "framework/core/settings/TSettings.h"
#include "framework/sound/PcmSource.h"
#include "framework/sound/SoundTestSupport.h"
#include "framework/sound/source/TMemDataSource.h"
#include "framework/sound/source/TOggDataSource.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

using namespace soundtest;

// A crafted file of the Ogg fuzz corpus.
std::string CraftedFile(const std::string& name) {
    return std::string(CORVALO_TEST_DATA) + "/../fuzz/corpus/fuzz_ogg/" + name;
}

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

// Going back to 0 (a replay, the next pass of a loop) gives the bytes of the
// first pass again, streamed or from memory; an offset past the end gives
// nothing and seeks nowhere.
TEST(OggDataSource, Read_AtZeroAgainGivesTheSameBytesAndPastTheEndNothing) {
    for (const char* file :
         {"tone440_mono_1s.ogg", "tone1000_stereo_3s.ogg", "tone660_mono22k_short.ogg"}) {
        const std::vector<int16_t> reference = DecodeReference(Fixture(file));
        for (bool stream : {false, true}) {
            SCOPED_TRACE(std::string(file) + (stream ? " streamed" : " in memory"));
            TOggDataSource source;
            ASSERT_TRUE(source.Open(FixtureName(file).c_str(), stream));
            const uint32_t size = static_cast<uint32_t>(source.GetSize());
            for (int pass = 0; pass < 3; ++pass) {
                EXPECT_EQ(ReadAll(source, 0, size), reference) << "pass " << pass;
            }
            EXPECT_TRUE(ReadAll(source, size + 4000, 64).empty());
            EXPECT_EQ(ReadAll(source, 4000, 400),
                      std::vector<int16_t>(reference.begin() + 2000, reference.begin() + 2200));
        }
    }
}

// Reads of fewer bytes than a frame (or ending inside one) deliver every
// byte asked for, and the next read goes on inside that frame.
TEST(OggDataSource, Read_PiecesSmallerThanAFrameGiveTheWholeStream) {
    for (const char* file : {"tone1000_stereo_3s.ogg", "tone440_mono_1s.ogg"}) {
        const std::vector<int16_t> reference = DecodeReference(Fixture(file));
        const auto* bytes = reinterpret_cast<const uint8_t*>(reference.data());
        TOggDataSource source;
        ASSERT_TRUE(source.Open(FixtureName(file).c_str(), false));
        std::vector<uint8_t> joined;
        uint32_t offset = 0;
        for (uint32_t piece : {1u, 3u, 2u, 5u, 7u, 4u, 1u, 1u, 1u, 1000u, 3u}) {
            std::vector<uint8_t> part(piece);
            ASSERT_EQ(source.Read(part.data(), offset, piece), piece) << file << " at " << offset;
            joined.insert(joined.end(), part.begin(), part.end());
            offset += piece;
        }
        EXPECT_TRUE(std::equal(joined.begin(), joined.end(), bytes)) << file;
        // The last frame of the stream comes in a short read, the end after.
        const uint32_t size = static_cast<uint32_t>(source.GetSize());
        const uint32_t frame = 2 * source.GetChannels();
        std::vector<uint8_t> tail(frame + 3);
        ASSERT_EQ(source.Read(tail.data(), size - frame, frame + 3), frame) << file;
        EXPECT_EQ(std::memcmp(tail.data(), bytes + size - frame, frame), 0) << file;
        EXPECT_EQ(source.Read(tail.data(), size, 3), 0u) << file;
    }
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

// A source whose header claims far more than it holds (a damaged or
// crafted file): the decoded copy grows with what really comes, and no read
// asks for much more room than has been filled.
TEST(MemDataSource, GrowsWithWhatDecodesNotWithTheClaimedSize) {
    class Claiming : public PcmSource {
    public:
        Claiming(std::vector<int16_t> samples)
            : PcmSource(samples, 44100, 2), mReal(samples.size() * 2) {}
        uint64_t GetSize() override { return 1ull << 30; }
        uint32_t Read(void* dest, uint32_t offset, uint32_t count) override {
            largest = std::max(largest, count);
            EXPECT_LE(count, std::max(offset, 1024u * 1024u)) << "a read at " << offset;
            const uint32_t n = offset < mReal ? std::min(count, mReal - offset) : 0;
            return n ? PcmSource::Read(dest, offset, n) : 0;
        }
        uint32_t largest = 0;

    private:
        uint32_t mReal;
    };
    const std::vector<int16_t> samples = Counting(300000);
    Claiming source(samples);
    TMemDataSource memory(source);
    EXPECT_EQ(memory.GetSize(), samples.size() * 2);
    EXPECT_LE(source.largest, 1024u * 1024u);
    std::vector<int16_t> back(samples.size());
    ASSERT_EQ(memory.Read(back.data(), 0, static_cast<uint32_t>(memory.GetSize())),
              samples.size() * 2);
    EXPECT_EQ(back, samples);
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
        // Claims 2^29 frames: only the tone's real length is kept.
        {"::granule_2_29.ogg", false, "1", true},
    };
    for (const Case& c : cases) {
        SetSetting("keepogguncompressed", c.keep);
        const bool crafted = c.file[0] == ':';
        const std::string path = crafted ? CraftedFile(c.file + 2) : Fixture(c.file);
        std::shared_ptr<TSoundDataSource> source =
            TSoundDataSourceBuilder::CreateSource(("::" + path).c_str(), c.stream);
        ASSERT_TRUE(source) << c.file;
        EXPECT_EQ(dynamic_cast<TMemDataSource*>(source.get()) != nullptr, c.decodedAtLoad)
            << c.file << " keep=" << c.keep;
        EXPECT_EQ(source->GetSize(), DecodeReference(path).size() * 2);
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

// Files whose last page claims an absurd length, their page checksums right
// (made by tests/fuzz/craft_ogg_granule.py): each opens at once and
// delivers no more than the tone it was made from.
TEST(OggDataSource, CraftedLengths_OpenAtOnceAndDeliverTheRealSound) {
    const size_t real = 96000 * 2; // the tone the files were made from
    for (const char* file : {"granule_near_2_64.ogg", "granule_2_63.ogg", "granule_2_29.ogg"}) {
        for (bool stream : {false, true}) {
            SCOPED_TRACE(std::string(file) + (stream ? " streamed" : " in memory"));
            TOggDataSource source;
            ASSERT_TRUE(source.Open(("::" + CraftedFile(file)).c_str(), stream));
            std::vector<uint8_t> all(real + 4096);
            EXPECT_LE(source.Read(all.data(), 0, static_cast<uint32_t>(all.size())), real);
            EXPECT_LE(source.Read(all.data(), static_cast<uint32_t>(source.GetSize() / 2), 4096),
                      4096u);
            EXPECT_LE(source.Read(all.data(), 0, 4096), 4096u);
        }
    }
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
