// Software cursor speed on memory surfaces (the null graphics back end): a
// 32 x 32 cursor moved one pixel at a time across a 1024 x 768 full-screen
// display, each move saving the background, fixing the overlap, composing
// the picture and drawing it, at 32 and at 16 bits. Also the conversion of
// the picture into spans. Prints microseconds a move and how many moves fit
// in the 16 ms between the helper thread's updates.

#include "framework/graphics/TTexture.h"
#include "framework/graphics/cursor/TCursorImage.h"
#include "framework/graphics/display/TDXContext.h"
#include "platform/desktop/null/NullDesktop.h"
#include "platform/graphics/null/NullGraphicsSystem.h"
#include "platform/window/null/NullWindow.h"

#include <chrono>
#include <cstdio>

using namespace platform;

namespace {

constexpr int kSide = 32;
constexpr int kMoves = 20000;

std::shared_ptr<TTexture> Picture() {
    std::vector<uint8_t> bgra;
    for (int y = 0; y < kSide; ++y)
        for (int x = 0; x < kSide; ++x) {
            const bool inside = x <= y && x < 20;
            bgra.insert(bgra.end(), {255, uint8_t(inside ? 255 : 0), 255, 255});
        }
    return std::make_shared<TTexture>(TString("arrow"), kSide, kSide, std::move(bgra));
}

double MoveMicroseconds(uint32_t depth) {
    NullGraphicsSystem system;
    NullDesktop desktop;
    NullWindow window;
    WindowSpec spec;
    spec.width = 1024;
    spec.height = 768;
    window.Create(spec);
    bool expand = false, lowMemory = false;
    TDXContextEnvironment environment;
    environment.system = &system;
    environment.desktop = &desktop;
    environment.expandIndexedDraws = &expand;
    environment.lowMemoryVideo = &lowMemory;
    environment.cursor.drawOnFrontBuffer = true;
    environment.cursor.isFullScreen = [] { return true; };
    TDXContext context(environment);
    if (!context.Create(&window, true, 1024, 768, depth, 0) ||
        !context.SetMouseImage(Picture(), 0, 0, false)) {
        std::printf("no %u-bit display\n", depth);
        return 0;
    }
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < kMoves; ++i)
        context.UpdateCursor(100 + i % 800, 100 + (i / 800) % 600, false);
    const auto end = std::chrono::steady_clock::now();
    return std::chrono::duration<double, std::micro>(end - start).count() / kMoves;
}

} // namespace

int main() {
    for (const uint32_t depth : {32u, 16u}) {
        const double us = MoveMicroseconds(depth);
        std::printf("cursor move, %u-bit screen: %.2f us a move (%.0f moves in 16 ms)\n", depth, us,
                    us > 0 ? 16000.0 / us : 0.0);
    }
    const auto picture = Picture();
    constexpr int kBuilds = 20000;
    size_t spans = 0;
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < kBuilds; ++i)
        spans += BuildCursorImage(picture->GetPixels().data(), kSide, kSide, kSide * 4, false,
                                  PixelFormat::X8R8G8B8())
                     .size();
    const auto end = std::chrono::steady_clock::now();
    std::printf("span building, 32 x 32 picture: %.2f us a picture (%zu spans each)\n",
                std::chrono::duration<double, std::micro>(end - start).count() / kBuilds,
                spans / kBuilds);
    return 0;
}
