#include "framework/graphics/mesh/TModel.h"

#include "framework/core/log/TLog.h"
#include "framework/graphics/asset/TAssetManager.h"

#include <gtest/gtest.h>

#include "support/TempFolder.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <string>

namespace {

// Sends the log to a fresh file for one test and reads it back.
class LogCapture {
public:
    LogCapture() {
        const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
        mFolder = std::string(CORVALO_BINARY_DIR) + "/mesh_test_logs/" + info->name();
        std::filesystem::remove_all(mFolder);
        std::filesystem::create_directories(mFolder);
        StartLog(mFolder.c_str());
    }
    ~LogCapture() { StartLog(nullptr); }
    std::string Text() const {
        std::ifstream in(mFolder + "/logfile.txt", std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

private:
    std::string mFolder;
};

void PutU16(std::string& out, int value) {
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>((value >> 8) & 0xFF);
}

// A mesh file of V vertices (vertex i has x = i and the other values from
// the list) and the given indices.
std::string MeshFile(int vertexCount, std::initializer_list<int> indices,
                     std::initializer_list<int> firstVertex = {}) {
    std::string out = "TRIS";
    PutU16(out, vertexCount);
    PutU16(out, static_cast<int>(indices.size() / 3));
    for (int v = 0; v < vertexCount; ++v) {
        if (v == 0 && firstVertex.size() == 8) {
            for (int value : firstVertex)
                PutU16(out, value);
            continue;
        }
        for (int k = 0; k < 8; ++k)
            PutU16(out, k == 0 ? v : 0);
    }
    for (int index : indices)
        PutU16(out, index);
    return out;
}

class Model : public ::testing::Test {
protected:
    TString Write(const std::string& leaf, const std::string& bytes) {
        return TString(("::" + mFolder.Write(leaf, bytes)).c_str());
    }
    support::TempFolder mFolder;
};

TEST_F(Model, Load_ConvertsThousandthsAndKeepsIndices) {
    TModel model;
    const TString name = Write(
        "quad.mesh", MeshFile(4, {0, 1, 2, 2, 1, 3}, {-1000, 32767, -32768, 0, 1000, 0, 500, 250}));
    ASSERT_TRUE(model.Init(name));
    ASSERT_NE(model.GetMesh(), nullptr);
    EXPECT_EQ(model.GetVertexCount(), 4u);
    EXPECT_EQ(model.GetIndexCount(), 6u);
    const TMeshVertex& first = model.GetMesh()->mVertices[0];
    EXPECT_FLOAT_EQ(first.mPosition.x, -1.0f);
    EXPECT_FLOAT_EQ(first.mPosition.y, 32.767f);
    EXPECT_FLOAT_EQ(first.mPosition.z, -32.768f);
    EXPECT_FLOAT_EQ(first.mNormal.y, 1.0f);
    EXPECT_FLOAT_EQ(first.mUv.x, 0.5f);
    EXPECT_FLOAT_EQ(first.mUv.y, 0.25f);
    EXPECT_FLOAT_EQ(model.GetMesh()->mVertices[3].mPosition.x, 0.003f);
    EXPECT_EQ(model.GetMesh()->mIndices[5], 3u);
    EXPECT_STREQ(model.GetMesh()->mName.CStr(), name.CStr());
    EXPECT_STREQ(model.GetClassName(), "TModel");
}

TEST_F(Model, EightVerticesTwelveTriangles_Is208Bytes) {
    std::initializer_list<int> indices = {0, 1, 2, 3, 4, 5, 6, 7, 0, 1, 2, 3, 4, 5, 6, 7, 0, 1,
                                          2, 3, 4, 5, 6, 7, 0, 1, 2, 3, 4, 5, 6, 7, 0, 1, 2, 3};
    const std::string bytes = MeshFile(8, indices);
    EXPECT_EQ(bytes.size(), 208u);
    TModel model;
    ASSERT_TRUE(model.Init(Write("cube.mesh", bytes)));
    EXPECT_EQ(model.GetIndexCount(), 36u);
}

TEST_F(Model, NameTest_IsCaseSensitiveAndFindsMeshAnywhere) {
    const std::string bytes = MeshFile(3, {0, 1, 2});
    LogCapture log;
    TModel model;
    EXPECT_FALSE(model.Init(Write("upper.MESH", bytes)));
    EXPECT_EQ(model.GetMesh(), nullptr);
    EXPECT_TRUE(model.Init(Write("middle.mesh.bak", bytes)));
    EXPECT_EQ(log.Text(), "");
}

TEST_F(Model, MissingFile_FailsWithLogLine) {
    LogCapture log;
    TModel model;
    const std::string name = "::" + (mFolder.Path() / "none.mesh").string();
    EXPECT_FALSE(model.Init(TString(name.c_str())));
    EXPECT_NE(log.Text().find("TModel::Init: Failed to load " + name), std::string::npos);
}

TEST_F(Model, WrongMagic_FailsSilentlyWithEmptyMesh) {
    LogCapture log;
    TModel model;
    std::string bytes = MeshFile(3, {0, 1, 2});
    bytes[0] = 'X';
    EXPECT_FALSE(model.Init(Write("magic.mesh", bytes)));
    ASSERT_NE(model.GetMesh(), nullptr);
    EXPECT_EQ(model.GetVertexCount(), 0u);
    EXPECT_EQ(model.GetIndexCount(), 0u);
    EXPECT_EQ(log.Text(), "");
}

TEST_F(Model, EveryCutShortFile_FailsWithLogLineAndNoData) {
    const std::string whole = MeshFile(3, {0, 1, 2, 2, 1, 0});
    TModel model;
    ASSERT_TRUE(model.Init(Write("whole.mesh", whole)));
    for (size_t length = 4; length < whole.size(); ++length) {
        LogCapture log;
        EXPECT_FALSE(model.Init(Write("cut.mesh", whole.substr(0, length)))) << length;
        EXPECT_EQ(model.GetVertexCount(), 0u) << length;
        EXPECT_EQ(model.GetIndexCount(), 0u) << length;
        EXPECT_NE(log.Text().find("cut.mesh is cut short"), std::string::npos) << length;
    }
}

TEST_F(Model, IndexPastVertexCount_FailsWithLogLine) {
    LogCapture log;
    TModel model;
    EXPECT_FALSE(model.Init(Write("index.mesh", MeshFile(3, {0, 1, 2, 0, 3, 1}))));
    EXPECT_EQ(model.GetIndexCount(), 0u);
    EXPECT_NE(log.Text().find("index.mesh: index 3 is past the vertex count"), std::string::npos)
        << log.Text();
}

TEST_F(Model, RestoreResources_LoadsTheFileAgain) {
    TModel model;
    const TString name = Write("restore.mesh", MeshFile(3, {0, 1, 2}));
    ASSERT_TRUE(model.Init(name));
    Write("restore.mesh", MeshFile(4, {0, 1, 2, 1, 2, 3}));
    model.ReleaseResources();
    EXPECT_EQ(model.GetVertexCount(), 3u);
    model.RestoreResources();
    EXPECT_EQ(model.GetVertexCount(), 4u);
    EXPECT_EQ(model.GetIndexCount(), 6u);
}

} // namespace

namespace {

TEST_F(Model, GetModel_SharesTheLoadedModelByNameAndGivesNothingForABadFile) {
    TAssetManager manager;
    const TString name = Write("shared.mesh", MeshFile(3, {0, 1, 2}));
    std::shared_ptr<TModel> first = GetModel(name);
    ASSERT_TRUE(first);
    EXPECT_EQ(GetModel(name), first);
    EXPECT_TRUE(first->IsKindOf(TModel::GetClassId()));
    EXPECT_TRUE(first->IsKindOf(TAsset::GetClassId()));
    EXPECT_EQ(manager.GetAsset(name), first);
    const TString bad = Write("bad.mesh", "TRI");
    EXPECT_FALSE(GetModel(bad));
    first.reset();
    EXPECT_FALSE(manager.GetAsset(name));
}

} // namespace
