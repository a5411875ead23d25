#include "framework/graphics/text/TTextLayout.h"

#include "framework/core/log/TLog.h"
#include "framework/core/settings/TSettings.h"
#include "framework/graphics/text/TFontCache.h"
#include "framework/graphics/text/TMvecFont.h"
#include "framework/graphics/text/TTextMarkup.h"
#include "framework/graphics/vector/TNbMiniVecDraw.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace {

constexpr uint32_t kSoftHyphen = 0xAD;
constexpr uint32_t kLineFeed = 10;
constexpr float kPi = 3.14159265358979f;

// Quarter pixels to whole pixels: rounded half away from zero, then divided
// truncating.
int32_t QuarterToPixels(float pen) {
    return static_cast<int32_t>(std::lround(pen)) / 4;
}

// One UTF-8 character at text[at]; a malformed or cut sequence reads as
// U+FFFD and takes one byte.
uint32_t DecodeUtf8(const char* text, int32_t length, int32_t& at) {
    const auto lead = static_cast<unsigned char>(text[at]);
    int extra = 0;
    uint32_t code = lead;
    if (lead >= 0xF0 && lead < 0xF8) {
        extra = 3;
        code = lead & 0x07;
    } else if (lead >= 0xE0) {
        extra = 2;
        code = lead & 0x0F;
    } else if (lead >= 0xC0) {
        extra = 1;
        code = lead & 0x1F;
    } else if (lead >= 0x80) {
        ++at;
        return 0xFFFD;
    }
    if (lead >= 0xF8 || at + extra >= length) {
        ++at;
        return 0xFFFD;
    }
    for (int i = 1; i <= extra; ++i) {
        const auto next = static_cast<unsigned char>(text[at + i]);
        if ((next & 0xC0) != 0x80) {
            ++at;
            return 0xFFFD;
        }
        code = (code << 6) | (next & 0x3F);
    }
    at += 1 + extra;
    return code;
}

// Run metrics from its font: the glyph box (ascent plus descent) fills 80%
// of a line of size pixels, with 15% of the line above the ascent.
void SetRunMetrics(TTextRun& run) {
    if (!run.font) {
        run.scale = 0.0f;
        run.baseline = 0;
        return;
    }
    const float box = run.font->GetAscent() + run.font->GetDescent();
    run.scale = box > 0.0f ? 0.8f * run.size * 4.0f / box : 0.0f;
    run.baseline = static_cast<int32_t>((run.font->GetAscent() + 0.1875f * box) * run.scale);
}

// The horizontal lean of an italic run: a third of its height.
float ItalicShift(const TTextRun& run, bool previousItalic) {
    if (!run.font)
        return 0.0f;
    return run.scale / 3.0f * (previousItalic ? run.font->GetAscent() : run.font->GetDescent());
}

// A filled rectangle as a path: fill style 1 (the text colour), a move and
// four lines. Cursor and underline bars are drawn with it.
class TBarPath {
public:
    TBarPath(int16_t x0, int16_t y0, int16_t x1, int16_t y1) {
        size_t at = 0;
        auto command = [&](uint8_t c) { mBytes[at++] = c; };
        auto point = [&](int16_t x, int16_t y) {
            for (int16_t v : {x, y}) {
                const auto u = static_cast<uint16_t>(v);
                mBytes[at++] = static_cast<uint8_t>(u & 0xFF);
                mBytes[at++] = static_cast<uint8_t>(u >> 8);
            }
        };
        command(kMvecFillStyle);
        command(1);
        command(kMvecMove);
        point(x0, y0);
        const int16_t corners[4][2] = {{x1, y0}, {x1, y1}, {x0, y1}, {x0, y0}};
        for (const auto& c : corners) {
            command(kMvecLine);
            point(c[0], c[1]);
        }
        command(kMvecEnd);
    }
    TMvecPath Get() const { return {mBytes, sizeof(mBytes)}; }

private:
    uint8_t mBytes[2 + 5 * 5 + 1] = {};
};

int16_t RoundToShort(float v) {
    return static_cast<int16_t>(std::max(-32768L, std::min(32767L, std::lround(v))));
}

} // namespace

TTextLayout* TTextLayout::Create(const TString& text, int32_t width, int32_t height,
                                 int32_t alignment, const TString& fontName, int32_t fontSize,
                                 const TColor& color) {
    auto* layout = new TTextLayout();
    layout->mAlignment = alignment;
    layout->mFontName = fontName.IsEmpty() ? TString(TFontCache::kBuiltinName) : fontName;
    layout->mFontSize = fontSize;
    layout->mColor = color;
    layout->mWidth = width;
    layout->mHeight = height;
    layout->SetText(text);
    return layout;
}

void TTextLayout::Destroy(TTextLayout* layout) {
    delete layout;
}

TTextLayout::TTextLayout()
    : mMarkup(std::make_unique<TTextMarkup>()), mFontName(TFontCache::kBuiltinName),
      mSpriteRendering(GetSettingInt(TSettingKey::kTextSpriteRender) > 0) {}

TTextLayout::~TTextLayout() = default;

void TTextLayout::SetText(const TString& text) {
    if (text == mText)
        return;
    mText = text;
    Layout();
}

void TTextLayout::SetFont(const TString& name) {
    const TString font = name.IsEmpty() ? TString(TFontCache::kBuiltinName) : name;
    if (font == mFontName)
        return;
    mFontName = font;
    Layout();
}

void TTextLayout::SetFontSize(int32_t size) {
    if (size == mFontSize)
        return;
    mFontSize = size;
    Layout();
}

void TTextLayout::SetAlignment(int32_t alignment) {
    if (alignment == mAlignment)
        return;
    mAlignment = alignment;
    Layout();
}

void TTextLayout::SetBlockSize(int32_t width, int32_t height) {
    if (width == mWidth && height == mHeight)
        return;
    mWidth = width;
    mHeight = height;
    Layout();
}

void TTextLayout::SetColor(const TColor& color) {
    if (color == mColor)
        return;
    mColor = color;
    Layout();
}

void TTextLayout::SetRotation(float degrees, int32_t originX, int32_t originY) {
    const float radians = degrees * kPi / 180.0f;
    mRotationCos = std::cos(radians);
    mRotationSin = std::sin(radians);
    if (std::fabs(mRotationCos - 1.0f) < 0.0001f && std::fabs(mRotationSin) < 0.0001f) {
        mRotationCos = 1.0f;
        mRotationSin = 0.0f;
    }
    mRotationX = originX;
    mRotationY = originY;
    Layout();
}

TMvecFont* TTextLayout::HoldFont(const TString& name) {
    std::shared_ptr<TMvecFont> font = GetSharedFont(name);
    if (font && std::find(mFonts.begin(), mFonts.end(), font) == mFonts.end())
        mFonts.push_back(font);
    return font.get();
}

void TTextLayout::Layout() {
    mLines.clear();
    mFonts.clear();
    mTextHeight = 0;
    mBoundsTop = 0;
    mBoundsLeft = INT32_MAX;
    mBoundsRight = 0;
    TTextMarkup& markup = *mMarkup;
    markup.Reset();
    markup.mStyles[0].face = mFontName;
    markup.mStyles[0].size = std::clamp(mFontSize, 0, TTextMarkup::kMaxFontSize);
    markup.mStyles[0].color = mColor;
    TMvecFont* fallback = HoldFont(kFallbackFont);
    const bool legacyWrap = GetLegacyLineWrap();

    const char* text = mText.CStr();
    const int32_t length = mText.Length();
    int32_t position = 0;
    bool fallbackActive = false;
    bool previousItalic = false;
    int32_t nextLineAlign = TTextMarkup::kAlignDefault;
    bool missingFontLogged = false;

    while (position < length) {
        const int32_t lineStart = position;
        auto line = std::make_shared<TTextLine>();
        float pen = 0.0f;
        bool firstGlyph = true;
        float firstShift = 0.0f;
        float pending = 0.0f;
        float startOutline = 0.0f;
        float currentOutline = 0.0f;
        int32_t padding = 0;
        bool alignTag = false;
        bool lineDone = false;

        // The last blank: where it stands, the pen before it, and the state
        // to go back to when the line breaks there.
        int32_t spacePosition = lineStart;
        int32_t spaceNext = lineStart; // the first byte after the blank
        float spacePen = 0.0f;
        TTextMarkup spaceMarkup = markup;
        bool spaceFallback = fallbackActive;
        bool spaceItalic = previousItalic;
        // The last soft hyphen after it.
        bool hyphen = false;
        int32_t hyphenPosition = 0;
        int32_t hyphenNext = 0;
        float hyphenPen = 0.0f;
        float hyphenWidth = 0.0f;
        size_t hyphenRuns = 0;
        TTextMarkup hyphenMarkup = markup;
        bool hyphenFallback = false;
        bool hyphenItalic = false;

        while (position < length && !lineDone) {
            const TTextStyle& style = markup.GetStyle();
            TTextRun run;
            run.font =
                HoldFont(style.face.IsEmpty() ? TString(TFontCache::kBuiltinName) : style.face);
            if (fallbackActive) {
                run.styledFont = run.font;
                run.font = fallback;
            }
            run.size = style.size;
            run.color = style.color;
            run.bold = markup.mBold;
            run.italic = markup.mItalic;
            run.underline = markup.mUnderline;
            run.linkId = markup.mLinkId;
            run.linkColor = markup.mLinkColor;
            run.outlineSize = markup.mOutlineSize;
            run.outlineColor = markup.mOutlineColor;
            run.styleDepth = markup.mStyleDepth;
            run.start = position;
            run.startX = QuarterToPixels(pen);
            SetRunMetrics(run);
            currentOutline = run.outlineSize;

            float italicShift = 0.0f;
            if ((run.italic != 0) != previousItalic) {
                italicShift = ItalicShift(run, previousItalic);
                pen += italicShift;
                previousItalic = run.italic != 0;
            }

            bool content = false;
            bool dropRun = false;
            while (run.end == -2) {
                TTextMarkup::TTagResult tag;
                if (markup.ParseTag(text + position, length - position, tag)) {
                    const bool first = position == run.start;
                    run.end = position - 1;
                    position += tag.consumed;
                    run.cursor = static_cast<uint8_t>(tag.cursor);
                    if (tag.cursor && first)
                        pen -= italicShift;
                    if (tag.lineBreak) {
                        lineDone = true;
                        padding += tag.padding;
                    }
                    if (tag.lineBreak || tag.cursor)
                        content = true;
                    if (tag.alignChanged) {
                        lineDone = true;
                        alignTag = true;
                    }
                    if (tag.tabPosition) {
                        pen = static_cast<float>(tag.tabPosition);
                        run.tabPosition = tag.tabPosition;
                    }
                    break;
                }

                const int32_t charPosition = position;
                if (text[position] == '\\')
                    ++position; // the next character as it is
                if (position >= length) {
                    run.end = length - 1;
                    break;
                }
                const uint32_t code = DecodeUtf8(text, length, position);
                if (code == ' ') {
                    spacePosition = charPosition;
                    spaceNext = position;
                    spacePen = pen;
                    spaceMarkup = markup;
                    spaceFallback = fallbackActive;
                    spaceItalic = previousItalic;
                    hyphen = false;
                }
                if (code == kLineFeed) {
                    run.end = charPosition;
                    content = true;
                    lineDone = true;
                    break;
                }
                if (!run.font) {
                    if (!missingFontLogged)
                        LogPrintf("ERROR: FONT missing in text when attempting to render "
                                  "string %s.",
                                  text);
                    missingFontLogged = true;
                } else if (run.styledFont && run.styledFont->FindGlyph(code) >= 0) {
                    // The style's own font has it again: a new run in that font.
                    run.end = charPosition - 1;
                    position = charPosition;
                    fallbackActive = false;
                    break;
                }

                const int32_t glyph = run.font ? run.font->FindGlyph(code) : -1;
                if (glyph < 0) {
                    if (run.font && !run.styledFont && fallback && fallback != run.font &&
                        fallback->FindGlyph(code) >= 0) {
                        run.end = charPosition - 1;
                        position = charPosition;
                        fallbackActive = true;
                        break;
                    }
                    // No font has it: it takes no room.
                    if (position >= length)
                        run.end = length - 1;
                    continue;
                }

                const float penBefore = pen;
                const float pendingBefore = pending;
                const bool wasFirst = firstGlyph;
                const float advance = run.font->GetAdvance(glyph);
                const float right = run.font->GetRight(glyph);
                pen += pending;
                if (advance < right) {
                    pen += right * run.scale;
                    pending = (advance - right) * run.scale;
                } else {
                    pen += advance * run.scale;
                    pending = 0.0f;
                }
                if (firstGlyph) {
                    firstShift = 4.0f - run.font->GetLeft(glyph) * run.scale;
                    pen += firstShift;
                    startOutline = currentOutline;
                    firstGlyph = false;
                }
                content = true;

                if (std::lround(pen + (startOutline + 1.0f + currentOutline) * 4.0f) >
                    static_cast<long>(mWidth) * 4) {
                    lineDone = true;
                    if (hyphen) {
                        // Break at the soft hyphen, which is shown.
                        line->runs.resize(hyphenRuns);
                        if (!line->runs.empty()) {
                            line->runs.back().end = hyphenNext - 1;
                            line->runs.back().endX = QuarterToPixels(hyphenPen + hyphenWidth);
                        }
                        pen = hyphenPen + hyphenWidth;
                        position = hyphenNext;
                        markup = hyphenMarkup;
                        fallbackActive = hyphenFallback;
                        previousItalic = hyphenItalic;
                        (void)hyphenPosition;
                        dropRun = true;
                    } else if (spacePen == 0.0f) {
                        // No blank to break at: the character goes to the next
                        // line, unless it is the line's first.
                        if (!legacyWrap && !wasFirst) {
                            pen = penBefore;
                            pending = pendingBefore;
                            position = charPosition;
                            run.end = charPosition - 1;
                            content = run.end >= run.start;
                        } else {
                            run.end = position - 1;
                        }
                    } else {
                        // Break at the last blank, which is dropped.
                        pen = spacePen;
                        position = spaceNext;
                        markup = spaceMarkup;
                        fallbackActive = spaceFallback;
                        previousItalic = spaceItalic;
                        if (run.start <= spacePosition) {
                            run.end = spacePosition - 1;
                            content = run.end >= run.start;
                        } else {
                            dropRun = true;
                            while (!line->runs.empty() && line->runs.back().start > spacePosition)
                                line->runs.pop_back();
                            if (!line->runs.empty() && line->runs.back().end >= spacePosition) {
                                TTextRun& last = line->runs.back();
                                last.end = spacePosition - 1;
                                last.endX = QuarterToPixels(spacePen);
                                if (last.end < last.start)
                                    last.size = last.baseline = 0;
                            }
                        }
                    }
                    break;
                }

                if (code == kSoftHyphen) {
                    // A break opportunity that takes no room unless used.
                    hyphenWidth = std::max(advance, right) * run.scale;
                    pen = penBefore;
                    pending = pendingBefore;
                    if (wasFirst) {
                        firstGlyph = true;
                        firstShift = 0.0f;
                    }
                    hyphen = true;
                    hyphenPosition = charPosition;
                    hyphenNext = position;
                    hyphenPen = pen;
                    hyphenRuns = line->runs.size() + 1;
                    hyphenMarkup = markup;
                    hyphenFallback = fallbackActive;
                    hyphenItalic = previousItalic;
                    run.end = charPosition - 1;
                    break;
                }
                if (position >= length)
                    run.end = length - 1;
            }
            if (dropRun)
                break;
            run.endX = QuarterToPixels(pen);
            if (!content) {
                run.size = 0;
                run.baseline = 0;
            }
            line->runs.push_back(std::move(run));
        }

        for (const TTextRun& run : line->runs) {
            line->height = std::max(line->height, run.size);
            line->baseline = std::max(line->baseline, run.baseline);
        }
        line->height += padding;
        const int32_t w = QuarterToPixels(pen);
        const int32_t align =
            nextLineAlign != TTextMarkup::kAlignDefault ? nextLineAlign : mAlignment;
        if (align & kTextAlignCenter) {
            line->x = mWidth / 2;
            line->xOffset = -w * 0.5f;
        } else if (align & kTextAlignRight) {
            line->x = mWidth - static_cast<int32_t>(std::lround(currentOutline)) - 1;
            line->xOffset = static_cast<float>(-w);
        } else {
            line->x = static_cast<int32_t>(std::lround(startOutline));
            line->xOffset = 0.0f;
        }
        line->xOffset += firstShift * 0.25f + 0.5f;
        if (alignTag)
            nextLineAlign = markup.GetAlign();
        mBoundsLeft = std::min(mBoundsLeft, line->x);
        mBoundsRight = std::max(mBoundsRight, static_cast<int32_t>(line->x + line->xOffset) + w);
        mTextHeight += line->height;
        mLines.push_back(std::move(line));
        if (position <= lineStart)
            position = lineStart + 1; // never lay out the same line twice
    }

    if (mAlignment & kTextAlignVCenter) {
        mBoundsTop = mHeight / 2;
        mVerticalOffset = -mTextHeight * 0.5f;
    } else if (mAlignment & kTextAlignBottom) {
        mBoundsTop = mHeight;
        mVerticalOffset = static_cast<float>(-mTextHeight);
    } else {
        mBoundsTop = 0;
        mVerticalOffset = 0.0f;
    }
    if (mBoundsLeft == INT32_MAX)
        mBoundsLeft = 0;
}

void TTextLayout::GetTextBounds(TRect& bounds, float scale) const {
    float left = 0.0f;
    float right = 0.0f;
    bool any = false;
    for (size_t i = static_cast<size_t>(std::max(0, static_cast<int32_t>(mFirstLine)));
         i < mLines.size(); ++i) {
        const TTextLine& line = *mLines[i];
        if (line.runs.empty())
            continue;
        const float l = line.xOffset * scale + line.runs.front().startX + line.x;
        const float r = line.xOffset * scale + line.runs.back().endX + line.x;
        left = any ? std::min(left, l) : l;
        right = any ? std::max(right, r) : r;
        any = true;
    }
    bounds.left = static_cast<int32_t>(left);
    bounds.right = static_cast<int32_t>(right);
    bounds.top = mBoundsTop + static_cast<int32_t>(mVerticalOffset * scale);
    bounds.bottom = static_cast<int32_t>(scale * mTextHeight + bounds.top);
}

TRect TTextLayout::GetTextBounds(float scale) const {
    TRect bounds;
    GetTextBounds(bounds, scale);
    return bounds;
}

TString TTextLayout::GetLinkAt(const TVec2& point, int32_t lineSpacing) const {
    float y = mBoundsTop + mVerticalOffset;
    for (size_t i = static_cast<size_t>(std::max(0, static_cast<int32_t>(mFirstLine)));
         i < mLines.size(); ++i) {
        const TTextLine& line = *mLines[i];
        if (y - lineSpacing < point.y && point.y < y + line.height) {
            for (const TTextRun& run : line.runs) {
                if (run.startX + line.x + line.xOffset < point.x &&
                    point.x < run.endX + line.x + line.xOffset)
                    return run.linkId;
            }
        }
        y += line.height + lineSpacing;
    }
    return TString();
}

bool TTextLayout::HasLinkAt(const TVec2* point, int32_t lineSpacing) {
    const TString link = point ? GetLinkAt(*point, lineSpacing) : TString();
    const bool changed = link != mHoverLink;
    mHoverLink = link;
    return changed;
}

int32_t TTextLayout::GetLastPageStart(float scale, int32_t lineSpacing) const {
    float sum = 0.0f;
    for (int32_t i = GetLineCount() - 1; i >= 0; --i) {
        sum += (mLines[i]->height + lineSpacing) * scale;
        if (sum > mHeight)
            return i + 1;
    }
    return 0;
}

void TTextLayout::Draw(float x, float y, float bottomLimit, float scale, int32_t lineSpacing,
                       float alpha, std::shared_ptr<TVecRenderTarget> target) {
    // A scale of 0 has nothing to show (and the sprite-rendering placement
    // divides by it).
    if (!(scale > 0.0f) || mLines.empty())
        return;
    TNbMiniVecDraw* drawer = TNbMiniVecDraw::GetCurrent();
    if (!drawer) {
        // Said once: a frame loop would repeat it every frame.
        static bool told = false;
        if (!told)
            LogPrintf("Text: no vector drawer to draw \"%s\" with", mText.CStr());
        told = true;
        return;
    }
    float strokeScale = 1.0f;
    if (!target) {
        if (TVecDrawSink* sink = drawer->GetSink()) {
            float left = 0.0f;
            float top = 0.0f;
            sink->GetViewportOrigin(left, top);
            x += left;
            y += top;
        }
        strokeScale = drawer->GetHostScale();
        scale *= strokeScale;
    }
    drawer->SetTargetModes(mCopyMode != 0, mAlphaMerge != 0);
    drawer->SetRotation(mRotationCos, mRotationSin);
    const bool rotated = mRotationSin != 0.0f;
    const float originX = x + static_cast<float>(mRotationX);
    const float originY = y + static_cast<float>(mRotationY);

    const char* text = mText.CStr();
    const int32_t length = mText.Length();
    const float firstLine = std::max(0.0f, mFirstLine);
    const auto first = static_cast<size_t>(firstLine);
    y -= static_cast<float>(mFontSize) * (firstLine - static_cast<float>(first)) * scale;
    float lineY = mSpriteRendering ? mBoundsTop / scale + mVerticalOffset
                                   : mBoundsTop + mVerticalOffset * scale;
    bool previousItalic = false;

    for (size_t i = first; i < mLines.size(); ++i) {
        const TTextLine& line = *mLines[i];
        const float bottom = mSpriteRendering ? (static_cast<float>(mFontSize) + lineY) * scale
                                              : lineY + static_cast<float>(line.height) * scale;
        if (bottom > bottomLimit || bottom < 0.0f) {
            for (const TTextRun& run : line.runs)
                previousItalic = run.italic != 0;
            lineY += static_cast<float>(line.height + lineSpacing);
            continue;
        }
        float baseX = x + static_cast<float>(line.x) + scale * line.xOffset;
        float baseY = y + (static_cast<float>(line.baseline) / 4.0f + lineY) * scale;
        if (rotated) {
            const float dx = baseX - originX;
            const float dy = baseY - originY;
            baseX = originX + dx * mRotationCos - dy * mRotationSin;
            baseY = originY + dy * mRotationCos + dx * mRotationSin;
        }
        // The pen runs on across the line's runs, in quarter pixels along
        // the (rotated) baseline.
        float pen = 0.0f;
        auto penX = [&](float at) { return static_cast<int>(std::lround(at * mRotationCos)); };
        auto penY = [&](float at) { return static_cast<int>(at * mRotationSin); };
        for (const TTextRun& run : line.runs) {
            drawer->BeginRun(baseX, baseY, target);
            const float runScale = run.scale * scale; // font units to quarter pixels
            const bool drawable = run.font && std::isfinite(runScale) && runScale > 0.0f;
            if (drawable) {
                const bool hover = !run.linkId.IsEmpty() && run.linkId == mHoverLink;
                const TColor32 fill(hover ? run.linkColor : run.color);
                drawer->SetColor(TNbMiniVecDraw::kTextSlot, fill, alpha);
                float outline = 0.0f;
                float bold = 0.0f;
                if (run.outlineSize != 0.0f) {
                    outline = run.outlineSize * strokeScale;
                    drawer->SetColor(TNbMiniVecDraw::kOutlineSlot, TColor32(run.outlineColor),
                                     alpha);
                }
                if (run.bold) {
                    bold = static_cast<float>(run.size) * scale * 0.0125f *
                           run.font->GetStrokeFactor();
                    if (outline != 0.0f) {
                        drawer->SetColor(TNbMiniVecDraw::kBoldSlot, fill, alpha);
                        outline += bold;
                    } else {
                        drawer->SetColor(TNbMiniVecDraw::kOutlineSlot, fill, alpha);
                    }
                }
                if (outline != 0.0f) {
                    drawer->SetStroke(0, outline);
                    drawer->SetStroke(1, bold);
                } else {
                    drawer->SetStroke(0, bold);
                    drawer->SetStroke(1, 0.0f);
                }
                drawer->SetShear(run.italic != 0);
            }

            // The lean of italic text, as laid out: a cursor standing first
            // in the run takes it back.
            if ((run.italic != 0) != previousItalic) {
                const bool cursorFirst = run.cursor && run.end < run.start;
                if (drawable && !cursorFirst)
                    pen += runScale / 3.0f *
                           (previousItalic ? run.font->GetAscent() : run.font->GetDescent());
                previousItalic = run.italic != 0;
            }

            if (drawable) {
                const float runStart = pen;
                float advances = 0.0f;
                for (int32_t at = run.start; at <= run.end && at < length;) {
                    if (text[at] == '\\' && ++at >= length)
                        break;
                    const uint32_t code = DecodeUtf8(text, length, at);
                    const int32_t glyph = run.font->FindGlyph(code);
                    if (glyph < 0)
                        continue;
                    // Paths are in 1/128 of a font unit.
                    const float glyphScale = runScale / 128.0f;
                    drawer->SetScale(glyphScale, glyphScale * run.font->GetFitFactor(glyph));
                    drawer->DrawPath(run.font->GetOutline(glyph), penX(pen), penY(pen));
                    const float advance = run.font->GetAdvance(glyph);
                    pen += advance * runScale;
                    advances += advance;
                }
                if (run.cursor) {
                    // Three quarter pixels wide, as tall as the glyph box.
                    const TBarPath bar(0, RoundToShort(-run.font->GetAscent()), 3,
                                       RoundToShort(run.font->GetDescent()));
                    drawer->SetScale(1.0f, runScale);
                    drawer->DrawPath(bar.Get(), penX(pen), penY(pen));
                }
                if (run.underline && advances > 0.0f) {
                    // As long as the run, three quarter pixels thick, two
                    // pixels below the baseline; never slanted or stroked.
                    const TBarPath bar(0, 8, 1, 11);
                    drawer->SetShear(false);
                    drawer->SetStroke(0, 0.0f);
                    drawer->SetStroke(1, 0.0f);
                    drawer->SetScale(runScale * advances, 1.0f);
                    drawer->DrawPath(bar.Get(), penX(runStart), penY(runStart));
                }
            }
            if (run.tabPosition)
                pen = static_cast<float>(run.tabPosition) * scale;
        }
        lineY += static_cast<float>(line.height + lineSpacing);
    }

    if (target)
        drawer->EndDraw();
    else
        drawer->Flush();
    // Leave the drawer as other users expect it.
    drawer->SetShear(false);
    drawer->SetStroke(0, 0.0f);
    drawer->SetStroke(1, 0.0f);
    drawer->SetRotation(1.0f, 0.0f);
    drawer->SetScale(1.0f, 1.0f);
    drawer->SetTargetModes(false, false);
}

void TTextLayout::DrawInRect(const TRect& rect, float scale, int32_t lineSpacing, float alpha,
                             std::shared_ptr<TVecRenderTarget> target) {
    Draw(static_cast<float>(rect.left), static_cast<float>(rect.top),
         static_cast<float>(rect.bottom - rect.top), scale, lineSpacing, alpha, std::move(target));
}
