#include "framework/ui/widgets/TText.h"

#include "framework/core/log/TLog.h"
#include "framework/core/math/ClampedInt.h"
#include "framework/core/xml/TStringTable.h"
#include "framework/graphics/TGraphics.h"
#include "framework/graphics/text/TTextLayout.h"
#include "framework/script/wrappers/TLuaObjectWrapper.h"
#include "framework/ui/manager/TWindowManager.h"
#include "framework/ui/widgets/TButton.h"
#include "framework/ui/window/TModalWindow.h"
#include "framework/ui/window/TWindowStyle.h"

#include <memory>

namespace {

// No font is drawn larger than any screen.
constexpr int32_t kLargestFontSize = 4096;

// The manager's label option, read by setting it and putting it back.
bool LabelsTranslated() {
    TWindowManager* manager = TWindowManager::Instance();
    if (!manager)
        return false;
    const bool on = manager->SetScriptFlag(false);
    manager->SetScriptFlag(on);
    return on;
}

TVec2 ToVec(TPoint point) {
    return TVec2(static_cast<float>(point.x), static_cast<float>(point.y));
}

} // namespace

TText::TText(bool overlay) {
    if (overlay)
        mFlags |= kWindowFirstPass;
}

TText::~TText() {
    TTextLayout::Destroy(mLayout);
    mLayout = nullptr;
}

TWindow* TText::Create() {
    return new TText(false);
}

TFontSpec TText::ReadFont(TWindowStyle& style) {
    TFontSpec font;
    std::unique_ptr<TLuaTable> table(style.GetTable("font"));
    if (table) {
        font.name = table->GetStringAtIndex(1, font.name);
        // NaN reads as 0, the default size.
        font.size = ClampedInt(table->GetNumberAtIndex(2, font.size), 0, kLargestFontSize);
        font.color = table->GetColorAtIndex(3, font.color);
    }
    if (font.size == 0)
        font.size = 12;
    return font;
}

TString TText::TranslateLabel(const TString& label) {
    if (label.IsEmpty())
        return label;
    if (label.CStr()[0] == '#')
        return label.Substring(1);
    if (label.View().find_first_not_of("0123456789.") == std::string_view::npos)
        return label;
    TWindowManager* manager = TWindowManager::Instance();
    const TStringTable* table =
        manager && manager->GetHost() ? manager->GetHost()->GetStringTable() : nullptr;
    return table ? table->GetString(label, TString(), TString(), TString(), TString(), TString())
                 : label;
}

void TText::Init(TWindowStyle& style) {
    // 1.
    const TFontSpec font = ReadFont(style);
    // 2. and 3.
    const TString name = style.GetString("name");
    TString label = style.GetString("label");
    if (!label.IsEmpty() && LabelsTranslated())
        label = TranslateLabel(label);
    // 4.
    const int32_t defaultFlags = ClampedInt(style.GetNumber("defflags", 0), INT32_MIN, INT32_MAX);
    const int32_t flags = ClampedInt(style.GetNumber("flags", defaultFlags), INT32_MIN, INT32_MAX);
    const int32_t padding = ClampedInt(style.GetNumber("padding", 0), -kPixelLimit, kPixelLimit);
    const float rotation = static_cast<float>(style.GetNumber("rotation", 0));
    const int32_t originX =
        ClampedInt(style.GetNumber("rotationOriginX", 0), -kPixelLimit, kPixelLimit);
    const int32_t originY =
        ClampedInt(style.GetNumber("rotationOriginY", 0), -kPixelLimit, kPixelLimit);
    const int32_t rotationAlign =
        ClampedInt(style.GetNumber("rotationAlign", 0), INT32_MIN, INT32_MAX);
    // 5.
    TWindow::Init(style);
    // 6.
    if (GetWidth() == 0 || GetHeight() == 0) {
        LogPrintf("ERROR: Attempting to create text window of size(0,0): named '%s', label '%s'",
                  name.CStr(), label.CStr());
        return;
    }
    // 7.
    mPadding = padding;
    CreateLayout(label, GetWidth(), GetHeight(), flags, font.name, font.size, font.color);
    // 8.
    if (rotation != 0.0f) {
        const TPoint origin = ResolvePlacedPoint(originX, originY, rotationAlign);
        SetRotation(rotation, origin.x, origin.y);
    }
}

bool TText::CreateLayout(const TString& text, int32_t width, int32_t height, int32_t alignment,
                         const TString& fontName, int32_t fontSize, const TColor& color) {
    if (width == 0 || height == 0)
        return false;
    TTextLayout::Destroy(mLayout);
    mLayout = TTextLayout::Create(TString(""), width, height, alignment, fontName, fontSize, color);
    SetSize(width, height);
    SetText(text);
    return true;
}

void TText::SetText(const TString& text) {
    // The layout's own text: a derived window's GetText may answer another.
    if (!mLayout || text == mLayout->GetText())
        return;
    // Every change is redrawn, also a text filled from empty.
    InvalidateWindows();
    mLayout->SetText(text);
}

TString TText::GetText() const {
    return mLayout ? mLayout->GetText() : TString();
}

TRect TText::GetTextExtent() const {
    return mLayout ? mLayout->GetTextBounds(1.0f) : TRect();
}

void TText::SetColor(const TColor& color) {
    if (!mLayout || mLayout->GetColor() == color)
        return;
    mLayout->SetColor(color);
    InvalidateWindows();
}

void TText::SetRotation(float degrees, int32_t originX, int32_t originY) {
    if (mLayout)
        mLayout->SetRotation(degrees, originX, originY);
}

void TText::Draw() {
    if (!mLayout)
        return;
    TGraphics* graphics = TGraphics::Get();
    const bool began = graphics->Begin2d();
    mLayout->DrawInRect(GetLocalRect(), mScale, mPadding, mAlpha);
    if (began)
        graphics->End2d();
}

bool TText::OnMouseDown(TPoint point) {
    if (!mLayout)
        return false;
    mLink = mLayout->GetLinkAt(ToVec(point), mPadding);
    return !mLink.IsEmpty();
}

bool TText::OnMouseMove(TPoint point) {
    if (!mLayout)
        return false;
    const TVec2 at = ToVec(point);
    mLayout->HasLinkAt(&at, mPadding);
    if (mLayout->GetLinkAt(at, mPadding).IsEmpty())
        return false;
    InvalidateWindows();
    if (TWindowManager* manager = TWindowManager::Instance())
        manager->AddCapture(this);
    return true;
}

bool TText::OnMouseExit() {
    if (mLayout) {
        mLayout->HasLinkAt(nullptr, mPadding);
        InvalidateWindows();
    }
    if (TWindowManager* manager = TWindowManager::Instance())
        manager->RemoveCapture(this);
    return true;
}

bool TText::OnMouseUp(TPoint point) {
    if (mLink.IsEmpty())
        return false;
    if (mLayout && mLayout->GetLinkAt(ToVec(point), mPadding) == mLink) {
        TModalWindow* modal = GetModalParent();
        TWindow* target = modal ? modal->FindChild(mLink, true) : nullptr;
        if (!target)
            LogPrintf("ERROR: Command window %s not found", mLink.CStr());
        else if (!target->IsKindOf(TButton::GetClassId()))
            LogPrintf("ERROR: Command window %s not a derived class of TButton", mLink.CStr());
        else
            static_cast<TButton*>(target)->DoAction();
    }
    mLink = TString();
    return true;
}
