// Display objects drawn on the real display under the offscreen driver:
// flips, scales, fading, layers, a clip's frames and a sprite moved along a
// spline lane, all in one picture. With CORVALO_PROBE_DIR set the picture
// is kept there as "display_probe.png", to be looked at.

#include "velk/display/vlkClip.h"
#include "velk/display/vlkSprite.h"
#include "velk/motion/vlkSplineLane.h"

#include "framework/core/tasks/TClock.h"
#include "framework/core/tasks/TTaskList.h"
#include "framework/graphics/TTexture.h"
#include "framework/graphics/animation/TAnimatedTexture.h"
#include "framework/graphics/asset/TAssetManager.h"
#include "framework/script/animation/TAnimatedSprite.h"

#include "framework/graphics/GlDrawFixture.h"
#include "support/DriverLeaks.h"

#include <memory>
#include <vector>

namespace {

const char kSpin[] = "::" CORVALO_TEST_DATA "/animation/spin";

constexpr uint32_t kRed = 0xFFE02020u;
constexpr uint32_t kGreen = 0xFF20C020u;
constexpr uint32_t kBlue = 0xFF2040E0u;

// 32 x 32: the left half red, the right half green above and blue below,
// so every flip shows.
std::vector<uint32_t> Quarters() {
    std::vector<uint32_t> pixels(32 * 32);
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            pixels[y * 32 + x] = x < 16 ? kRed : (y < 16 ? kGreen : kBlue);
        }
    }
    return pixels;
}

// Moves a sprite along the lane's curve and draws it at every step.
class LaneTrail : public vlkILaneEvent {
public:
    explicit LaneTrail(vlkSprite& sprite) : mSprite(sprite) {}
    void OnLaneMove(vlkSplineLane*, float x, float y, float, uint32_t) override {
        mSprite.SetPosition(x, y);
        mSprite.Draw();
        ++steps;
    }
    int steps = 0;

private:
    vlkSprite& mSprite;
};

class DisplayProbeTest : public GlDrawFixture {
protected:
    void SetUp() override {
        GlDrawFixture::SetUp();
        if (IsSkipped()) {
            return;
        }
        TAnimatedSprite::SetTaskList(&mTasks);
        const std::string path = (mFolder.Path() / "quarters.png").string();
        const std::vector<uint32_t> pixels = Quarters();
        ASSERT_TRUE(platform::WritePngFile(path, pixels.data(), 32, 32, 32));
        mQuarters = TTexture::Get(TString(("::" + path).c_str()));
        ASSERT_TRUE(mQuarters) << Log();
        mSpin = TAnimatedTexture::Get(TString(kSpin), TString(), TString());
        ASSERT_TRUE(mSpin) << Log();
    }
    void TearDown() override {
        mTasks.DeleteAll();
        TAnimatedSprite::SetTaskList(nullptr);
        mQuarters.reset();
        mSpin.reset();
        GlDrawFixture::TearDown();
    }

    static uint32_t At(const std::vector<uint32_t>& pixels, int x, int y) {
        return pixels[static_cast<size_t>(y) * kWidth + x] & 0xFFFFFFu;
    }
    // Whether two colours agree within a few steps per channel.
    static bool Near(uint32_t a, uint32_t b, int tolerance = 12) {
        for (int shift = 0; shift < 24; shift += 8) {
            const int ca = static_cast<int>((a >> shift) & 0xFF);
            const int cb = static_cast<int>((b >> shift) & 0xFF);
            if (ca - cb > tolerance || cb - ca > tolerance) {
                return false;
            }
        }
        return true;
    }

    TAssetManager mAssets;
    TTaskList mTasks;
    TClock mClock;
    std::shared_ptr<TTexture> mQuarters;
    std::shared_ptr<TAnimatedTexture> mSpin;
};

TEST_F(DisplayProbeTest, FlipsScalesFadesLayersFramesAndALane) {
    // Row 1: plain, flipped horizontally, flipped vertically, scaled by
    // two, faded to half.
    vlkSprite plain(mQuarters), hflip(mQuarters), vflip(mQuarters), scaled(mQuarters),
        faded(mQuarters);
    plain.SetPosition(100.0f, 100.0f);
    hflip.SetPosition(200.0f, 100.0f);
    hflip.SetHFlip(1);
    vflip.SetPosition(300.0f, 100.0f);
    vflip.SetVFlip(1);
    scaled.SetPosition(450.0f, 100.0f);
    scaled.SetScale(2.0f);
    faded.SetPosition(600.0f, 100.0f);
    faded.SetAlpha(0.5f);

    // Row 2: two children of one parent overlapping by half; the one of the
    // higher layer is drawn on top, whatever the adding order.
    vlkSprite parent;
    vlkSprite under(mQuarters), over(mQuarters);
    parent.SetPosition(100.0f, 250.0f);
    over.SetPosition(16.0f, 0.0f);
    over.SetLayer(2);
    under.SetLayer(1);
    parent.AddChild(&over);
    parent.AddChild(&under);

    // Row 3: one clip playing its animation (a frame every 60 ms), drawn at
    // four places while its clock moves on one frame each time.
    vlkClip clip(mSpin, &mClock);
    clip.PlayAnimation(TString("DoAnim"));

    // Row 4: a sprite moved along a spline lane in eight steps.
    vlkSprite mover(mQuarters);
    mover.SetScale(0.5f);
    LaneTrail trail(mover);
    vlkSplineLane lane(&trail, {100, 500, 0, 250, 380, 0, 450, 620, 0, 700, 500, 0}, 800);
    lane.SetOwnerCallbacks(nullptr, &vlkILaneEvent::OnLaneMove, nullptr);

    ASSERT_TRUE(BeginFrame(TColor(0.0f, 0.0f, 0.0f, 1.0f)));
    for (vlkSprite* sprite : {&plain, &hflip, &vflip, &scaled, &faded}) {
        sprite->Draw();
    }
    parent.Draw();
    for (int i = 0; i < 4; ++i) {
        mClock.SetTime(60u * static_cast<uint32_t>(i));
        mTasks.RunAll(0);
        clip.SetPosition(100.0f + 100.0f * i, 380.0f);
        clip.Draw();
    }
    lane.Start();
    for (int i = 0; i < 8; ++i) {
        lane.Update(100);
    }
    const std::vector<uint32_t> pixels = EndFrame();
    SaveProbe("display_probe", pixels);
    ASSERT_EQ(pixels.size(), static_cast<size_t>(kWidth) * kHeight);

    struct Check {
        const char* what;
        int x, y;
        uint32_t colour;
    } checks[] = {
        {"plain left", 92, 100, kRed},
        {"plain top right", 108, 92, kGreen},
        {"plain bottom right", 108, 108, kBlue},
        {"hflip left is green", 192, 92, kGreen},
        {"hflip right is red", 208, 100, kRed},
        {"vflip top right is blue", 308, 92, kBlue},
        {"vflip bottom right is green", 308, 108, kGreen},
        {"scaled reaches 30 px left", 421, 100, kRed},
        {"scaled reaches 30 px right", 479, 120, kBlue},
        {"faded half red", 592, 100, 0x701010u},
        {"under's left half", 90, 250, kRed},
        {"over covers the overlap", 108, 250, kRed},
        {"over's right half", 124, 240, kGreen},
        {"frame 1 ring red", 100, 370, 0xDC2828u},
        {"frame 2 ring green", 200, 370, 0x28B43Cu},
        {"frame 3 ring blue", 300, 370, 0x2850DCu},
        {"frame 4 ring yellow", 400, 370, 0xE6C81Eu},
        {"lane half way", 358, 500, kRed},
        {"lane end", 704, 504, kBlue},
        {"background", 20, 20, 0x000000u},
    };
    for (const Check& c : checks) {
        EXPECT_TRUE(Near(At(pixels, c.x, c.y), c.colour & 0xFFFFFFu))
            << c.what << ": " << std::hex << At(pixels, c.x, c.y);
    }
    EXPECT_EQ(trail.steps, 8);
}

} // namespace
