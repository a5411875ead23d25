#include "framework/graphics/draw/TVertexList.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(TVertexList, Makers_GiveTheirFormatAndTheDeviceLayout) {
    TVertex vertices[3];
    const struct {
        TVertexList list;
        int32_t format;
        uint32_t deviceFormat;
    } cases[] = {
        {TVertexList::CreateKind1(vertices, 3), 1, 0x1E2},
        {TVertexList::CreateKind2(vertices, 3), 2, 0x1E2},
        {TVertexList::CreateKind3(vertices, 3), 3, 0x1C4},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.list.GetFormat(), c.format);
        EXPECT_EQ(TVertexList::DeviceFormat(c.list.GetFormat()), c.deviceFormat);
        EXPECT_EQ(c.list.GetVertices(), vertices);
        EXPECT_EQ(c.list.GetCount(), 3u);
    }
    EXPECT_EQ(TVertexList::DeviceFormat(0), 0x112u);
}

TEST(TVertexList, SetCountAndRelease_LeaveTheVerticesAlone) {
    TVertex vertices[4];
    vertices[2].x = 7.0f;
    TVertexList list = TVertexList::CreateKind2(vertices, 4);
    list.SetCount(2);
    EXPECT_EQ(list.GetCount(), 2u);
    EXPECT_EQ(reinterpret_cast<const TVertex*>(list.VertexBytes(2))->x, 7.0f);
    list.Release();
    EXPECT_EQ(list.GetVertices(), nullptr);
    EXPECT_EQ(list.GetCount(), 0u);
    EXPECT_EQ(vertices[2].x, 7.0f);
}

TEST(MakeQuadVertices, FillsEveryWordOfTheFourVertices) {
    TVertex vertices[4];
    for (TVertex& v : vertices) {
        v.w = 99.0f; // must be overwritten
        v.specular = 0x12345678;
    }
    TVec2 corners[4] = {{0, 0}, {10, 0}, {10, 20}, {0, 20}};
    MakeQuadVertices(TVec2(100, 50), vertices, corners, TVec2(0.25f, 0.5f), TVec2(0.75f, 1.0f),
                     TMat3(), 0.5f, TColor(1.0f, 0.5f, 0.0f, 0.9f));
    const float xs[4] = {100, 110, 110, 100};
    const float ys[4] = {50, 50, 70, 70};
    const float us[4] = {0.25f, 0.75f, 0.75f, 0.25f};
    const float vs[4] = {0.5f, 0.5f, 1.0f, 1.0f};
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(vertices[i].x, xs[i]);
        EXPECT_EQ(vertices[i].y, ys[i]);
        EXPECT_EQ(vertices[i].z, 0.1f);
        EXPECT_EQ(vertices[i].w, 0.5f);
        // Red 255, green 127 (0.5 truncated), blue 0; alpha from the alpha
        // argument (127), not from the colour.
        EXPECT_EQ(vertices[i].diffuse, 0x7FFF7F00u);
        EXPECT_EQ(vertices[i].specular, 0xFF000000u);
        EXPECT_EQ(vertices[i].u, us[i]);
        EXPECT_EQ(vertices[i].v, vs[i]);
    }
}

TEST(MakeQuadVertices, AlphaIsTruncatedAndHeld) {
    const struct {
        float alpha;
        uint32_t byte;
    } cases[] = {{1.5f, 255}, {-0.2f, 0}, {1.0f, 255}, {0.0f, 0}, {0.999f, 254}, {0.5f, 127}};
    for (const auto& c : cases) {
        TVertex vertices[4];
        TVec2 corners[4];
        MakeQuadVertices(TVec2(), vertices, corners, TVec2(), TVec2(1, 1), TMat3(), c.alpha,
                         TColor(0, 0, 0, 1));
        EXPECT_EQ(vertices[0].diffuse >> 24, c.byte) << c.alpha;
    }
}

TEST(MakeQuadVertices, CornersAreTransformedInPlace) {
    TVertex vertices[4];
    TVec2 corners[4] = {{0, 0}, {4, 0}, {4, 2}, {0, 2}};
    // A quarter turn and a move by (10, 20): (x, y) -> (-y + 10, x + 20).
    TMat3 transform = TMat3::MakeRotation(static_cast<float>(M_PI / 2));
    transform.m[2][0] = 10;
    transform.m[2][1] = 20;
    MakeQuadVertices(TVec2(1, 1), vertices, corners, TVec2(), TVec2(1, 1), transform, 1.0f,
                     TColor(1, 1, 1, 1));
    const float xs[4] = {10, 10, 8, 8};
    const float ys[4] = {20, 24, 24, 20};
    for (int i = 0; i < 4; ++i) {
        EXPECT_NEAR(corners[i].x, xs[i], 1e-5f) << i;
        EXPECT_NEAR(corners[i].y, ys[i], 1e-5f) << i;
        EXPECT_NEAR(vertices[i].x, xs[i] + 1, 1e-5f) << i;
        EXPECT_NEAR(vertices[i].y, ys[i] + 1, 1e-5f) << i;
    }
}

} // namespace
