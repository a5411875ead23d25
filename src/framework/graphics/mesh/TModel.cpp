#include "framework/graphics/mesh/TModel.h"

#include "framework/core/files/TFile.h"
#include "framework/core/files/TFileData.h"
#include "framework/core/log/TLog.h"
#include "framework/graphics/TGraphics.h"
#include "framework/graphics/asset/TAssetManager.h"

#include <cstring>

namespace {

constexpr size_t kHeaderBytes = 8;
constexpr size_t kVertexBytes = 16;
constexpr size_t kTriangleBytes = 6;

uint16_t U16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}

float Fixed(const uint8_t* p) {
    return static_cast<float>(static_cast<int16_t>(U16(p))) / 1000.0f;
}

} // namespace

TMeshParseResult ParseMesh(const uint8_t* bytes, size_t size, TMeshRecord& mesh,
                           uint32_t* badIndex) {
    mesh.mVertices.clear();
    mesh.mIndices.clear();
    if (size < 4 || std::memcmp(bytes, "TRIS", 4) != 0) {
        return TMeshParseResult::kBadMagic;
    }
    if (size < kHeaderBytes) {
        return TMeshParseResult::kTruncated;
    }
    const size_t vertexCount = U16(bytes + 4);
    const size_t triangleCount = U16(bytes + 6);
    if (size < kHeaderBytes + vertexCount * kVertexBytes + triangleCount * kTriangleBytes) {
        return TMeshParseResult::kTruncated;
    }
    std::vector<TMeshVertex> vertices(vertexCount);
    const uint8_t* p = bytes + kHeaderBytes;
    for (TMeshVertex& vertex : vertices) {
        vertex.mPosition = TVec3(Fixed(p), Fixed(p + 2), Fixed(p + 4));
        vertex.mNormal = TVec3(Fixed(p + 6), Fixed(p + 8), Fixed(p + 10));
        vertex.mUv = TVec2(Fixed(p + 12), Fixed(p + 14));
        p += kVertexBytes;
    }
    std::vector<uint16_t> indices(triangleCount * 3);
    for (uint16_t& index : indices) {
        index = U16(p);
        p += 2;
        if (index >= vertexCount) {
            if (badIndex) {
                *badIndex = index;
            }
            return TMeshParseResult::kIndexTooLarge;
        }
    }
    mesh.mVertices = std::move(vertices);
    mesh.mIndices = std::move(indices);
    return TMeshParseResult::kOk;
}

bool TModel::Init(const TString& name) {
    mMesh.reset();
    mFileName = name;
    if (name.Find(TString(".mesh")) < 0) {
        return false;
    }
    TFile file;
    if (!file.Open(name.CStr(), kFileReadBinary)) {
        LogPrintf("TModel::Init: Failed to load %s", name.CStr());
        return false;
    }
    mMesh = std::make_unique<TMeshRecord>();
    const int32_t size = file.GetSize();
    std::vector<uint8_t> bytes(size > 0 ? static_cast<size_t>(size) : 0);
    const int32_t got = size > 0 ? file.Read(bytes.data(), size) : 0;
    file.Close();
    bytes.resize(got > 0 ? static_cast<size_t>(got) : 0);

    uint32_t badIndex = 0;
    switch (ParseMesh(bytes.data(), bytes.size(), *mMesh, &badIndex)) {
    case TMeshParseResult::kOk:
        mMesh->mName = name;
        return true;
    case TMeshParseResult::kBadMagic:
        return false;
    case TMeshParseResult::kTruncated:
        LogPrintf("TModel::Init: %s is cut short", name.CStr());
        return false;
    case TMeshParseResult::kIndexTooLarge:
        LogPrintf("TModel::Init: %s: index %u is past the vertex count", name.CStr(), badIndex);
        return false;
    }
    return false;
}

TVertexList TModel::GetVertexList() const {
    if (!mMesh || mMesh->mVertices.empty()) {
        return TVertexList();
    }
    return TVertexList::CreateKind0(&mMesh->mVertices[0].mPosition.x, mMesh->GetVertexCount());
}

void TModel::Draw() const {
    if (!mMesh || mMesh->mIndices.empty()) {
        return;
    }
    // The draw front takes plain lists: the triangles are spelled out.
    std::vector<TMeshVertex> triangles;
    triangles.reserve(mMesh->mIndices.size());
    for (uint16_t index : mMesh->mIndices) {
        triangles.push_back(mMesh->mVertices[index]);
    }
    TGraphics::Get()->DrawVertices(
        TVertexList::CreateKind0(&triangles[0].mPosition.x,
                                 static_cast<uint32_t>(triangles.size())),
        platform::gfx::kTriangleList);
}

TClassId TModel::GetClassId() {
    static const char id = 0;
    return &id;
}

std::shared_ptr<TModel> GetModel(const TString& name) {
    TAssetManager* manager = GetAssetManager();
    if (manager) {
        std::shared_ptr<TAsset> shared = manager->GetAsset(name);
        if (shared && shared->IsKindOf(TModel::GetClassId())) {
            return std::static_pointer_cast<TModel>(shared);
        }
    }
    auto model = std::make_shared<TModel>();
    if (!model->Init(name)) {
        return nullptr;
    }
    if (manager) {
        manager->RegisterAsset(name, model);
    }
    return model;
}
