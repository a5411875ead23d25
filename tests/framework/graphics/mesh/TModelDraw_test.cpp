#include "framework/graphics/mesh/TModel.h"

#include "framework/graphics/draw/NullDrawFixture.h"

#include <cstring>
#include <fstream>
#include <string>

namespace {

void PutI16(std::string& out, int value) {
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>((value >> 8) & 0xFF);
}

class ModelDraw : public NullDrawFixture {};

TEST_F(ModelDraw, Draw_SpellsTheIndexedTrianglesOutAsOneLitTriangleList) {
    // Four vertices, vertex v at x = v / 1000 with u = -v / 1000; two
    // triangles sharing an edge.
    std::string bytes = "TRIS";
    PutI16(bytes, 4);
    PutI16(bytes, 2);
    for (int v = 0; v < 4; ++v) {
        for (int k = 0; k < 8; ++k) {
            PutI16(bytes, k == 0 ? v : k == 6 ? -v : k == 5 ? 1000 : 0);
        }
    }
    for (int index : {0, 1, 2, 2, 1, 3}) {
        PutI16(bytes, index);
    }
    const std::string path = (mFolder.Path() / "quad.mesh").string();
    std::ofstream(path, std::ios::binary) << bytes;
    TModel model;
    ASSERT_TRUE(model.Init(TString(("::" + path).c_str())));
    EXPECT_EQ(model.GetVertexList().GetCount(), 4u);
    EXPECT_EQ(model.GetVertexList().GetFormat(), TVertexList::kFormatNormal);

    ASSERT_TRUE(graphics->BeginDraw());
    ASSERT_TRUE(graphics->Begin3d());
    Device().ClearDraws();
    model.Draw();
    graphics->End3d();
    graphics->EndDraw();
    ASSERT_EQ(Device().Draws().size(), 1u);
    const platform::RecordedDraw& draw = Device().Draws()[0];
    EXPECT_EQ(draw.primitive, platform::gfx::kTriangleList);
    EXPECT_EQ(draw.vertexFormat, platform::gfx::kFvfNormalTex);
    ASSERT_EQ(draw.vertexCount, 6u);
    const int expected[] = {0, 1, 2, 2, 1, 3};
    for (uint32_t i = 0; i < 6; ++i) {
        float values[8];
        std::memcpy(values, draw.vertices.data() + i * 32, sizeof values);
        EXPECT_FLOAT_EQ(values[0], expected[i] / 1000.0f) << i;
        EXPECT_FLOAT_EQ(values[5], 1.0f) << i;
        EXPECT_FLOAT_EQ(values[6], -expected[i] / 1000.0f) << i;
    }

    // An empty model draws nothing.
    TModel empty;
    ASSERT_TRUE(graphics->BeginDraw());
    ASSERT_TRUE(graphics->Begin3d());
    Device().ClearDraws();
    empty.Draw();
    graphics->End3d();
    graphics->EndDraw();
    EXPECT_TRUE(Device().Draws().empty());
}

} // namespace
