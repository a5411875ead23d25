#include "velk/cutscene/vlkClouds.h"
#include "velk/cutscene/vlkCutscene.h"
#include "velk/cutscene/vlkSpriteCS.h"
#include "velk/particles/TParticleSystem.h"

#include "SpriteFixture.h"

#include <cmath>
#include <filesystem>

namespace {

class SpriteCSTest : public CutsceneSpriteFixture {
protected:
    // A sprite object showing a 40 x 20 picture.
    std::unique_ptr<vlkSpriteCS> MakeSprite(const char* name = "logo") {
        auto sprite = std::make_unique<vlkSpriteCS>(nullptr);
        vlkObjectDef def{name, "sprite", Picture("logo.png", 40, 20), ""};
        EXPECT_TRUE(sprite->Init(&def));
        return sprite;
    }
    static bool Apply(vlkObjectCS& object, const vlkAction& action) {
        const bool handled = object.SetAction(&action);
        object.StartAction();
        return handled;
    }
    static float Translation(vlkSpriteCS& sprite, int axis) {
        return sprite.GetSprite()->GetDrawSpec().mTransform.m[2][axis];
    }
};

TEST_F(SpriteCSTest, HiddenUntilAVisibleActionShowsIt) {
    auto sprite = MakeSprite();
    EXPECT_EQ(CountDraws([&] { sprite->Draw(); }), 0u);
    EXPECT_FALSE(sprite->HitTest(0, 0));
    EXPECT_TRUE(Apply(*sprite, Make("visible", "set")));
    EXPECT_EQ(CountDraws([&] { sprite->Draw(); }), 1u);
    EXPECT_TRUE(sprite->HitTest(0, 0)) << "the picture is centred on the position";
    EXPECT_FALSE(sprite->HitTest(30, 0));
    EXPECT_TRUE(Apply(*sprite, Make("visible", "set", {{"value", "True"}})));
    EXPECT_FALSE(sprite->IsVisible()) << "only \"true\" shows";
    EXPECT_FALSE(sprite->HitTest(0, 0));
}

TEST_F(SpriteCSTest, AlphaToOneOverHalfASecondReachesOneExactly) {
    auto sprite = MakeSprite();
    Apply(*sprite, Make("alpha", "set", {{"value", "0"}}));
    Apply(*sprite, Make("alpha", "to", {{"value", "1"}, {"time", "500"}}));
    uint32_t t = 0;
    while (t + 16 < 500) {
        sprite->Update(16);
        t += 16;
        ASSERT_LT(sprite->GetAlpha(), 1.0f) << t;
    }
    sprite->Update(16);
    EXPECT_EQ(sprite->GetAlpha(), 1.0f);
    EXPECT_EQ(sprite->GetSprite()->GetDrawSpec().mAlpha, 1.0f);
    sprite->Update(16);
    EXPECT_EQ(sprite->GetAlpha(), 1.0f) << "the fade has ended";
}

TEST_F(SpriteCSTest, MoveStandsOnWholePixelsAndEndsExactly) {
    auto sprite = MakeSprite();
    Apply(*sprite, Make("position", "to", {{"x", "100"}, {"y", "50"}, {"time", "1000"}}));
    int frames = 0;
    while (sprite->IsMoving()) {
        sprite->Update(16);
        ASSERT_LT(++frames, 100);
        const float x = Translation(*sprite, 0);
        const float y = Translation(*sprite, 1);
        EXPECT_EQ(x, std::floor(x)) << frames;
        EXPECT_EQ(y, std::floor(y)) << frames;
    }
    EXPECT_EQ(frames, 63);
    EXPECT_EQ(Translation(*sprite, 0), 100.0f);
    EXPECT_EQ(Translation(*sprite, 1), 50.0f);
    EXPECT_EQ(sprite->GetOwnPosition(), TVec3(100.0f, 50.0f, 0.0f));
}

TEST_F(SpriteCSTest, TurnKeepsTheScale) {
    auto sprite = MakeSprite();
    Apply(*sprite, Make("scale", "set", {{"x", "2"}, {"y", "2"}, {"z", "1"}}));
    Apply(*sprite, Make("position", "set", {{"x", "10"}, {"y", "20"}}));
    Apply(*sprite, Make("angle", "to", {{"z", "90"}, {"time", "160"}}));
    for (int i = 0; i < 12; ++i) {
        sprite->Update(16);
        const TMat3& m = sprite->GetSprite()->GetDrawSpec().mTransform;
        EXPECT_NEAR(std::hypot(m.m[0][0], m.m[0][1]), 2.0f, 1e-5f) << i;
        EXPECT_NEAR(std::hypot(m.m[1][0], m.m[1][1]), 2.0f, 1e-5f) << i;
        EXPECT_EQ(m.m[2][0], 10.0f);
        EXPECT_EQ(m.m[2][1], 20.0f);
    }
    const TMat3& m = sprite->GetSprite()->GetDrawSpec().mTransform;
    EXPECT_NEAR(m.m[0][0], 0.0f, 1e-5f);
    EXPECT_NEAR(m.m[0][1], 2.0f, 1e-5f) << "turned by a quarter";
    EXPECT_NEAR(sprite->GetAngle().z, 1.5707963f, 1e-6f);
    // A "scale" "set" with x alone flattens y.
    Apply(*sprite, Make("scale", "set", {{"x", "3"}}));
    EXPECT_EQ(sprite->GetScale(), TVec3(3.0f, 0.0f, 0.0f));
}

TEST_F(SpriteCSTest, TintValueThenSingleChannels) {
    auto sprite = MakeSprite();
    EXPECT_TRUE(Apply(*sprite, Make("tint", "set", {{"value", "FF0000FF"}, {"a", "0.5"}})));
    EXPECT_EQ(sprite->GetColour(), TColor(1.0f, 0.0f, 0.0f, 0.5f));
    const float* drawn = sprite->GetSprite()->GetDrawSpec().mColor;
    EXPECT_EQ(drawn[0], 1.0f);
    EXPECT_EQ(drawn[1], 0.0f);
    EXPECT_EQ(drawn[3], 0.5f);
    EXPECT_EQ(sprite->GetSprite()->GetDrawSpec().mAlpha, 0.5f) << "drawn at half opacity";
    // A channel before "value" is overwritten by it.
    Apply(*sprite, Make("tint", "set", {{"g", "1"}, {"value", "00000080"}}));
    EXPECT_EQ(sprite->GetColour().g, 0.0f);
    Apply(*sprite, Make("tint", "to", {{"value", "FFFFFFFF"}, {"time", "100"}}));
    for (int i = 0; i < 7; ++i)
        sprite->Update(16);
    EXPECT_EQ(sprite->GetColour(), TColor(1.0f, 1.0f, 1.0f, 1.0f));
}

TEST_F(SpriteCSTest, ToWithoutTimeLeavesEverythingWhereItIs) {
    auto sprite = MakeSprite();
    Apply(*sprite, Make("position", "set", {{"x", "5"}, {"y", "6"}}));
    const struct {
        const char* property;
        std::vector<std::pair<const char*, const char*>> params;
    } cases[] = {{"position", {{"x", "100"}, {"time", "0"}}},
                 {"position", {{"x", "100"}}},
                 {"alpha", {{"value", "0"}}},
                 {"angle", {{"z", "45"}, {"time", "-5"}}},
                 {"scale", {{"x", "4"}}},
                 {"tint", {{"value", "00000000"}}}};
    for (const auto& c : cases)
        EXPECT_TRUE(Apply(*sprite, Make(c.property, "to", c.params))) << c.property;
    for (int i = 0; i < 10; ++i)
        sprite->Update(16);
    EXPECT_EQ(Translation(*sprite, 0), 5.0f);
    EXPECT_EQ(sprite->GetAlpha(), 1.0f);
    EXPECT_EQ(sprite->GetAngle().z, 0.0f);
    EXPECT_EQ(sprite->GetScale(), TVec3(1.0f, 1.0f, 1.0f));
    EXPECT_EQ(sprite->GetColour(), TColor(1.0f, 1.0f, 1.0f, 1.0f));
    EXPECT_FALSE(Apply(*sprite, Make("position", "jump")));
    EXPECT_FALSE(Apply(*sprite, Make("colour", "set")));
    EXPECT_FALSE(Apply(*sprite, Make("visible", "to")));
}

TEST_F(SpriteCSTest, ResourceKindFollowsTheLastExtension) {
    namespace fs = std::filesystem;
    // An animation in a folder whose name holds a dot, reached through "./".
    fs::create_directories(mFolder.Path() / "anim.v2");
    for (const char* file : {"spin.xml", "spin.png"})
        fs::copy_file(fs::path(CORVALO_TEST_DATA) / "animation" / file,
                      mFolder.Path() / "anim.v2" / file);
    const std::string folder = mFolder.Path().string();
    vlkSpriteCS sprite(nullptr);
    EXPECT_TRUE(sprite.LoadResource(TString(("::" + folder + "/./anim.v2/spin.xml").c_str())));
    ASSERT_TRUE(sprite.GetSprite()->GetAnimatedTexture());
    EXPECT_EQ(sprite.GetSprite()->GetFrameCount(), 4);

    vlkSpriteCS picture(nullptr);
    EXPECT_TRUE(picture.LoadResource(Picture("pics.d/wide.png", 64, 8)));
    EXPECT_FALSE(picture.GetSprite()->GetAnimatedTexture());
    EXPECT_EQ(picture.GetWidth(), 64);

    vlkSpriteCS missing(nullptr);
    EXPECT_FALSE(missing.LoadResource(TString(("::" + folder + "/none.png").c_str())));
    EXPECT_TRUE(Logged("did not load"));
    EXPECT_FALSE(missing.LoadResource(TString()));
    EXPECT_EQ(missing.GetWidth(), 0);
    missing.SetVisible(true);
    EXPECT_FALSE(missing.HitTest(0, 0));
    EXPECT_EQ(CountDraws([&] { missing.Draw(); }), 0u);
}

TEST_F(SpriteCSTest, VisibleSetPlaysTheAnimationWhateverTheValue) {
    vlkSpriteCS sprite(nullptr);
    vlkObjectDef def{"bird", "sprite", TString(("::" CORVALO_TEST_DATA "/animation/spin.xml")), ""};
    ASSERT_TRUE(sprite.Init(&def));
    EXPECT_FALSE(sprite.GetSprite()->IsPlaying(0));
    Apply(sprite, Make("visible", "set", {{"value", "false"}}));
    mTasks.RunAll(0);
    EXPECT_TRUE(sprite.GetSprite()->IsPlaying(0));
    EXPECT_FALSE(sprite.IsVisible());
}

TEST_F(SpriteCSTest, ParticleModeLoadsMirrorsAndPlacesTheSystem) {
    const std::string file = mFolder.Write(
        "glow.xml", "<parsys name=\"glow\"><emitter name=\"e\"><particles count=\"4\"/>"
                    "</emitter></parsys>");
    vlkSpriteCS particle(nullptr);
    particle.SetParticle(true);
    vlkObjectDef def{"glow", "particle", TString(("::" + file).c_str()), ""};
    EXPECT_TRUE(particle.Init(&def));
    ASSERT_NE(particle.GetParticles(), nullptr);
    EXPECT_EQ(particle.GetParticles()->GetEmitterCount(), 1);
    EXPECT_TRUE(particle.GetParticles()->IsActive());
    particle.SetPosition(100.0f, 10.0f, 0.0f);
    Apply(particle, Make("position", "set", {{"x", "5"}, {"y", "7"}}));
    EXPECT_EQ(particle.GetPosition(), TVec3(105.0f, 17.0f, 0.0f));
    EXPECT_FALSE(particle.HitTest(105, 17)) << "particles take no clicks";

    vlkSpriteCS broken(nullptr);
    broken.SetParticle(true);
    vlkObjectDef none{"none", "particle", "::/no/such/file.xml", ""};
    EXPECT_TRUE(broken.Init(&none)) << "answers true loaded or not";
    ASSERT_NE(broken.GetParticles(), nullptr);
    EXPECT_EQ(broken.GetParticles()->GetEmitterCount(), 0);
    broken.Update(16);
}

TEST_F(SpriteCSTest, OffsetOfTheCutsceneJoinsTheNextPlacement) {
    auto sprite = MakeSprite();
    sprite->SetPosition(300.0f, 200.0f, 0.0f);
    EXPECT_EQ(Translation(*sprite, 0), 0.0f) << "not until it places itself";
    Apply(*sprite, Make("position", "set", {{"x", "10"}, {"y", "5"}}));
    EXPECT_EQ(sprite->GetPosition(), TVec3(310.0f, 205.0f, 0.0f));
}

// Clouds: a strip 800 pixels wide.
class CloudsTest : public SpriteCSTest {
protected:
    std::unique_ptr<vlkClouds> MakeClouds() {
        auto clouds = std::make_unique<vlkClouds>(nullptr);
        vlkObjectDef def{"sky", "clouds", Picture("sky.png", 800, 4), ""};
        EXPECT_TRUE(clouds->Init(&def));
        return clouds;
    }
};

TEST_F(CloudsTest, ScrollsOneWidthPerDurationWithTheFollowerBeside) {
    auto clouds = MakeClouds();
    Apply(*clouds, Make("position", "set", {{"x", "0"}, {"y", "100"}}));
    EXPECT_EQ(clouds->GetDuration(), 6000u);
    float previous = 1.0f;
    int jumps = 0;
    for (uint32_t t = 16; t <= 12000; t += 16) {
        clouds->Update(16);
        const float lead = clouds->GetLead().GetPosition().x;
        const float follower = clouds->GetFollower().GetPosition().x;
        ASSERT_EQ(follower, lead + 800.0f) << t;
        ASSERT_GT(lead, -800.0f) << t;
        ASSERT_LE(lead, 0.0f) << t;
        if (lead > previous)
            ++jumps;
        previous = lead;
        if (t == 3008) {
            EXPECT_NEAR(lead, -401.0f, 1.0f) << "800 pixels per 6 s";
        }
    }
    EXPECT_EQ(jumps, 2) << "back at x 0 every 6 s";
    EXPECT_EQ(CountDraws([&] { clouds->Draw(); }), 2u);
    clouds->SetVisible(false);
    EXPECT_EQ(CountDraws([&] { clouds->Draw(); }), 2u) << "its own flag is not consulted";
}

TEST_F(CloudsTest, DirectionWords) {
    const struct {
        const char* value;
        uint32_t direction;
    } cases[] = {{"Left", 0}, {"left", 0}, {"LEFT", 0}, {"right", 1}, {"up", 1}, {"", 1}};
    for (const auto& c : cases) {
        auto clouds = MakeClouds();
        EXPECT_TRUE(Apply(*clouds, Make("direction", "set", {{"value", c.value}})));
        EXPECT_EQ(clouds->GetDirection(), c.direction) << c.value;
        clouds->Update(600);
        const float lead = clouds->GetLead().GetPosition().x;
        EXPECT_NEAR(lead, c.direction == 0 ? -80.0f : 80.0f, 1.0f) << c.value;
        EXPECT_EQ(clouds->GetFollower().GetPosition().x, lead + (c.direction == 0 ? 800 : -800));
    }
    auto clouds = MakeClouds();
    Apply(*clouds, Make("direction", "set", {{"value", "right"}}));
    EXPECT_TRUE(Apply(*clouds, Make("direction", "set")));
    EXPECT_EQ(clouds->GetDirection(), 0u) << "no value scrolls left";
    EXPECT_TRUE(Apply(*clouds, Make("time", "set", {{"value", "1000"}})));
    EXPECT_EQ(clouds->GetDuration(), 1000u);
    EXPECT_FALSE(Apply(*clouds, Make("speed", "set")));
}

TEST_F(CloudsTest, PlacedCutsceneDoesNotDrift) {
    auto clouds = MakeClouds();
    clouds->SetPosition(50.0f, 20.0f, 0.0f);
    Apply(*clouds, Make("position", "set", {{"x", "0"}, {"y", "0"}}));
    float previous = 50.0f;
    int jumps = 0;
    for (uint32_t t = 0; t < 19000; t += 40) {
        clouds->Update(40);
        const TVec3 lead = clouds->GetLead().GetPosition();
        if (lead.x > previous) {
            ++jumps;
            ASSERT_EQ(lead.x, 50.0f) << "each jump lands where the strip started";
        }
        ASSERT_EQ(lead.y, 20.0f);
        ASSERT_GE(lead.x, -750.0f);
        previous = lead.x;
    }
    EXPECT_EQ(jumps, 3);
}

TEST_F(CloudsTest, HideAllObjectsLeavesCloudsShown) {
    vlkCutscene scene;
    auto clouds = MakeClouds();
    vlkClouds* raw = clouds.get();
    scene.AddObject(std::move(clouds));
    scene.HideAllObjects();
    EXPECT_EQ(CountDraws([&] { scene.Draw(); }), 2u);
    EXPECT_TRUE(raw->HitTest(0, 1));
}

} // namespace
