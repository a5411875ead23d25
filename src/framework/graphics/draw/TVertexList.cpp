#include "framework/graphics/draw/TVertexList.h"

#include <algorithm>
#include <cstring>

namespace {

uint8_t AlphaByte(float alpha) {
    // Truncation first, then the hold: 1.5 gives 255, -0.2 gives 0.
    const float scaled = alpha * 255.0f;
    if (!(scaled > 0.0f))
        return 0;
    if (scaled >= 255.0f)
        return 255;
    return static_cast<uint8_t>(scaled);
}

} // namespace

void MakeQuadVertices(const TVec2& offset, TVertex vertices[4], TVec2 corners[4], const TVec2& uvA,
                      const TVec2& uvB, const TMat3& transform, float alpha, const TColor& colour) {
    std::memset(static_cast<void*>(vertices), 0, 4 * sizeof(TVertex));
    TColor32 diffuse(colour);
    diffuse.SetAlpha(AlphaByte(alpha));
    const float us[4] = {uvA.x, uvB.x, uvB.x, uvA.x};
    const float vs[4] = {uvA.y, uvA.y, uvB.y, uvB.y};
    for (int i = 0; i < 4; ++i) {
        corners[i] = transform.TransformPoint(corners[i]);
        TVertex& v = vertices[i];
        v.x = corners[i].x + offset.x;
        v.y = corners[i].y + offset.y;
        v.z = 0.1f;
        v.w = 0.5f;
        v.diffuse = diffuse.GetValue();
        v.specular = 0xFF000000u;
        v.u = us[i];
        v.v = vs[i];
    }
}
