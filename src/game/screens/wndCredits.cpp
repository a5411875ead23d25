#include "game/screens/wndCredits.h"

#include "framework/app/TApplication.h"
#include "framework/core/files/TFile.h"
#include "framework/core/files/TFileData.h"
#include "framework/core/log/TLog.h"
#include "framework/graphics/TGraphics.h"
#include "framework/graphics/text/TTextLayout.h"
#include "framework/ui/manager/TWindowManager.h"
#include "framework/ui/window/TWindowStyle.h"
#include "velk/container/TDraw2dScope.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <string>
#include <vector>

namespace {

constexpr int32_t kLineBytes = 8192;
constexpr int32_t kCentred = 1;
const TColor kWhite(1.0f, 1.0f, 1.0f, 1.0f);

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

uint32_t Now() {
    TApplication* application = TApplication::Get();
    return application ? application->GetTimer() : 0;
}

} // namespace

TString CreditsColor(const TColor& color) {
    auto channel = [](float value) { return static_cast<unsigned>(static_cast<int>(value * 255.0f)) & 0xFFu; };
    return TString::Format("%02x%02x%02x%02x", channel(color.r), channel(color.g), channel(color.b),
                           channel(color.a));
}

TString CreditsLine(const TString& line, const CreditsStyles& styles) {
    std::string text = line.ToStd();
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    const size_t first = text.find_first_not_of(" \t");
    text = first == std::string::npos ? std::string() : text.substr(first);
    while (!text.empty() && IsBlank(text.back()))
        text.pop_back();
    if (text.find('|') != std::string::npos)
        return TString("\n");
    const std::string header = "<font color='" + styles.headerColor.ToStd() + "' size='" +
                               styles.headerSize.ToStd() + "'>";
    const std::string section = "<font color='" + styles.sectionColor.ToStd() + "' size='" +
                                styles.sectionSize.ToStd() + "'>";
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        const bool doubled = i + 1 < text.size() && text[i + 1] == text[i];
        if (text[i] == '[') {
            out += doubled ? section : header;
            i += doubled ? 1 : 0;
        } else if (text[i] == ']') {
            out += "</font>";
            i += doubled ? 1 : 0;
        } else {
            out += text[i];
        }
    }
    out += '\n';
    return TString(out.c_str());
}

wndCredits::wndCredits() = default;

wndCredits::~wndCredits() {
    TTextLayout::Destroy(mLayout);
}

TWindow* wndCredits::Create() {
    return new (std::nothrow) wndCredits();
}

void wndCredits::Init(TWindowStyle& style) {
    TWindow::Init(style);
    mTime = style.GetInt("time", 0);
    mColumnGap = style.GetInt("columngap", 0);
    mColumnWidth = style.GetInt("columnwidth", 0);
    mSlotHeight = style.GetInt("slotheight", 0);
    mFont = style.GetString("font");
    mFontSize = static_cast<int32_t>(style.GetNumber("fontsize", 24.0));
    mFontColor = style.GetColor("fontcolor", kWhite);
    mStyles.headerColor = CreditsColor(style.GetColor("headercolor", kWhite));
    mStyles.headerSize = TString::Format("%d", style.GetInt("headersize", 28));
    mStyles.sectionColor = CreditsColor(style.GetColor("sectioncolor", kWhite));
    mStyles.sectionSize = TString::Format("%d", style.GetInt("sectionsize", 32));
    mFile = style.GetString("file");
    // Both divide below: a table without them scrolls at one pixel per
    // slot-height ms and appends one break per pixel at worst.
    if (mFontSize < 1) {
        LogPrintf("wndCredits: \"fontsize\" %d is taken as 1", mFontSize);
        mFontSize = 1;
    }
    if (mTime < 1) {
        LogPrintf("wndCredits: \"time\" %d is taken as 1 ms", mTime);
        mTime = 1;
    }

    mText = TString("\n");
    TFile* file = FileOpen(mFile.CStr(), kFileReadText);
    if (!file) {
        LogPrintf("wndCredits: the credits file \"%s\" does not open; no credits scroll",
                  mFile.CStr());
    } else {
        std::vector<char> buffer(kLineBytes);
        // A line whose reading reaches the end of the file is not used.
        while (FileGets(file, buffer.data(), kLineBytes))
            mText += CreditsLine(TString(buffer.data()), mStyles);
        FileClose(file);
    }
    const uint32_t breaks = static_cast<uint32_t>(GetHeight()) / static_cast<uint32_t>(mFontSize);
    for (uint32_t i = 0; i < breaks; ++i)
        mText += TString("\n");
    TString twice = mText;
    twice += mText;
    mLayout = TTextLayout::Create(twice, 2 * mColumnWidth, GetHeight(), kCentred, mFont, mFontSize,
                                  mFontColor);
    mSpeed = static_cast<float>(mSlotHeight) / static_cast<float>(static_cast<uint32_t>(mTime));
    GetAnimator();
    mStart = Now();
    mTextRect = TRect(mColumnGap, 0, GetWidth() - mColumnGap, GetHeight());
    mOffset = mSlotHeight;
    SetPosition(GetRect().left, mSlotHeight);
}

bool wndCredits::OnAnimate() {
    ScrollTo(Now());
    return true;
}

void wndCredits::ScrollTo(uint32_t nowMs) {
    InvalidateWindows();
    const int32_t height = GetHeight();
    if (height == 0) {
        mOffset = 0;
    } else {
        const uint32_t elapsed = nowMs - mStart;
        const uint32_t climbed = static_cast<uint32_t>(static_cast<float>(elapsed) * mSpeed);
        mOffset = static_cast<int32_t>(climbed % static_cast<uint32_t>(height)) - mSlotHeight;
    }
    SetPosition(GetRect().left, -mOffset);
}

void wndCredits::Draw() {
    TGraphics* graphics = TGraphics::Exists() ? TGraphics::Get() : nullptr;
    if (!graphics || !mLayout)
        return;
    TDraw2dScope scope(graphics->Begin2d());
    mLayout->DrawInRect(mTextRect, 1.0f, 0, 1.0f);
}
