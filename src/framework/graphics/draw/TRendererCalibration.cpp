// The one-time measure of the texel offset.

#include "framework/core/log/TLog.h"
#include "framework/graphics/TRenderer.h"

void TRenderer::CalibrateTexelOffset() {
    ++mCalibrations;
    if (mTexelOffsetTested)
        return;
    mTexelOffsetTested = true;
}
