#include "velk/container/TDraw2dScope.h"

#include "framework/graphics/TGraphics.h"

TDraw2dScope::~TDraw2dScope() {
    if (mBegun)
        TGraphics::Get()->End2d();
    mBegun = false;
}
