#include "velk/cutscene/vlkTextCS.h"

#include "framework/core/settings/TSettings.h"
#include "framework/core/xml/TStringTable.h"
#include "framework/graphics/text/TTextSprite.h"
#include "velk/globals/GameGlobals.h"

#include <algorithm>
#include <cmath>

namespace {

// The byte at which each character of the text starts, and its length in
// bytes last. A lead byte's sequence is cut at the end of the text.
std::vector<int> CharacterStarts(const TString& text) {
    std::vector<int> starts;
    const int size = text.Length();
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.CStr());
    for (int at = 0; at < size;) {
        starts.push_back(at);
        at += std::max(1, std::min(Utf8SequenceLength(bytes[at]), size - at));
    }
    starts.push_back(size);
    return starts;
}

const char kLineBreak[] = "<br>";
constexpr int kLineBreakLength = 4;

} // namespace

vlkTextCS::vlkTextCS(vlkISpriteCS* listener)
    : vlkObjectCS(listener),
      mTextSprite(TTextSprite::Create(200, 300, 0, "Arial", 12, TColor(0.0f, 0.0f, 0.0f, 1.0f))) {
    mKind = kKindText;
}

vlkTextCS::~vlkTextCS() = default;

bool vlkTextCS::Init(const vlkObjectDef* def) {
    if (!vlkObjectCS::Init(def))
        return false;
    for (const vlkTextStyle& style : mStyles) {
        if (style.name == mDef.resource) {
            ApplyStyle(style);
            break;
        }
    }
    mBaseSize = mStyle.size;
    mColour = mStyle.colour;
    return true;
}

void vlkTextCS::ApplyStyle(const vlkTextStyle& style) {
    mStyle = style;
    mTextSprite->SetSize(style.width, style.height);
    mTextSprite->SetFont(TString("loc/") + GetSetting("locale", "en") + TString("/") + style.font);
    mTextSprite->SetColor(style.colour);
    mTextSprite->SetFontSize(style.size);
    mTextSprite->SetAlignment(static_cast<int32_t>(style.justify));
}

void vlkTextCS::SetText(const TString& text) {
    mTyping = false;
    mTextSprite->SetText(text);
}

TString vlkTextCS::Localised(const TString& label) {
    return gGameStringTable ? gGameStringTable->GetString(label) : label;
}

bool vlkTextCS::SetAction(const vlkAction* action) {
    if (!vlkObjectCS::SetAction(action))
        return false;
    const std::string_view property = mAction.property.View();
    const std::string_view function = mAction.function.View();
    const float time = mAction.ParamFloat("time", 0.0f);
    if (property == "position") {
        if (function == "set") {
            mPosition = mAction.ParamXyz();
            PlaceText();
        } else if (function == "to") {
            if (time > 0.0f) {
                mTargetPosition = mAction.ParamXyz();
                mPositionStep = TVec3((mTargetPosition.x - mPosition.x) / time,
                                      (mTargetPosition.y - mPosition.y) / time,
                                      (mTargetPosition.z - mPosition.z) / time);
                mMoving = true;
            }
        } else if (function == "stop") {
            mMoving = false;
        } else {
            return false;
        }
        return true;
    }
    if (property == "text") {
        TString label;
        mAction.FindParam("text", label);
        if (function == "set") {
            mTextSprite->SetText(Localised(label));
        } else if (function == "to") {
            mFullText = Localised(label);
            mTypeSpeed = static_cast<float>(mAction.ParamInt("speed", 0)) / 1000.0f;
            mShown = 0.0f;
            mTextSprite->SetText(TString());
            mTyping = true;
        } else if (function == "stop") {
            mTyping = false;
        } else {
            return false;
        }
        return true;
    }
    if (property == "visible") {
        if (function != "set")
            return false;
        mVisible = mAction.ParamVisible();
        return true;
    }
    if (property == "scale") {
        const float value = mAction.ParamFloat("value", 1.0f);
        if (function == "set") {
            mScale = value;
            mTextSprite->SetFontSize(static_cast<int32_t>(value * static_cast<float>(mBaseSize)));
        } else if (function == "to") {
            if (time > 0.0f) {
                mTargetScale = value;
                mScaleStep = (value - mScale) / time;
                mScaling = true;
            }
        } else {
            return false;
        }
        return true;
    }
    if (property == "color") {
        const TColor colour(mAction.ParamFloat("r", 1.0f), mAction.ParamFloat("g", 1.0f),
                            mAction.ParamFloat("b", 1.0f), mAction.ParamFloat("a", 1.0f));
        if (function == "set") {
            mColour = colour;
            mTextSprite->SetColor(mColour);
        } else if (function == "to") {
            if (time > 0.0f) {
                mTargetColour = colour;
                mColourStep = TColor((colour.r - mColour.r) / time, (colour.g - mColour.g) / time,
                                     (colour.b - mColour.b) / time, (colour.a - mColour.a) / time);
                mColouring = true;
            }
        } else {
            return false;
        }
        return true;
    }
    return false;
}

void vlkTextCS::PlaceText() {
    mTextSprite->GetDrawSpec().SetPosition(mPosition.x + mOffset.x, mPosition.y + mOffset.y);
}

void vlkTextCS::Call(Hook hook) {
    vlkITextCS* listener = dynamic_cast<vlkITextCS*>(mListener);
    if (listener && hook)
        (listener->*hook)(this);
}

bool vlkTextCS::Update(uint32_t elapsed) {
    const float dt = static_cast<float>(elapsed);
    if (mMoving) {
        mPosition += TVec3(mPositionStep.x * dt, mPositionStep.y * dt, mPositionStep.z * dt);
        if (ReachedAll(Components(mPositionStep), Components(mPosition),
                       Components(mTargetPosition), 3)) {
            mPosition = mTargetPosition;
            mMoving = false;
            PlaceText();
            Call(mOnMoveStep);
            Call(mOnMoveEnd);
        } else {
            PlaceText();
            Call(mOnMoveStep);
        }
    }
    if (mScaling) {
        mScale += mScaleStep * dt;
        if (ReachedOne(mScaleStep, mScale, mTargetScale)) {
            mScale = mTargetScale;
            mScaling = false;
            Call(mOnScaleEnd);
        }
        mTextSprite->SetFontSize(static_cast<int32_t>(static_cast<float>(mBaseSize) * mScale));
    }
    if (mColouring) {
        float* channels = Components(mColour);
        const float* step = Components(mColourStep);
        for (int i = 0; i < 4; ++i)
            channels[i] += step[i] * dt;
        const bool reached = ReachedAll(step, channels, Components(mTargetColour), 4);
        if (reached) {
            mColour = mTargetColour;
            mColouring = false;
        }
        mTextSprite->SetColor(mColour);
        if (reached)
            Call(mOnColourEnd);
    }
    if (mTyping) {
        // Typing counts characters, not bytes: a letter of two or three
        // bytes shows in one step, and the text is never cut inside one.
        const std::vector<int> starts = CharacterStarts(mFullText);
        const int characters = static_cast<int>(starts.size()) - 1;
        const auto byteAt = [&](int character) {
            return starts[static_cast<size_t>(std::clamp(character, 0, characters))];
        };
        const float length = static_cast<float>(characters);
        mShown += mTypeSpeed * dt;
        if (!(mShown >= 0.0f))
            mShown = 0.0f;
        // A line break is passed in one step.
        if (mShown <= length &&
            mFullText.Substring(byteAt(static_cast<int>(std::lround(mShown))), kLineBreakLength)
                    .View() == kLineBreak)
            mShown += static_cast<float>(kLineBreakLength);
        // Never show part of a line break: the cut moves past it (a line
        // break is four one-byte characters).
        int cut = mShown >= length ? characters : static_cast<int>(mShown);
        const int open = mFullText.Find(kLineBreak, byteAt(cut - kLineBreakLength + 1));
        if (open >= 0) {
            const int openCharacter = static_cast<int>(
                std::lower_bound(starts.begin(), starts.end(), open) - starts.begin());
            if (openCharacter < cut && cut < openCharacter + kLineBreakLength) {
                cut = openCharacter + kLineBreakLength;
                mShown = static_cast<float>(cut);
            }
        }
        if (mShown > length) {
            mShown = length;
            cut = characters;
            mTyping = false;
            Call(mOnTypeEnd);
        }
        mTextSprite->SetText(mFullText.Substring(0, byteAt(cut)));
    }
    return true;
}

void vlkTextCS::Draw() {
    if (mVisible)
        mTextSprite->Draw(TDrawSpec(), -1);
}
