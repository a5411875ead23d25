#include "velk/cutscene/vlkCutsceneTextSequence.h"

#include "velk/cutscene/vlkCutsceneText.h"

vlkCutsceneTextSequence::vlkCutsceneTextSequence(const TString& cutsceneFile,
                                                 const TString& objectName,
                                                 const TString& letterPath)
    : mCutsceneFile(cutsceneFile), mObjectName(objectName), mLetterPath(letterPath),
      mLetterMode(letterPath.IsEmpty() ? 0 : 1) {}

vlkCutsceneTextSequence::~vlkCutsceneTextSequence() = default;

void vlkCutsceneTextSequence::SetText(const TString& text) {
    mParts.clear();
    mCurrent = 0;
    const TString walked = text + TString("_");
    TString part;
    for (int i = 0; i < walked.Length(); ++i) {
        const char c = walked.CharAt(i);
        if (c != '_') {
            part += c;
            continue;
        }
        auto piece = std::make_unique<vlkCutsceneText>(mCutsceneFile, mObjectName, mLetterPath);
        piece->SetText(part);
        mParts.push_back(std::move(piece));
        part = TString();
    }
    for (const auto& piece : mParts)
        piece->SetPosition(mX, mY);
}

bool vlkCutsceneTextSequence::Play() {
    mCurrent = 0;
    if (!mParts.empty())
        mParts.front()->Play();
    mPlaying = 1;
    mVisible = 1;
    return true;
}

uint32_t vlkCutsceneTextSequence::Stop() {
    mCurrent = mParts.size();
    return static_cast<uint32_t>(mCurrent);
}

void vlkCutsceneTextSequence::Update(uint32_t elapsedMs) {
    mFinishedThisFrame = 0;
    if (!mPlaying || mCurrent >= mParts.size())
        return;
    mParts[mCurrent]->Update(elapsedMs);
    if (!mParts[mCurrent]->IsDone())
        return;
    ++mCurrent;
    if (mCurrent < mParts.size()) {
        mParts[mCurrent]->Play();
        return;
    }
    mPlaying = 0;
    mFinishedThisFrame = 1;
}

void vlkCutsceneTextSequence::Draw() {
    if (mVisible && mCurrent < mParts.size())
        mParts[mCurrent]->Draw();
}

void vlkCutsceneTextSequence::SetPosition(int32_t x, int32_t y) {
    mX = x;
    mY = y;
    for (const auto& piece : mParts)
        piece->SetPosition(x, y);
}

void vlkCutsceneTextSequence::SetLetterWidth(int32_t width) {
    for (const auto& piece : mParts)
        piece->SetLetterWidth(width);
}

void vlkCutsceneTextSequence::SetSpacing(int32_t spacing) {
    for (const auto& piece : mParts)
        piece->SetSpacing(spacing);
}

bool vlkCutsceneTextSequence::IsFinished() const {
    return !mParts.empty() && mCurrent == mParts.size() && mParts.back()->IsDone();
}
