#include "game/screens/clsText.h"

#include "framework/graphics/TGraphics.h"
#include "framework/ui/window/TWindowStyle.h"
#include "velk/container/TDraw2dScope.h"
#include "velk/cutscene/vlkCutsceneText.h"
#include "velk/game/FxMap.h"
#include "velk/game/GameTuning.h"

#include <new>

namespace {

constexpr int kTextOnly = 0;
constexpr int kLettersAndText = 11;

} // namespace

clsText::clsText()
    : mLetters(std::make_unique<vlkCutsceneText>(GetFxPath(TString("Text")), TString("sprite"),
                                                 TString("gpx/letters/"))),
      mTextOnly(gGameTuning.animation.spritetext == kTextOnly ? 1 : 0),
      mLettersAndText(gGameTuning.animation.spritetext == kLettersAndText ? 1 : 0) {}

clsText::~clsText() = default;

TWindow* clsText::Create() {
    return new (std::nothrow) clsText();
}

void clsText::PostInit(TWindowStyle& style) {
    TWindow::PostInit(style);
    mLetterScale = static_cast<float>(style.GetNumber("Scale", 1.0));
    mSpacing = style.GetInt("Space", 0);
    mLetters->SetSpacing(mSpacing);
    LayOut(GetText());
}

void clsText::SetText(const TString& text) {
    TText::SetText(text);
    LayOut(text);
}

void clsText::LayOut(const TString& text) {
    mLetters->SetText(text);
    mLetters->SetPosition(GetWidth() / 2, GetHeight() / 2);
    mLetters->SetScale(mLetterScale);
    mLetters->Play();
    mLetters->Update(0);
}

void clsText::Draw() {
    if (mTextOnly && !mLettersAndText) {
        TText::Draw();
        return;
    }
    TGraphics* graphics = TGraphics::Get();
    if (!graphics)
        return;
    TDraw2dScope scope(graphics->Begin2d());
    mLetters->Draw();
    if (mLettersAndText)
        TText::Draw();
}
