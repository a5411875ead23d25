// texview NAME OUT.png [--assets DIR] [--mask MASK] [--flags N]
//                      [--display DRAWN.png]
// Loads a texture the way the game does (TTexture::Get, or GetWithMask with
// --mask): by logical name from the assets folder or its packs (or any path
// given as "::path"), with option words after a "?" ("alpha", "mipmap",
// "simple", "slow"), the extension and mask retries, and the load flags of
// --flags (1 mip-maps, 2 alpha, 4 no alpha). It writes what the texture
// holds, the image part top-left at its own size, as a PNG file, so anyone
// can look at a decode. The texture lives on the null graphics display
// (surfaces in memory). With --display the texture is also drawn through
// the draw front on the GL display (offscreen works), centred over a
// checkerboard, and the back buffer is written to DRAWN.png. On failure the
// log lines go to stderr.

#include "framework/core/files/TFileSystem.h"
#include "framework/core/files/TPackFile.h"
#include "framework/core/log/TLog.h"
#include "framework/graphics/TGraphics.h"
#include "framework/graphics/TRenderer.h"
#include "framework/graphics/TTexture.h"
#include "framework/graphics/asset/TAssetManager.h"
#include "framework/graphics/texture/TDxTextureData.h"
#include "framework/graphics/texture/TTextureDisplay.h"
#include "platform/graphics/PngWriter.h"
#include "platform/graphics/null/NullGraphicsSystem.h"
#include "platform/window/sdl/SdlWindow.h"
#include "support/ToolAssets.h"
#include "support/ToolDisplay.h"
#include "support/ToolLog.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <vector>

using namespace platform;

namespace {

const ToolLog* gLog = nullptr;

int Fail(const std::string& what) {
    return gLog->Fail(what);
}

std::shared_ptr<TTexture> Load(const std::string& name, const std::string& mask, uint32_t flags) {
    return mask.empty()
               ? TTexture::Get(TString(name.c_str()), flags)
               : TTexture::GetWithMask(TString(name.c_str()), TString(mask.c_str()), flags);
}

// The name without the option words after its last "?".
std::string FileName(const std::string& name) {
    return name.substr(0, name.rfind('?'));
}

// A file under the name as it stands, or with one of the extensions the
// loader adds.
bool AnyFile(const std::string& file, std::initializer_list<const char*> extensions) {
    if (FileExists(file.c_str()))
        return true;
    for (const char* extension : extensions) {
        if (FileExists((file + extension).c_str()))
            return true;
    }
    return false;
}

// Says why a load failed: a missing file, or the decoder's own words (from
// the log), with the option that allows a larger picture when size was it.
int LoadFailure(const std::string& name, const std::string& mask) {
    if (!AnyFile(FileName(name), {".png", ".jpg", ".jp2"}))
        return Fail("no file " + FileName(name) + " (nor with .png, .jpg or .jp2 added)");
    if (!mask.empty() && !AnyFile(mask, {".jpg", ".png"}))
        return Fail("no mask file " + mask + " (nor with .jpg or .png added)");
    return gLog->FailWithReason(name + " could not be loaded", "larger than the limit of 1024",
                                "the option \"?slow\" allows larger pictures");
}

// Draws the texture centred over a checkerboard on the GL display and
// writes the back buffer.
int DrawOnDisplay(const std::string& name, const std::string& mask, uint32_t flags,
                  const std::string& out, int32_t width, int32_t height) {
    // The picture with a margin of 32 pixels round it; a window larger than
    // the desktop allows is made smaller and the picture scaled into it.
    const int32_t wantedWidth = std::max(width + 64, 256);
    const int32_t wantedHeight = std::max(height + 64, 256);
    WindowSpec spec;
    spec.caption = "texview";
    spec.width = wantedWidth;
    spec.height = wantedHeight;
    spec.visible = false;
    ToolDisplay screen;
    if (std::string error; !screen.Open(spec, error))
        return Fail(error);
    const int32_t displayWidth = spec.width;
    const int32_t displayHeight = spec.height;
    const float scale = ToolDisplay::FitScale(spec, static_cast<float>(wantedWidth),
                                              static_cast<float>(wantedHeight));
    TRenderer& renderer = screen.renderer;
    TGraphics* graphics = TGraphics::Get();
    std::shared_ptr<TTexture> texture = Load(name, mask, flags);
    if (!texture)
        return Fail(name + " could not be loaded on the GL display");
    // A simple texture ("simple", "slow") is only ever blitted, unscaled: a
    // copy of its pixels is drawn in its place.
    if (texture->IsSimple()) {
        texture = std::make_shared<TTexture>(TString("texview copy"), width, height,
                                             texture->GetPixels());
        std::printf("a simple texture is only blitted; drawn through a copy of its pixels\n");
    }
    if (!graphics->BeginDraw())
        return Fail("the frame could not begin");
    graphics->Begin2d();
    constexpr int32_t kSquare = 16;
    for (int32_t y = 0; y < displayHeight; y += kSquare)
        for (int32_t x = 0; x < displayWidth; x += kSquare) {
            const bool light = ((x / kSquare) + (y / kSquare)) % 2 == 0;
            const float grey = light ? 0.8f : 0.55f;
            graphics->FillRect(TRect(x, y, x + kSquare, y + kSquare),
                               TColor(grey, grey, grey, 1.0f));
        }
    texture->DrawAt(static_cast<float>(displayWidth) / 2.0f,
                    static_cast<float>(displayHeight) / 2.0f, 1.0f, scale, 0.0f, 0);
    graphics->End2d();
    graphics->EndDraw(false);
    GraphicsDisplay* display = renderer.GetDisplaySetup()->GetContext().GetDirectDraw();
    const bool written = display && display->SaveScreenshot(out);
    texture.reset();
    TGraphics::Destroy();
    renderer.DetachGraphics();
    if (!written)
        return Fail("the back buffer could not be written");
    if (scale < 1.0f)
        std::printf("drawn over a checkerboard into %s (%dx%d, scaled by %.3f to fit the "
                    "desktop)\n",
                    out.c_str(), displayWidth, displayHeight, static_cast<double>(scale));
    else
        std::printf("drawn over a checkerboard into %s (%dx%d)\n", out.c_str(), displayWidth,
                    displayHeight);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args;
    std::string assets = "assets";
    std::string mask;
    std::string drawn;
    uint32_t flags = 0;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--assets") == 0 && i + 1 < argc) {
            assets = argv[++i];
        } else if (std::strcmp(argv[i], "--mask") == 0 && i + 1 < argc) {
            mask = argv[++i];
        } else if (std::strcmp(argv[i], "--flags") == 0 && i + 1 < argc) {
            flags = static_cast<uint32_t>(std::strtoul(argv[++i], nullptr, 0));
        } else if (std::strcmp(argv[i], "--display") == 0 && i + 1 < argc) {
            drawn = argv[++i];
        } else {
            args.push_back(argv[i]);
        }
    }
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: texview NAME OUT.png [--assets DIR] [--mask MASK] "
                             "[--flags N] [--display DRAWN.png]\n");
        return 2;
    }
    const ToolLog log("texview");
    gLog = &log;
    UseAssetsFolder(assets);
    TAssetManager assetManager;
    NullGraphicsSystem system;
    std::unique_ptr<GraphicsDisplay> display;
    SurfacePtr backBuffer;
    DevicePtr device;
    SurfaceSpec back;
    back.caps = gfx::kCapsOffscreenPlain | gfx::kCaps3dDevice;
    back.width = 16;
    back.height = 16;
    if (GfxFailed(system.CreateDisplay(0, display)) ||
        GfxFailed(display->SetCooperativeLevel(gfx::kCoopNormal)) ||
        GfxFailed(display->CreateSurface(back, backBuffer)) ||
        GfxFailed(display->CreateDevice(backBuffer, device)))
        return Fail("no memory display");
    TStandaloneTextureDisplay textures(display.get(), device, backBuffer);
    SetTextureDisplay(&textures);

    const std::string& name = args[0];
    std::shared_ptr<TTexture> texture = Load(name, mask, flags);
    if (!texture)
        return LoadFailure(name, mask);
    const TTextureData& data = *texture->GetTextureData();
    SurfaceDesc desc;
    if (const auto* dx = dynamic_cast<const TDxTextureData*>(&data); dx && dx->GetSurface())
        dx->GetSurface()->GetDesc(desc);
    std::printf("%s: %ux%u on a %ux%u surface (%u-bit, border %u,%u), %s alpha, flags 0x%02x\n",
                data.GetName().CStr(), data.GetWidth(), data.GetHeight(), data.GetSurfaceWidth(),
                data.GetSurfaceHeight(), desc.format.bitCount, data.GetBorderX(), data.GetBorderY(),
                texture->HasAlpha() ? "with" : "without", data.GetFlags());
    uint32_t* pixels = nullptr;
    int32_t pitch = 0;
    if (!texture->Lock(pixels, pitch))
        return Fail("the texture has no surface to read");
    const bool written =
        platform::WritePngFile(args[1], pixels, static_cast<int32_t>(data.GetWidth()),
                               static_cast<int32_t>(data.GetHeight()), pitch);
    texture->Unlock();
    const int32_t width = static_cast<int32_t>(data.GetWidth());
    const int32_t height = static_cast<int32_t>(data.GetHeight());
    texture.reset();
    SetTextureDisplay(nullptr);
    if (!written)
        return Fail("cannot write " + args[1]);
    if (!drawn.empty())
        return DrawOnDisplay(name, mask, flags, drawn, width, height);
    return 0;
}
