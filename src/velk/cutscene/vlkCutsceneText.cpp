#include "velk/cutscene/vlkCutsceneText.h"

#include "velk/cutscene/vlkCutscene.h"
#include "velk/cutscene/vlkSpriteCS.h"
#include "velk/cutscene/vlkTextCS.h"

#include <cmath>
#include <cstdio>

vlkCutsceneText::vlkCutsceneText(const TString& cutsceneFile, const TString& objectName,
                                 const TString& letterPath)
    : mTemplate(std::make_unique<vlkCutscene>()), mCutsceneFile(cutsceneFile),
      mObjectName(objectName), mLetterPath(letterPath), mLetterMode(letterPath.IsEmpty() ? 0 : 1) {
    mTemplate->Load(cutsceneFile);
}

vlkCutsceneText::~vlkCutsceneText() = default;

TString vlkCutsceneText::LetterFile(const TString& path, const char* text, size_t available,
                                    size_t& length) {
    const unsigned char lead = static_cast<unsigned char>(text[0]);
    length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead <= 0xEF ? 3 : 4;
    if (length > available)
        length = available;
    TString file = path + TString("c");
    for (size_t i = 0; i < length; ++i) {
        char hex[4];
        std::snprintf(hex, sizeof hex, "%x", static_cast<unsigned char>(text[i]));
        file += TString(hex);
    }
    return file + TString(".png");
}

void vlkCutsceneText::SetText(const TString& text) {
    mCopies.clear();
    mWidths.clear();
    mLetterFiles.clear();
    mText = text;
    if (mLetterMode) {
        BuildLetters();
    } else {
        auto copy = std::make_unique<vlkCutscene>(*mTemplate);
        if (vlkTextCS* object = copy->FindTextObject(mObjectName))
            object->SetText(text);
        mCopies.push_back(std::move(copy));
        mWidths.push_back(-1);
    }
    if (mPlaced)
        Layout(mX, mY);
}

void vlkCutsceneText::BuildLetters() {
    mTotalWidth = 0;
    const char* bytes = mText.CStr();
    const size_t size = static_cast<size_t>(mText.Length());
    for (size_t at = 0; at < size;) {
        size_t length = 1;
        const TString file = LetterFile(mLetterPath, bytes + at, size - at, length);
        at += length;
        auto copy = std::make_unique<vlkCutscene>(*mTemplate);
        int32_t width = -1;
        if (vlkSpriteCS* sprite = copy->FindSpriteObject(mObjectName)) {
            if (!sprite->LoadResource(file))
                sprite->LoadResource(mLetterPath + TString("c20.png"));
            width = sprite->GetWidth();
            mTotalWidth += width;
        }
        mLetterFiles.push_back(file);
        mCopies.push_back(std::move(copy));
        mWidths.push_back(width);
    }
}

void vlkCutsceneText::Layout(int32_t x, int32_t y) {
    mPlaced = 1;
    mX = x;
    mY = y;
    if (!mLetterMode) {
        for (const auto& copy : mCopies)
            copy->SetPosition(static_cast<float>(x), static_cast<float>(y));
        return;
    }
    const size_t count = mCopies.size();
    if (count == 0)
        return;
    const float n = static_cast<float>(count);
    const float row = (n - 1.0f) * static_cast<float>(mSpacing) + static_cast<float>(mTotalWidth);
    float px = static_cast<float>(x) - row * mScale * 0.5f + (row / n) * mScale * 0.5f;
    const float py = static_cast<float>(y);
    for (size_t i = 0; i < count; ++i) {
        mCopies[i]->SetPosition(std::trunc(px), std::trunc(py));
        if (mWidths[i] < 0)
            continue;
        const float w = static_cast<float>(mWidths[i]);
        const float next = i + 1 < count ? static_cast<float>(std::max(0, mWidths[i + 1])) : 0.0f;
        if (mLetterWidth == -1)
            px += w * mScale * 0.5f + next * mScale * 0.5f + static_cast<float>(mSpacing) * mScale;
        else
            px += static_cast<float>(mLetterWidth) + static_cast<float>(mSpacing) * mScale;
    }
}

void vlkCutsceneText::Play() {
    mDone = 0;
    mActive = 1;
    mVisible = 1;
    for (const auto& copy : mCopies)
        copy->Play();
}

void vlkCutsceneText::Update(uint32_t elapsedMs) {
    if (!mActive || mDone)
        return;
    for (const auto& copy : mCopies)
        copy->Update(elapsedMs);
    // Nothing to play: done at once, so that a sequence goes on past an
    // empty part.
    mDone = mCopies.empty() || mCopies.front()->IsFinished() ? 1 : 0;
}

void vlkCutsceneText::Draw() {
    if (!mVisible)
        return;
    for (const auto& copy : mCopies)
        copy->Draw();
}

void vlkCutsceneText::SetPosition(int32_t x, int32_t y) {
    Layout(x, y);
}

void vlkCutsceneText::SetScale(float scale) {
    mScale = scale;
    for (const auto& copy : mCopies)
        copy->SetScale(scale, scale);
    Layout(mX, mY);
}

void vlkCutsceneText::SetSpacing(int32_t spacing) {
    if (!mLetterMode)
        return;
    mSpacing = spacing;
    Layout(mX, mY);
}

void vlkCutsceneText::SetLetterWidth(int32_t width) {
    if (!mLetterMode)
        return;
    mLetterWidth = width;
    mTotalWidth = static_cast<int32_t>(mCopies.size()) * width;
    Layout(mX, mY);
}
