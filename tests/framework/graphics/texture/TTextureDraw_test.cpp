#include "TextureTestSupport.h"

#include "framework/graphics/TTexture.h"
#include "framework/graphics/asset/TAssetManager.h"
#include "framework/graphics/draw/NullDrawFixture.h"

#include <cmath>

using namespace platform;

namespace {

// Textures drawn through the draw front on the null device, which records
// every quad it is handed.
class TTextureDrawTest : public NullDrawFixture {
protected:
    void SetUp() override {
        NullDrawFixture::SetUp();
        TTextureMemory::Reset();
        support::WritePng((mImages.Path() / "pic.png").string(), 100, 50,
                          [](int32_t, int32_t) { return 0xFF336699u; });
        texture = TTexture::Get(TString(("::" + (mImages.Path() / "pic.png").string()).c_str()));
        ASSERT_NE(texture, nullptr);
        ASSERT_TRUE(texture->GetTextureData()->HasSurface());
    }
    void TearDown() override {
        texture.reset();
        NullDrawFixture::TearDown();
    }
    // Draws inside a frame and a 2-D block; gives the draws the device saw.
    std::vector<RecordedDraw> DrawOnce(const std::function<void()>& draw) {
        Device().ClearDraws();
        EXPECT_TRUE(graphics->BeginDraw());
        EXPECT_TRUE(graphics->Begin2d());
        draw();
        graphics->End2d();
        graphics->EndDraw();
        return Device().Draws();
    }

    support::TempFolder mImages;
    TAssetManager mAssets;
    std::shared_ptr<TTexture> texture;
};

TEST_F(TTextureDrawTest, Draw_CentredQuadWithTheImagesTextureCoordinates) {
    TDrawSpec spec(200, 100);
    spec.mColor[0] = 0.5f;
    spec.mAlpha = 0.5f;
    const auto draws = DrawOnce([&] { texture->Draw(spec); });
    ASSERT_EQ(draws.size(), 1u);
    const RecordedDraw& quad = draws[0];
    EXPECT_EQ(quad.primitive, gfx::kTriangleFan);
    EXPECT_EQ(quad.vertexFormat, gfx::kFvfColorTex);
    ASSERT_EQ(quad.vertexCount, 4u);
    EXPECT_FLOAT_EQ(quad.X(0), 150.0f);
    EXPECT_FLOAT_EQ(quad.Y(0), 75.0f);
    EXPECT_FLOAT_EQ(quad.X(2), 250.0f);
    EXPECT_FLOAT_EQ(quad.Y(2), 125.0f);
    EXPECT_FLOAT_EQ(quad.U(2), 100.0f / 128.0f);
    EXPECT_FLOAT_EQ(quad.V(2), 50.0f / 64.0f);
    EXPECT_EQ(quad.Diffuse(0), 0x7F7FFFFFu);
    const TTextureSurface described = DescribeTexture(texture.get());
    EXPECT_EQ(quad.state.texture, described.surface) << "the texture is selected";
}

TEST_F(TTextureDrawTest, Draw_FlagsSourceRectRegistrationAndFlips) {
    TDrawSpec spec(0, 0, 1.0f, 1.0f, kDrawSourceRect | kDrawRegistration);
    spec.mSourceRect = TRect(10, 20, 30, 50);
    spec.mRegistration = TVec2(5, 5);
    auto draws = DrawOnce([&] { texture->Draw(spec); });
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_FLOAT_EQ(draws[0].X(0), -5.0f);
    EXPECT_FLOAT_EQ(draws[0].Y(0), -5.0f);
    EXPECT_FLOAT_EQ(draws[0].X(2), 15.0f);
    EXPECT_FLOAT_EQ(draws[0].Y(2), 25.0f);
    EXPECT_FLOAT_EQ(draws[0].U(0), 10.0f / 128.0f);
    EXPECT_FLOAT_EQ(draws[0].V(0), 20.0f / 64.0f);

    // Both flips turn the picture half round: corner 0 lands where corner 2
    // was, with the same texture coordinates as before.
    TDrawSpec turned(0, 0, 1.0f, 1.0f, kDrawFlipHorizontal | kDrawFlipVertical);
    draws = DrawOnce([&] { texture->Draw(turned); });
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_FLOAT_EQ(draws[0].X(0), 50.0f);
    EXPECT_FLOAT_EQ(draws[0].Y(0), 25.0f);
    EXPECT_FLOAT_EQ(draws[0].X(2), -50.0f);
    EXPECT_FLOAT_EQ(draws[0].Y(2), -25.0f);
    EXPECT_FLOAT_EQ(draws[0].U(0), 0.0f);
}

TEST_F(TTextureDrawTest, DrawAt_ScalesAndTurns) {
    const auto draws =
        DrawOnce([&] { texture->DrawAt(400, 300, 1.0f, 2.0f, static_cast<float>(M_PI / 2), 0); });
    ASSERT_EQ(draws.size(), 1u);
    // Corner 0 (-50, -25) scaled to (-100, -50), then turned a quarter.
    EXPECT_NEAR(draws[0].X(0), 400.0f + 50.0f, 1e-3);
    EXPECT_NEAR(draws[0].Y(0), 300.0f - 100.0f, 1e-3);
}

TEST_F(TTextureDrawTest, Draw_NothingOutside2dOrForSimpleTextures) {
    texture->DrawAt(10, 10, 1, 1, 0, 0);
    texture->Draw(TDrawSpec(10, 10));
    EXPECT_TRUE(Device().Draws().empty());
    std::shared_ptr<TTexture> simple =
        TTexture::Get(TString(("::" + (mImages.Path() / "pic.png").string() + "?simple").c_str()));
    ASSERT_NE(simple, nullptr);
    const auto draws = DrawOnce([&] { simple->Draw(TDrawSpec(10, 10)); });
    EXPECT_TRUE(draws.empty());
}

TEST_F(TTextureDrawTest, SoftwareCulling_SkipsQuadsOutsideTheClip) {
    SetSetting(TSettingKey::kSoftwareTextureCulling, TString("1"));
    auto draws = DrawOnce([&] {
        texture->Draw(TDrawSpec(900, 100)); // left edge at 850
        texture->Draw(TDrawSpec(-60, 100)); // right edge at -10
        texture->Draw(TDrawSpec(100, 640)); // top edge at 615
        texture->Draw(TDrawSpec(790, 590)); // overlaps the corner
    });
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_FLOAT_EQ(draws[0].X(0), 740.0f);
    SetSetting(TSettingKey::kSoftwareTextureCulling, TString("0"));
    draws = DrawOnce([&] { texture->Draw(TDrawSpec(900, 100)); });
    EXPECT_EQ(draws.size(), 1u) << "without the setting everything is drawn";
}

TEST_F(TTextureDrawTest, Draw_BlendModeIsSetUnlessMinusOne) {
    TDrawSpec additive(10, 10);
    additive.mBlendMode = kBlendAdditive;
    const auto draws = DrawOnce([&] {
        texture->Draw(additive);
        texture->Draw(TDrawSpec(10, 10));
    });
    ASSERT_EQ(draws.size(), 2u);
    EXPECT_EQ(draws[0].state.Render(RenderState::DestBlend), gfx::kBlendOne);
    EXPECT_EQ(draws[1].state.Render(RenderState::DestBlend), gfx::kBlendOne) << "kept";
}

TEST_F(TTextureDrawTest, Blit_OnlyOutsideFrames) {
    std::shared_ptr<TTexture> target = TTexture::CreateRenderTarget(128, 64, true);
    ASSERT_NE(target, nullptr);
    auto& surface = static_cast<MemorySurface&>(
        *static_cast<const TDxTextureData&>(*target->GetTextureData()).GetSurface());
    ASSERT_TRUE(graphics->BeginDraw());
    texture->Blit(0, 0, nullptr, target.get());
    graphics->EndDraw();
    EXPECT_EQ(surface.PixelAt(5, 5), 0u) << "refused inside a frame";
    texture->Blit(0, 0, nullptr, target.get());
    EXPECT_EQ(surface.PixelAt(5, 5), 0xFF336699u);
}

} // namespace
