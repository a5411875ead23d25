#pragma once

#include "platform/graphics/MemorySurface.h"
#include "platform/graphics/gl/GlApi.h"
#include "platform/graphics/gl/GlShared.h"

#include <memory>
#include <optional>
#include <vector>

namespace platform {

// A texture: a GL texture (RGBA8) with a memory copy in the texture's own
// format. Locking reads the GL picture back when it was drawn into; the
// pixels written go up again at the next use, with their mip levels. The
// device can draw into it (it then has a framebuffer of its own).
//
// A picture that is only loaded and drawn (nearly all of them) keeps no
// memory copy once it is up: the copy is made again from GL, every level,
// the first time the texture is locked, filled or copied into, and from
// then on it is kept, since such a texture tends to change again.
class GlTexture : public MemorySurface {
public:
    GlTexture(std::shared_ptr<GlShared> shared, uint32_t caps, int32_t width, int32_t height,
              const PixelFormat& format, uint32_t mipLevels);
    ~GlTexture() override;

    // The texture, uploaded when its memory copy is newer.
    GLuint Texture();
    GLuint Framebuffer();
    // Whether the texture has been a render target: drawing may have left
    // alpha below 1 in its GL picture whatever its format says.
    bool HasFramebuffer() const { return mFramebuffer != 0; }
    // The GL picture was changed by drawing or copying.
    void MarkDrawn() { mGpuNewer = true; }
    // Uploads every level from the memory copy at the next use.
    void MarkLoaded() { mCpuNewer = true; }
    // Writes 0xAARRGGBB pixels to the top-left of the first level and makes
    // the other levels (LoadArgb), for the next upload.
    void LoadPicture(const uint32_t* pixels, int32_t width, int32_t height, int32_t pitch,
                     LoadFilter filter);

    // Sampling parameters last set on the texture, to skip repeats.
    GLint minFilter = -1;
    GLint magFilter = -1;
    GLint wrapS = -1;
    GLint wrapT = -1;

protected:
    GfxResult PullPixels(const GfxRect& area) override;
    GfxResult PushPixels(const GfxRect& area) override;
    GfxResult CopyFrom(const GfxRect& destArea, GraphicsSurface& source,
                       const GfxRect& sourceArea) override;

private:
    void Upload();
    // Sends a whole picture of 0xAARRGGBB words (pitch in bytes) to the
    // first level as the surface's format stores it.
    void UploadStraight(const uint32_t* pixels, int32_t pitch);
    // Makes the memory copy again from GL, every level.
    void ReadBackLevels();

    std::shared_ptr<GlShared> mShared;
    GLuint mTexture = 0;
    GLuint mFramebuffer = 0;
    bool mGpuNewer = false;
    bool mCpuNewer = true;
    // The memory copy was written through a lock, a fill or a copy: it
    // stays after uploads.
    bool mKeepPixels = false;
};

// The back buffer: a framebuffer object with a colour texture and a depth
// buffer, rows top down (row 0 of the picture is row 0 of the framebuffer).
// Fills are GL clears; locks read the picture back and write it up again.
//
// The depth buffer is attached only while drawing needs it: Mesa's software
// rasterizer takes its fast paths for 2-D quads only on a framebuffer
// without one. While it is detached every depth value is the same, the one
// last cleared to; attaching it fills it with that value.
class GlBackBuffer : public MemorySurface, public std::enable_shared_from_this<GlBackBuffer> {
public:
    GlBackBuffer(std::shared_ptr<GlShared> shared, uint32_t caps, int32_t width, int32_t height,
                 const PixelFormat& format);
    ~GlBackBuffer() override;

    bool IsComplete() const { return mComplete; }
    GLuint Framebuffer() const { return mFramebuffer; }
    GLuint ColorTexture() const { return mColor; }
    // The picture as 0xAARRGGBB words, rows top down.
    void ReadPicture(std::vector<uint32_t>& pixels);

    // Attaches the depth buffer for a draw or a partial clear that needs it.
    // The device calls it as it sends those: it sends no pending draws.
    void UseDepth();
    // A clear of the whole depth buffer, of its stencil part, or both: the
    // buffer is detached until used again (a stencil clear alone does so only
    // while it is detached: no drawing here reads the stencil values). False
    // when the clear must be made in GL.
    bool ClearWholeDepth(std::optional<float> z, std::optional<uint32_t> stencil);
    bool IsDepthAttached() const { return mDepthAttached; }

    GfxResult ColorFill(const GfxRect* area, uint32_t rawValue) override;

protected:
    GfxResult PullPixels(const GfxRect& area) override;
    GfxResult PushPixels(const GfxRect& area) override;

private:
    std::shared_ptr<GlShared> mShared;
    GLuint mFramebuffer = 0;
    GLuint mColor = 0;
    GLuint mDepth = 0;
    bool mDepthMade = false;
    bool mComplete = false;
    bool mDepthAttached = false;
    bool mDepthRefused = false; // said once in the log
    // What every depth and stencil value is while the buffer is detached.
    float mDetachedZ = 1.0f;
    uint32_t mDetachedStencil = 0;
};

// The primary surface: the window. A flip, or a copy of the back buffer
// onto it, presents the back buffer (flipped once, scaled to fit the
// window with its aspect kept). Reading it gives the picture last shown.
class GlPrimary : public MemorySurface {
public:
    GlPrimary(std::shared_ptr<GlShared> shared, uint32_t caps, int32_t width, int32_t height,
              const PixelFormat& format);

    GfxResult Flip() override;
    GfxResult Blt(const GfxRect* destArea, GraphicsSurface& source,
                  const GfxRect* sourceArea) override;
    void AttachGlBackBuffer(std::shared_ptr<GlBackBuffer> back);
    std::shared_ptr<GraphicsSurface> GetAttachedBackBuffer() override { return mBack; }
    uint32_t Presents() const { return mPresents; }

protected:
    GfxResult PullPixels(const GfxRect& area) override;
    GfxResult PushPixels(const GfxRect& area) override;

private:
    GfxResult Present(GlBackBuffer& back);

    std::shared_ptr<GlShared> mShared;
    std::shared_ptr<GlBackBuffer> mBack;
    std::weak_ptr<GlBackBuffer> mShown;
    uint32_t mPresents = 0;
};

} // namespace platform
