#include "framework/graphics/TGraphics.h"

#include "framework/graphics/TRenderer.h"

namespace {
TGraphics* gGraphics = nullptr;
}

TGraphics* TGraphics::Get() {
    if (!gGraphics) {
        gGraphics = new TGraphics;
    }
    return gGraphics;
}

void TGraphics::Destroy() {
    delete gGraphics;
    gGraphics = nullptr;
}

bool TGraphics::Exists() {
    return gGraphics != nullptr;
}

void TGraphics::PopClipRect() {
    if (!mClipStack.empty()) {
        mClipStack.pop_back();
    }
}

TGraphics::TGraphics() {
    if (!TRenderer::Get()) {
        mOwnRenderer = std::make_unique<TRenderer>();
    }
}

TGraphics::~TGraphics() = default;

void TGraphics::FillRect(const TRect& rect, uint32_t colour) {
    ++mFills;
    mLastFill = rect;
    mLastFillColour = colour;
}
