#include "velk/cutscene/vlkCutscene.h"
#include "velk/cutscene/vlkTextCS.h"

#include "CutsceneTestSupport.h"
#include "SpriteFixture.h"
#include "framework/graphics/text/TTextSprite.h"
#include "framework/graphics/vector/TNbMiniVecDraw.h"
#include "framework/graphics/vector/TVecDrawSink.h"

#include <algorithm>

namespace {

const char kStyles[] = R"xml(
    <textstyle name="title" width="320" height="60" size="20" font="font/helsinki.mvec"
               hjustify="HCenter" vjustify="VTop" color="FFFFFFFF"/>)xml";

class TextCSTest : public CutsceneSpriteFixture {
protected:
    // A text object of the style, as the cut-scene makes it.
    std::unique_ptr<vlkTextCS> MakeText(const char* style) {
        EXPECT_TRUE(mScene.Load(cutscenetest::WriteScene(mFolder, "styles.xml", kStyles)));
        auto text = std::make_unique<vlkTextCS>(nullptr);
        text->SetStyles(mScene.GetDefinition().textStyles);
        vlkObjectDef def{"caption", "text", style, ""};
        EXPECT_TRUE(text->Init(&def));
        return text;
    }
    static void Apply(vlkObjectCS& object, const vlkAction& action) {
        object.SetAction(&action);
        object.StartAction();
    }
    vlkCutscene mScene;
};

TEST_F(TextCSTest, StyleGivesFontUnderTheLocaleAndSize) {
    auto text = MakeText("title");
    const TTextLayout& layout = text->GetTextSprite()->GetLayout();
    EXPECT_EQ(layout.GetFontName().ToStd(), "loc/en/font/helsinki.mvec");
    EXPECT_EQ(layout.GetFontSize(), 20);
    EXPECT_EQ(text->GetTextSprite()->GetWidth(), 320);
    EXPECT_EQ(text->GetTextSprite()->GetHeight(), 60);
    EXPECT_EQ(text->GetTextSprite()->GetAlignment(), 1);
    EXPECT_EQ(layout.GetColor(), TColor(1.0f, 1.0f, 1.0f, 1.0f));
}

TEST_F(TextCSTest, NoStyleKeepsArialTwelveAndTheFirstSize) {
    auto text = MakeText("absent");
    const TTextLayout& layout = text->GetTextSprite()->GetLayout();
    EXPECT_EQ(layout.GetFontName().ToStd(), "Arial");
    EXPECT_EQ(layout.GetFontSize(), 12);
    EXPECT_EQ(text->GetTextSprite()->GetWidth(), 200);
    EXPECT_EQ(text->GetTextSprite()->GetHeight(), 300);
    EXPECT_EQ(layout.GetColor(), TColor(0.0f, 0.0f, 0.0f, 1.0f));
    Apply(*text, CutsceneSpriteFixture::Make("scale", "set", {{"value", "2"}}));
    EXPECT_EQ(layout.GetFontSize(), 24) << "the default style's size is the base";
}

TEST_F(TextCSTest, ScaleTruncatesTheFontSize) {
    const struct {
        const char* value;
        int32_t size;
    } cases[] = {{"1.5", 30}, {"0.99", 19}, {"1", 20}, {"0.04", 0}};
    auto text = MakeText("title");
    for (const auto& c : cases) {
        Apply(*text, Make("scale", "set", {{"value", c.value}}));
        EXPECT_EQ(text->GetTextSprite()->GetLayout().GetFontSize(), c.size) << c.value;
    }
    Apply(*text, Make("scale", "set", {{"value", "1"}}));
    Apply(*text, Make("scale", "to", {{"value", "2"}, {"time", "100"}}));
    for (int i = 0; i < 7; ++i)
        text->Update(16);
    EXPECT_EQ(text->GetScale(), 2.0f);
    EXPECT_EQ(text->GetTextSprite()->GetLayout().GetFontSize(), 40);
}

TEST_F(TextCSTest, TypingPassesALineBreakInOneStep) {
    auto text = MakeText("title");
    Apply(*text, Make("text", "to", {{"text", "Hello<br>World"}, {"speed", "10"}}));
    EXPECT_TRUE(text->IsTyping());
    EXPECT_EQ(text->GetTextSprite()->GetText().ToStd(), "");
    uint32_t t = 0;
    while (text->IsTyping()) {
        text->Update(16);
        t += 16;
        ASSERT_LT(t, 3000u);
        const std::string shown = text->GetTextSprite()->GetText().ToStd();
        ASSERT_EQ(std::string("Hello<br>World").compare(0, shown.size(), shown), 0);
        const size_t open = shown.rfind('<');
        EXPECT_TRUE(open == std::string::npos || shown.size() >= open + 4)
            << "never part of a line break: " << shown;
    }
    EXPECT_GE(t, 950u);
    EXPECT_LE(t, 1100u) << "about 1.0 s, not 1.4 s";
    EXPECT_EQ(text->GetTextSprite()->GetText().ToStd(), "Hello<br>World");
}

// Letters of two and three bytes count one character each: at 10 a
// second, 1.02 s shows the first ten characters, whole, never a cut letter.
TEST_F(TextCSTest, TypingCountsCharactersNotBytes) {
    const std::string full = "\xC3\x80\xC3\x89\xC3\x8E\xC3\x95\xC3\x9C\xE2\x82\xAC done";
    auto text = MakeText("title");
    Apply(*text, Make("text", "to", {{"text", full.c_str()}, {"speed", "10"}}));
    for (int i = 0; i < 10; ++i)
        text->Update(100);
    text->Update(20);
    EXPECT_EQ(text->GetTextSprite()->GetText().ToStd(),
              "\xC3\x80\xC3\x89\xC3\x8E\xC3\x95\xC3\x9C\xE2\x82\xAC don");
    for (int i = 0; i < 5; ++i) {
        text->Update(30);
        const std::string shown = text->GetTextSprite()->GetText().ToStd();
        ASSERT_EQ(full.compare(0, shown.size(), shown), 0);
    }
    text->Update(100);
    EXPECT_FALSE(text->IsTyping());
    EXPECT_EQ(text->GetTextSprite()->GetText().ToStd(), full);
}

TEST_F(TextCSTest, TextStopKeepsWhatWasTyped) {
    auto text = MakeText("title");
    Apply(*text, Make("text", "to", {{"text", "abcdefghij"}, {"speed", "100"}}));
    for (int i = 0; i < 3; ++i)
        text->Update(16);
    Apply(*text, Make("text", "stop"));
    const std::string typed = text->GetTextSprite()->GetText().ToStd();
    EXPECT_EQ(typed, "abcd");
    text->Update(500);
    EXPECT_EQ(text->GetTextSprite()->GetText().ToStd(), typed);
    Apply(*text, Make("text", "set", {{"text", "whole"}}));
    EXPECT_EQ(text->GetTextSprite()->GetText().ToStd(), "whole") << "the label, without a table";
}

TEST_F(TextCSTest, NeverHit_MovesAndColours) {
    auto text = MakeText("title");
    Apply(*text, Make("visible", "set"));
    EXPECT_TRUE(text->IsVisible());
    EXPECT_FALSE(text->HitTest(0, 0));
    text->SetPosition(10.0f, 20.0f, 0.0f);
    Apply(*text, Make("position", "to", {{"x", "100"}, {"y", "50"}, {"time", "100"}}));
    for (int i = 0; i < 7; ++i)
        text->Update(16);
    const TVec2 at = text->GetTextSprite()->GetDrawSpec().GetPosition();
    EXPECT_EQ(at.x, 110.0f);
    EXPECT_EQ(at.y, 70.0f);
    Apply(*text, Make("color", "set", {{"r", "0.5"}}));
    EXPECT_EQ(text->GetTextSprite()->GetLayout().GetColor(), TColor(0.5f, 1.0f, 1.0f, 1.0f));
    Apply(*text, Make("color", "to", {{"r", "0"}, {"g", "0"}, {"b", "0"}, {"time", "50"}}));
    for (int i = 0; i < 4; ++i)
        text->Update(16);
    EXPECT_EQ(text->GetTextSprite()->GetLayout().GetColor(), TColor(0.0f, 0.0f, 0.0f, 1.0f));
    Apply(*text, Make("visible", "set", {{"value", "no"}}));
    EXPECT_FALSE(text->IsVisible());
}

// Counts the spans the vector drawer gives and where they lie.
class SpanCounter : public TVecDrawSink {
public:
    void DrawLineList(const TVecVertex* v, int count) override {
        for (int i = 0; i + 1 < count; i += 2) {
            ++spans;
            left = std::min(left, v[i].x);
            right = std::max(right, v[i + 1].x);
        }
    }
    int spans = 0;
    float left = 1e9f;
    float right = -1e9f;
};

TEST_F(TextCSTest, DrawsItsTextAroundThePositionOnlyWhenVisible) {
    SpanCounter sink;
    TNbMiniVecDraw drawer;
    drawer.SetSink(&sink);
    auto text = MakeText("title");
    Apply(*text, Make("text", "set", {{"text", "Hello"}}));
    Apply(*text, Make("position", "set", {{"x", "400"}, {"y", "300"}}));
    text->Draw();
    EXPECT_EQ(sink.spans, 0) << "hidden until shown";
    Apply(*text, Make("visible", "set"));
    text->Draw();
    EXPECT_GT(sink.spans, 0);
    EXPECT_NEAR((sink.left + sink.right) / 2.0f, 400.0f, 8.0f) << "centred by its style";
}

} // namespace
