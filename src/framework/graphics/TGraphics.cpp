#include "framework/graphics/TGraphics.h"

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
