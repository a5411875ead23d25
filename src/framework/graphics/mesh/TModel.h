#pragma once

#include "framework/core/math/TVector.h"
#include "framework/core/text/TString.h"
#include "framework/graphics/asset/TAsset.h"
#include "framework/graphics/draw/TVertexList.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

// One vertex of a mesh, laid out as the drawing code's plain lit vertex:
// position, normal, texture coordinates (8 floats).
struct TMeshVertex {
    TVec3 mPosition;
    TVec3 mNormal;
    TVec2 mUv;
};
static_assert(sizeof(TMeshVertex) == 32, "a mesh vertex is eight packed floats");

// An indexed triangle list as loaded from a ".mesh" file.
struct TMeshRecord {
    std::vector<TMeshVertex> mVertices;
    std::vector<uint16_t> mIndices; // three per triangle
    TString mName;                  // the file it came from

    uint32_t GetVertexCount() const { return static_cast<uint32_t>(mVertices.size()); }
    uint32_t GetIndexCount() const { return static_cast<uint32_t>(mIndices.size()); }
};

// Result of reading the bytes of a ".mesh" file.
enum class TMeshParseResult {
    kOk,
    kBadMagic,     // not a mesh file: fails without a log line
    kTruncated,    // the file ends inside the vertices or indices
    kIndexTooLarge // an index names a vertex past the vertex count
};

// Reads a ".mesh" file ("TRIS", u16 vertex count, u16 triangle count, eight
// i16 per vertex in thousandths, three u16 per triangle; little-endian). On
// anything but kOk the record is left empty; badIndex receives the first
// index out of range.
TMeshParseResult ParseMesh(const uint8_t* bytes, size_t size, TMeshRecord& mesh,
                           uint32_t* badIndex = nullptr);

// The mesh asset: a triangle list in system memory, shared by name through
// the asset manager. It does not depend on the display, so releasing the
// display's resources leaves it alone and restoring them loads it again.
class TModel : public TAsset {
public:
    TModel() = default;

    const char* GetClassName() const override { return "TModel"; }
    bool IsKindOf(TClassId id) const override { return id == GetClassId() || TAsset::IsKindOf(id); }
    static TClassId GetClassId();
    void ReleaseResources() override {}
    void RestoreResources() override { Init(mFileName); }

    // Loads the named ".mesh" file through the file layer. A name without
    // ".mesh" (case counts) and a file that is not a mesh fail without a log
    // line; a file that does not open, is cut short or indexes a vertex that
    // is not there fails with one. A failed load leaves no vertices and no
    // indices.
    bool Init(const TString& name);

    // The loaded mesh; null before loading and after a failed name test or
    // open; empty after a failed read.
    const TMeshRecord* GetMesh() const { return mMesh.get(); }
    uint32_t GetVertexCount() const { return mMesh ? mMesh->GetVertexCount() : 0; }
    uint32_t GetIndexCount() const { return mMesh ? mMesh->GetIndexCount() : 0; }

    // The vertices as the draw front's lit layout (format 0), unindexed.
    TVertexList GetVertexList() const;
    // Draws the triangles through the draw front (inside a 2-D or 3-D
    // block) as one triangle list; nothing without triangles.
    void Draw() const;

private:
    std::unique_ptr<TMeshRecord> mMesh;
    TString mFileName;
};

// The model of a ".mesh" file, shared by name through the asset manager
// while someone holds it; empty when it does not load.
std::shared_ptr<TModel> GetModel(const TString& name);
