#include "framework/graphics/sprite/TDrawSpec.h"

TDrawSpec::TDrawSpec(float x, float y, float alpha, float scale, uint32_t flags)
    : mAlpha(alpha), mFlags(flags) {
    if (scale != 1.0f) {
        mTransform.ScaleUniform(scale);
    }
    SetPosition(x, y);
}
