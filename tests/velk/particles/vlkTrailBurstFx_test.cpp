#include "velk/particles/vlkTrailBurstFx.h"

#include "framework/core/math/TRandom.h"
#include "framework/graphics/TTexture.h"
#include "framework/graphics/asset/TAssetManager.h"
#include "platform/graphics/PngWriter.h"
#include "velk/motion/vlkSplinePath.h"
#include "velk/particles/TParticleSystem.h"
#include "velk/particles/vlkBoardFxServices.h"
#include "velk/particles/vlkParticleFx.h"

#include "framework/graphics/draw/NullDrawFixture.h"
#include "velk/particles/ParticleFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

using namespace particletest;

namespace {

// The effect list, sounds, random numbers and screen of a test.
class TestServices : public vlkBoardFxServices {
public:
    TString GetFxPath(const TString& name) override {
        std::string key = name.ToStd();
        std::transform(key.begin(), key.end(), key.begin(), ::tolower);
        const auto found = files.find(key);
        return found == files.end() ? TString() : TString(found->second.c_str());
    }
    void PlayEffectSound(const TString& name) override { sounds.push_back(name.ToStd()); }
    uint32_t Random() override {
        if (randoms.empty()) {
            return generator.Next();
        }
        return randoms[next++ % randoms.size()];
    }
    TRect GetScreenRect() override { return screen; }

    std::map<std::string, std::string> files;
    std::vector<std::string> sounds;
    std::vector<uint32_t> randoms;
    size_t next = 0;
    TRandom generator;
    TRect screen{0, 0, 1024, 768};
};

class TrailBurstTest : public NullDrawFixture {
protected:
    void SetUp() override {
        NullDrawFixture::SetUp();
        services.files["trail"] = "::" CORVALO_TEST_DATA "/particles/shorttrail.xml";
        services.files["tilescompleted"] = "::" CORVALO_TEST_DATA "/particles/burst.xml";
        vlkBoardFxServices::Install(&services);
    }
    void TearDown() override {
        vlkBoardFxServices::Install(nullptr);
        NullDrawFixture::TearDown();
    }
    void DrawFrame(vlkTrailBurstFx& fx) {
        ASSERT_TRUE(graphics->BeginDraw(false));
        ASSERT_TRUE(graphics->Begin2d());
        fx.Draw();
        graphics->End2d();
        graphics->EndDraw(false);
    }
    // The trail's one segment.
    vlkSegmentPoints Segment(vlkTrailBurstFx& fx) {
        vlkSegmentPoints points{};
        EXPECT_TRUE(fx.GetTrail()->GetPath()->SeekFirstSegment(points));
        return points;
    }

    TAssetManager mAssets;
    SeedScope mSeed{5};
    TestServices services;
    support::TempFolder mFiles{"corvalo-fireworks-"};
};

TEST_F(TrailBurstTest, States_RunIdleTrailBurstDoneWithTheirSounds) {
    vlkTrailBurstFx fx;
    EXPECT_EQ(fx.GetState(), vlkTrailBurstFx::kStateIdle);
    EXPECT_FALSE(fx.IsActive());
    EXPECT_FALSE(fx.IsDone());
    fx.Update(100);
    EXPECT_EQ(fx.GetState(), vlkTrailBurstFx::kStateIdle);

    fx.PickRandomFirework();
    fx.Launch();
    EXPECT_EQ(fx.GetState(), vlkTrailBurstFx::kStateTrail);
    EXPECT_TRUE(fx.IsActive());
    EXPECT_EQ(services.sounds, std::vector<std::string>{"fireworks1"});
    std::vector<int32_t> states;
    for (int frame = 0; frame < 30 && !fx.IsDone(); ++frame) {
        fx.Update(50);
        DrawFrame(fx);
        if (states.empty() || states.back() != fx.GetState()) {
            states.push_back(fx.GetState());
        }
        if (fx.GetState() == vlkTrailBurstFx::kStateTrail) {
            EXPECT_TRUE(fx.GetTrail()->IsActive());
        }
    }
    EXPECT_EQ(states, (std::vector<int32_t>{1, 2, 3}));
    EXPECT_TRUE(fx.IsDone());
    EXPECT_FALSE(fx.IsActive());
    EXPECT_FALSE(fx.IsBursting());
    EXPECT_EQ(services.sounds, (std::vector<std::string>{"fireworks1", "fireworks3"}));

    // Launched again from done.
    fx.Launch();
    EXPECT_EQ(fx.GetState(), vlkTrailBurstFx::kStateTrail);
    EXPECT_FALSE(fx.IsDone());
}

TEST_F(TrailBurstTest, Launch_PutsThePathInsideItsBoundsAndTheBurstAtItsEnd) {
    vlkTrailBurstFx fx;
    // Extremes first, then ordinary numbers.
    services.randoms = {0, 0xFFFFFFFFu, 0x80000000u, 0x7FFFFFFFu, 724, 100, 150, 873};
    for (int launch = 0; launch < 300; ++launch) {
        if (launch == 2) {
            services.randoms.clear();
        }
        fx.Launch();
        const vlkSegmentPoints p = Segment(fx);
        EXPECT_GE(p[0], 150.0f);
        EXPECT_LE(p[0], 874.0f);
        EXPECT_GE(p[1], 568.0f);
        EXPECT_LE(p[1], 668.0f);
        EXPECT_GE(p[9], 150.0f);
        EXPECT_LE(p[9], 874.0f);
        EXPECT_GE(p[10], 150.0f);
        EXPECT_LE(p[10], 300.0f);
        // Straight up, then over.
        EXPECT_EQ(p[3], p[0]);
        EXPECT_EQ(p[4], p[1]);
        EXPECT_EQ(p[6], p[0]);
        EXPECT_EQ(p[7], p[10]);
        const TParticleBlock& block = fx.GetBurst()->GetEmitter(0)->GetEmitterBlock();
        EXPECT_EQ(block.v[TParticleBlock::kCenter], p[9]);
        EXPECT_EQ(block.v[TParticleBlock::kCenter + 1], p[10]);
    }

    // A root narrower than 300 pixels: every x is 150.
    services.screen = TRect(0, 0, 200, 300);
    fx.Launch();
    const vlkSegmentPoints narrow = Segment(fx);
    EXPECT_EQ(narrow[0], 150.0f);
    EXPECT_EQ(narrow[9], 150.0f);
}

TEST_F(TrailBurstTest, Template_HasAsManyEmittersAsItsOriginal) {
    vlkTrailBurstFx original;
    ASSERT_EQ(original.GetBurst()->GetEmitterCount(), 3);
    ASSERT_EQ(original.GetTrail()->GetParticleSystem()->GetEmitterCount(), 1);
    vlkTrailBurstFx copy(original);
    EXPECT_EQ(copy.GetBurst()->GetEmitterCount(), 3);
    EXPECT_EQ(copy.GetTrail()->GetParticleSystem()->GetEmitterCount(), 1);
    EXPECT_FALSE(copy.IsActive());
    EXPECT_EQ(copy.GetState(), vlkTrailBurstFx::kStateIdle);
    // Mirrored once, as the original: the dots drift the same way.
    const auto speed = [](vlkTrailBurstFx& fx) {
        return fx.GetTrail()
            ->GetParticleSystem()
            ->GetEmitter(0)
            ->GetParameters()
            .speed.superior.v[TParticleBlock::kCenter];
    };
    EXPECT_EQ(speed(copy), speed(original));
}

TEST_F(TrailBurstTest, BurstOfEndlessCycles_StaysBurstingUntilStop) {
    const std::string endless =
        "::" + mFiles.Write("endless.xml", "<parsys><emitter><particles count=\"3\" "
                                           "cycles=\"0\"><time><life inferior=\"50\" "
                                           "superior=\"50\"/></time></particles></emitter>"
                                           "</parsys>");
    services.files["tilescompleted"] = endless;
    vlkTrailBurstFx fx;
    fx.Launch();
    for (int frame = 0; frame < 100; ++frame) {
        fx.Update(50);
        DrawFrame(fx);
    }
    EXPECT_EQ(fx.GetState(), vlkTrailBurstFx::kStateBurst);
    EXPECT_TRUE(fx.IsBursting());
    EXPECT_TRUE(fx.IsActive());
    fx.Stop();
    EXPECT_EQ(fx.GetState(), vlkTrailBurstFx::kStateDone);
    EXPECT_TRUE(fx.IsDone());
    EXPECT_FALSE(fx.IsActive());
}

TEST_F(TrailBurstTest, PickRandomFirework_ColoursTheFirstTwoEmittersAndTexturesEveryOne) {
    std::vector<uint32_t> pixels(4 * 4, 0xFFFFFFFFu);
    for (const char* name : {"tx1", "tx2", "tx3"}) {
        ASSERT_TRUE(platform::WritePngFile((mFiles.Path() / (std::string(name) + ".png")).string(),
                                           pixels.data(), 4, 4, 4));
        services.files[std::string("fireworktx") + (name + 2)] =
            "::" + (mFiles.Path() / name).string();
    }
    vlkTrailBurstFx fx;
    struct Case {
        uint32_t random;
        uint8_t rgb[3];
        const char* texture;
    } cases[] = {{0, {0, 0, 255}, "tx1"},
                 {4, {255, 255, 0}, "tx2"},
                 {0xFFFFFFFFu, {255, 255, 0}, "tx2"}, // |-1| = 1
                 {5, {255, 0, 0}, "tx3"}};
    for (const Case& c : cases) {
        services.randoms = {c.random};
        services.next = 0;
        fx.PickRandomFirework();
        for (int32_t e = 0; e < 2; ++e) {
            const uint8_t* colour = fx.GetBurst()->GetEmitter(e)->GetParameters().colour;
            for (int range = 0; range < 4; ++range) {
                EXPECT_EQ(colour[4 * range], c.rgb[0]) << c.random;
                EXPECT_EQ(colour[4 * range + 1], c.rgb[1]) << c.random;
                EXPECT_EQ(colour[4 * range + 2], c.rgb[2]) << c.random;
                EXPECT_EQ(colour[4 * range + 3], 255) << c.random;
            }
        }
        // The third keeps the file's colour (1.0 of 255 where none is given).
        EXPECT_EQ(fx.GetBurst()->GetEmitter(2)->GetParameters().colour[2], 1) << "untouched";
        EXPECT_EQ(fx.GetBurst()->GetEmitter(2)->GetParameters().colour[0], 1) << "untouched";
        for (TParticleSystem* system : {fx.GetBurst(), fx.GetTrail()->GetParticleSystem()}) {
            for (int32_t e = 0; e < system->GetEmitterCount(); ++e) {
                ASSERT_TRUE(system->GetEmitter(e)->GetTexture()) << c.texture;
            }
        }
    }
    // A burst of one emitter colours just that one.
    services.files["tilescompleted"] =
        "::" + mFiles.Write("single.xml", "<parsys><emitter name=\"only\"/></parsys>");
    vlkTrailBurstFx single;
    services.randoms = {2};
    single.PickRandomFirework();
    EXPECT_EQ(single.GetBurst()->GetEmitter(0)->GetParameters().colour[1], 0);
}

TEST_F(TrailBurstTest, MissingFiles_GiveAnEffectThatRunsWithoutParticles) {
    services.files.clear();
    vlkTrailBurstFx fx;
    fx.PickRandomFirework();
    fx.Launch();
    for (int frame = 0; frame < 5; ++frame) {
        fx.Update(1000);
        DrawFrame(fx);
    }
    EXPECT_TRUE(fx.IsDone());
}

} // namespace
