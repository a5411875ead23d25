// The letter text drawn on the real display under the offscreen driver: its
// letters stand centred in the window and "Scale" 2 draws them at twice
// their size. With CORVALO_PROBE_DIR set the frame is kept there as
// "clstext.png", to be looked at.

#include "game/screens/clsText.h"

#include "framework/core/files/TAssetScan.h"
#include "framework/core/files/TFileSystem.h"
#include "framework/core/tasks/TTaskList.h"
#include "framework/graphics/asset/TAssetManager.h"
#include "framework/script/animation/TAnimatedSprite.h"
#include "framework/script/wrappers/TLuaObjectWrapper.h"
#include "framework/ui/window/TWindowStyle.h"
#include "velk/cutscene/vlkCutsceneText.h"
#include "velk/game/FxMap.h"
#include "velk/game/GameTuning.h"

#include "framework/graphics/GlDrawFixture.h"
#include "support/DriverLeaks.h"

#include <lauxlib.h>
#include <lua.h>
#include <lualib.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr uint32_t kBackground = 0x202020u;
constexpr uint32_t kLetterColour = 0xFFE0C040u;

// A letter template that shows its picture at rest from its first frame.
const char kStillLetter[] = R"(<?xml version="1.0" encoding="UTF-8"?>
<Cutscene name="still" fps="30">
  <object name="sprite" type="sprite"/>
  <keyframe name="in" time="0">
    <action object="sprite" property="position" function="set"/>
    <action object="sprite" property="visible" function="set"/>
  </keyframe>
  <keyframe name="end" time="1000"/>
</Cutscene>
)";

class clsTextTest : public GlDrawFixture {
protected:
    void SetUp() override {
        GlDrawFixture::SetUp();
        if (IsSkipped())
            return;
        TAnimatedSprite::SetTaskList(&mTasks);
        // An assets folder of the test's own: the template, the effects
        // list naming it "Text", and the letters A and B (24 x 32 each).
        const std::filesystem::path assets = mFolder.Path() / "assets";
        std::filesystem::create_directories(assets / "anim");
        std::filesystem::create_directories(assets / "gpx" / "letters");
        std::ofstream(assets / "anim" / "still.xml") << kStillLetter;
        std::ofstream(assets / "fx.xml")
            << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
            << "<FXFiles><fx name=\"Text\" path=\"anim/still.xml\"/></FXFiles>\n";
        const std::vector<uint32_t> pixels(24 * 32, kLetterColour);
        for (const char* letter : {"c41.png", "c42.png"})
            ASSERT_TRUE(platform::WritePngFile((assets / "gpx" / "letters" / letter).string(),
                                               pixels.data(), 24, 32, 24));
        ClearNameRegistry();
        SetAssetsFolder(TString(assets.string().c_str()));
        InitFileSystem();
        LoadFxMap(TString("fx.xml"));
        ASSERT_FALSE(GetFxPath(TString("Text")).IsEmpty()) << Log();
        mSavedSetting = gGameTuning.animation.spritetext;
        gGameTuning.animation.spritetext = 1; // the letters alone
        L = luaL_newstate();
    }
    void TearDown() override {
        if (L)
            lua_close(L);
        gGameTuning.animation.spritetext = mSavedSetting;
        ClearFxMap();
        ClearNameRegistry();
        SetAssetsFolder(TString("assets"));
        mTasks.DeleteAll();
        TAnimatedSprite::SetTaskList(nullptr);
        GlDrawFixture::TearDown();
    }

    // A 400 x 200 text at (200, 150) set up from the table's fields, with
    // the text "AB"; the frame it draws.
    std::vector<uint32_t> DrawText(const std::string& fields, clsText** made = nullptr) {
        EXPECT_EQ(0, luaL_dostring(L, ("return {" + fields + "}").c_str()));
        TLuaTable table(L);
        TWindowStyle style(&table);
        auto* text = static_cast<clsText*>(clsText::Create());
        text->SetPosition(200, 150);
        text->SetSize(400, 200);
        text->PostInit(style);
        text->SetText(TString("AB"));
        EXPECT_TRUE(BeginFrame(TColor(0.125f, 0.125f, 0.125f, 1.0f)));
        graphics->End2d(); // the window begins its own
        text->DrawTree(0);
        graphics->Begin2d();
        std::vector<uint32_t> frame = EndFrame();
        if (made)
            *made = text;
        else
            text->DeleteThis();
        return frame;
    }

    static bool NearBackground(uint32_t pixel) {
        for (int shift = 0; shift < 24; shift += 8) {
            const int a = static_cast<int>((pixel >> shift) & 0xFF);
            const int b = static_cast<int>((kBackground >> shift) & 0xFF);
            if (a - b > 8 || b - a > 8)
                return false;
        }
        return true;
    }
    // The box of the pixels that are not the background.
    static TRect Drawn(const std::vector<uint32_t>& pixels) {
        TRect box(kWidth, kHeight, -1, -1);
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x)
                if (!NearBackground(pixels[static_cast<size_t>(y) * kWidth + x])) {
                    box.left = std::min(box.left, x);
                    box.top = std::min(box.top, y);
                    box.right = std::max(box.right, x + 1);
                    box.bottom = std::max(box.bottom, y + 1);
                }
        return box;
    }

    TAssetManager mAssets;
    TTaskList mTasks;
    int mSavedSetting = 0;
    lua_State* L = nullptr;
};

TEST_F(clsTextTest, LettersStandCentredAndScaleTwoDoublesThem) {
    clsText* text = nullptr;
    const std::vector<uint32_t> twice = DrawText("Scale = 2, Space = 4", &text);
    ASSERT_NE(nullptr, text);
    EXPECT_FLOAT_EQ(2.0f, text->GetScale());
    EXPECT_EQ(4, text->GetSpacing());
    ASSERT_NE(nullptr, text->GetLetters());
    EXPECT_EQ(2u, text->GetLetters()->GetLetterFiles().size());
    EXPECT_EQ(2u, text->GetLetters()->GetCopies().size());
    text->DeleteThis();
    SaveProbe("clstext", twice);
    const std::vector<uint32_t> once = DrawText("");

    const TRect small = Drawn(once);
    const TRect big = Drawn(twice);
    ASSERT_LT(small.left, small.right) << "nothing drawn at scale 1";
    ASSERT_LT(big.left, big.right) << "nothing drawn at scale 2";
    // Both rows centred on the window's centre, (400, 250).
    for (const TRect& box : {small, big}) {
        EXPECT_NEAR(400, (box.left + box.right) / 2, 3);
        EXPECT_NEAR(250, (box.top + box.bottom) / 2, 3);
    }
    // The letters are 32 pixels tall; twice as tall, and twice as wide
    // give or take the spacing.
    EXPECT_NEAR(32, small.bottom - small.top, 2);
    EXPECT_NEAR(64, big.bottom - big.top, 3);
    EXPECT_NEAR(2.0, static_cast<double>(big.right - big.left) / (small.right - small.left), 0.25);
}

} // namespace
