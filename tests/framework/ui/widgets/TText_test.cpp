#include "framework/ui/widgets/TText.h"

#include "framework/core/xml/TStringTable.h"
#include "framework/graphics/text/TTextLayout.h"
#include "framework/ui/widgets/TButton.h"
#include "framework/ui/widgets/WidgetFixture.h"

#include <gtest/gtest.h>

namespace {

class TextWindow : public WidgetFixture {
protected:
    void SetUp() override {
        WidgetFixture::SetUp();
        const std::string strings = "<Row><Cell><Data>menu_play</Data></Cell>"
                                    "<Cell><Data>Play the game</Data></Cell></Row>";
        ASSERT_TRUE(table.LoadBuffer(strings.data(), strings.size()));
        host->strings = &table;
    }

    TStringTable table;
};

TEST_F(TextWindow, LabelsAreTranslatedOnlyWhileTheOptionIsOn) {
    struct {
        const char* label;
        bool option;
        const char* shown;
    } cases[] = {
        {"#Hello", true, "Hello"},
        {"12.5", true, "12.5"},
        {"menu_play", true, "Play the game"},
        {"menu_play", false, "menu_play"},
        {"#Hello", false, "#Hello"},
        {"", true, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        manager->SetScriptFlag(c.option);
        TText* text = Make<TText>(std::string("w=200, h=40, label='") + c.label + "'");
        EXPECT_EQ(text->GetText().ToStd(), c.shown);
        EXPECT_EQ(manager->SetScriptFlag(c.option), c.option) << "the option is put back";
    }
}

TEST_F(TextWindow, FontDefaultsAndAlignmentFlags) {
    struct {
        const char* fields;
        const char* font;
        int32_t size;
        TColor colour;
        int32_t alignment;
    } cases[] = {
        {"", "__DEFAULT", 16, TColor(0, 1, 0, 1), 0},
        {"font={'__DEFAULT'}", "__DEFAULT", 16, TColor(0, 1, 0, 1), 0},
        {"font={'__DEFAULT', 0}", "__DEFAULT", 12, TColor(0, 1, 0, 1), 0},
        {"font={'__DEFAULT', 20.7, {1, 0, 0, 1}}", "__DEFAULT", 20, TColor(1, 0, 0, 1), 0},
        {"font={'__DEFAULT', 1e300}", "__DEFAULT", 4096, TColor(0, 1, 0, 1), 0},
        {"font={'__DEFAULT', 0/0}", "__DEFAULT", 12, TColor(0, 1, 0, 1), 0},
        {"defflags=5", "__DEFAULT", 16, TColor(0, 1, 0, 1), 5},
        {"defflags=5, flags=2", "__DEFAULT", 16, TColor(0, 1, 0, 1), 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fields);
        TText* text = Make<TText>(std::string("w=100, h=30, label='#a', ") + c.fields);
        ASSERT_NE(text->GetLayout(), nullptr);
        EXPECT_EQ(text->GetLayout()->GetFontName().ToStd(), c.font);
        EXPECT_EQ(text->GetLayout()->GetFontSize(), c.size);
        EXPECT_EQ(text->GetLayout()->GetColor(), c.colour);
        EXPECT_EQ(text->GetLayout()->GetAlignment(), c.alignment);
    }
}

TEST_F(TextWindow, AWindowWithoutASizeLogsAndHasNoLayout) {
    TText* text = Make<TText>("name='empty', label='#never', h=20");
    EXPECT_EQ(text->GetLayout(), nullptr);
    EXPECT_TRUE(Logged("ERROR: Attempting to create text window of size(0,0): named 'empty', "
                       "label '#never'"));
    text->SetText("still nothing");
    EXPECT_EQ(text->GetText().ToStd(), "");
    EXPECT_FALSE(text->OnMouseDown(TPoint(1, 1)));
    EXPECT_FALSE(text->CreateLayout("x", 0, 10, 0, "__DEFAULT", 12, TColor(1, 1, 1, 1)));
    // Drawing draws nothing.
    ASSERT_TRUE(graphics->BeginDraw());
    Device().ClearDraws();
    text->Draw();
    EXPECT_TRUE(Device().Draws().empty());
    graphics->EndDraw(false);
}

TEST_F(TextWindow, EveryChangeOfTheTextMarksTheScreenDirty) {
    TText* text = Make<TText>("w=200, h=40");
    ASSERT_NE(text->GetLayout(), nullptr);
    struct {
        const char* text;
        bool dirty;
    } steps[] = {{"", false},
                 {"filled from empty", true},
                 {"filled from empty", false},
                 {"changed", true},
                 {"", true}};
    for (const auto& s : steps) {
        SCOPED_TRACE(s.text);
        // A frame clears the flag.
        Frame();
        ASSERT_FALSE(manager->IsDirty());
        text->SetText(s.text);
        EXPECT_EQ(manager->IsDirty(), s.dirty);
        EXPECT_EQ(text->GetText().ToStd(), s.text);
    }
    // The colour marks it only when it changes.
    Frame();
    text->SetColor(text->GetLayout()->GetColor());
    EXPECT_FALSE(manager->IsDirty());
    text->SetColor(TColor(1, 1, 1, 1));
    EXPECT_TRUE(manager->IsDirty());
}

TEST_F(TextWindow, ALinkPressesTheButtonItNamesOnce) {
    TButton* ok = Make<TButton>("name='ok', w=50, h=20, x=300");
    ASSERT_NE(ok, nullptr);
    TText* text = Make<TText>("w=400, h=60, label='#<a id=\"ok\">OK</a> <a id=\"gone\">Gone</a> "
                              "<a id=\"plain\">Plain</a>'");
    TWindow* plain = new TWindow(TString("plain"));
    screen->AddChild(plain);
    ASSERT_NE(text->GetLayout(), nullptr);
    // Find a point on each link.
    auto pointOn = [&](const char* id) {
        for (int32_t y = 0; y < 60; y += 2)
            for (int32_t x = 0; x < 400; x += 2)
                if (text->GetLayout()->GetLinkAt(TVec2(x, y), 0).ToStd() == id)
                    return TPoint(x, y);
        ADD_FAILURE() << "no point on " << id;
        return TPoint(-1, -1);
    };
    const TPoint okAt = pointOn("ok");
    const TPoint goneAt = pointOn("gone");
    const TPoint plainAt = pointOn("plain");
    TakeQueued();

    // Pressed and released on the same link: the button is pressed once.
    EXPECT_TRUE(text->OnMouseDown(okAt));
    EXPECT_EQ(text->GetPressedLink().ToStd(), "ok");
    EXPECT_TRUE(text->OnMouseUp(okAt));
    EXPECT_EQ(TakeQueued(), std::vector<std::string>{"3:ok"});
    EXPECT_TRUE(text->GetPressedLink().IsEmpty());

    // Released on another link: nothing, and the link is forgotten.
    EXPECT_TRUE(text->OnMouseDown(okAt));
    EXPECT_TRUE(text->OnMouseUp(goneAt));
    EXPECT_TRUE(TakeQueued().empty());
    EXPECT_TRUE(text->GetPressedLink().IsEmpty());
    EXPECT_FALSE(text->OnMouseUp(okAt)) << "no link held";

    // A link naming no window, and one naming a window that is no button.
    EXPECT_TRUE(text->OnMouseDown(goneAt));
    EXPECT_TRUE(text->OnMouseUp(goneAt));
    EXPECT_TRUE(Logged("ERROR: Command window gone not found"));
    EXPECT_TRUE(text->OnMouseDown(plainAt));
    EXPECT_TRUE(text->OnMouseUp(plainAt));
    EXPECT_TRUE(Logged("ERROR: Command window plain not a derived class of TButton"));
    EXPECT_TRUE(TakeQueued().empty());

    // Off any link the press is not taken.
    EXPECT_FALSE(text->OnMouseDown(TPoint(399, 59)));
    // Moving over a link takes the capture; leaving lets it go.
    EXPECT_TRUE(text->OnMouseMove(okAt));
    EXPECT_EQ(manager->GetCaptures().size(), 1u);
    EXPECT_TRUE(text->OnMouseExit());
    EXPECT_TRUE(manager->GetCaptures().empty());
}

TEST_F(TextWindow, DrawsItsInkInsideItsRectangle) {
    TText* text = Make<TText>("x=40, y=30, w=200, h=40, label='#Hello', font={'__DEFAULT', 20, "
                              "{1, 1, 1, 1}}");
    EXPECT_EQ(text->GetTextExtent().left >= 0, true);
    EXPECT_GT(text->GetTextExtent().right, text->GetTextExtent().left);
    ASSERT_TRUE(graphics->BeginDraw());
    graphics->PushViewport(text->GetScreenRect());
    Device().ClearDraws();
    text->SetAlpha(0.5f);
    text->Draw();
    EXPECT_FALSE(graphics->IsIn2d());
    EXPECT_FALSE(Device().Draws().empty());
    graphics->PopViewport();
    graphics->EndDraw(false);
}

} // namespace
