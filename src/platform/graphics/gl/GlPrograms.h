#pragma once

#include "platform/graphics/gl/GlApi.h"

#include <cstddef>
#include <cstdint>
#include <map>

namespace platform {

// What makes one program different from another.
struct ProgramKey {
    uint32_t colorOp = 0, colorArg1 = 0, colorArg2 = 0;
    uint32_t alphaOp = 0, alphaArg1 = 0, alphaArg2 = 0;
    uint32_t alphaFunc = 0; // 0: no alpha test
    bool textured = false;
    bool screenVertices = false; // pre-transformed, in render-target pixels
    bool lit = false;
    bool hasColor = false;

    auto operator<=>(const ProgramKey&) const = default;
};

// A linked program and where its inputs are.
struct GlProgram {
    GLuint id = 0;
    GLint matrix = -1;
    GLint halfPixel = -1;
    GLint screen = -1;
    GLint factor = -1;
    GLint litColor = -1;
    GLint alphaRef = -1;
    GLint sampler = -1;

    // The uniform values last given to the program, so that a draw sends
    // only what changed (a program keeps its uniforms while it lives).
    struct Values {
        float matrix[16] = {};
        float halfPixel[2] = {};
        float screen[4] = {};
        float factor[4] = {};
        float litColor[4] = {};
        float alphaRef[1] = {};
        bool matrixSet = false, halfPixelSet = false, screenSet = false;
        bool factorSet = false, litColorSet = false, alphaRefSet = false;
    };
    mutable Values sent;
};

// Vertex attribute slots, the same in every program.
inline constexpr GLuint kAttribPosition = 0;
inline constexpr GLuint kAttribColor = 1;
inline constexpr GLuint kAttribTexCoord = 2;

// The GLSL 1.20 programs standing in for texture stage 0 and the vertex
// layouts, made on first use and kept.
class GlPrograms {
public:
    ~GlPrograms();
    // Null when the program cannot be built (logged once).
    const GlProgram* Get(const ProgramKey& key);
    size_t Count() const { return mPrograms.size(); }

private:
    std::map<ProgramKey, GlProgram> mPrograms;
};

} // namespace platform
