#include "framework/ui/window/TLayeredWindow.h"

#include "framework/ui/manager/TWindowManager.h"

TLayeredWindow::TLayeredWindow(uint32_t layerCount) : mLayers(layerCount) {}

TWindow* TLayeredWindow::Create() {
    return new TLayeredWindow;
}

bool TLayeredWindow::AddChild(TWindow* child, bool notify) {
    if (!TWindow::AddChild(child, notify))
        return false;
    if (mLayer == kAllLayers) {
        for (auto& layer : mLayers)
            layer.push_front(child);
    } else if (mLayer < mLayers.size()) {
        mLayers[mLayer].push_front(child);
    }
    return true;
}

TWindow* TLayeredWindow::RemoveChild(TWindow* child) {
    TWindow* parent = TWindow::RemoveChild(child);
    for (auto& layer : mLayers)
        layer.remove(child);
    return parent;
}

void TLayeredWindow::SelectLayer(uint32_t layer) {
    if (layer == mLayer)
        return;
    mLayer = layer;
    const uint32_t shown = layer == kAllLayers ? 0 : layer;
    TWindowClearFlags hide(~kWindowVisible, false);
    ForEachChild(hide);
    if (shown < mLayers.size()) {
        for (TWindow* window : mLayers[shown])
            window->SetFlags(window->GetFlags() | kWindowVisible);
    }
    if (TWindowManager* manager = TWindowManager::Instance())
        manager->Invalidate();
}
