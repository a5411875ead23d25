#pragma once

#include "framework/ui/window/TWindow.h"

#include <list>
#include <vector>

// A window whose children are grouped into numbered layers, of which one
// is shown at a time (buttons keep one picture per state in them). A child
// joins the layer selected when it is added, or every layer while all are
// selected (kAllLayers).
class TLayeredWindow : public TWindow {
public:
    static constexpr uint32_t kAllLayers = 0xFFFFFFFFu;

    explicit TLayeredWindow(uint32_t layerCount = 1);

    const char* GetClassName() const override { return "TLayeredWindow"; }
    bool IsKindOf(TWindowClassId id) const override {
        return id == GetClassId() || TWindow::IsKindOf(id);
    }
    static TWindow* Create();
    static TWindowCreator GetCreator() { return &Create; }
    static TWindowClassId GetClassId() { return &Create; }

    bool AddChild(TWindow* child, bool notify = true) override;
    TWindow* RemoveChild(TWindow* child) override;

    // Shows the layer's windows and hides every other child; all layers
    // show layer 0's list. Selecting the selected layer changes nothing.
    void SelectLayer(uint32_t layer);
    uint32_t GetLayer() const { return mLayer; }
    uint32_t GetLayerCount() const { return static_cast<uint32_t>(mLayers.size()); }
    const std::list<TWindow*>& GetLayerWindows(uint32_t layer) const { return mLayers[layer]; }

private:
    uint32_t mLayer = 0;
    std::vector<std::list<TWindow*>> mLayers;
};
