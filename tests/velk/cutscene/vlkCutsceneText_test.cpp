#include "velk/cutscene/vlkCutscene.h"
#include "velk/cutscene/vlkCutsceneText.h"
#include "velk/cutscene/vlkCutsceneTextSequence.h"
#include "velk/cutscene/vlkSpriteCS.h"
#include "velk/cutscene/vlkTextCS.h"

#include "CutsceneTestSupport.h"
#include "SpriteFixture.h"
#include "framework/graphics/text/TTextSprite.h"

using namespace cutscenetest;

namespace {

// A letter template of 300 ms and letter pictures "A" 10, "B" 20 and the
// blank 6 pixels wide.
class CutsceneTextTest : public CutsceneSpriteFixture {
protected:
    void SetUp() override {
        CutsceneSpriteFixture::SetUp();
        mTemplate = WriteScene(mFolder, "letter.xml",
                               R"(<object name="sprite" type="sprite"/>
               <object name="caption" type="text" resource="none"/>)" +
                                   Keyframe(0, Action("sprite", "visible", "set") +
                                                   Action("sprite", "position", "set")) +
                                   Keyframe(300));
        Picture("letters/c41.png", 10, 8);
        Picture("letters/c42.png", 20, 8);
        Picture("letters/c20.png", 6, 8);
        mLetters = TString(("::" + (mFolder.Path() / "letters").string() + "/").c_str());
    }
    static std::vector<float> Offsets(const vlkCutsceneText& text) {
        std::vector<float> offsets;
        for (const auto& copy : text.GetCopies())
            offsets.push_back(copy->GetOffsetX());
        return offsets;
    }
    static int32_t LetterWidth(const vlkCutscene& copy) {
        return copy.FindSpriteObject("sprite")->GetWidth();
    }

    TString mTemplate;
    TString mLetters;
};

TEST_F(CutsceneTextTest, LettersAreLaidOutCentredOnX) {
    vlkCutsceneText text(mTemplate, "sprite", mLetters);
    text.SetText("AB");
    text.SetPosition(100, 40);
    EXPECT_EQ(text.GetTotalWidth(), 30);
    EXPECT_EQ(Offsets(text), (std::vector<float>{92.0f, 107.0f}));
    EXPECT_EQ(text.GetCopies()[1]->GetOffsetY(), 40.0f);

    text.SetSpacing(4);
    EXPECT_EQ(Offsets(text), (std::vector<float>{91.0f, 110.0f}));
    text.SetSpacing(0);
    text.SetScale(2.0f);
    EXPECT_EQ(Offsets(text), (std::vector<float>{85.0f, 115.0f}));
    text.SetScale(1.0f);
    text.SetLetterWidth(50);
    EXPECT_EQ(text.GetTotalWidth(), 100);
    EXPECT_EQ(Offsets(text), (std::vector<float>{75.0f, 125.0f}));
    // Setting a new text lays out again at the last position.
    text.SetText("BAB");
    EXPECT_EQ(text.GetCopies().size(), 3u);
    EXPECT_EQ(text.GetCopies()[0]->GetOffsetY(), 40.0f);
}

TEST_F(CutsceneTextTest, MissingLetterShowsTheBlank) {
    vlkCutsceneText text(mTemplate, "sprite", mLetters);
    text.SetText("A?");
    ASSERT_EQ(text.GetCopies().size(), 2u);
    EXPECT_EQ(text.GetLetterFiles()[1], mLetters + TString("c3f.png"));
    EXPECT_EQ(LetterWidth(*text.GetCopies()[1]), 6);
    EXPECT_EQ(text.GetTotalWidth(), 16) << "the blank's width counts";
    EXPECT_TRUE(Logged("c3f.png\" did not load"));
}

TEST_F(CutsceneTextTest, LetterFileNamesAreTheUtf8BytesInHex) {
    const struct {
        const char* text;
        const char* file;
        size_t length;
    } cases[] = {{"A", "p/c41.png", 1},
                 {" ", "p/c20.png", 1},
                 {"!", "p/c21.png", 1},
                 {"\xc3\xa9", "p/cc3a9.png", 2},
                 {"\xe2\x82\xac", "p/ce282ac.png", 3},
                 {"\xf0\x9f\x99\x82", "p/cf09f9982.png", 4},
                 {"\x0a", "p/ca.png", 1},
                 {"\xe2\x82", "p/ce282.png", 2}};
    for (const auto& c : cases) {
        size_t length = 0;
        const size_t available = std::string(c.text).size();
        EXPECT_EQ(vlkCutsceneText::LetterFile("p/", c.text, available, length).ToStd(), c.file);
        EXPECT_EQ(length, c.length) << c.file;
    }
}

TEST_F(CutsceneTextTest, PlayDrawAndDoneFollowTheFirstCopy) {
    vlkCutsceneText text(mTemplate, "sprite", mLetters);
    text.SetText("AB");
    text.SetPosition(200, 100);
    EXPECT_EQ(CountDraws([&] { text.Draw(); }), 0u) << "hidden until played";
    text.Play();
    text.Update(16);
    EXPECT_EQ(CountDraws([&] { text.Draw(); }), 2u);
    EXPECT_FALSE(text.IsDone());
    for (int i = 0; i < 10 && !text.IsDone(); ++i)
        text.Update(33);
    EXPECT_TRUE(text.IsDone());
    EXPECT_EQ(text.GetCopies()[0]->FindSpriteObject("sprite")->GetPosition().x, 192.0f);
}

TEST_F(CutsceneTextTest, WithoutLetterPathOneCopyShowsTheText) {
    vlkCutsceneText text(mTemplate, "caption", "");
    EXPECT_FALSE(text.IsLetterMode());
    text.SetText("Level 3");
    ASSERT_EQ(text.GetCopies().size(), 1u);
    vlkTextCS* caption = text.GetCopies()[0]->FindTextObject("caption");
    ASSERT_NE(caption, nullptr);
    EXPECT_EQ(caption->GetTextSprite()->GetText().ToStd(), "Level 3");
    text.SetPosition(300, 200);
    EXPECT_EQ(text.GetCopies()[0]->GetOffsetX(), 300.0f);
    text.SetSpacing(10);
    text.SetLetterWidth(40);
    EXPECT_EQ(text.GetTotalWidth(), 0) << "letter settings only in letter mode";
}

TEST_F(CutsceneTextTest, SequenceSplitsAtUnderscores) {
    const struct {
        const char* text;
        std::vector<std::string> parts;
    } cases[] = {{"A__B", {"A", "", "B"}}, {"A_", {"A", ""}}, {"", {""}}, {"AB_BA", {"AB", "BA"}}};
    for (const auto& c : cases) {
        vlkCutsceneTextSequence sequence(mTemplate, "sprite", mLetters);
        sequence.SetText(c.text);
        std::vector<std::string> parts;
        for (const auto& part : sequence.GetParts())
            parts.push_back(part->GetText().ToStd());
        EXPECT_EQ(parts, c.parts) << c.text;
    }
}

TEST_F(CutsceneTextTest, SequencePlaysPartAfterPartAndFinishesInOneFrame) {
    vlkCutsceneTextSequence sequence(mTemplate, "sprite", mLetters);
    sequence.SetText("A__B");
    sequence.SetPosition(100, 50);
    EXPECT_FALSE(sequence.IsFinished());
    EXPECT_TRUE(sequence.Play());
    std::vector<size_t> indices;
    int finishedFrames = 0;
    for (int frame = 0; frame < 200; ++frame) {
        sequence.Update(33);
        if (indices.empty() || indices.back() != sequence.GetCurrentIndex())
            indices.push_back(sequence.GetCurrentIndex());
        finishedFrames += sequence.IsFinishedThisFrame() ? 1 : 0;
    }
    EXPECT_EQ(indices, (std::vector<size_t>{0, 1, 2, 3})) << "the empty part passes too";
    EXPECT_EQ(finishedFrames, 1);
    EXPECT_TRUE(sequence.IsFinished());
    EXPECT_FALSE(sequence.IsPlaying());
    EXPECT_EQ(CountDraws([&] { sequence.Draw(); }), 0u);
}

TEST_F(CutsceneTextTest, SequenceStopAndEmptySequence) {
    vlkCutsceneTextSequence sequence(mTemplate, "sprite", mLetters);
    sequence.SetText("AB_A");
    sequence.SetPosition(100, 50);
    sequence.Play();
    sequence.Update(16);
    EXPECT_EQ(CountDraws([&] { sequence.Draw(); }), 2u);
    EXPECT_EQ(sequence.Stop(), 2u);
    EXPECT_EQ(CountDraws([&] { sequence.Draw(); }), 0u);
    sequence.Update(16);
    EXPECT_FALSE(sequence.IsFinishedThisFrame());

    vlkCutsceneTextSequence empty(mTemplate, "sprite", mLetters);
    EXPECT_TRUE(empty.Play());
    empty.Update(16);
    EXPECT_FALSE(empty.IsFinished()) << "no parts: nothing finishes";
    EXPECT_FALSE(empty.IsFinishedThisFrame());
}

TEST_F(CutsceneTextTest, ManyPartsPlayToTheEnd) {
    std::string text;
    for (int i = 0; i < 300; ++i)
        text += "_";
    // Past 255 parts: empty parts, each done in one update.
    vlkCutsceneTextSequence sequence(mTemplate, "sprite", mLetters);
    sequence.SetText(TString(text.c_str()));
    ASSERT_EQ(sequence.GetParts().size(), 301u);
    sequence.Play();
    for (int i = 0; i < 400 && !sequence.IsFinished(); ++i)
        sequence.Update(16);
    EXPECT_EQ(sequence.GetCurrentIndex(), 301u);
}

} // namespace
