#include "framework/graphics/text/TTextMarkup.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// The quoted value of an attribute: its name anywhere in the tag, then a
// value between quotes. False when the name or either quote is missing.
bool FindAttribute(const std::string& tag, const char* name, std::string& value) {
    const size_t at = tag.find(name);
    if (at == std::string::npos)
        return false;
    size_t open = tag.find('"', at);
    if (open == std::string::npos)
        open = tag.find('\'', at);
    if (open == std::string::npos)
        return false;
    size_t close = tag.find('"', open + 1);
    if (close == std::string::npos)
        close = tag.find('\'', open + 1);
    if (close == std::string::npos)
        return false;
    value = tag.substr(open + 1, close - open - 1);
    return true;
}

// A decimal value held to [low, high]: markup comes from data files, and a
// size of eleven digits must not reach the layout's arithmetic.
bool IntAttribute(const std::string& tag, const char* name, int32_t& out, int32_t low,
                  int32_t high) {
    std::string value;
    if (!FindAttribute(tag, name, value))
        return false;
    const long long number = std::strtoll(value.c_str(), nullptr, 10);
    out = static_cast<int32_t>(std::clamp<long long>(number, low, high));
    return true;
}

// A colour written in hexadecimal, with or without "#". With withAlpha, a
// value of eight hex digits carries alpha in its low byte.
bool ColorAttribute(const std::string& tag, const char* name, bool withAlpha, TColor& out) {
    std::string value;
    if (!FindAttribute(tag, name, value))
        return false;
    const char* digits = value.c_str();
    if (*digits == '#')
        ++digits;
    uint32_t number = static_cast<uint32_t>(std::strtoul(digits, nullptr, 16));
    uint32_t alpha = 255;
    if (withAlpha && std::strlen(digits) == 8) {
        alpha = number & 0xFF;
        number >>= 8;
    }
    out = TColor(((number >> 16) & 0xFF) / 255.0f, ((number >> 8) & 0xFF) / 255.0f,
                 (number & 0xFF) / 255.0f, alpha / 255.0f);
    return true;
}

// Tag names in the order they are tried; a tag matches the first name it
// begins with, so "<blink>" is bold and "<abc>" a link.
enum TagName {
    kBr,
    kEndP,
    kA,
    kEndA,
    kB,
    kEndB,
    kI,
    kEndI,
    kU,
    kEndU,
    kCursor,
    kCenter,
    kEndCenter,
    kLeft,
    kEndLeft,
    kRight,
    kEndRight,
    kFont,
    kEndFont,
    kOutline,
    kEndOutline,
    kTab,
    kNone
};
const char* const kTagNames[] = {"br",      "/p",      "a",        "/a",    "b",      "/b",
                                 "i",       "/i",      "u",        "/u",    "cursor", "center",
                                 "/center", "left",    "/left",    "right", "/right", "font",
                                 "/font",   "outline", "/outline", "tab"};

TagName MatchName(const std::string& tag) {
    for (int i = 0; i < kNone; ++i) {
        const size_t length = std::strlen(kTagNames[i]);
        if (tag.compare(1, length, kTagNames[i]) == 0)
            return static_cast<TagName>(i);
    }
    return kNone;
}

} // namespace

void TTextMarkup::Reset() {
    mStyleDepth = 0;
    mBold = mItalic = mUnderline = 0;
    mAlignDepth = 0;
    mAligns[0] = kAlignDefault;
    mLinkId = TString();
    mLinkColor = TColor();
    mOutlineSize = 0.0f;
    mOutlineColor = TColor();
}

void TTextMarkup::PushAlign(int32_t value) {
    ++mAlignDepth;
    if (mAlignDepth < kStackSize)
        mAligns[mAlignDepth] = value;
}

void TTextMarkup::PopAlign() {
    if (mAlignDepth > 0)
        --mAlignDepth;
}

void TTextMarkup::PushStyle(const char* tag) {
    ++mStyleDepth;
    if (mStyleDepth >= kStackSize)
        return;
    const std::string text(tag);
    TTextStyle& style = mStyles[mStyleDepth];
    style.Assign(mStyles[mStyleDepth - 1]);
    IntAttribute(text, "size", style.size, 0, kMaxFontSize);
    ColorAttribute(text, "color", true, style.color);
    std::string face;
    if (FindAttribute(text, "face", face))
        style.face = TString(face);
}

bool TTextMarkup::ParseTag(const char* text, int32_t remaining, TTagResult& result) {
    result = TTagResult();
    return ParseTag(text, remaining, result.consumed, result.lineBreak, result.padding,
                    result.cursor, result.alignChanged, result.tabPosition);
}

bool TTextMarkup::ParseTag(const char* text, int32_t remaining, int32_t& consumed,
                           int32_t& lineBreak, int32_t& padding, int32_t& cursor,
                           int32_t& alignChanged, int32_t& tabPosition) {
    tabPosition = 0;
    if (!text || remaining <= 0 || text[0] != '<')
        return false;

    // Normalise: blanks outside quotes dropped, lower case except after "="
    // up to the next blank.
    std::string tag;
    bool keepCase = false;
    bool inQuotes = false;
    bool complete = false;
    int32_t read = 0;
    while (read < remaining && static_cast<int>(tag.size()) < kTagLength) {
        const char c = text[read++];
        if (c == '=')
            keepCase = true;
        else if (IsBlank(c))
            keepCase = false;
        if (!IsBlank(c) || inQuotes)
            tag += keepCase ? c : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (c == '"' || c == '\'')
            inQuotes = !inQuotes;
        if (c == '>') {
            complete = true;
            break;
        }
    }
    if (!complete && static_cast<int>(tag.size()) < kTagLength)
        return false; // the text ended first: the "<" is a character
    consumed = read;

    switch (MatchName(tag)) {
    case kBr:
        lineBreak = 1;
        IntAttribute(tag, "pad", padding, -kMaxFontSize, kMaxFontSize);
        break;
    case kEndP:
        lineBreak = 1;
        break;
    case kA: {
        std::string id;
        if (FindAttribute(tag, "id", id))
            mLinkId = TString(id);
        if (ColorAttribute(tag, "color", false, mLinkColor))
            break;
        mLinkColor = GetStyle().color;
        break;
    }
    case kEndA:
        mLinkId = TString();
        mLinkColor = GetStyle().color;
        break;
    case kB:
        mBold = 1;
        break;
    case kEndB:
        mBold = 0;
        break;
    case kI:
        mItalic = 1;
        break;
    case kEndI:
        mItalic = 0;
        break;
    case kU:
        mUnderline = 1;
        break;
    case kEndU:
        mUnderline = 0;
        break;
    case kCursor:
        cursor = 1;
        break;
    case kCenter:
        alignChanged = 1;
        PushAlign(kAlignCenter);
        break;
    case kLeft:
        alignChanged = 1;
        PushAlign(kAlignLeft);
        break;
    case kRight:
        alignChanged = 1;
        PushAlign(kAlignRight);
        break;
    case kEndCenter:
    case kEndLeft:
    case kEndRight:
        alignChanged = 1;
        PopAlign();
        break;
    case kFont:
        PushStyle(tag.c_str());
        break;
    case kEndFont:
        if (mStyleDepth > 0)
            --mStyleDepth;
        break;
    case kOutline: {
        ColorAttribute(tag, "color", false, mOutlineColor);
        int32_t size = 2;
        IntAttribute(tag, "size", size, 0, kMaxOutlineSize);
        mOutlineSize = static_cast<float>(size);
        break;
    }
    case kEndOutline:
        mOutlineSize = 0.0f;
        mOutlineColor = TColor();
        break;
    case kTab: {
        int32_t pos = 0;
        if (IntAttribute(tag, "pos", pos, 0, kMaxTabPosition))
            tabPosition = pos * 4;
        break;
    }
    case kNone:
        break;
    }
    return true;
}
