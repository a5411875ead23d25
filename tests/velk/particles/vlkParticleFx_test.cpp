#include "velk/particles/vlkParticleFx.h"

#include "velk/motion/vlkSplinePath.h"
#include "velk/particles/TParticleSystem.h"

#include "framework/graphics/asset/TAssetManager.h"

#include "framework/graphics/draw/NullDrawFixture.h"
#include "velk/particles/ParticleFixture.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

using namespace particletest;

namespace {

// Right along y = 100 to (300, 100), then down to (300, 400); 3000 ms each.
const char kTwoSegments[] = "::" CORVALO_TEST_DATA "/particles/twosegments.xml";

// Writes down what an effect tells its owner.
class Owner : public vlkIParticleFxEvent {
public:
    void OnFxMove(vlkParticleFx*, float x, float y, float, uint32_t) override {
        moves.push_back(TVec2(x, y));
    }
    void OnFxEnd(vlkParticleFx*) override { ++ends; }
    std::vector<TVec2> moves;
    int ends = 0;
};

class ParticleFxTest : public NullDrawFixture {
protected:
    // A path file in the temporary folder, naming the fixture particles.
    std::string PathFile(const std::string& name, const std::string& attributes,
                         const std::string& children) {
        return "::" + mFiles.Write(name + ".xml", "<path name=\"" + name + "\" " + attributes +
                                                      "><parsys file=\"dot.xml\"/>" + children +
                                                      "</path>");
    }
    void WriteDot() {
        std::ifstream in(CORVALO_TEST_DATA "/particles/dot.xml", std::ios::binary);
        mFiles.Write("dot.xml", std::string(std::istreambuf_iterator<char>(in), {}));
    }
    void DrawFrame(vlkParticleFx& fx) {
        ASSERT_TRUE(graphics->BeginDraw(false));
        ASSERT_TRUE(graphics->Begin2d());
        fx.Draw();
        graphics->End2d();
        graphics->EndDraw(false);
    }
    static std::string Spline(float x0, float y0, float x1, float y1, int points = 4) {
        std::string xml = "<spline>";
        for (int i = 0; i < points; ++i) {
            const float t = points > 1 ? float(i) / float(points - 1) : 0.0f;
            xml += "<point " + Xyz(x0 + (x1 - x0) * t, y0 + (y1 - y0) * t, 0) + "/>";
        }
        return xml + "</spline>";
    }

    TAssetManager mAssets;
    SeedScope mSeed{99};
    support::TempFolder mFiles{"corvalo-particle-paths-"};
};

TEST_F(ParticleFxTest, LoadParticlePath_ReadsTheRecordAndSetsUpSystemLaneAndPath) {
    vlkParticleFx fx;
    ASSERT_TRUE(fx.LoadParticlePath(TString(kTwoSegments))) << Log();
    const vlkParticlePath& record = fx.GetPathRecord();
    EXPECT_STREQ(record.name.CStr(), "two");
    EXPECT_EQ(record.time, 3000u);
    EXPECT_EQ(record.loop, 0);
    EXPECT_STREQ(record.background.CStr(), "none.png");
    EXPECT_STREQ(record.parsys.CStr(), "dot.xml");
    ASSERT_EQ(record.splines.size(), 2u);
    EXPECT_EQ(record.splines[1].size(), 5u);
    ASSERT_TRUE(fx.GetParticleSystem());
    EXPECT_EQ(fx.GetParticleSystem()->GetEmitterCount(), 1);
    ASSERT_TRUE(fx.GetPath());
    EXPECT_EQ(fx.GetPath()->GetCount(), 2u);
    // The first four points, with z 0.
    vlkSegmentPoints last;
    ASSERT_TRUE(fx.GetPath()->SeekLastSegment(last));
    EXPECT_EQ(last, (vlkSegmentPoints{300, 100, 0, 300, 200, 0, 300, 300, 0, 300, 400, 0}));
    vlkSegmentPoints first;
    ASSERT_TRUE(fx.GetPath()->SeekFirstSegment(first));
    EXPECT_EQ(first[2], 0.0f);
}

TEST_F(ParticleFxTest, Paths_AsATable) {
    WriteDot();
    struct Case {
        const char* name;
        std::string attributes;
        std::string splines;
        std::vector<uint32_t> updates;
        std::vector<int32_t> states; // after each update
        TVec2 lastPosition;
        int ends;
    } cases[] = {
        {"two segments end at 6000",
         "time=\"3000\"",
         Spline(0, 100, 300, 100) + Spline(300, 100, 300, 400),
         {1500, 1500, 1500, 1499, 1, 10},
         {1, 1, 1, 1, 2, 0},
         TVec2(300, 400),
         1},
        {"looping starts the first again",
         "time=\"3000\" loop=\"T\"",
         Spline(0, 100, 300, 100) + Spline(300, 100, 300, 400),
         {3000, 3000, 1500},
         {1, 1, 1},
         TVec2(150, 100),
         0},
        {"empty path ends with its lane",
         "time=\"1000\"",
         "",
         {500, 500, 500},
         {1, 2, 0},
         TVec2(0, 0),
         1},
        {"empty path looping neither restarts nor ends",
         "time=\"1000\" loop=\"1\"",
         "",
         {1000, 1000},
         {1, 0},
         TVec2(0, 0),
         0},
        {"no time: 3000 ms", "", Spline(0, 0, 100, 0), {2999, 1}, {1, 2}, TVec2(100, 0), 1},
        {"a short spline is skipped",
         "time=\"100\"",
         Spline(0, 0, 5, 5, 3) + Spline(10, 10, 20, 20),
         {100},
         {2},
         TVec2(20, 20),
         1},
    };
    int index = 0;
    for (const Case& c : cases) {
        vlkParticleFx fx;
        ASSERT_TRUE(fx.LoadParticlePath(
            TString(PathFile("case" + std::to_string(index++), c.attributes, c.splines).c_str())))
            << c.name;
        Owner owner;
        fx.SetOwner(&owner, nullptr, &vlkIParticleFxEvent::OnFxMove, &vlkIParticleFxEvent::OnFxEnd);
        fx.Start();
        ASSERT_EQ(c.updates.size(), c.states.size());
        for (size_t i = 0; i < c.updates.size(); ++i) {
            fx.Update(c.updates[i]);
            EXPECT_EQ(fx.GetState(), c.states[i]) << c.name << ", update " << i;
        }
        EXPECT_NEAR(fx.GetLastPosition().x, c.lastPosition.x, 0.01f) << c.name;
        EXPECT_NEAR(fx.GetLastPosition().y, c.lastPosition.y, 0.01f) << c.name;
        EXPECT_EQ(owner.ends, c.ends) << c.name;
    }
    EXPECT_TRUE(Logged("a spline of 3 points is skipped")) << Log();
}

TEST_F(ParticleFxTest, Offset_MovesTheEmittersButNotTheOwnersPosition) {
    WriteDot();
    vlkParticleFx fx;
    ASSERT_TRUE(fx.LoadParticlePath(
        TString(PathFile("offset", "time=\"1000\"", Spline(10, 20, 110, 20)).c_str())));
    Owner owner;
    fx.SetOwner(&owner, nullptr, &vlkIParticleFxEvent::OnFxMove, nullptr);
    fx.SetOffset(1000.0f, 500.0f, 0.0f);
    TParticleEmitter* emitter = fx.GetParticleSystem()->GetEmitter(0);
    ASSERT_NE(emitter, nullptr);
    // Start places the emitters at the first point, without the offset.
    fx.Start();
    EXPECT_EQ(emitter->GetEmitterBlock().v[TParticleBlock::kCenter], 10.0f);
    EXPECT_EQ(emitter->GetEmitterBlock().v[TParticleBlock::kCenter + 1], 20.0f);
    EXPECT_TRUE(fx.IsActive());
    fx.Update(500);
    EXPECT_NEAR(emitter->GetEmitterBlock().v[TParticleBlock::kCenter], 1060.0f, 0.01f);
    EXPECT_NEAR(emitter->GetEmitterBlock().v[TParticleBlock::kCenter + 1], 520.0f, 0.01f);
    EXPECT_NEAR(fx.GetLastPosition().x, 60.0f, 0.01f);
    ASSERT_EQ(owner.moves.size(), 1u);
    EXPECT_NEAR(owner.moves[0].x, 60.0f, 0.01f);
    EXPECT_EQ(fx.GetLastElapsed(), 500u);
}

TEST_F(ParticleFxTest, Effect_TurnsInactiveInTheFirstUpdateAfterItsSystemFinished) {
    WriteDot();
    vlkParticleFx fx;
    ASSERT_TRUE(fx.LoadParticlePath(
        TString(PathFile("finish", "time=\"100\"", Spline(0, 0, 50, 0)).c_str())));
    EXPECT_FALSE(fx.IsActive());
    fx.Start();
    fx.Update(50);
    DrawFrame(fx);
    fx.Update(60);
    EXPECT_EQ(fx.GetState(), vlkParticleFx::kStatePathEnded);
    EXPECT_TRUE(fx.IsActive());
    // The dots ran their one cycle; stopped, the system finishes in its
    // next draw, and the effect in the update after.
    fx.SetEmissionStopped(true);
    DrawFrame(fx);
    EXPECT_TRUE(fx.GetParticleSystem()->IsFinished());
    EXPECT_TRUE(fx.IsActive());
    fx.Update(10);
    EXPECT_FALSE(fx.IsActive());
    // Start replays it.
    fx.Start();
    EXPECT_TRUE(fx.IsActive());
    EXPECT_TRUE(fx.GetParticleSystem()->IsActive());
    EXPECT_FALSE(fx.GetParticleSystem()->IsFinished());
}

TEST_F(ParticleFxTest, Template_CopiesThePathAndTheSystemWithoutReadingAgain) {
    WriteDot();
    const std::string file =
        PathFile("template", "time=\"2000\"", Spline(0, 0, 50, 0) + Spline(50, 0, 50, 50));
    vlkParticleFx original;
    ASSERT_TRUE(original.LoadParticlePath(TString(file.c_str())));
    mFiles.Write("dot.xml", "<parsys><emitter/><emitter/><emitter/></parsys>");
    vlkParticleFx copy(original);
    EXPECT_EQ(copy.GetParticleSystem()->GetEmitterCount(),
              original.GetParticleSystem()->GetEmitterCount());
    EXPECT_EQ(copy.GetPath()->GetCount(), 2u);
    EXPECT_EQ(copy.GetDuration(), 2000u);
    EXPECT_NE(copy.GetParticleSystem(), original.GetParticleSystem());
    copy.Start();
    copy.Update(2000);
    EXPECT_EQ(copy.GetLastPosition().x, 50.0f);
    EXPECT_FALSE(original.IsActive());
}

TEST_F(ParticleFxTest, BadFiles_LeaveTheEffectAsItWas) {
    vlkParticleFx fx;
    ASSERT_TRUE(fx.LoadParticlePath(TString(kTwoSegments)));
    const std::string parsys = "::" + mFiles.Write("notapath.xml", "<parsys/>");
    const std::string empty = "::" + mFiles.Write("empty.xml", "");
    for (const std::string& bad : {parsys, empty}) {
        EXPECT_FALSE(fx.LoadParticlePath(TString(bad.c_str()))) << bad;
        EXPECT_EQ(fx.GetPath()->GetCount(), 2u);
        EXPECT_STREQ(fx.GetFileName().CStr(), kTwoSegments);
    }
    EXPECT_TRUE(Logged("is no particle path file"));
    // An effect that never loaded has no path: started, it ends at once.
    vlkParticleFx unloaded;
    unloaded.SetActive(true);
    unloaded.Update(10);
    EXPECT_EQ(unloaded.GetState(), vlkParticleFx::kStatePathEnded);
    EXPECT_FALSE(unloaded.IsActive());
    // A path whose particle file is missing runs without particles.
    vlkParticleFx lonely;
    const std::string alone =
        "::" + mFiles.Write("alone.xml", "<path time=\"10\"><parsys file=\"nothing.xml\"/></path>");
    ASSERT_TRUE(lonely.LoadParticlePath(TString(alone.c_str())));
    EXPECT_EQ(lonely.GetParticleSystem()->GetEmitterCount(), 0);
    lonely.Start();
    lonely.Update(10);
    EXPECT_EQ(lonely.GetState(), vlkParticleFx::kStatePathEnded);
    DrawFrame(lonely);
    EXPECT_FALSE(lonely.GetParticleSystem()->IsActive());
}

} // namespace
