#include "framework/graphics/animation/TAnimatedTexture.h"

#include "AnimationTestSupport.h"
#include "framework/graphics/asset/TAssetManager.h"

#include <gtest/gtest.h>

#include "support/TempFolder.h"

#include <climits>
#include <filesystem>
#include <memory>
#include <string>

namespace {

// The walk animation's records (its image is not there).
std::shared_ptr<TAnimatedTexture> Walk() {
    auto texture =
        std::make_shared<TAnimatedTexture>(TString("::" CORVALO_TEST_DATA "/animation/walk.xml"));
    EXPECT_TRUE(texture->LoadAnimation(TString(), TString()));
    return texture;
}

const char kSpin[] = "::" CORVALO_TEST_DATA "/animation/spin";

TEST(TAnimatedTexture, Get_SharesByNameImageAndMaskWhileAliveAndNeedsTheImage) {
    animtest::LogCapture log;
    TAssetManager manager;
    auto a = TAnimatedTexture::Get(TString(kSpin), TString(), TString());
    ASSERT_TRUE(a);
    EXPECT_EQ(TAnimatedTexture::Get(TString(kSpin), TString(), TString()), a);
    EXPECT_EQ(
        manager.GetAsset(TAnimatedTexture::MakeAnimationKey(TString(kSpin), TString(), TString())),
        a);
    EXPECT_STREQ(a->GetClassName(), "TAnimatedTexture");
    EXPECT_TRUE(a->IsKindOf(TTexture::GetClassId()));
    EXPECT_TRUE(a->IsKindOf(TAsset::GetClassId()));
    // Found with ".xml" appended; the image keeps an alpha channel.
    EXPECT_EQ(a->GetFrameCount(), 4);
    EXPECT_TRUE(a->HasAlpha());
    EXPECT_STREQ(a->GetDirectory().CStr(), "::" CORVALO_TEST_DATA "/animation/");
    EXPECT_EQ(a->GetWidth(), 32u);

    // The image given replaces the file's: another key, and a missing image
    // gives nothing, as does a missing animation.
    EXPECT_FALSE(TAnimatedTexture::Get(TString(kSpin), TString("nothing.png"), TString()));
    EXPECT_FALSE(TAnimatedTexture::Get(TString("::" CORVALO_TEST_DATA "/animation/walk"), TString(),
                                       TString()));
    EXPECT_FALSE(TAnimatedTexture::Get(TString("::" CORVALO_TEST_DATA "/animation/none"), TString(),
                                       TString()));
    EXPECT_STREQ(
        TAnimatedTexture::MakeAnimationKey(TString("n"), TString("i"), TString("m")).CStr(),
        "n:i:m");
    // The binary form reads to the same frames.
    auto anm = TAnimatedTexture::Get(TString("::" CORVALO_TEST_DATA "/animation/spin.anm"),
                                     TString(), TString());
    ASSERT_TRUE(anm);
    EXPECT_TRUE(anm->GetAnimation().SameContent(a->GetAnimation()));
}

// Get checks the image by decoding it; the picture goes to the display at
// the first draw, and a restore before that has nothing to bring back. A
// file that is there but no picture gives nothing at once.
TEST(TAnimatedTexture, Get_ChecksTheImageAndLoadsItAtTheFirstDraw) {
    animtest::LogCapture log;
    TAssetManager manager;
    auto spin = TAnimatedTexture::Get(TString(kSpin), TString(), TString());
    ASSERT_TRUE(spin);
    EXPECT_TRUE(spin->IsImagePending());
    EXPECT_TRUE(spin->GetTextureData()->GetName().IsEmpty()) << "nothing loaded yet";
    spin->RestoreResources();
    EXPECT_TRUE(spin->IsImagePending());
    EXPECT_FALSE(log.Contains("restore")) << log.Text();

    spin->SetCurrentFrame(-1);
    spin->Draw(TDrawSpec());
    EXPECT_TRUE(spin->IsImagePending()) << "no frame, nothing drawn, nothing loaded";
    spin->SetCurrentFrame(0);
    spin->Draw(TDrawSpec());
    EXPECT_FALSE(spin->IsImagePending());
    EXPECT_STREQ(spin->GetTextureData()->GetName().CStr(),
                 "::" CORVALO_TEST_DATA "/animation/spin.png");
    EXPECT_EQ(spin->GetTextureData()->GetWidth(), 144u);
    EXPECT_EQ(spin->GetTextureData()->GetHeight(), 36u);

    support::TempFolder folder;
    folder.Write("broken.png", "not a picture");
    folder.Write("broken.xml", "<sequence><img name=\"broken.png\"/><framelist>"
                               "<frame x=\"0\" y=\"0\" w=\"4\" h=\"4\"/></framelist></sequence>");
    const std::string broken = "::" + (folder.Path() / "broken.xml").string();
    EXPECT_FALSE(TAnimatedTexture::Get(TString(broken.c_str()), TString(), TString()));
}

TEST(TAnimatedTexture, SetCurrentFrame_TakesMinusOneToTheLastAndSizesFollowTheFrame) {
    auto walk = Walk();
    struct Case {
        int32_t index;
        int32_t current;
        int32_t width;
        int32_t height;
    } cases[] = {{1, 1, 30, 32},  {3, 1, 30, 32}, {2, 2, 32, 28},
                 {-2, 2, 32, 28}, {-1, -1, 0, 0}, {0, 0, 32, 32}};
    for (const Case& c : cases) {
        walk->SetCurrentFrame(c.index);
        EXPECT_EQ(walk->GetCurrentFrame(), c.current) << c.index;
        EXPECT_EQ(walk->GetFrameWidth(), c.width) << c.index;
        EXPECT_EQ(walk->GetFrameHeight(), c.height) << c.index;
    }
    int32_t x = 0, y = 0;
    EXPECT_TRUE(walk->GetFrameRegistration(2, x, y));
    EXPECT_EQ(x, -2);
    EXPECT_EQ(y, 14);
    EXPECT_FALSE(walk->GetFrameRegistration(3, x, y));
}

TEST(TAnimatedTexture, MakeFrameSpec_TakesTheFramesRectangleRegistrationTransformAndAlpha) {
    auto walk = Walk();
    walk->SetCurrentFrame(1); // x 32, w 30, h 32, reg (16, 30), alpha 0.5, moved (2.5, -3)
    TDrawSpec out;
    ASSERT_TRUE(walk->MakeFrameSpec(TDrawSpec(100.0f, 200.0f, 0.5f), out));
    EXPECT_EQ(out.mFlags, static_cast<uint32_t>(kDrawRegistration | kDrawSourceRect));
    EXPECT_EQ(out.mSourceRect, TRect(32, 0, 62, 32));
    EXPECT_FLOAT_EQ(out.mRegistration.x, 16.0f);
    EXPECT_FLOAT_EQ(out.mRegistration.y, 30.0f);
    EXPECT_FLOAT_EQ(out.mAlpha, 0.25f);
    // The frame's move comes first, then the caller's.
    EXPECT_FLOAT_EQ(out.GetPosition().x, 102.5f);
    EXPECT_FLOAT_EQ(out.GetPosition().y, 197.0f);

    // Flips mirror the registration inside the frame.
    ASSERT_TRUE(walk->MakeFrameSpec(
        TDrawSpec(0.0f, 0.0f, 1.0f, 1.0f, kDrawFlipHorizontal | kDrawFlipVertical), out));
    EXPECT_FLOAT_EQ(out.mRegistration.x, 14.0f);
    EXPECT_FLOAT_EQ(out.mRegistration.y, 2.0f);

    // A caller's registration stays.
    TDrawSpec own(0.0f, 0.0f, 1.0f, 1.0f, kDrawRegistration);
    own.mRegistration = TVec2(3.0f, 4.0f);
    ASSERT_TRUE(walk->MakeFrameSpec(own, out));
    EXPECT_FLOAT_EQ(out.mRegistration.x, 3.0f);
}

TEST(TAnimatedTexture, MakeFrameSpec_CutsACallersRectangleToTheFrame) {
    auto walk = Walk();
    walk->SetCurrentFrame(1);
    struct Case {
        TRect given;
        bool drawn;
        TRect source;
    } cases[] = {
        {TRect(0, 0, 10, 10), true, TRect(32, 0, 42, 10)},
        {TRect(20, 20, 50, 50), true, TRect(52, 20, 62, 32)},
        {TRect(-5, -5, 5, 5), true, TRect(32, 0, 37, 5)},
        {TRect(40, 0, 60, 10), false, TRect()},
        // Edges near the int limits stay there when moved into the frame.
        {TRect(0, 0, INT32_MAX, INT32_MAX), true, TRect(32, 0, 62, 32)},
        {TRect(INT32_MAX - 10, 0, INT32_MAX, 10), false, TRect()},
        {TRect(INT32_MIN, INT32_MIN, 3, 3), true, TRect(32, 0, 35, 3)},
    };
    for (const Case& c : cases) {
        TDrawSpec spec(0.0f, 0.0f, 1.0f, 1.0f, kDrawSourceRect);
        spec.mSourceRect = c.given;
        TDrawSpec out;
        EXPECT_EQ(walk->MakeFrameSpec(spec, out), c.drawn) << c.given.left << "," << c.given.top;
        if (c.drawn) {
            EXPECT_EQ(out.mSourceRect, c.source) << c.given.left << "," << c.given.top;
        }
    }
    walk->SetCurrentFrame(-1);
    TDrawSpec out;
    EXPECT_FALSE(walk->MakeFrameSpec(TDrawSpec(), out));
}

// The frames must lie in the picture that loads, also when the file
// declares no image size (the readers cannot check them then).
TEST(TAnimatedTexture, FrameOutsideTheLoadedImage_FailsWithLogLine) {
    support::TempFolder folder;
    std::filesystem::copy_file(CORVALO_TEST_DATA "/animation/spin.png", folder.Path() / "spin.png");
    const char* frames[] = {"<frame x=\"0\" y=\"0\" w=\"144\" h=\"36\"/>",
                            "<frame x=\"100\" y=\"0\" w=\"60\" h=\"20\"/>"};
    for (int outside = 0; outside < 2; ++outside) {
        const std::string leaf = "anim" + std::to_string(outside) + ".xml";
        folder.Write(leaf, std::string("<sequence><img name=\"spin.png\"/><framelist>") +
                               frames[0] + (outside ? frames[1] : "") + "</framelist></sequence>");
        animtest::LogCapture log;
        TAssetManager manager;
        const std::string name = "::" + (folder.Path() / leaf).string();
        auto texture = TAnimatedTexture::Get(TString(name.c_str()), TString(), TString());
        EXPECT_EQ(texture != nullptr, outside == 0) << log.Text();
        if (outside) {
            EXPECT_TRUE(log.Contains("Animation " + name +
                                     ": frame 2 (x 100, y 0, w 60, h 20) leaves its image "
                                     "spin.png of 144 x 36"))
                << log.Text();
        }
    }
}

} // namespace
