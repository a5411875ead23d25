#pragma once

#include "framework/core/math/TMatrix.h"
#include "framework/core/math/TVector.h"
#include "framework/core/text/TColor32.h"
#include "platform/graphics/GraphicsTypes.h"

#include <cstddef>
#include <cstdint>

// One vertex of the coloured layouts (formats 1 to 3): position, a fourth
// word (reserved in formats 1 and 2, rhw in format 3 where x and y are
// already render-target pixels), diffuse and specular colours as 0xAARRGGBB
// words and one pair of texture coordinates. 32 bytes, read by the device
// exactly as laid out here.
struct TVertex {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
    float w = 0.0f;
    uint32_t diffuse = 0;
    uint32_t specular = 0;
    float u = 0.0f;
    float v = 0.0f;
};

static_assert(sizeof(TVertex) == platform::gfx::kVertexSize, "the device reads 32-byte vertices");
static_assert(offsetof(TVertex, x) == 0 && offsetof(TVertex, y) == 4 && offsetof(TVertex, z) == 8);
static_assert(offsetof(TVertex, w) == 12, "word 3: reserved or rhw");
static_assert(offsetof(TVertex, diffuse) == 16 && offsetof(TVertex, specular) == 20);
static_assert(offsetof(TVertex, u) == 24 && offsetof(TVertex, v) == 28);

// The package in which drawing code hands vertices to the draw front: a
// format code, the caller's vertex array and a count. The list does not own
// the vertices; the caller keeps them alive until the draw returns. A plain
// value (nothing on the heap), so building one for every draw costs nothing.
//
// Format codes and the vertex layout each selects:
//   0: x, y, z, nx, ny, nz, u, v (lit by the device);
//   1, 2: TVertex with the reserved word (1 particles, 2 textured quads);
//   3: TVertex in screen pixels with rhw (the vector drawer).
class TVertexList {
public:
    static constexpr int32_t kFormatNormal = 0;
    static constexpr int32_t kFormatColor = 1;
    static constexpr int32_t kFormatQuad = 2;
    static constexpr int32_t kFormatScreen = 3;

    TVertexList() = default;

    static TVertexList CreateKind1(const TVertex* vertices, uint32_t count) {
        return TVertexList(kFormatColor, vertices, count);
    }
    static TVertexList CreateKind2(const TVertex* vertices, uint32_t count) {
        return TVertexList(kFormatQuad, vertices, count);
    }
    static TVertexList CreateKind3(const TVertex* vertices, uint32_t count) {
        return TVertexList(kFormatScreen, vertices, count);
    }
    // Format 0: eight floats a vertex (position, normal, texture coordinates).
    static TVertexList CreateKind0(const float* vertices, uint32_t count) {
        return TVertexList(kFormatNormal, vertices, count);
    }

    void SetCount(uint32_t count) { mCount = count; }
    // Forgets the vertices (they stay the caller's); the list is empty after.
    void Release() { *this = TVertexList(); }

    int32_t GetFormat() const { return mFormat; }
    const void* GetVertices() const { return mVertices; }
    uint32_t GetCount() const { return mCount; }
    // The vertex i as 32 raw bytes.
    const uint8_t* VertexBytes(uint32_t i) const {
        return static_cast<const uint8_t*>(mVertices) + size_t(i) * platform::gfx::kVertexSize;
    }

    // The device's vertex layout for a format code.
    static uint32_t DeviceFormat(int32_t format) {
        if (format == kFormatColor || format == kFormatQuad)
            return platform::gfx::kFvfColorTex;
        if (format == kFormatScreen)
            return platform::gfx::kFvfScreenColorTex;
        return platform::gfx::kFvfNormalTex;
    }

private:
    TVertexList(int32_t format, const void* vertices, uint32_t count)
        : mFormat(format), mVertices(vertices), mCount(count) {}

    int32_t mFormat = kFormatQuad;
    const void* mVertices = nullptr;
    uint32_t mCount = 0;
};

// Fills the four vertices of a textured quad (formats 1 and 2). Each corner
// is first replaced in place by itself through the transform (callers use
// the moved corners for bounds), then placed at corner + offset with z 0.1
// and the fourth word 0.5. The diffuse colour is the colour's red, green and
// blue times 255 with the alpha byte from alpha (both truncated, held to
// 0..255); specular is 0xFF000000. Texture coordinates go round the corners
// as (uvA.x, uvA.y), (uvB.x, uvA.y), (uvB.x, uvB.y), (uvA.x, uvB.y): pass the
// corners top-left, top-right, bottom-right, bottom-left and draw them as a
// four-vertex triangle fan.
void MakeQuadVertices(const TVec2& offset, TVertex vertices[4], TVec2 corners[4], const TVec2& uvA,
                      const TVec2& uvB, const TMat3& transform, float alpha, const TColor& colour);
