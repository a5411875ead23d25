#include "platform/graphics/gl/GlSurfaces.h"
#include "platform/graphics/gl/GlThread.h"

#include "platform/graphics/PixelConversion.h"
#include "platform/graphics/gl/GlDevice.h"
#include "platform/log/PlatformLog.h"
#include "platform/window/PictureFit.h"
#include "platform/window/Window.h"

#include <algorithm>

namespace platform {

void GlShared::FlushDrawing() {
    CheckGlThread("FlushDrawing");
    if (device)
        device->Flush();
}

namespace {

// Converts an area of a memory surface's level to 0xAARRGGBB words.
std::vector<uint32_t> LevelToArgb(const MemorySurface& surface, uint32_t level,
                                  const GfxRect& area) {
    std::vector<uint32_t> pixels(static_cast<size_t>(area.Width()) * area.Height());
    size_t i = 0;
    for (int32_t y = area.top; y < area.bottom; ++y)
        for (int32_t x = area.left; x < area.right; ++x)
            pixels[i++] = surface.PixelAt(x, y, level);
    return pixels;
}

} // namespace

// Texture.

GlTexture::GlTexture(std::shared_ptr<GlShared> shared, uint32_t caps, int32_t width, int32_t height,
                     const PixelFormat& format, uint32_t mipLevels)
    : MemorySurface(*shared->faults, caps, width, height, format, mipLevels, false),
      mShared(std::move(shared)) {
    glGenTextures(1, &mTexture);
    glBindTexture(GL_TEXTURE_2D, mTexture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, static_cast<GLint>(MipLevels() - 1));
    for (uint32_t level = 0; level < MipLevels(); ++level)
        glTexImage2D(GL_TEXTURE_2D, static_cast<GLint>(level), GL_RGBA, LevelWidth(level),
                     LevelHeight(level), 0, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, nullptr);
    ++mShared->bindingsChanged;
}

GlTexture::~GlTexture() {
    CheckGlThread("~GlTexture");
    if (mFramebuffer)
        glDeleteFramebuffers(1, &mFramebuffer);
    glDeleteTextures(1, &mTexture);
    ++mShared->bindingsChanged;
}

void GlTexture::Upload() {
    // A texture nothing was loaded into yet goes up clear.
    if (!HasPixels())
        AllocatePixels();
    glBindTexture(GL_TEXTURE_2D, mTexture);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    // Pictures with alpha in ARGB order go up as they lie in memory; the
    // other formats are converted level by level.
    const bool asStored = Format() == PixelFormat::A8R8G8B8();
    for (uint32_t level = 0; level < MipLevels(); ++level) {
        const GfxRect all{0, 0, LevelWidth(level), LevelHeight(level)};
        if (asStored) {
            glTexSubImage2D(GL_TEXTURE_2D, static_cast<GLint>(level), 0, 0, all.right, all.bottom,
                            GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, LevelBits(level));
            continue;
        }
        const std::vector<uint32_t> pixels = LevelToArgb(*this, level, all);
        glTexSubImage2D(GL_TEXTURE_2D, static_cast<GLint>(level), 0, 0, all.right, all.bottom,
                        GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, pixels.data());
    }
    ++mShared->bindingsChanged;
    mCpuNewer = false;
    if (!mKeepPixels)
        ReleasePixels();
}

void GlTexture::ReadBackLevels() {
    AllocatePixels();
    glBindTexture(GL_TEXTURE_2D, mTexture);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    const bool asStored = Format() == PixelFormat::A8R8G8B8();
    std::vector<uint32_t> pixels;
    for (uint32_t level = 0; level < MipLevels(); ++level) {
        if (asStored) {
            glGetTexImage(GL_TEXTURE_2D, static_cast<GLint>(level), GL_BGRA,
                          GL_UNSIGNED_INT_8_8_8_8_REV, LevelBits(level));
            continue;
        }
        const int32_t w = LevelWidth(level);
        const int32_t h = LevelHeight(level);
        pixels.assign(static_cast<size_t>(w) * h, 0);
        glGetTexImage(GL_TEXTURE_2D, static_cast<GLint>(level), GL_BGRA,
                      GL_UNSIGNED_INT_8_8_8_8_REV, pixels.data());
        for (int32_t y = 0; y < h; ++y)
            for (int32_t x = 0; x < w; ++x)
                SetPixelAt(x, y, pixels[static_cast<size_t>(y) * w + x], level);
    }
    ++mShared->bindingsChanged;
}

void GlTexture::LoadPicture(const uint32_t* pixels, int32_t width, int32_t height, int32_t pitch,
                            LoadFilter filter) {
    // A picture smaller than the texture leaves the rest as it was, so
    // that rest comes in first; a whole one replaces whatever GL has.
    if (width < Width() || height < Height())
        PullPixels(GfxRect{0, 0, Width(), Height()});
    mGpuNewer = false;
    // A whole picture for a texture that keeps no memory copy and has no
    // levels to make goes up from the caller's pixels: no copy of it is
    // made on the way.
    if (!mKeepPixels && !HasPixels() && MipLevels() == 1 && width >= Width() &&
        height >= Height() && pitch % 4 == 0) {
        UploadStraight(pixels, pitch);
        return;
    }
    LoadArgb(pixels, width, height, pitch, filter);
    MarkLoaded();
    // Up at once, so the memory copy goes now rather than at the first
    // draw (many pictures wait long for theirs).
    if (!mKeepPixels)
        Upload();
}

void GlTexture::UploadStraight(const uint32_t* pixels, int32_t pitch) {
    glBindTexture(GL_TEXTURE_2D, mTexture);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    const int32_t rowWords = pitch / 4;
    if (Format() == PixelFormat::A8R8G8B8()) {
        glPixelStorei(GL_UNPACK_ROW_LENGTH, rowWords);
        glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, Width(), Height(), GL_BGRA,
                        GL_UNSIGNED_INT_8_8_8_8_REV, pixels);
        glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    } else {
        // The other formats keep fewer channels or bits: a band of rows at
        // a time takes the colours the format stores.
        constexpr int32_t kBandRows = 64;
        std::vector<uint32_t> band(static_cast<size_t>(Width()) * std::min(kBandRows, Height()));
        for (int32_t top = 0; top < Height(); top += kBandRows) {
            const int32_t rows = std::min(kBandRows, Height() - top);
            for (int32_t y = 0; y < rows; ++y) {
                const uint32_t* from = pixels + static_cast<size_t>(top + y) * rowWords;
                uint32_t* to = band.data() + static_cast<size_t>(y) * Width();
                for (int32_t x = 0; x < Width(); ++x)
                    to[x] = StoredColour(from[x]);
            }
            glTexSubImage2D(GL_TEXTURE_2D, 0, 0, top, Width(), rows, GL_BGRA,
                            GL_UNSIGNED_INT_8_8_8_8_REV, band.data());
        }
    }
    ++mShared->bindingsChanged;
    mCpuNewer = false;
}

GLuint GlTexture::Texture() {
    if (mCpuNewer)
        Upload();
    return mTexture;
}

GLuint GlTexture::Framebuffer() {
    if (mCpuNewer)
        Upload();
    if (!mFramebuffer) {
        glGenFramebuffers(1, &mFramebuffer);
        glBindFramebuffer(GL_FRAMEBUFFER, mFramebuffer);
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, mTexture, 0);
        if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE)
            PlatformLog("A texture of %dx%d cannot be drawn into", Width(), Height());
        ++mShared->bindingsChanged;
    }
    return mFramebuffer;
}

GfxResult GlTexture::PullPixels(const GfxRect& /*area*/) {
    // The memory copy is about to change: gathered draws that sample it go
    // to GL with the picture they were given.
    mShared->FlushDrawing();
    mKeepPixels = true;
    if (!HasPixels()) {
        ReadBackLevels();
        mGpuNewer = false;
        return kGfxOk;
    }
    if (!mGpuNewer)
        return kGfxOk;
    glBindTexture(GL_TEXTURE_2D, mTexture);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    if (Format() == PixelFormat::A8R8G8B8()) {
        glGetTexImage(GL_TEXTURE_2D, 0, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, LevelBits(0));
        ++mShared->bindingsChanged;
        mGpuNewer = false;
        return kGfxOk;
    }
    std::vector<uint32_t> pixels(static_cast<size_t>(Width()) * Height());
    glGetTexImage(GL_TEXTURE_2D, 0, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, pixels.data());
    ++mShared->bindingsChanged;
    for (int32_t y = 0; y < Height(); ++y)
        for (int32_t x = 0; x < Width(); ++x)
            SetPixelAt(x, y, pixels[static_cast<size_t>(y) * Width() + x]);
    mGpuNewer = false;
    return kGfxOk;
}

GfxResult GlTexture::PushPixels(const GfxRect& /*area*/) {
    // The mip levels are made again from the changed first level.
    BuildMipLevels(LoadFilter::Linear);
    MarkLoaded();
    return kGfxOk;
}

GfxResult GlTexture::CopyFrom(const GfxRect& destArea, GraphicsSurface& source,
                              const GfxRect& sourceArea) {
    auto* back = dynamic_cast<GlBackBuffer*>(&source);
    if (!back || !back->IsComplete() || destArea.Width() != sourceArea.Width() ||
        destArea.Height() != sourceArea.Height())
        return 1;
    mShared->FlushDrawing();
    if (mCpuNewer)
        Upload();
    glBindFramebuffer(GL_READ_FRAMEBUFFER, back->Framebuffer());
    glBindTexture(GL_TEXTURE_2D, mTexture);
    glCopyTexSubImage2D(GL_TEXTURE_2D, 0, destArea.left, destArea.top, sourceArea.left,
                        sourceArea.top, sourceArea.Width(), sourceArea.Height());
    if (MipLevels() > 1)
        glGenerateMipmap(GL_TEXTURE_2D);
    ++mShared->bindingsChanged;
    mGpuNewer = true;
    return kGfxOk;
}

// Back buffer.

// The picture lives in GL; the memory copy is made at the first lock that
// reads it back.
GlBackBuffer::GlBackBuffer(std::shared_ptr<GlShared> shared, uint32_t caps, int32_t width,
                           int32_t height, const PixelFormat& format)
    : MemorySurface(*shared->faults, caps, width, height, format, 1, false),
      mShared(std::move(shared)) {
    glGenTextures(1, &mColor);
    glBindTexture(GL_TEXTURE_2D, mColor);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    // The unsized format with BGRA words gives the driver's BGRA layout, the
    // one its fast paths and the window share.
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, Width(), Height(), 0, GL_BGRA,
                 GL_UNSIGNED_INT_8_8_8_8_REV, nullptr);
    // The depth buffer's storage is made when drawing first needs it: a
    // flat screen never does.
    glGenRenderbuffers(1, &mDepth);
    glGenFramebuffers(1, &mFramebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, mFramebuffer);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, mColor, 0);
    mComplete = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    if (mComplete) {
        glDisable(GL_SCISSOR_TEST);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
    } else {
        PlatformLog("The back buffer of %dx%d cannot be made", Width(), Height());
    }
    ++mShared->bindingsChanged;
}

GlBackBuffer::~GlBackBuffer() {
    CheckGlThread("~GlBackBuffer");
    glDeleteFramebuffers(1, &mFramebuffer);
    glDeleteRenderbuffers(1, &mDepth);
    glDeleteTextures(1, &mColor);
    ++mShared->bindingsChanged;
}

void GlBackBuffer::UseDepth() {
    if (mDepthAttached || mDepthRefused || !mComplete)
        return;
    if (!mDepthMade) {
        glBindRenderbuffer(GL_RENDERBUFFER, mDepth);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, Width(), Height());
        mDepthMade = true;
    }
    glBindFramebuffer(GL_FRAMEBUFFER, mFramebuffer);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, mDepth);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_STENCIL_ATTACHMENT, GL_RENDERBUFFER, mDepth);
    ++mShared->bindingsChanged;
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
        PlatformLog("The depth buffer of %dx%d cannot be attached; drawing goes on without it",
                    Width(), Height());
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, 0);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_STENCIL_ATTACHMENT, GL_RENDERBUFFER, 0);
        mDepthRefused = true;
        return;
    }
    mDepthAttached = true;
    glDisable(GL_SCISSOR_TEST);
    glDepthMask(GL_TRUE);
    glStencilMask(~0u);
    glClearDepth(mDetachedZ);
    glClearStencil(static_cast<GLint>(mDetachedStencil));
    glClear(GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
}

bool GlBackBuffer::ClearWholeDepth(std::optional<float> z, std::optional<uint32_t> stencil) {
    if (!z && mDepthAttached)
        return false;
    if (z)
        mDetachedZ = std::clamp(*z, 0.0f, 1.0f);
    if (stencil)
        mDetachedStencil = *stencil & 0xFF;
    if (!mDepthAttached)
        return true;
    mShared->FlushDrawing();
    glBindFramebuffer(GL_FRAMEBUFFER, mFramebuffer);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, 0);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_STENCIL_ATTACHMENT, GL_RENDERBUFFER, 0);
    ++mShared->bindingsChanged;
    mDepthAttached = false;
    return true;
}

void GlBackBuffer::ReadPicture(std::vector<uint32_t>& pixels) {
    mShared->FlushDrawing();
    pixels.assign(static_cast<size_t>(Width()) * Height(), 0);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, mFramebuffer);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadPixels(0, 0, Width(), Height(), GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, pixels.data());
    ++mShared->bindingsChanged;
}

// Only the area is read back: a lock of a few rows costs a few rows.
GfxResult GlBackBuffer::PullPixels(const GfxRect& area) {
    if (!mComplete)
        return E_FAIL;
    if (area.Width() <= 0 || area.Height() <= 0)
        return kGfxOk;
    mShared->FlushDrawing();
    std::vector<uint32_t> pixels(static_cast<size_t>(area.Width()) * area.Height());
    glBindFramebuffer(GL_READ_FRAMEBUFFER, mFramebuffer);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadPixels(area.left, area.top, area.Width(), area.Height(), GL_BGRA,
                 GL_UNSIGNED_INT_8_8_8_8_REV, pixels.data());
    ++mShared->bindingsChanged;
    if (!HasPixels())
        AllocatePixels();
    for (int32_t y = 0; y < area.Height(); ++y)
        for (int32_t x = 0; x < area.Width(); ++x)
            SetPixelAt(area.left + x, area.top + y,
                       pixels[static_cast<size_t>(y) * area.Width() + x]);
    return kGfxOk;
}

GfxResult GlBackBuffer::PushPixels(const GfxRect& area) {
    if (!mComplete)
        return E_FAIL;
    mShared->FlushDrawing();
    const std::vector<uint32_t> pixels = LevelToArgb(*this, 0, area);
    glBindTexture(GL_TEXTURE_2D, mColor);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glTexSubImage2D(GL_TEXTURE_2D, 0, area.left, area.top, area.Width(), area.Height(), GL_BGRA,
                    GL_UNSIGNED_INT_8_8_8_8_REV, pixels.data());
    ++mShared->bindingsChanged;
    // The picture is whole in GL again; the next lock reads it back.
    ReleasePixels();
    return kGfxOk;
}

GfxResult GlBackBuffer::ColorFill(const GfxRect* area, uint32_t rawValue) {
    if (const GfxResult r = Check("ColorFill"); r != kGfxOk)
        return r;
    if (!mComplete)
        return E_FAIL;
    GfxRect clipped;
    if (!ClipArea(area, Width(), Height(), clipped))
        return kGfxOk;
    mShared->FlushDrawing();
    const uint32_t argb = UnpackPixel(Format(), rawValue);
    glBindFramebuffer(GL_FRAMEBUFFER, mFramebuffer);
    glEnable(GL_SCISSOR_TEST);
    glScissor(clipped.left, clipped.top, clipped.Width(), clipped.Height());
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glClearColor(((argb >> 16) & 0xFF) / 255.0f, ((argb >> 8) & 0xFF) / 255.0f,
                 (argb & 0xFF) / 255.0f, (argb >> 24) / 255.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);
    ++mShared->bindingsChanged;
    return kGfxOk;
}

// Primary surface. Like the back buffer's, its memory copy waits for a lock.

GlPrimary::GlPrimary(std::shared_ptr<GlShared> shared, uint32_t caps, int32_t width, int32_t height,
                     const PixelFormat& format)
    : MemorySurface(*shared->faults, caps, width, height, format, 1, false),
      mShared(std::move(shared)) {}

void GlPrimary::AttachGlBackBuffer(std::shared_ptr<GlBackBuffer> back) {
    mBack = std::move(back);
}

GfxResult GlPrimary::Present(GlBackBuffer& back) {
    if (const GfxResult injected = mShared->faults->Enter("Present"); injected != kGfxOk)
        return injected;
    if (IsMarkedLost() || back.IsMarkedLost())
        return DDERR_SURFACELOST;
    if (!back.IsComplete() || !mShared->window)
        return E_FAIL;
    mShared->FlushDrawing();
    int32_t windowW = 0, windowH = 0;
    mShared->window->GetDrawableSize(windowW, windowH);
    if (windowW <= 0 || windowH <= 0)
        return E_FAIL;
    // Scaled to fit, aspect kept, centred; the bars are black. The window
    // reads the pointer through the same fit.
    mShared->window->SetPictureSize(back.Width(), back.Height());
    const PictureFit fit(back.Width(), back.Height(), windowW, windowH);
    const int32_t w = fit.Width();
    const int32_t h = fit.Height();
    const int32_t x = fit.Left();
    const int32_t y = fit.Top();
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    glDisable(GL_SCISSOR_TEST);
    if (w != windowW || h != windowH) {
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    glBindFramebuffer(GL_READ_FRAMEBUFFER, back.Framebuffer());
    // Row 0 of the back buffer is the top of the window.
    glBlitFramebuffer(0, 0, back.Width(), back.Height(), x, y + h, x + w, y, GL_COLOR_BUFFER_BIT,
                      (w == back.Width() && h == back.Height()) ? GL_NEAREST : GL_LINEAR);
    mShared->window->SwapBuffers();
    ++mShared->bindingsChanged;
    ++mPresents;
    return kGfxOk;
}

GfxResult GlPrimary::Flip() {
    if (const GfxResult r = Check("Flip"); r != kGfxOk)
        return r;
    if (!mBack)
        return E_FAIL;
    const GfxResult r = Present(*mBack);
    if (r == kGfxOk)
        mShown = mBack;
    return r;
}

GfxResult GlPrimary::Blt(const GfxRect* destArea, GraphicsSurface& source,
                         const GfxRect* sourceArea) {
    if (auto* back = dynamic_cast<GlBackBuffer*>(&source)) {
        if (const GfxResult r = Check("Blt"); r != kGfxOk)
            return r;
        // The whole back buffer goes to the window, wherever the window is.
        const GfxResult r = Present(*back);
        if (r == kGfxOk)
            mShown = back->weak_from_this();
        return r;
    }
    return MemorySurface::Blt(destArea, source, sourceArea);
}

GfxResult GlPrimary::PullPixels(const GfxRect& /*area*/) {
    const auto shown = mShown.lock();
    if (!shown || shown->Width() != Width() || shown->Height() != Height())
        return kGfxOk;
    std::vector<uint32_t> pixels;
    shown->ReadPicture(pixels);
    if (!HasPixels())
        AllocatePixels();
    for (int32_t y = 0; y < Height(); ++y)
        for (int32_t x = 0; x < Width(); ++x)
            SetPixelAt(x, y, pixels[static_cast<size_t>(y) * Width() + x]);
    return kGfxOk;
}

// The window shows what was presented, never the memory copy: once a lock
// or a fill is over the copy goes, and the next lock reads the shown
// picture again.
GfxResult GlPrimary::PushPixels(const GfxRect& /*area*/) {
    ReleasePixels();
    return kGfxOk;
}

} // namespace platform
