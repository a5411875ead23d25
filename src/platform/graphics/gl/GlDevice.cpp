#include "platform/graphics/gl/GlDevice.h"
#include "platform/graphics/gl/GlThread.h"

#include "platform/graphics/gl/GlSurfaces.h"
#include "platform/log/PlatformLog.h"

#include <algorithm>
#include <cstring>

namespace platform {

namespace {

GLenum BlendFactor(uint32_t factor) {
    switch (factor) {
    case gfx::kBlendZero:
        return GL_ZERO;
    case gfx::kBlendOne:
        return GL_ONE;
    case gfx::kBlendSrcColor:
        return GL_SRC_COLOR;
    case gfx::kBlendInvSrcColor:
        return GL_ONE_MINUS_SRC_COLOR;
    case gfx::kBlendSrcAlpha:
        return GL_SRC_ALPHA;
    case gfx::kBlendInvSrcAlpha:
        return GL_ONE_MINUS_SRC_ALPHA;
    case gfx::kBlendDestAlpha:
        return GL_DST_ALPHA;
    case gfx::kBlendInvDestAlpha:
        return GL_ONE_MINUS_DST_ALPHA;
    case gfx::kBlendDestColor:
        return GL_DST_COLOR;
    case gfx::kBlendInvDestColor:
        return GL_ONE_MINUS_DST_COLOR;
    default:
        return GL_ONE;
    }
}

GLenum Comparison(uint32_t func) {
    switch (func) {
    case gfx::kCmpNever:
        return GL_NEVER;
    case gfx::kCmpLess:
        return GL_LESS;
    case gfx::kCmpEqual:
        return GL_EQUAL;
    case gfx::kCmpLessEqual:
        return GL_LEQUAL;
    case gfx::kCmpGreater:
        return GL_GREATER;
    case gfx::kCmpNotEqual:
        return GL_NOTEQUAL;
    case gfx::kCmpGreaterEqual:
        return GL_GEQUAL;
    default:
        return GL_ALWAYS;
    }
}

GLint Wrap(uint32_t mode) {
    switch (mode) {
    case gfx::kAddressWrap:
        return GL_REPEAT;
    case gfx::kAddressMirror:
        return GL_MIRRORED_REPEAT;
    default:
        return GL_CLAMP_TO_EDGE;
    }
}

GfxColor ColorOf(uint32_t argb) {
    return {((argb >> 16) & 0xFF) / 255.0f, ((argb >> 8) & 0xFF) / 255.0f, (argb & 0xFF) / 255.0f,
            (argb >> 24) / 255.0f};
}

// Keeps a uniform's value and says whether it differs from the one kept.
template <size_t N> bool Changed(float (&kept)[N], bool& set, const float (&value)[N]) {
    if (set && std::memcmp(kept, value, sizeof kept) == 0)
        return false;
    std::memcpy(kept, value, sizeof kept);
    set = true;
    return true;
}

// True when an alpha test passes every fragment that could change the
// target: it drops at most the fragments whose alpha is 0, and those blend
// to the colour already there (source alpha against inverse source alpha or
// one) and write no depth. Such a test needs no discard in the program.
bool AlphaTestChangesNothing(uint32_t func, uint32_t ref, bool blend, uint32_t src, uint32_t dest,
                             bool writesDepth) {
    if (func == gfx::kCmpAlways || (func == gfx::kCmpGreaterEqual && ref == 0))
        return true;
    const bool dropsOnlyZero =
        (func == gfx::kCmpGreaterEqual && ref == 1) || (func == gfx::kCmpGreater && ref == 0);
    return dropsOnlyZero && blend && src == gfx::kBlendSrcAlpha &&
           (dest == gfx::kBlendInvSrcAlpha || dest == gfx::kBlendOne) && !writesDepth;
}

bool TargetLost(const SurfacePtr& target) {
    const auto* memory = dynamic_cast<const MemorySurface*>(target.get());
    return memory && memory->IsMarkedLost();
}

} // namespace

GlDevice::GlDevice(std::shared_ptr<GlShared> shared, const DeviceCaps& caps, SurfacePtr target)
    : mShared(std::move(shared)), mCaps(caps) {
    SurfaceDesc desc;
    target->GetDesc(desc);
    mState = DeviceState::Initial(desc.width, desc.height, true);
    mState.target = std::move(target);
    mShared->device = this;
    glProvokingVertex(GL_FIRST_VERTEX_CONVENTION);
    glFrontFace(GL_CCW);
    glDisable(GL_DITHER);
}

GlDevice::~GlDevice() {
    CheckGlThread("~GlDevice");
    Flush();
    if (mShared->device == this)
        mShared->device = nullptr;
    ++mShared->bindingsChanged;
}

GfxResult GlDevice::BeginScene() {
    if (const GfxResult r = mShared->faults->Enter("BeginScene"); r != kGfxOk)
        return r;
    if (mInScene)
        return D3DERR_SCENE_IN_SCENE;
    if (TargetLost(mState.target))
        return DDERR_SURFACELOST;
    mInScene = true;
    return kGfxOk;
}

GfxResult GlDevice::EndScene() {
    Flush();
    const bool wasInScene = mInScene;
    mInScene = false;
    if (const GfxResult r = mShared->faults->Enter("EndScene"); r != kGfxOk)
        return r;
    return wasInScene ? kGfxOk : D3DERR_SCENE_NOT_IN_SCENE;
}

GLuint GlDevice::TargetFramebuffer(int32_t& width, int32_t& height) {
    if (auto* back = dynamic_cast<GlBackBuffer*>(mState.target.get())) {
        width = back->Width();
        height = back->Height();
        return back->IsComplete() ? back->Framebuffer() : 0;
    }
    if (auto* texture = dynamic_cast<GlTexture*>(mState.target.get())) {
        width = texture->Width();
        height = texture->Height();
        texture->MarkDrawn();
        return texture->Framebuffer();
    }
    width = height = 0;
    return 0;
}

GfxResult GlDevice::Clear(uint32_t flags, uint32_t color, float z, uint32_t stencil) {
    if (const GfxResult r = mShared->faults->Enter("Clear"); r != kGfxOk)
        return r;
    if (TargetLost(mState.target))
        return DDERR_SURFACELOST;
    Flush();
    int32_t w = 0, h = 0;
    const GLuint framebuffer = TargetFramebuffer(w, h);
    if (!framebuffer)
        return E_FAIL;
    const Viewport& v = mState.viewport;
    const uint32_t depthFlags = flags & (gfx::kClearZBuffer | gfx::kClearStencil);
    if (auto* back = dynamic_cast<GlBackBuffer*>(mState.target.get()); back && depthFlags) {
        // A clear of the whole depth buffer only records its value.
        const bool whole = v.x <= 0 && v.y <= 0 && v.x + static_cast<int64_t>(v.width) >= w &&
                           v.y + static_cast<int64_t>(v.height) >= h;
        if (whole && back->ClearWholeDepth(
                         (flags & gfx::kClearZBuffer) ? std::optional<float>(z) : std::nullopt,
                         (flags & gfx::kClearStencil) ? std::optional<uint32_t>(stencil)
                                                      : std::nullopt))
            flags &= ~depthFlags;
        else
            back->UseDepth();
    }
    if (!(flags & (gfx::kClearTarget | depthFlags)))
        return kGfxOk;
    if (mShared->bindingsChanged != mSent.changes)
        mSent = Sent{};
    mSent.changes = mShared->bindingsChanged;
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    mSent.framebuffer = framebuffer;
    glEnable(GL_SCISSOR_TEST);
    GLbitfield mask = 0;
    if (flags & gfx::kClearTarget) {
        const GfxColor c = ColorOf(color);
        glClearColor(c.r, c.g, c.b, c.a);
        mask |= GL_COLOR_BUFFER_BIT;
    }
    if (flags & gfx::kClearZBuffer) {
        glClearDepth(z);
        glDepthMask(GL_TRUE);
        mSent.depthWrite = -1;
        mask |= GL_DEPTH_BUFFER_BIT;
    }
    if (flags & gfx::kClearStencil) {
        glClearStencil(static_cast<GLint>(stencil));
        mask |= GL_STENCIL_BUFFER_BIT;
    }
    if (IsCut() && (mask & GL_COLOR_BUFFER_BIT)) {
        // The colour only inside the region; depth and stencil as asked.
        for (const GfxRect& r : mRegion) {
            const int32_t left = std::max(r.left, v.x);
            const int32_t top = std::max(r.top, v.y);
            const int32_t right = std::min<int64_t>(r.right, v.x + static_cast<int64_t>(v.width));
            const int32_t bottom =
                std::min<int64_t>(r.bottom, v.y + static_cast<int64_t>(v.height));
            if (right <= left || bottom <= top)
                continue;
            glScissor(left, top, right - left, bottom - top);
            glClear(GL_COLOR_BUFFER_BIT);
        }
        mask &= ~static_cast<GLbitfield>(GL_COLOR_BUFFER_BIT);
    }
    if (mask) {
        glScissor(v.x, v.y, v.width, v.height);
        glClear(mask);
    }
    glDisable(GL_SCISSOR_TEST);
    return kGfxOk;
}

GfxResult GlDevice::SetViewport(const Viewport& viewport) {
    if (const GfxResult r = mShared->faults->Enter("SetViewport"); r != kGfxOk)
        return r;
    if (const GfxResult r = CheckViewport(viewport, *mState.target); r != kGfxOk)
        return r;
    if (!(viewport == mState.viewport)) {
        Flush();
        mState.viewport = viewport;
    }
    return kGfxOk;
}

GfxResult GlDevice::GetViewport(Viewport& viewport) {
    viewport = mState.viewport;
    return mShared->faults->Enter("GetViewport");
}

GfxResult GlDevice::SetTransform(TransformKind kind, const DeviceMatrix& matrix) {
    if (const GfxResult r = mShared->faults->Enter("SetTransform"); r != kGfxOk)
        return r;
    DeviceMatrix& kept = mState.Transform(kind);
    if (!(kept == matrix)) {
        Flush();
        kept = matrix;
    }
    return kGfxOk;
}

GfxResult GlDevice::GetTransform(TransformKind kind, DeviceMatrix& matrix) {
    if (const GfxResult r = mShared->faults->Enter("GetTransform"); r != kGfxOk)
        return r;
    matrix = mState.Transform(kind);
    return kGfxOk;
}

GfxResult GlDevice::SetMaterial(const Material& material) {
    if (const GfxResult r = mShared->faults->Enter("SetMaterial"); r != kGfxOk)
        return r;
    if (!(mState.material == material)) {
        Flush();
        mState.material = material;
    }
    return kGfxOk;
}

GfxResult GlDevice::GetMaterial(Material& material) {
    material = mState.material;
    return mShared->faults->Enter("GetMaterial");
}

GfxResult GlDevice::SetRenderState(RenderState state, uint32_t value) {
    if (const GfxResult r = mShared->faults->Enter("SetRenderState"); r != kGfxOk)
        return r;
    auto found = mState.render.find(state);
    if (found == mState.render.end() || found->second != value) {
        Flush();
        mState.render[state] = value;
    }
    return kGfxOk;
}

GfxResult GlDevice::GetRenderState(RenderState state, uint32_t& value) {
    value = mState.Render(state);
    return mShared->faults->Enter("GetRenderState");
}

GfxResult GlDevice::SetStageState(uint32_t stage, StageState state, uint32_t value) {
    if (const GfxResult r = mShared->faults->Enter("SetStageState"); r != kGfxOk)
        return r;
    if (stage != 0)
        return E_INVALIDARG;
    auto found = mState.stage.find(state);
    if (found == mState.stage.end() || found->second != value) {
        Flush();
        mState.stage[state] = value;
    }
    return kGfxOk;
}

GfxResult GlDevice::GetStageState(uint32_t stage, StageState state, uint32_t& value) {
    value = 0;
    if (stage != 0)
        return E_INVALIDARG;
    value = mState.Stage(state);
    return mShared->faults->Enter("GetStageState");
}

GfxResult GlDevice::SetTexture(uint32_t stage, SurfacePtr texture) {
    if (const GfxResult r = mShared->faults->Enter("SetTexture"); r != kGfxOk)
        return r;
    if (stage != 0)
        return E_INVALIDARG;
    if (texture && !dynamic_cast<GlTexture*>(texture.get()))
        return E_INVALIDARG;
    if (texture != mState.texture) {
        Flush();
        mState.texture = std::move(texture);
    }
    return kGfxOk;
}

GfxResult GlDevice::DrawPrimitive(uint32_t primitive, uint32_t vertexFormat, const void* vertices,
                                  uint32_t vertexCount, uint32_t /*flags*/) {
    return Append("DrawPrimitive", primitive, vertexFormat, static_cast<const uint8_t*>(vertices),
                  vertexCount, nullptr, vertexCount);
}

GfxResult GlDevice::DrawIndexedPrimitive(uint32_t primitive, uint32_t vertexFormat,
                                         const void* vertices, uint32_t vertexCount,
                                         const uint16_t* indices, uint32_t indexCount,
                                         uint32_t /*flags*/) {
    if (const GfxResult r = CheckDrawIndices(indices, indexCount, vertexCount); r != kGfxOk)
        return r;
    return Append("DrawIndexedPrimitive", primitive, vertexFormat,
                  static_cast<const uint8_t*>(vertices), vertexCount, indices, indexCount);
}

GfxResult GlDevice::DrawIndexedPrimitive32(uint32_t primitive, uint32_t vertexFormat,
                                           const void* vertices, uint32_t vertexCount,
                                           const uint32_t* indices, uint32_t indexCount,
                                           uint32_t /*flags*/) {
    if (const GfxResult r = CheckDrawIndices(indices, indexCount, vertexCount); r != kGfxOk)
        return r;
    return Append("DrawIndexedPrimitive", primitive, vertexFormat,
                  static_cast<const uint8_t*>(vertices), vertexCount, nullptr, indexCount, indices);
}

GfxResult GlDevice::Append(const char* operation, uint32_t primitive, uint32_t vertexFormat,
                           const uint8_t* vertices, uint32_t vertexCount, const uint16_t* indices,
                           uint32_t count, const uint32_t* wideIndices) {
    if (const GfxResult r = mShared->faults->Enter(operation); r != kGfxOk)
        return r;
    if (const GfxResult r = CheckDrawArguments(primitive, vertexFormat, vertices, vertexCount);
        r != kGfxOk)
        return r;
    if (!mInScene)
        return D3DERR_SCENE_NOT_IN_SCENE;
    if (TargetLost(mState.target))
        return DDERR_SURFACELOST;
    GLenum mode = GL_TRIANGLES;
    if (primitive == gfx::kPointList)
        mode = GL_POINTS;
    else if (primitive == gfx::kLineList || primitive == gfx::kLineStrip)
        mode = GL_LINES;
    if (!mBatch.empty() && (mode != mBatchMode || vertexFormat != mBatchFormat))
        Flush();
    mBatchMode = mode;
    mBatchFormat = vertexFormat;
    const auto put = [&](uint32_t i) {
        const uint32_t index = wideIndices ? wideIndices[i] : indices ? indices[i] : i;
        const uint8_t* from = vertices + static_cast<size_t>(index) * gfx::kVertexSize;
        mBatch.insert(mBatch.end(), from, from + gfx::kVertexSize);
    };
    switch (primitive) {
    case gfx::kPointList:
        for (uint32_t i = 0; i < count; ++i)
            put(i);
        break;
    case gfx::kLineList:
        for (uint32_t i = 0; i + 1 < count; i += 2) {
            put(i);
            put(i + 1);
        }
        break;
    case gfx::kLineStrip:
        for (uint32_t i = 0; i + 1 < count; ++i) {
            put(i);
            put(i + 1);
        }
        break;
    case gfx::kTriangleList:
        for (uint32_t i = 0; i + 2 < count; i += 3) {
            put(i);
            put(i + 1);
            put(i + 2);
        }
        break;
    case gfx::kTriangleStrip:
        // Every other triangle turns the other way; its first vertex stays
        // first for flat shading.
        for (uint32_t i = 0; i + 2 < count; ++i) {
            put(i);
            put(i % 2 ? i + 2 : i + 1);
            put(i % 2 ? i + 1 : i + 2);
        }
        break;
    case gfx::kTriangleFan:
        // The first vertex of each triangle of a fan is its second one.
        for (uint32_t i = 1; i + 1 < count; ++i) {
            put(i);
            put(i + 1);
            put(0);
        }
        break;
    }
    return kGfxOk;
}

void GlDevice::ApplyState() {
    if (mState.Render(RenderState::ZEnable))
        if (auto* back = dynamic_cast<GlBackBuffer*>(mState.target.get()))
            back->UseDepth();
    if (mShared->bindingsChanged != mSent.changes) {
        mSent = Sent{};
        mSent.changes = mShared->bindingsChanged;
    }
    int32_t targetW = 0, targetH = 0;
    const GLuint framebuffer = TargetFramebuffer(targetW, targetH);
    if (framebuffer != mSent.framebuffer) {
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
        mSent.framebuffer = framebuffer;
    }
    const Viewport& v = mState.viewport;
    if (!(v == mSent.viewport)) {
        // Rows top down in the framebuffer, so the viewport goes as it is.
        glViewport(v.x, v.y, v.width, v.height);
        glDepthRange(v.minZ, v.maxZ);
        mSent.viewport = v;
    }
    auto* texture = dynamic_cast<GlTexture*>(mState.texture.get());
    if (texture == mState.target.get())
        texture = nullptr; // never sampled while drawn into
    const int blend = mState.Render(RenderState::AlphaBlendEnable) ? 1 : 0;
    // Source alpha over inverse source alpha with a source alpha of exactly
    // 1 writes the source colour and alpha as they are: such a batch (a
    // picture without alpha under opaque vertices, the background of most
    // screens) is drawn without blending, the same pixels for less fill.
    const bool opaque = blend && mState.Render(RenderState::SrcBlend) == gfx::kBlendSrcAlpha &&
                        mState.Render(RenderState::DestBlend) == gfx::kBlendInvSrcAlpha &&
                        BatchIsOpaque(texture);
    const int glBlend = opaque ? 0 : blend;
    if (glBlend != mSent.blend) {
        glBlend ? glEnable(GL_BLEND) : glDisable(GL_BLEND);
        mSent.blend = glBlend;
    }
    const GLenum src = BlendFactor(mState.Render(RenderState::SrcBlend));
    const GLenum dest = BlendFactor(mState.Render(RenderState::DestBlend));
    if (glBlend && (src != mSent.srcBlend || dest != mSent.destBlend)) {
        glBlendFunc(src, dest);
        mSent.srcBlend = src;
        mSent.destBlend = dest;
    }
    const int depthTest = mState.Render(RenderState::ZEnable) ? 1 : 0;
    if (depthTest != mSent.depthTest) {
        depthTest ? glEnable(GL_DEPTH_TEST) : glDisable(GL_DEPTH_TEST);
        mSent.depthTest = depthTest;
    }
    const int depthWrite = mState.Render(RenderState::ZWriteEnable) ? 1 : 0;
    if (depthWrite != mSent.depthWrite) {
        glDepthMask(depthWrite ? GL_TRUE : GL_FALSE);
        mSent.depthWrite = depthWrite;
    }
    const GLenum depthFunc = Comparison(mState.Render(RenderState::ZFunc));
    if (depthFunc != mSent.depthFunc) {
        glDepthFunc(depthFunc);
        mSent.depthFunc = depthFunc;
    }
    // The picture is upside down in GL's eyes, so a triangle clockwise on
    // screen is counter-clockwise (front facing) to GL.
    const uint32_t cullMode = mState.Render(RenderState::CullMode);
    const int cull = (cullMode == gfx::kCullClockwise || cullMode == gfx::kCullCounterClockwise);
    if (cull != mSent.cull) {
        cull ? glEnable(GL_CULL_FACE) : glDisable(GL_CULL_FACE);
        mSent.cull = cull;
    }
    const GLenum face = cullMode == gfx::kCullClockwise ? GL_FRONT : GL_BACK;
    if (cull && face != mSent.cullFace) {
        glCullFace(face);
        mSent.cullFace = face;
    }
    const int flat = mState.Render(RenderState::ShadeMode) == gfx::kShadeFlat;
    if (flat != mSent.flat) {
        glShadeModel(flat ? GL_FLAT : GL_SMOOTH);
        mSent.flat = flat;
    }

    const GLuint textureId = texture ? texture->Texture() : 0;
    if (textureId != mSent.texture) {
        glBindTexture(GL_TEXTURE_2D, textureId);
        mSent.texture = textureId;
    }
    if (texture) {
        const bool linear = mState.Stage(StageState::MinFilter) == gfx::kFilterLinear;
        const uint32_t mip = mState.Stage(StageState::MipFilter);
        GLint minFilter = linear ? GL_LINEAR : GL_NEAREST;
        if (texture->MipLevels() > 1 && mip == gfx::kMipPoint)
            minFilter = linear ? GL_LINEAR_MIPMAP_NEAREST : GL_NEAREST_MIPMAP_NEAREST;
        else if (texture->MipLevels() > 1 && mip == gfx::kMipLinear)
            minFilter = linear ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_LINEAR;
        const GLint magFilter =
            mState.Stage(StageState::MagFilter) == gfx::kFilterLinear ? GL_LINEAR : GL_NEAREST;
        const GLint wrapS = Wrap(mState.Stage(StageState::AddressU));
        const GLint wrapT = Wrap(mState.Stage(StageState::AddressV));
        if (minFilter != texture->minFilter)
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, texture->minFilter = minFilter);
        if (magFilter != texture->magFilter)
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, texture->magFilter = magFilter);
        if (wrapS != texture->wrapS)
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, texture->wrapS = wrapS);
        if (wrapT != texture->wrapT)
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, texture->wrapT = wrapT);
    }

    ProgramKey key;
    key.colorOp = mState.Stage(StageState::ColorOp);
    key.colorArg1 = mState.Stage(StageState::ColorArg1);
    key.colorArg2 = mState.Stage(StageState::ColorArg2);
    key.alphaOp = mState.Stage(StageState::AlphaOp);
    key.alphaArg1 = mState.Stage(StageState::AlphaArg1);
    key.alphaArg2 = mState.Stage(StageState::AlphaArg2);
    if (mState.Render(RenderState::AlphaTestEnable)) {
        const uint32_t func = mState.Render(RenderState::AlphaFunc);
        const uint32_t ref = mState.Render(RenderState::AlphaRef) & 0xFF;
        if (!AlphaTestChangesNothing(func, ref, blend != 0, mState.Render(RenderState::SrcBlend),
                                     mState.Render(RenderState::DestBlend),
                                     depthTest && depthWrite))
            key.alphaFunc = func;
    }
    key.textured = texture != nullptr;
    key.screenVertices = mBatchFormat == gfx::kFvfScreenColorTex;
    key.lit = !key.screenVertices && mState.Render(RenderState::Lighting) != 0;
    key.hasColor = mBatchFormat != gfx::kFvfNormalTex;
    const GlProgram* program = mPrograms.Get(key);
    if (!program)
        return;
    if (program->id != mSent.program) {
        glUseProgram(program->id);
        mSent.program = program->id;
    }
    GlProgram::Values& sent = program->sent;
    if (program->matrix >= 0) {
        const DeviceMatrix all =
            MatrixMultiply(MatrixMultiply(mState.world, mState.view), mState.projection);
        float matrix[16];
        std::memcpy(matrix, &all.m[0][0], sizeof matrix);
        if (Changed(sent.matrix, sent.matrixSet, matrix))
            glUniformMatrix4fv(program->matrix, 1, GL_FALSE, matrix);
    }
    const float halfPixel[2] = {1.0f / std::max(v.width, 1), 1.0f / std::max(v.height, 1)};
    if (Changed(sent.halfPixel, sent.halfPixelSet, halfPixel))
        glUniform2fv(program->halfPixel, 1, halfPixel);
    if (program->screen >= 0) {
        const float screen[4] = {static_cast<float>(v.x), static_cast<float>(v.y),
                                 static_cast<float>(std::max(v.width, 1)),
                                 static_cast<float>(std::max(v.height, 1))};
        if (Changed(sent.screen, sent.screenSet, screen))
            glUniform4fv(program->screen, 1, screen);
    }
    if (program->factor >= 0) {
        const GfxColor c = ColorOf(mState.Render(RenderState::TextureFactor));
        const float factor[4] = {c.r, c.g, c.b, c.a};
        if (Changed(sent.factor, sent.factorSet, factor))
            glUniform4fv(program->factor, 1, factor);
    }
    if (program->alphaRef >= 0) {
        const float alphaRef[1] = {static_cast<float>(mState.Render(RenderState::AlphaRef) & 0xFF)};
        if (Changed(sent.alphaRef, sent.alphaRefSet, alphaRef))
            glUniform1f(program->alphaRef, alphaRef[0]);
    }
    if (key.lit) {
        // No lights: the ambient light on the material, plus its glow.
        const GfxColor ambient = ColorOf(mState.Render(RenderState::Ambient));
        const Material& m = mState.material;
        const float lit[4] = {m.ambient.r * ambient.r + m.emissive.r,
                              m.ambient.g * ambient.g + m.emissive.g,
                              m.ambient.b * ambient.b + m.emissive.b, m.diffuse.a};
        if (Changed(sent.litColor, sent.litColorSet, lit))
            glUniform4fv(program->litColor, 1, lit);
    }
}

bool GlDevice::BatchIsOpaque(const GlTexture* texture) const {
    const bool lit = mBatchFormat != gfx::kFvfScreenColorTex && mState.Render(RenderState::Lighting);
    const bool hasColor = mBatchFormat != gfx::kFvfNormalTex;
    // The alpha of one argument as the program computes it (see
    // GlPrograms.cpp): whether it is 1 for every fragment.
    const auto argumentIsOne = [&](uint32_t arg) {
        if (arg & gfx::kArgComplement)
            return false;
        switch (arg & gfx::kArgSelectMask) {
        case gfx::kArgTexture:
            // A format without alpha reads alpha as 1, unless drawing into
            // the texture may have put something else there.
            return !texture || (!texture->Format().alphaPixels && !texture->HasFramebuffer());
        case gfx::kArgFactor:
            return (mState.Render(RenderState::TextureFactor) >> 24) == 0xFF;
        case gfx::kArgSpecular:
            return true;
        default:
            break;
        }
        if (lit)
            return mState.material.diffuse.a == 1.0f;
        if (!hasColor)
            return true;
        // The diffuse colour's bytes are B, G, R, A at offset 16.
        for (size_t at = 16 + 3; at < mBatch.size(); at += gfx::kVertexSize)
            if (mBatch[at] != 0xFF)
                return false;
        return true;
    };
    const uint32_t arg1 = mState.Stage(StageState::AlphaArg1);
    const uint32_t arg2 = mState.Stage(StageState::AlphaArg2);
    switch (mState.Stage(StageState::AlphaOp)) {
    case gfx::kOpSelectArg1:
        return argumentIsOne(arg1);
    case gfx::kOpSelectArg2:
        return argumentIsOne(arg2);
    case gfx::kOpModulate:
        return argumentIsOne(arg1) && argumentIsOne(arg2);
    default:
        return argumentIsOne(gfx::kArgDiffuse);
    }
}

void GlDevice::Flush() {
    if (mBatch.empty())
        return;
    ApplyState();
    if (mSent.program == ~0u || mSent.framebuffer == 0) {
        mBatch.clear();
        return;
    }
    // The vertices go from the batch itself: GL copies them into its own
    // streaming store at the draw, which costs neither a new buffer nor a
    // wait for the draws still reading an earlier one.
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    const GLsizei stride = gfx::kVertexSize;
    const uint8_t* base = mBatch.data();
    const bool screen = mBatchFormat == gfx::kFvfScreenColorTex;
    if (mBatchFormat != mSent.format) {
        glEnableVertexAttribArray(kAttribPosition);
        glEnableVertexAttribArray(kAttribTexCoord);
        if (mBatchFormat != gfx::kFvfNormalTex)
            glEnableVertexAttribArray(kAttribColor);
        else
            glDisableVertexAttribArray(kAttribColor);
        mSent.format = mBatchFormat;
    }
    glVertexAttribPointer(kAttribPosition, screen ? 4 : 3, GL_FLOAT, GL_FALSE, stride, base);
    if (mBatchFormat != gfx::kFvfNormalTex)
        glVertexAttribPointer(kAttribColor, 4, GL_UNSIGNED_BYTE, GL_TRUE, stride, base + 16);
    glVertexAttribPointer(kAttribTexCoord, 2, GL_FLOAT, GL_FALSE, stride, base + 24);
    const GLsizei count = static_cast<GLsizei>(mBatch.size() / gfx::kVertexSize);
    if (IsCut()) {
        // Once for each rectangle of the region, cut to it.
        glEnable(GL_SCISSOR_TEST);
        for (const GfxRect& r : mRegion) {
            glScissor(r.left, r.top, r.Width(), r.Height());
            glDrawArrays(mBatchMode, 0, count);
            ++mGlDraws;
        }
        glDisable(GL_SCISSOR_TEST);
    } else {
        glDrawArrays(mBatchMode, 0, count);
        ++mGlDraws;
    }
    mBatch.clear();
}

bool GlDevice::IsCut() const {
    return !mRegion.empty() && dynamic_cast<GlBackBuffer*>(mState.target.get()) != nullptr;
}

GfxResult GlDevice::SetScissorRegion(const GfxRect* rects, uint32_t count) {
    if (count && !rects)
        return E_INVALIDARG;
    Flush();
    mRegion.clear();
    for (uint32_t i = 0; i < count; ++i)
        if (rects[i].right > rects[i].left && rects[i].bottom > rects[i].top)
            mRegion.push_back(rects[i]);
    if (count && mRegion.empty()) {
        // Every rectangle empty: nothing may be drawn.
        mRegion.push_back(GfxRect{0, 0, 0, 0});
    }
    return kGfxOk;
}

GfxResult GlDevice::SetRenderTarget(SurfacePtr target) {
    if (const GfxResult r = mShared->faults->Enter("SetRenderTarget"); r != kGfxOk)
        return r;
    if (!target ||
        (!dynamic_cast<GlBackBuffer*>(target.get()) && !dynamic_cast<GlTexture*>(target.get())))
        return E_INVALIDARG;
    Flush();
    SurfaceDesc desc;
    target->GetDesc(desc);
    mState.target = std::move(target);
    mState.viewport = {0, 0, desc.width, desc.height, 0.0f, 1.0f};
    return kGfxOk;
}

GfxResult GlDevice::GetRenderTarget(SurfacePtr& target) {
    target = mState.target;
    return mShared->faults->Enter("GetRenderTarget");
}

GfxResult GlDevice::GetCaps(DeviceCaps& caps) {
    caps = mCaps;
    return mShared->faults->Enter("GetCaps");
}

} // namespace platform
