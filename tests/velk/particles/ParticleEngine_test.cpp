#include "velk/particles/TParticleEmitter.h"
#include "velk/particles/TParticleSystem.h"

#include "framework/core/math/TRandom.h"
#include "framework/core/tasks/FrameworkTime.h"
#include "framework/graphics/TTexture.h"
#include "framework/graphics/asset/TAssetManager.h"
#include "platform/graphics/PngWriter.h"

#include "framework/graphics/draw/NullDrawFixture.h"
#include "velk/particles/ParticleFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

using namespace particletest;

namespace {

class ParticleEngineTest : public NullDrawFixture {
protected:
    // One frame in which the systems are drawn; the draws it made.
    std::vector<platform::RecordedDraw> Frame(std::initializer_list<TParticleSystem*> systems) {
        Device().ClearDraws();
        EXPECT_TRUE(graphics->BeginDraw(false));
        EXPECT_TRUE(graphics->Begin2d());
        for (TParticleSystem* system : systems) {
            system->Draw();
        }
        graphics->End2d();
        graphics->EndDraw(false);
        return Device().Draws();
    }
    // The particles drawn by the draws: six vertices each.
    static uint32_t Particles(const std::vector<platform::RecordedDraw>& draws) {
        uint32_t vertices = 0;
        for (const platform::RecordedDraw& draw : draws) {
            EXPECT_EQ(draw.primitive, 4u);
            vertices += draw.vertexCount;
        }
        EXPECT_EQ(vertices % 6, 0u);
        return vertices / 6;
    }
    const TParticle& First(TParticleSystem& system) {
        return system.GetEmitter(0)->GetParticles()[0];
    }

    TAssetManager mAssets;
    support::TempFolder mFiles{"corvalo-particles-"};
};

TEST_F(ParticleEngineTest, Seeding_DrawsEveryValueInOrderFromTheEmittersGenerator) {
    const std::string motion =
        "<transform><position>" + Range("translate", Xyz(1, 2, 3), Xyz(4, 5, 6)) +
        Range("rotate", Xyz(0, 0, 0), Xyz(90, 45, 30)) +
        Range("center", Xyz(10, 30, 0), Xyz(20, 40, 0)) +
        Range("scale", Xyz(8, 8, 1), Xyz(16, 16, 1)) + "</position><initialspeed>" +
        Range("translate", Xyz(-100, -100, -100), Xyz(100, 100, 100)) +
        Range("rotate", Xyz(1, 1, 1), Xyz(2, 2, 2)) +
        Range("center", Xyz(-50, 10, 0), Xyz(50, 20, 0)) +
        Range("scale", Xyz(0, 0, 0), Xyz(3, 3, 3)) + "</initialspeed><acceleration>" +
        Range("translate", Xyz(0, 0, 0), Xyz(1, 1, 1)) +
        Range("rotate", Xyz(5, 5, 5), Xyz(6, 6, 6)) +
        Range("center", Xyz(0, -98, 0), Xyz(0, -90, 0)) +
        Range("scale", Xyz(-1, -1, -1), Xyz(0, 0, 0)) + "</acceleration></transform>";
    const std::string colours =
        "<color>" + Range("start", Rgba(0, 10, 20, 200), Rgba(255, 20, 30, 255)) +
        Range("finish", Rgba(5, 6, 7, 8), Rgba(50, 60, 70, 80)) + "</color>";
    const std::string times = "<time><wait inferior=\"0\" superior=\"500\"/>"
                              "<life inferior=\"1000\" superior=\"2000\"/>"
                              "<fade inferior=\"100\" superior=\"200\"/></time>";
    const std::string file = WriteParsys(
        mFiles, "seeded", "<initlinkstart center=\"true\"/>" + motion + colours + times);
    SeedScope seed(1234);
    auto system = Load(file);
    ASSERT_TRUE(system);
    system->Restart();
    const TParticle& p = First(*system);

    // The same draws by hand.
    TRandom random;
    random.Seed(1234);
    auto f = [&](float inf, float sup) {
        const uint32_t n = random.Next();
        return inf + (sup - inf) * static_cast<float>(static_cast<double>(n) / 4294967296.0);
    };
    auto i = [&](int64_t inf, int64_t sup) {
        const uint32_t a = random.Next() >> 5;
        const uint32_t b = random.Next() >> 6;
        const double u = (a * 67108864.0 + b) / 9007199254740992.0;
        return inf + static_cast<int64_t>(u * static_cast<double>(sup - inf + 1));
    };
    // z, then y, then x.
    auto v = [&](const float inf[3], const float sup[3], float out[3]) {
        for (int axis = 2; axis >= 0; --axis) {
            out[axis] = f(inf[axis], sup[axis]);
        }
    };
    struct Component {
        int at;
        float posInf[3], posSup[3], speedInf[3], speedSup[3], accInf[3], accSup[3];
    } components[] = {
        {0, {1, 2, 3}, {4, 5, 6}, {-100, -100, -100}, {100, 100, 100}, {0, 0, 0}, {1, 1, 1}},
        {3, {0, 0, 0}, {90, 45, 30}, {1, 1, 1}, {2, 2, 2}, {5, 5, 5}, {6, 6, 6}},
        {9, {10, 30, 0}, {20, 40, 0}, {-50, 10, 0}, {50, 20, 0}, {0, -98, 0}, {0, -90, 0}},
        {6, {8, 8, 1}, {16, 16, 1}, {0, 0, 0}, {3, 3, 3}, {-1, -1, -1}, {0, 0, 0}},
    };
    float start[12], speed[12], acceleration[12];
    for (const Component& c : components) {
        v(c.posInf, c.posSup, start + c.at);
    }
    for (const Component& c : components) {
        if (c.at == 0) { // the "center" link bit: speed translate = start translate
            std::copy(start, start + 3, speed);
        } else {
            v(c.speedInf, c.speedSup, speed + c.at);
        }
    }
    for (const Component& c : components) {
        v(c.accInf, c.accSup, acceleration + c.at);
    }
    for (int k = 0; k < 12; ++k) {
        EXPECT_EQ(p.start.v[k], start[k]) << "start " << k;
        EXPECT_EQ(p.speed.v[k], speed[k]) << "speed " << k;
        EXPECT_EQ(p.acceleration.v[k], acceleration[k]) << "acceleration " << k;
    }
    const int startColour[4][2] = {{0, 255}, {10, 20}, {20, 30}, {200, 255}};
    const int finishColour[4][2] = {{5, 50}, {6, 60}, {7, 70}, {8, 80}};
    for (int c = 0; c < 4; ++c) {
        EXPECT_EQ(p.startColour[c], i(startColour[c][0], startColour[c][1]))
            << "start colour " << c;
    }
    for (int c = 0; c < 4; ++c) {
        EXPECT_EQ(p.finishColour[c], i(finishColour[c][0], finishColour[c][1]))
            << "finish colour " << c;
    }
    EXPECT_EQ(p.wait, static_cast<uint32_t>(i(0, 500)));
    EXPECT_EQ(p.life, static_cast<uint32_t>(i(1000, 2000)));
    EXPECT_EQ(p.fade, static_cast<uint32_t>(i(100, 200)));
    EXPECT_FLOAT_EQ(p.fadeRate, 255.0f / static_cast<float>(p.fade));
    EXPECT_EQ(p.state, TParticle::kWaiting);
    EXPECT_EQ(p.age, 0u);
}

TEST_F(ParticleEngineTest, Wait_KeepsTheParticleUnseenThenItsMotionTimeCountsTheWait) {
    const std::string file = WriteParsys(
        mFiles, "waiting",
        Times(1000, 2000, 0) + "<transform><position>" +
            Range("scale", Xyz(8, 8, 1), Xyz(8, 8, 1)) + "</position><initialspeed>" +
            Range("center", Xyz(100, 0, 0), Xyz(100, 0, 0)) + "</initialspeed></transform>");
    auto system = Load(file);
    ASSERT_TRUE(system);
    system->Restart();
    system->Update(1000);
    EXPECT_EQ(First(*system).state, TParticle::kWaiting);
    EXPECT_TRUE(Frame({system.get()}).empty());
    system->Update(1);
    EXPECT_EQ(First(*system).state, TParticle::kLiving);
    EXPECT_FLOAT_EQ(First(*system).current.v[TParticleBlock::kCenter], 100.1f);
    const auto draws = Frame({system.get()});
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_EQ(Particles(draws), 1u);
    // An 8-pixel quad around the particle's place.
    const float x = First(*system).current.v[TParticleBlock::kCenter];
    const float y = First(*system).current.v[TParticleBlock::kCenter + 1];
    float left = 1e9f, right = -1e9f, top = 1e9f, bottom = -1e9f;
    for (uint32_t i = 0; i < draws[0].vertexCount; ++i) {
        left = std::min(left, draws[0].X(i));
        right = std::max(right, draws[0].X(i));
        top = std::min(top, draws[0].Y(i));
        bottom = std::max(bottom, draws[0].Y(i));
    }
    EXPECT_NEAR(left, x - 4.0f, 0.01f);
    EXPECT_NEAR(right, x + 4.0f, 0.01f);
    EXPECT_NEAR(top, y - 4.0f, 0.01f);
    EXPECT_NEAR(bottom, y + 4.0f, 0.01f);
}

TEST_F(ParticleEngineTest, StopEmitting_FinishesOnceTheLivingParticlesDied) {
    for (int cycles : {0, 3}) {
        const std::string file =
            WriteParsys(mFiles, "stop" + std::to_string(cycles), Times(0, 100, 0), "",
                        "count=\"3\" cycles=\"" + std::to_string(cycles) + "\"");
        auto system = Load(file);
        ASSERT_TRUE(system);
        system->Restart();
        system->Update(50);
        EXPECT_EQ(Particles(Frame({system.get()})), 3u);
        // Dead, then seeded again while emission goes on.
        system->Update(60);
        EXPECT_TRUE(Frame({system.get()}).empty());
        EXPECT_EQ(First(*system).state, TParticle::kWaiting);
        EXPECT_TRUE(system->IsActive());
        system->Update(50);
        system->SetEmissionStopped(true);
        EXPECT_EQ(Particles(Frame({system.get()})), 3u);
        EXPECT_FALSE(system->IsFinished()) << cycles;
        EXPECT_TRUE(system->IsActive()) << cycles;
        system->Update(60);
        Frame({system.get()});
        EXPECT_TRUE(system->IsFinished()) << cycles;
        EXPECT_FALSE(system->IsActive()) << cycles;
        EXPECT_EQ(First(*system).state, TParticle::kDead);
        // Inactive: nothing moves or draws until a restart.
        system->Update(10);
        EXPECT_TRUE(Frame({system.get()}).empty());
        system->SetActive(true);
        system->Restart();
        system->Update(10);
        EXPECT_EQ(Particles(Frame({system.get()})), 3u);
    }
}

TEST_F(ParticleEngineTest, Cycles_RunOutAndTheSystemIsNoLongerAlive) {
    const std::string file =
        WriteParsys(mFiles, "once", Times(0, 100, 0), "", "count=\"2\" cycles=\"1\"");
    auto system = Load(file);
    ASSERT_TRUE(system);
    system->Restart();
    system->Update(50);
    EXPECT_TRUE(system->IsAlive());
    system->Update(60);
    EXPECT_FALSE(system->IsAlive());
    Frame({system.get()});
    EXPECT_EQ(First(*system).state, TParticle::kDead);
    EXPECT_EQ(First(*system).completedCycles, 1);
    // Not stopped, so not finished: the board stops such systems itself.
    EXPECT_FALSE(system->IsFinished());
}

TEST_F(ParticleEngineTest, Mirror_NegatesTheYOfTranslateAndCenterAndTwiceRestores) {
    std::string motion = "<transform>";
    for (const char* block : {"position", "initialspeed", "acceleration"}) {
        motion += std::string("<") + block + ">";
        for (const char* component : {"translate", "rotate", "center", "scale"}) {
            motion += Range(component, Xyz(1, 2, 3), Xyz(4, 5, 6));
        }
        motion += std::string("</") + block + ">";
    }
    motion += "</transform>";
    auto system = Load(WriteParsys(mFiles, "mirror", motion));
    ASSERT_TRUE(system);
    const TParticleEmitter::Parameters before = system->GetEmitter(0)->GetParameters();
    system->Mirror();
    const TParticleEmitter::Parameters& after = system->GetEmitter(0)->GetParameters();
    const TParticleEmitter::Ranges* was[3] = {&before.position, &before.speed,
                                              &before.acceleration};
    const TParticleEmitter::Ranges* now[3] = {&after.position, &after.speed, &after.acceleration};
    for (int r = 0; r < 3; ++r) {
        for (int k = 0; k < 12; ++k) {
            const bool negated =
                k == TParticleBlock::kTranslate + 1 || k == TParticleBlock::kCenter + 1;
            EXPECT_EQ(now[r]->inferior.v[k],
                      negated ? -was[r]->inferior.v[k] : was[r]->inferior.v[k]);
            EXPECT_EQ(now[r]->superior.v[k],
                      negated ? -was[r]->superior.v[k] : was[r]->superior.v[k]);
        }
    }
    system->Mirror();
    for (int r = 0; r < 3; ++r) {
        for (int k = 0; k < 12; ++k) {
            EXPECT_EQ(now[r]->inferior.v[k], was[r]->inferior.v[k]);
            EXPECT_EQ(now[r]->superior.v[k], was[r]->superior.v[k]);
        }
    }
}

TEST_F(ParticleEngineTest, Seeds_AlikeGiveTheSameParticlesAndApartDifferentOnes) {
    const std::string file =
        WriteParsys(mFiles, "seeds",
                    "<transform><position>" + Range("center", Xyz(0, 0, 0), Xyz(1000, 1000, 0)) +
                        "</position></transform>",
                    "", "count=\"8\"");
    auto positions = [&](uint32_t seed) {
        SeedScope scope(seed);
        auto system = Load(file);
        EXPECT_TRUE(system);
        system->Restart();
        std::vector<float> xs;
        for (const TParticle& p : system->GetEmitter(0)->GetParticles()) {
            xs.push_back(p.start.v[TParticleBlock::kCenter]);
        }
        return xs;
    };
    EXPECT_EQ(positions(7), positions(7));
    EXPECT_NE(positions(7), positions(8));
    // A copy set up with another seed differs from its original.
    SeedScope scope(1);
    auto original = Load(file);
    ASSERT_TRUE(original);
    gSeed = 2;
    TParticleSystem copy(*original);
    original->Restart();
    copy.Restart();
    EXPECT_NE(First(*original).start.v[TParticleBlock::kCenter],
              First(copy).start.v[TParticleBlock::kCenter]);
}

uint32_t gFakeTime = 0;
uint32_t FakeTime() {
    return gFakeTime;
}

TEST_F(ParticleEngineTest, Seeds_ComeFromTheFrameworkTimeWithoutAHook) {
    const std::string file =
        WriteParsys(mFiles, "timed",
                    "<transform><position>" + Range("center", Xyz(0, 0, 0), Xyz(1000, 1000, 0)) +
                        "</position></transform>");
    SetFrameworkTimer(&FakeTime);
    auto at = [&](uint32_t time) {
        gFakeTime = time;
        auto system = Load(file);
        EXPECT_TRUE(system);
        system->Restart();
        return First(*system).start.v[TParticleBlock::kCenter];
    };
    const float first = at(100);
    EXPECT_EQ(at(100), first);
    EXPECT_NE(at(101), first);
    EXPECT_NE(at(5000), first);
    SetFrameworkTimer(nullptr);
}

TEST_F(ParticleEngineTest, Colour_NeverWrapsOverAWholeLifeWithAWaitAndFade) {
    const std::string file = WriteParsys(
        mFiles, "fading",
        Times(500, 1000, 300) + Colours(Rgba(255, 255, 0, 255), Rgba(0, 100, 255, 255)));
    auto system = Load(file);
    ASSERT_TRUE(system);
    system->Restart();
    uint32_t last = 0;
    bool first = true;
    for (int step = 0; step < 160; ++step) {
        system->Update(10);
        const TParticle& p = First(*system);
        if (p.state != TParticle::kLiving) {
            continue;
        }
        const uint32_t colour = p.vertices[0].diffuse;
        if (!first) {
            const auto channel = [](uint32_t c, int shift) { return (c >> shift) & 0xFF; };
            EXPECT_LE(channel(colour, 16), channel(last, 16)) << "red rose at " << p.age;
            EXPECT_LE(channel(colour, 8), channel(last, 8)) << "green rose at " << p.age;
            EXPECT_GE(channel(colour, 0), channel(last, 0)) << "blue fell at " << p.age;
            EXPECT_LE(channel(colour, 24), channel(last, 24)) << "alpha rose at " << p.age;
        }
        EXPECT_EQ(p.vertices[3].diffuse, colour);
        last = colour;
        first = false;
    }
    // The last living colour: the finish colour, faded out.
    EXPECT_EQ(last & 0x00FFFFFFu, 0x0064FFu);
    EXPECT_LE(last >> 24, 10u);
}

TEST_F(ParticleEngineTest, LifeZero_KeepsTheStartColourForEver) {
    auto system = Load(WriteParsys(mFiles, "forever",
                                   Times(0, 0, 100) + Colours(Rgba(1, 2, 3, 4), Rgba(9, 9, 9, 9))));
    ASSERT_TRUE(system);
    system->Restart();
    system->Update(100000);
    EXPECT_EQ(First(*system).state, TParticle::kLiving);
    EXPECT_EQ(First(*system).vertices[0].diffuse, 0x04010203u);
}

TEST_F(ParticleEngineTest, BlendMode_FollowsTheDestinationFactorAlone) {
    struct Case {
        const char* blend;
        int32_t mode;
        uint32_t destBlend;
    } cases[] = {
        {"<blend dst=\"one\"/>", kBlendAdditive, platform::gfx::kBlendOne},
        {"<blend equ=\"max\" src=\"zero\" dst=\"oneminussrcalpha\"/>", kBlendAlpha,
         platform::gfx::kBlendInvSrcAlpha},
        {"<blend dst=\"zero\"/>", kBlendAdditive, platform::gfx::kBlendOne},
        {"", kBlendAlpha, platform::gfx::kBlendInvSrcAlpha},
    };
    int index = 0;
    for (const Case& c : cases) {
        auto system =
            Load(WriteParsys(mFiles, "blend" + std::to_string(index++), Times(0, 0, 0), c.blend));
        ASSERT_TRUE(system);
        EXPECT_EQ(system->GetEmitter(0)->GetBlendMode(), c.mode) << c.blend;
        system->Restart();
        system->Update(1);
        const auto draws = Frame({system.get()});
        ASSERT_EQ(draws.size(), 1u) << c.blend;
        EXPECT_EQ(draws[0].state.Render(platform::RenderState::DestBlend), c.destBlend) << c.blend;
    }
}

TEST_F(ParticleEngineTest, Texture_IsFoundUnderItsImageNameBesideAParticleFileOfTheSameName) {
    // "spark.xml" is the particle file itself; its texture "spark.png".
    std::vector<uint32_t> pixels(8 * 8, 0xFFFFFFFFu);
    ASSERT_TRUE(
        platform::WritePngFile((mFiles.Path() / "spark.png").string(), pixels.data(), 8, 8, 8));
    const std::string xml =
        "<parsys><emitter name=\"e\" texture=\"spark.png\"><particles count=\"1\"/>"
        "</emitter><emitter name=\"f\" texture=\"missing.png\"/></parsys>";
    const std::string file = "::" + mFiles.Write("spark.xml", xml);
    auto system = Load(file);
    ASSERT_TRUE(system);
    ASSERT_TRUE(system->GetEmitter(0)->GetTexture()) << Log();
    EXPECT_EQ(system->GetEmitter(0)->GetTexture()->GetWidth(), 8u);
    EXPECT_FALSE(system->GetEmitter(1)->GetTexture());
    EXPECT_TRUE(Logged("no image for")) << Log();

    // Set by hand, by the name without its extension.
    system->GetEmitter(1)->SetTexture(TString(file.substr(0, file.size() - 4).c_str()));
    EXPECT_TRUE(system->GetEmitter(1)->GetTexture());
}

TEST_F(ParticleEngineTest, Position_MovesTheEmittersCentreAndFreshParticlesTakeIt) {
    auto system = Load(WriteParsys(mFiles, "placed", Times(0, 0, 0)));
    ASSERT_TRUE(system);
    system->SetPosition(300.0f, 200.0f, 0.0f);
    system->Restart();
    system->Update(1);
    const TParticle& p = First(*system);
    EXPECT_EQ(p.birth.v[TParticleBlock::kCenter], 300.0f);
    EXPECT_EQ(p.birth.v[TParticleBlock::kCenter + 1], 200.0f);
    // Living particles keep their birth place when the emitter moves on.
    system->SetPosition(0.0f, 0.0f, 0.0f);
    system->Update(1);
    EXPECT_EQ(p.birth.v[TParticleBlock::kCenter], 300.0f);
}

} // namespace
