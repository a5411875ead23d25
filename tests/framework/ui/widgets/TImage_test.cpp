#include "framework/ui/widgets/TImage.h"

#include "framework/graphics/TTexture.h"
#include "framework/graphics/asset/TAssetManager.h"
#include "framework/graphics/draw/NullDrawFixture.h"
#include "framework/graphics/texture/TextureTestSupport.h"
#include "framework/ui/WindowFixture.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

namespace {

// Image windows over textures of their own on the null device, under a
// modal main window of 1024 x 768.
class ImageWindow : public NullDrawFixture {
protected:
    void SetUp() override {
        NullDrawFixture::SetUp();
        Picture("wide.png", 200, 100, 0xFF336699u);
        Picture("small.png", 128, 96, 0xFF336699u);
        Picture("long.png", 512, 192, 0xFF336699u);
        Picture("clear.png", 64, 64, 0x80FFFFFFu);
        Picture("solid.png", 128, 96, 0xFF996633u);
        manager = std::make_unique<TWindowManager>();
        auto owned = std::make_unique<TestWindowHost>();
        host = owned.get();
        host->displayWidth = 256;
        host->displayHeight = 192;
        manager->SetHost(std::move(owned));
        screen = new TModalWindow;
        manager->SetMainWindow(screen);
        screen->SetSize(1024, 768);
    }
    void TearDown() override {
        manager.reset();
        NullDrawFixture::TearDown();
    }

    void Picture(const std::string& name, int32_t width, int32_t height, uint32_t colour) {
        support::WritePng((mImages.Path() / name).string(), width, height,
                          [colour](int32_t, int32_t) { return colour; });
    }
    std::string Path(const std::string& name) const {
        return "::" + (mImages.Path() / name).string();
    }
    // An image made as the window script makes one: created, attached under
    // the screen, set up from its table.
    TImage* Make(const std::string& fields) {
        auto* image = static_cast<TImage*>(TImage::Create());
        screen->AddChild(image);
        auto table = lua.Table("{" + fields + "}");
        TWindowStyle style(table.get());
        image->Init(style);
        image->PostInit(style);
        return image;
    }

    // The quad's bounding box, rounded to whole pixels.
    static std::string Bounds(const platform::RecordedDraw& quad) {
        float minX = 1e9f, maxX = -1e9f, minY = 1e9f, maxY = -1e9f;
        for (uint32_t i = 0; i < quad.vertexCount; ++i) {
            minX = std::min(minX, quad.X(i));
            maxX = std::max(maxX, quad.X(i));
            minY = std::min(minY, quad.Y(i));
            maxY = std::max(maxY, quad.Y(i));
        }
        auto r = [](float v) { return std::to_string(static_cast<int>(std::lround(v))); };
        return r(minX) + "," + r(minY) + "," + r(maxX) + "," + r(maxY);
    }

    support::TempFolder mImages{"corvalo-image-"};
    TAssetManager mAssets;
    LuaStyles lua;
    std::unique_ptr<TWindowManager> manager;
    TestWindowHost* host = nullptr;
    TModalWindow* screen = nullptr;
};

TEST_F(ImageWindow, SizeTurnAutoscaleAndOpacity) {
    struct {
        const char* what;
        std::string fields;
        int32_t width;
        int32_t height;
        float scale;
        bool opaque;
    } cases[] = {
        {"scaled", "image='" + Path("wide.png") + "', scale=0.5", 100, 50, 0.5f, true},
        {"turned", "image='" + Path("wide.png") + "', scale=0.5, rotate=true", 50, 100, 0.5f, true},
        {"rounded", "image='" + Path("wide.png") + "', scale=0.333", 67, 33, 0.333f, true},
        {"with alpha", "image='" + Path("wide.png") + "', alpha=true", 200, 100, 1.0f, false},
        {"autoscale up by height", "image='" + Path("small.png") + "', autoscale=true", 256, 192,
         2.0f, true},
        {"autoscale by width", "image='" + Path("long.png") + "', autoscale=true", 256, 96, 0.5f,
         true},
        {"autoscale ignored with a scale",
         "image='" + Path("small.png") + "', scale=0.5, autoscale=true", 64, 48, 0.5f, true},
        {"no picture", "image='" + Path("missing.png") + "'", 0, 0, 1.0f, true},
        {"placed after sizing", "image='" + Path("wide.png") + "', x=160000-10, align=2", 200, 100,
         1.0f, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TImage* image = Make(c.fields);
        EXPECT_EQ(image->GetWidth(), c.width);
        EXPECT_EQ(image->GetHeight(), c.height);
        EXPECT_FLOAT_EQ(image->GetScale(), c.scale);
        EXPECT_EQ((image->GetFlags() & kWindowOpaque) != 0, c.opaque);
        screen->RemoveChild(image);
        image->DeleteThis(1);
    }
    TImage* placed = Make("image='" + Path("wide.png") + "', x=160000-10, align=2");
    EXPECT_EQ(placed->GetRect().left, 1024 - 10 - 200);
}

// A picture's first opacity: a fade waiting over a screen starts at 0 and
// lets the screen be seen (and never counts as covering it).
TEST_F(ImageWindow, FirstOpacityFromTheTable) {
    struct {
        const char* opacity;
        float alpha;
    } cases[] = {{"0", 0.0f}, {"0.25", 0.25f}, {"1", 1.0f}, {"3", 1.0f},
                 {"-2", 0.0f}, {"0/0", 1.0f}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.opacity);
        TImage* image = Make("image='" + Path("small.png") + "', scale=8, opacity=" + c.opacity);
        EXPECT_FLOAT_EQ(image->GetAlpha(), c.alpha);
        EXPECT_EQ((screen->GetFlags() & kWindowOpaque) != 0, c.alpha == 1.0f);
        screen->RemoveChild(image);
        image->DeleteThis(1);
    }
}

TEST_F(ImageWindow, AFullSizeOpaquePictureMakesTheModalOpaque) {
    TImage* picture = Make("image='" + Path("small.png") + "', scale=8");
    ASSERT_EQ(picture->GetWidth(), 1024);
    ASSERT_EQ(picture->GetHeight(), 768);
    EXPECT_TRUE(screen->IsCoveredBy(picture));
    EXPECT_TRUE(screen->GetFlags() & kWindowOpaque);
    picture->SetAlpha(0.5f);
    EXPECT_FALSE(picture->GetFlags() & kWindowOpaque);
    EXPECT_FALSE(screen->GetFlags() & kWindowOpaque);
    EXPECT_FLOAT_EQ(picture->GetAlpha(), 0.5f);
    // Full opacity with a texture without an alpha channel.
    picture->SetBitmap(TTexture::Get(TString(Path("solid.png").c_str()), kTextureLoadNoAlpha),
                       8.0f);
    picture->SetAlpha(1.0f);
    EXPECT_TRUE(screen->GetFlags() & kWindowOpaque);
    // A picture with an alpha channel never is.
    picture->SetBitmap(TTexture::Get(TString(Path("clear.png").c_str()), 2), 16.0f);
    EXPECT_EQ(picture->GetWidth(), 1024);
    picture->SetAlpha(1.0f);
    EXPECT_FALSE(screen->GetFlags() & kWindowOpaque);
    // Turned, the size swaps.
    picture->SetBitmap(TTexture::Get(TString(Path("wide.png").c_str())), 1.0f);
    picture->SetRotate(true);
    EXPECT_EQ(picture->GetWidth(), 100);
    EXPECT_EQ(picture->GetHeight(), 200);
}

TEST_F(ImageWindow, DrawsAtTheWindowsCornerTurnedAndMirrored) {
    TImage* image = Make("image='" + Path("wide.png") + "', x=10, y=20, hflip=true");
    ASSERT_TRUE(graphics->BeginDraw());
    graphics->PushViewport(image->GetScreenRect());
    Device().ClearDraws();
    image->Draw();
    EXPECT_FALSE(graphics->IsIn2d()) << "the 2-D block it began is ended";
    ASSERT_EQ(Device().Draws().size(), 1u);
    // Coordinates are the viewport's: the window's top-left corner is 0, 0.
    EXPECT_EQ(Bounds(Device().Draws()[0]), "0,0,200,100");
    // Mirrored: the image's left edge is drawn on the right.
    EXPECT_FLOAT_EQ(Device().Draws()[0].U(0), 0.0f);
    EXPECT_FLOAT_EQ(Device().Draws()[0].X(0), 200.0f);
    // Turned: the picture stands in a 100 x 200 window.
    image->SetRotate(true);
    Device().ClearDraws();
    ASSERT_TRUE(graphics->Begin2d());
    image->Draw();
    EXPECT_TRUE(graphics->IsIn2d()) << "a block begun by the caller stays open";
    graphics->End2d();
    ASSERT_EQ(Device().Draws().size(), 1u);
    EXPECT_EQ(Bounds(Device().Draws()[0]), "0,0,100,200");
    // See-through, it draws nothing.
    image->SetAlpha(0.0f);
    Device().ClearDraws();
    image->Draw();
    EXPECT_TRUE(Device().Draws().empty());
    graphics->PopViewport();
    graphics->EndDraw(false);
}

} // namespace
