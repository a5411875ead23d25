#pragma once

#include "framework/ui/window/TWindow.h"

#include <array>
#include <memory>

class TImage;
class TTexture;

// A horizontal or vertical slider: a rail of three pictures and a knob (an
// image child) that the player drags or pages. The value runs from 0 to 1;
// changes, pages and the end of a drag are sent to the parent as messages.
class TSlider : public TWindow {
public:
    TSlider();

    const char* GetClassName() const override { return "TSlider"; }
    bool IsKindOf(TWindowClassId id) const override {
        return id == GetClassId() || TWindow::IsKindOf(id);
    }
    static TWindow* Create();
    static TWindowCreator GetCreator() { return &Create; }
    static TWindowClassId GetClassId() { return &Create; }

    // Name and placement; the first time "w", "h", "hslider"; then
    // "railtop", "railmid", "railbot", "sliderimage", "sliderrollimage",
    // "scale", "yoffset", "value" (set silently).
    void Init(TWindowStyle& style) override;
    // The rail; the knob draws itself.
    void Draw() override;
    bool OnMouseDown(TPoint point) override;
    bool OnMouseUp(TPoint point) override;
    bool OnMouseMove(TPoint point) override;
    bool OnMouseExit() override;
    // The knob taken out of the slider (a script may destroy it) is
    // forgotten: the slider goes on without one.
    TWindow* RemoveChild(TWindow* child) override;

    float GetValue() const { return mValue; }
    // Clamps to 0..1 and places the knob; unless silent the parent hears
    // kSliderValChanged.
    void SetValue(float value, bool silent = false);
    void PlaceKnob();
    void SetRailImages(const std::shared_ptr<TTexture>& start,
                       const std::shared_ptr<TTexture>& middle,
                       const std::shared_ptr<TTexture>& end);
    void SetKnobImages(const std::shared_ptr<TTexture>& normal,
                       const std::shared_ptr<TTexture>& rollover);
    // The extent across the rail from the pictures; resizes the slider.
    void ComputeThickness();

    bool IsHorizontal() const { return mHorizontal; }
    bool IsDragging() const { return mDragState != 0; }
    TImage* GetKnob() const { return mKnob; }
    int32_t GetThickness() const { return mThickness; }

protected:
    ~TSlider() override;

private:
    void ShowKnob(bool rollover);
    bool OnKnob(TPoint point) const;
    void Notify(int32_t type);

    uint32_t mDragState = 0;
    bool mInitDone = false;
    TImage* mKnob = nullptr;
    std::array<std::shared_ptr<TTexture>, 2> mKnobImages;
    std::array<std::shared_ptr<TTexture>, 3> mRailImages;
    float mValue = 0.0f;
    float mScale = 1.0f;
    float mAlpha = 1.0f;
    int32_t mKnobOffset = 0;
    int32_t mThickness = 0;
    bool mHorizontal = false;
};
