#include "framework/ui/widgets/TSlider.h"

#include "framework/core/math/ClampedInt.h"
#include "framework/graphics/TGraphics.h"
#include "framework/graphics/TTexture.h"
#include "framework/graphics/draw/TVertexList.h"
#include "framework/script/message/TMessage.h"
#include "framework/ui/manager/TWindowManager.h"
#include "framework/ui/widgets/TImage.h"
#include "framework/ui/window/TWindowStyle.h"

#include <algorithm>
#include <cstdlib>

namespace {

std::shared_ptr<TTexture> Load(const TString& name) {
    return name.IsEmpty() ? nullptr : TTexture::Get(name);
}

int32_t Scaled(uint32_t size, float scale) {
    return ClampedInt(static_cast<double>(size) * scale, 0, kPixelLimit);
}

} // namespace

TSlider::TSlider() : mKnob(new TImage(true)) {}

TSlider::~TSlider() {
    // A knob that never joined the tree is the slider's own to free; one in
    // the tree goes with it, and one taken out (a script may destroy it)
    // was forgotten then.
    if (mKnob && !mKnob->GetParent())
        mKnob->DeleteThis(1);
}

TWindow* TSlider::RemoveChild(TWindow* child) {
    if (child == mKnob) {
        mKnob = nullptr;
        mDragState = 0;
    }
    return TWindow::RemoveChild(child);
}

TWindow* TSlider::Create() {
    return new TSlider;
}

void TSlider::Init(TWindowStyle& style) {
    // 1.
    TWindow::Init(style);
    // 2.
    if (!mInitDone) {
        mInitDone = true;
        const double w = style.GetNumber("w", 0);
        const double h = style.GetNumber("h", 0);
        const double horizontal = style.GetNumber("hslider", -1);
        mHorizontal = horizontal < 0 ? h < w : style.GetBool("hslider", false);
    }
    // 3.
    auto railTop = Load(style.GetString("railtop"));
    auto railMid = Load(style.GetString("railmid"));
    auto railBot = Load(style.GetString("railbot"));
    auto knob = Load(style.GetString("sliderimage"));
    auto knobRoll = Load(style.GetString("sliderrollimage"));
    const TString name = style.GetString("name");
    const float scale = static_cast<float>(style.GetNumber("scale", 1.0));
    mKnobOffset = ClampedInt(style.GetNumber("yoffset", 0), -kPixelLimit, kPixelLimit);
    // Clamped while still a double: NaN and values past a float's range
    // read as the ends.
    const double given = style.GetNumber("value", 0.0);
    const float value = given > 0.0 ? static_cast<float>(std::min(given, 1.0)) : 0.0f;
    // 4.
    SetName(name);
    mScale = scale;
    SetRailImages(railTop, railMid, railBot);
    SetKnobImages(knob, knobRoll);
    SetValue(value, true);
    PlaceKnob();
    // 5.
    if (mKnob && !mKnob->GetParent()) {
        AddChild(mKnob, true);
        ComputeThickness();
        PlaceKnob();
    }
}

void TSlider::SetValue(float value, bool silent) {
    // NaN reads as the minimum.
    mValue = value > 0.0f ? std::min(value, 1.0f) : 0.0f;
    PlaceKnob();
    if (!silent)
        Notify(TMessage::kSliderValChanged);
}

void TSlider::Notify(int32_t type) {
    // The message is the receiver's from here on.
    if (GetParent())
        GetParent()->SendMessage(new TMessage(type, GetName()));
}

void TSlider::PlaceKnob() {
    if (!mKnob)
        return;
    const double free = mHorizontal ? static_cast<double>(GetWidth()) - mKnob->GetWidth()
                                    : static_cast<double>(GetHeight()) - mKnob->GetHeight();
    const int32_t along = ClampedInt(free * mValue, -kPixelLimit, kPixelLimit);
    if (mHorizontal)
        mKnob->SetPosition(along, mKnobOffset);
    else
        mKnob->SetPosition(mKnobOffset, along);
}

void TSlider::SetRailImages(const std::shared_ptr<TTexture>& start,
                            const std::shared_ptr<TTexture>& middle,
                            const std::shared_ptr<TTexture>& end) {
    mRailImages = {start, middle, end};
}

void TSlider::SetKnobImages(const std::shared_ptr<TTexture>& normal,
                            const std::shared_ptr<TTexture>& rollover) {
    mKnobImages = {normal, rollover};
    ShowKnob(false);
}

void TSlider::ShowKnob(bool rollover) {
    if (!mKnob)
        return;
    const auto& picture = rollover && mKnobImages[1] ? mKnobImages[1] : mKnobImages[0];
    if (mKnob->GetBitmap() != picture || mKnob->GetScale() != mScale)
        mKnob->SetBitmap(picture, mScale);
}

void TSlider::ComputeThickness() {
    int32_t thickness = 0;
    for (const auto& rail : mRailImages) {
        if (rail)
            thickness = std::max(thickness, Scaled(rail->GetWidth(), mScale));
    }
    if (mKnob) {
        const int32_t across = mHorizontal ? mKnob->GetHeight() : mKnob->GetWidth();
        thickness = std::max(thickness, std::abs(mKnobOffset) + across);
    }
    mThickness = thickness;
    if (mHorizontal)
        SetSize(GetWidth(), mThickness);
    else
        SetSize(mThickness, GetHeight());
}

bool TSlider::OnKnob(TPoint point) const {
    return mKnob && mKnob->GetRect().Contains(point.x, point.y);
}

bool TSlider::OnMouseDown(TPoint point) {
    if (!mKnob)
        return false;
    if (OnKnob(point)) {
        mDragState = 1;
        if (TWindowManager* manager = TWindowManager::Instance())
            manager->AddCapture(this);
        return true;
    }
    const TRect& knob = mKnob->GetRect();
    const bool before = mHorizontal ? point.x < knob.left : point.y < knob.top;
    Notify(before ? TMessage::kSliderPageUp : TMessage::kSliderPageDown);
    return true;
}

bool TSlider::OnMouseMove(TPoint point) {
    TWindowManager* manager = TWindowManager::Instance();
    ShowKnob(OnKnob(point) || mDragState != 0);
    if (!GetLocalRect().Contains(point.x, point.y) && mDragState == 0) {
        if (manager)
            manager->RemoveCapture(this);
        ShowKnob(false);
    } else if (manager) {
        manager->AddCapture(this);
    }
    if (mDragState == 0)
        return false;
    // The whole length maps to 0..1, so the knob lags near the far end.
    const float along = mHorizontal ? static_cast<float>(point.x) / static_cast<float>(GetWidth())
                                    : static_cast<float>(point.y) / static_cast<float>(GetHeight());
    SetValue(along, false);
    return true;
}

bool TSlider::OnMouseUp(TPoint point) {
    if (mDragState == 0)
        return false;
    mDragState = 0;
    ShowKnob(OnKnob(point));
    if (!GetLocalRect().Contains(point.x, point.y)) {
        if (TWindowManager* manager = TWindowManager::Instance())
            manager->RemoveCapture(this);
        ShowKnob(false);
    }
    Notify(TMessage::kSliderMouseUp);
    return true;
}

bool TSlider::OnMouseExit() {
    if (mDragState != 0)
        return true;
    ShowKnob(false);
    if (TWindowManager* manager = TWindowManager::Instance())
        manager->RemoveCapture(this);
    return true;
}

void TSlider::Draw() {
    TGraphics* graphics = TGraphics::Get();
    const bool began = graphics->Begin2d();
    const int32_t length = mHorizontal ? GetWidth() : GetHeight();
    const int32_t thickness = mHorizontal ? GetHeight() : GetWidth();
    const uint32_t white =
        (static_cast<uint32_t>(std::clamp(mAlpha, 0.0f, 1.0f) * 255.0f) << 24) | 0x00FFFFFFu;
    auto along = [this](const std::shared_ptr<TTexture>& t) {
        return t ? Scaled(t->GetHeight(), mScale) : 0;
    };
    const int32_t extents[3] = {along(mRailImages[0]),
                                length - along(mRailImages[0]) - along(mRailImages[2]),
                                along(mRailImages[2])};
    graphics->SetBlendMode(kBlendAlpha);
    graphics->SetCullMode(1);
    int32_t offset = 0;
    for (int i = 0; i < 3; ++i) {
        const auto& texture = mRailImages[i];
        const int32_t extent = extents[i];
        if (texture && extent > 0) {
            uint32_t surfaceWidth = 0;
            uint32_t surfaceHeight = 0;
            texture->GetSurfaceSize(surfaceWidth, surfaceHeight);
            const float uMax = surfaceWidth ? static_cast<float>(texture->GetWidth()) /
                                                  static_cast<float>(surfaceWidth)
                                            : 1.0f;
            const float vMax = surfaceHeight ? static_cast<float>(texture->GetHeight()) /
                                                   static_cast<float>(surfaceHeight)
                                             : 1.0f;
            const int32_t across = Scaled(texture->GetWidth(), mScale);
            const float a0 = static_cast<float>(offset);
            const float a1 = static_cast<float>(offset + extent);
            const float c0 = static_cast<float>(thickness - across) / 2.0f;
            const float c1 = c0 + static_cast<float>(across);
            // Corners as (along, across, u, v); the texture's height runs
            // along the rail.
            const float corners[4][4] = {{a0, c0, 0.0f, 0.0f},
                                         {a0, c1, uMax, 0.0f},
                                         {a1, c0, 0.0f, vMax},
                                         {a1, c1, uMax, vMax}};
            TVertex quad[6];
            const int order[6] = {0, 1, 2, 2, 1, 3};
            for (int v = 0; v < 6; ++v) {
                const float* c = corners[order[v]];
                quad[v].x = mHorizontal ? c[0] : c[1];
                quad[v].y = mHorizontal ? c[1] : c[0];
                quad[v].diffuse = white;
                quad[v].u = c[2];
                quad[v].v = c[3];
            }
            graphics->SetTexture(texture);
            graphics->DrawVertices(TVertexList::CreateKind2(quad, 6), 4);
        }
        offset += extent;
    }
    if (began)
        graphics->End2d();
}
