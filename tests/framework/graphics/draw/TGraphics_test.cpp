#include "NullDrawFixture.h"

#include <functional>

using namespace platform;

namespace {

class TGraphicsTest : public NullDrawFixture {};

TVertex gQuad[4];

TEST_F(TGraphicsTest, DrawVertices_ReachesTheDeviceInsideA2dBlock) {
    TVec2 corners[4] = {{10, 20}, {50, 20}, {50, 60}, {10, 60}};
    MakeQuadVertices(TVec2(), gQuad, corners, TVec2(0, 0), TVec2(1, 1), TMat3(), 1.0f,
                     TColor(1, 0, 0, 1));
    ASSERT_TRUE(graphics->BeginDraw());
    ASSERT_TRUE(graphics->Begin2d());
    graphics->DrawVertices(TVertexList::CreateKind2(gQuad, 4), 6);
    graphics->DrawVertices(5, TVertexList::CreateKind1(gQuad, 3));
    graphics->End2d();
    graphics->EndDraw();

    const auto& draws = Device().Draws();
    ASSERT_EQ(draws.size(), 2u);
    EXPECT_EQ(draws[0].primitive, 6u);
    EXPECT_EQ(draws[0].vertexFormat, 0x1E2u);
    EXPECT_EQ(draws[0].vertexCount, 4u);
    EXPECT_EQ(draws[0].X(2), 50.0f);
    EXPECT_EQ(draws[0].Diffuse(0), 0xFFFF0000u);
    // The 2-D states: alpha blending, no lighting, no z, no culling.
    const DeviceState& s = draws[0].state;
    EXPECT_EQ(s.Render(RenderState::AlphaBlendEnable), 1u);
    EXPECT_EQ(s.Render(RenderState::SrcBlend), gfx::kBlendSrcAlpha);
    EXPECT_EQ(s.Render(RenderState::DestBlend), gfx::kBlendInvSrcAlpha);
    EXPECT_EQ(s.Render(RenderState::Lighting), 0u);
    EXPECT_EQ(s.Render(RenderState::ZEnable), 0u);
    EXPECT_EQ(s.Render(RenderState::CullMode), gfx::kCullNone);
    EXPECT_EQ(draws[1].primitive, 5u);
    EXPECT_EQ(draws[1].vertexCount, 3u);
    EXPECT_EQ(Device().ScenesEnded(), 1u);
    EXPECT_EQ(renderer.GetPresentCount(), 1);
    EXPECT_FALSE(graphics->IsDrawing());
}

TEST_F(TGraphicsTest, StateMachine_RefusalsLogTheirLines) {
    struct Case {
        const char* name;
        std::function<void(TGraphics&)> steps;
        const char* line;
    };
    const Case cases[] = {
        {"2d twice",
         [](TGraphics& g) {
             g.BeginDraw();
             g.Begin2d();
             EXPECT_FALSE(g.Begin2d());
         },
         "Begin2d called when already in Begin2d state"},
        {"2d in 3d",
         [](TGraphics& g) {
             g.BeginDraw();
             g.Begin3d();
             EXPECT_FALSE(g.Begin2d());
         },
         "Begin2d called when already in Begin3d state"},
        {"2d outside", [](TGraphics& g) { EXPECT_FALSE(g.Begin2d()); },
         "ERROR: Calling Begin2d outside of a BeginDraw or BeginRenderTarget block!"},
        {"3d in 2d",
         [](TGraphics& g) {
             g.BeginDraw();
             g.Begin2d();
             EXPECT_FALSE(g.Begin3d());
         },
         "Begin3d called when already in Begin2d state"},
        {"3d twice",
         [](TGraphics& g) {
             g.BeginDraw();
             g.Begin3d();
             EXPECT_FALSE(g.Begin3d());
         },
         "Begin3d called when already in Begin3d state"},
        {"3d outside", [](TGraphics& g) { EXPECT_FALSE(g.Begin3d()); },
         "ERROR: Calling Begin3d outside of a BeginDraw or BeginRenderTarget block!"},
        {"end2d unopened", [](TGraphics& g) { g.End2d(); },
         "End2d called when not in Begin2d state"},
        {"end3d unopened", [](TGraphics& g) { g.End3d(); },
         "End3d called when not in Begin3d state"},
        {"draw outside",
         [](TGraphics& g) {
             g.BeginDraw();
             g.DrawVertices(TVertexList::CreateKind2(gQuad, 4), 6);
         },
         "DrawVertices called when not in Begin2d or Begin3d state"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TGraphics::Destroy();
        graphics = TGraphics::Get();
        Device().ClearDraws();
        const size_t before = CountLogged(c.line);
        c.steps(*graphics);
        EXPECT_EQ(CountLogged(c.line), before + 1);
        EXPECT_TRUE(Device().Draws().empty());
        if (graphics->IsIn2d())
            graphics->End2d();
        if (graphics->IsIn3d())
            graphics->End3d();
        graphics->EndDraw();
    }
}

TEST_F(TGraphicsTest, SecondBegin2d_KeepsTheFirstBlockOpen) {
    ASSERT_TRUE(graphics->BeginDraw());
    ASSERT_TRUE(graphics->Begin2d());
    EXPECT_FALSE(graphics->Begin2d());
    EXPECT_TRUE(graphics->IsIn2d());
    graphics->DrawVertices(TVertexList::CreateKind2(gQuad, 4), 6);
    EXPECT_EQ(Device().Draws().size(), 1u);
    graphics->End2d();
    graphics->EndDraw();
}

TEST_F(TGraphicsTest, End2dAfterTheFrame_LogsAndStillCloses) {
    ASSERT_TRUE(graphics->BeginDraw());
    ASSERT_TRUE(graphics->Begin2d());
    graphics->EndDraw();
    graphics->End2d();
    EXPECT_TRUE(Logged("ERROR: Calling End2d after EndDraw or EndRenderTarget!"));
    EXPECT_FALSE(graphics->IsIn2d());
    ASSERT_TRUE(graphics->BeginDraw());
    ASSERT_TRUE(graphics->Begin3d());
    graphics->EndDraw();
    graphics->End3d();
    EXPECT_TRUE(Logged("Calling End3d after EndDraw or EndRenderTarget!"));
    EXPECT_FALSE(graphics->IsIn3d());
}

TEST_F(TGraphicsTest, ClipStack_BottomEntryNeverPops) {
    TGraphics::Destroy();
    graphics = TGraphics::Get();
    EXPECT_EQ(graphics->GetClipRect(), TRect());
    graphics->PopClipRect(); // empty: nothing happens
    EXPECT_EQ(graphics->GetClipDepth(), 0u);
    graphics->PushClipRect(TRect(0, 0, 800, 600));
    graphics->PushClipRect(TRect(10, 10, 100, 100));
    EXPECT_EQ(renderer.GetClipRect(), TRect(10, 10, 100, 100));
    graphics->PopClipRect();
    EXPECT_EQ(graphics->GetClipRect(), TRect(0, 0, 800, 600));
    EXPECT_EQ(renderer.GetClipRect(), TRect(0, 0, 800, 600));
    graphics->PopClipRect();
    EXPECT_EQ(graphics->GetClipDepth(), 1u);
    EXPECT_EQ(graphics->GetClipRect(), TRect(0, 0, 800, 600));
}

TEST_F(TGraphicsTest, FrameRate_ChangesEvery15thFrameOnTheAppClock) {
    for (int frame = 1; frame <= 14; ++frame) {
        clock = static_cast<uint32_t>(frame) * 20;
        graphics->BeginDraw();
        graphics->EndDraw();
        EXPECT_EQ(graphics->GetFramesPerSecond(), 0.0f) << frame;
    }
    clock = 15 * 20;
    graphics->BeginDraw();
    graphics->EndDraw();
    // 15000 / (300 - 20): the span from the oldest entry of the ring.
    EXPECT_FLOAT_EQ(graphics->GetFramesPerSecond(), 15000.0f / 280.0f);
    clock = 0xFFFFFFF0u; // the clock wraps: the difference is unsigned
    for (int frame = 0; frame < 14; ++frame) {
        graphics->EndDraw();
        EXPECT_FLOAT_EQ(graphics->GetFramesPerSecond(), 15000.0f / 280.0f);
    }
    clock = 0x00000010u;
    graphics->EndDraw();
    EXPECT_FLOAT_EQ(graphics->GetFramesPerSecond(), 15000.0f / 0x20u);
}

TEST_F(TGraphicsTest, Options_GoToTheRendererHints) {
    EXPECT_EQ(graphics->GetOption("new_subtractive"), TString("0"));
    graphics->SetOption("new_subtractive", "1");
    graphics->SetOption("antialias", "2");
    graphics->SetOption("new_render_blend", "1");
    EXPECT_EQ(graphics->GetOption("new_subtractive"), TString("1"));
    EXPECT_EQ(graphics->GetOption("antialias"), TString("1"));
    EXPECT_EQ(Device().State().Render(RenderState::Antialias), gfx::kAntialiasSortIndependent);
    EXPECT_EQ(graphics->GetOption("new_render_blend"), TString());
    EXPECT_EQ(graphics->GetOption("16bitmode"), TString("0"));
    EXPECT_EQ(graphics->GetOption("fps"), TString());
    graphics->SetOption("antialias", "0");
    EXPECT_EQ(Device().State().Render(RenderState::Antialias), gfx::kAntialiasNone);
}

// A display whose antialiasing surface is refused is made without it: the
// hints then say what the device does.
TEST_F(TGraphicsTest, Options_AntialiasReadsOffAfterARefusedAntialiasedDisplay) {
    graphics->SetOption("antialias", "1");
    graphics->SetOption("hint_antialias", "1");
    ASSERT_EQ(graphics->GetOption("antialias"), TString("1"));
    ASSERT_EQ(graphics->GetOption("hint_antialias"), TString("1"));
    system.Faults().FailCall("CreateDevice", 1, E_FAIL);
    ASSERT_TRUE(renderer.SetDisplay(800, 600, false, true, false, false));
    EXPECT_EQ(graphics->GetOption("antialias"), TString("0"));
    EXPECT_EQ(graphics->GetOption("hint_antialias"), TString("0"));
    EXPECT_EQ(Device().State().Render(RenderState::Antialias), gfx::kAntialiasNone);
}

TEST_F(TGraphicsTest, Overlay_FillsItsPanelAndFormatsItsText) {
    EXPECT_TRUE(graphics->ToggleOverlay());
    SetSetting(TString("current_sprite_count"), TString("12"));
    SetSetting(TString("texture_ram_allocated"), TString("4096"));
    ASSERT_TRUE(graphics->BeginDraw());
    graphics->EndDraw();
    const std::string text = graphics->GetOverlayText().ToStd();
    EXPECT_EQ(text.rfind("Quillmoor Version 4.0.23.1<br>", 0), 0u) << text;
    EXPECT_NE(text.find("Sprites: 12<br>"), std::string::npos) << text;
    EXPECT_NE(text.find("TexMem: 4kB<br>"), std::string::npos) << text;
    // The panel: a transparent-black fan over (0, 0)-(300, 64).
    const auto& draws = Device().Draws();
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_EQ(draws[0].primitive, 6u);
    EXPECT_EQ(draws[0].X(2), 300.0f);
    EXPECT_EQ(draws[0].Y(2), 64.0f);
    EXPECT_EQ(draws[0].Diffuse(0), 0xFF000000u);
    EXPECT_FALSE(graphics->ToggleOverlay());
}

} // namespace
