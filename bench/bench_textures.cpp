// bench_textures: what a texture costs beyond its decode. Prints, for a
// 1024 x 1024 RGBA PNG on the null display (surfaces in memory):
//  - the decode alone and TTexture::Get (decode, surface, upload), and the
//    ratio of the two;
//  - the per-mask upload into 32-bit and 16-bit plain surfaces, in
//    megapixels a second;
//  - a lock and unlock of a 16-bit surface (read into a 32-bit copy,
//    written back converted).

#include "framework/core/log/TLog.h"
#include "framework/graphics/TTexture.h"
#include "framework/graphics/asset/TAssetManager.h"
#include "framework/graphics/texture/TDxTextureData.h"
#include "framework/graphics/texture/TImageBuffer.h"
#include "framework/graphics/texture/TPngImage.h"
#include "framework/graphics/texture/TTextureDisplay.h"
#include "platform/graphics/PngWriter.h"
#include "platform/graphics/null/NullGraphicsSystem.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

using namespace platform;

namespace {

constexpr int32_t kSide = 1024;

double MillisecondsPerRun(int runs, const std::function<void()>& run) {
    run(); // warm up
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < runs; ++i)
        run();
    const auto end = std::chrono::steady_clock::now();
    return std::chrono::duration<double, std::milli>(end - start).count() / runs;
}

struct Display {
    explicit Display(uint32_t depth) {
        if (depth == 16)
            system.Config().desktopMode = {1024, 768, 16, 60, PixelFormat::R5G6B5()};
        system.Config().videoMemory = 1024u * 1024 * 1024;
        system.CreateDisplay(0, display);
        display->SetCooperativeLevel(gfx::kCoopNormal);
        SurfaceSpec spec;
        spec.caps = gfx::kCapsOffscreenPlain | gfx::kCaps3dDevice;
        spec.width = 16;
        spec.height = 16;
        display->CreateSurface(spec, back);
        display->CreateDevice(back, device);
        textures = TStandaloneTextureDisplay(display.get(), device, back);
        TDxTextureData::ForgetKeptFormat();
    }
    NullGraphicsSystem system;
    std::unique_ptr<GraphicsDisplay> display;
    SurfacePtr back;
    DevicePtr device;
    TStandaloneTextureDisplay textures;
};

} // namespace

int main() {
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "bench_textures";
    std::filesystem::create_directories(folder);
    StartLog(folder.c_str());
    std::vector<uint32_t> pixels(static_cast<size_t>(kSide) * kSide);
    for (int32_t y = 0; y < kSide; ++y)
        for (int32_t x = 0; x < kSide; ++x)
            pixels[static_cast<size_t>(y) * kSide + x] =
                static_cast<uint32_t>((x ^ y) & 0xFF) << 24 |
                static_cast<uint32_t>(x & 0xFF) << 16 | static_cast<uint32_t>(y & 0xFF) << 8 | 0x40;
    const std::string file = (folder / "big.png").string();
    if (!WritePngFile(file, pixels.data(), kSide, kSide, kSide)) {
        std::fprintf(stderr, "bench_textures: cannot write %s\n", file.c_str());
        return 1;
    }
    const std::string name = "::" + file;
    TAssetManager assets;

    const double decode = MillisecondsPerRun(5, [&] {
        uint8_t* buffer = nullptr;
        int32_t w = 0, h = 0, side = 0;
        bool alpha = false;
        LoadPngImage(name.c_str(), &buffer, &w, &h, &side, &alpha);
        FreePngImage(buffer);
    });
    Display display32(32);
    SetTextureDisplay(&display32.textures);
    const double load = MillisecondsPerRun(5, [&] {
        std::shared_ptr<TTexture> texture = TTexture::Get(TString(name.c_str()));
        if (!texture)
            std::fprintf(stderr, "bench_textures: the texture did not load\n");
    });
    std::printf("1024x1024 PNG: decode %.2f ms, TTexture::Get %.2f ms, ratio %.3f\n", decode, load,
                load / decode);

    const auto* bytes = reinterpret_cast<const uint8_t*>(pixels.data());
    for (uint32_t depth : {32u, 16u}) {
        Display display(depth);
        TDxTextureData data(display.textures);
        data.SetFlags(kTextureSimple | kTextureAlpha);
        data.SetImageSize(kSide, kSide);
        data.CreateSurface(kSide, kSide, false);
        const double upload = MillisecondsPerRun(10, [&] { data.Upload(kSide, kSide, bytes); });
        std::printf("upload by masks into a %u-bit plain surface: %.2f ms, %.1f Mpixel/s\n", depth,
                    upload, kSide * kSide / upload / 1000.0);
        if (depth == 16) {
            const double lock = MillisecondsPerRun(10, [&] {
                int32_t pitch = 0;
                if (data.Lock(pitch))
                    data.Unlock();
            });
            std::printf("lock and unlock of the 16-bit surface (copy and write-back): %.2f ms\n",
                        lock);
        }
    }
    SetTextureDisplay(nullptr);
    return 0;
}
