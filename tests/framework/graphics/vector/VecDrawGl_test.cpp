// The vector drawer on OpenGL under the offscreen video driver: spans drawn
// as line lists on Mesa's software renderer, with Direct3D's pixel centres
// (shifted by half a pixel) as the display layer keeps them. Calibration
// must find offsets that make a line cover exactly its run's pixels, and a
// line of text drawn as lines must match the in-memory target's rendering.
// The sink here is the test's own: the draw front's line lists will pass
// the same vertices to the same kind of device.

#include "framework/graphics/text/TFontCache.h"
#include "framework/graphics/text/TMvecTextLine.h"
#include "framework/graphics/vector/TNbMiniVecDraw.h"

#include <gtest/gtest.h>

#include "support/DriverLeaks.h"

#include <SDL.h>
#include <SDL_opengl.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 512;

class GlSink : public TVecDrawSink {
public:
    bool Open() {
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
            return false;
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 2);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
        mWindow = SDL_CreateWindow("vecdraw", 0, 0, kWidth, kHeight,
                                   SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
        if (!mWindow)
            return false;
        mContext = SDL_GL_CreateContext(mWindow);
        if (!mContext || SDL_GL_MakeCurrent(mWindow, mContext) != 0)
            return false;
        support::PinGlDriver();
        glViewport(0, 0, kWidth, kHeight);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(0, kWidth, kHeight, 0, -1, 1);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        // Direct3D's pixel centres lie on whole coordinates.
        glTranslatef(0.5f, 0.5f, 0.0f);
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_TEXTURE_2D);
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        return true;
    }
    ~GlSink() override {
        if (mContext)
            SDL_GL_DeleteContext(mContext);
        if (mWindow)
            SDL_DestroyWindow(mWindow);
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }

    void DrawLineList(const TVecVertex* v, int count) override {
        glBegin(GL_LINES);
        for (int i = 0; i < count; ++i) {
            const uint32_t c = v[i].diffuse;
            glColor4ub(static_cast<GLubyte>(c >> 16), static_cast<GLubyte>(c >> 8),
                       static_cast<GLubyte>(c), static_cast<GLubyte>(c >> 24));
            glVertex2f(v[i].x, v[i].y);
        }
        glEnd();
    }
    bool BeginCalibrationTarget(int width, int height) override {
        return width <= kWidth && height <= kHeight;
    }
    void ClearCalibrationRect(int x0, int y0, int x1, int y1) override {
        Fill(x0, y0, x1, y1, 0.0f);
    }
    bool ReadCalibrationTarget(std::vector<uint32_t>& pixels, int& width, int& height) override {
        width = kWidth;
        height = kHeight;
        pixels = Read();
        return true;
    }

    void Fill(int x0, int y0, int x1, int y1, float alpha) {
        glEnable(GL_SCISSOR_TEST);
        glScissor(x0, kHeight - y1, x1 - x0, y1 - y0);
        glClearColor(0.0f, 0.0f, 0.0f, alpha);
        glClear(GL_COLOR_BUFFER_BIT);
        glDisable(GL_SCISSOR_TEST);
    }
    // The picture top row first, as 0xAARRGGBB words.
    std::vector<uint32_t> Read() {
        glFinish();
        std::vector<uint32_t> rows(static_cast<size_t>(kWidth) * kHeight);
        glReadPixels(0, 0, kWidth, kHeight, GL_BGRA, GL_UNSIGNED_BYTE, rows.data());
        std::vector<uint32_t> flipped(rows.size());
        for (int y = 0; y < kHeight; ++y)
            std::copy(rows.begin() + static_cast<long>(y) * kWidth,
                      rows.begin() + static_cast<long>(y + 1) * kWidth,
                      flipped.begin() + static_cast<long>(kHeight - 1 - y) * kWidth);
        return flipped;
    }

private:
    SDL_Window* mWindow = nullptr;
    SDL_GLContext mContext = nullptr;
};

TEST(VecDrawGl, CalibratedLinesMatchTheInMemoryRendering) {
    GlSink sink;
    if (!sink.Open())
        GTEST_SKIP() << "no OpenGL context under this video driver: " << SDL_GetError();
    std::printf("GL renderer: %s\n", reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
    TNbMiniVecDraw drawer;
    drawer.SetSink(&sink);
    drawer.Calibrate();
    std::printf("calibrated offsets: start %.2f end %.2f row %.2f, batches of %d\n",
                drawer.GetStartOffset(), drawer.GetEndOffset(), drawer.GetRowOffset(),
                drawer.GetBatchCapacity());
    EXPECT_EQ(drawer.GetBatchCapacity(), 256);

    // Text on opaque black, on the device and in memory with blending.
    const char* text = "AgW&\xC3\xA9 Corvalo 0123";
    TMvecTextLine line(*GetFont(TFontCache::kBuiltinName), 25.0f);
    drawer.SetColor(TNbMiniVecDraw::kTextSlot, TColor32(0xFFF0C060u));
    sink.Fill(0, 0, kWidth, kHeight, 1.0f);
    drawer.BeginRun(10.25f, 40.5f);
    line.Draw(drawer, text);
    drawer.EndDraw();
    const std::vector<uint32_t> screen = sink.Read();

    auto target = std::make_shared<TVecPixelTarget>(kWidth, kHeight, 0xFF000000u);
    drawer.BeginRun(10.25f, 40.5f, target);
    line.Draw(drawer, text);
    drawer.EndDraw();

    int worst = 0;
    int lit = 0;
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 400; ++x) {
            const uint32_t a = screen[static_cast<size_t>(y) * kWidth + x];
            const uint32_t b = target->At(x, y);
            if (b & 0xFFFFFFu)
                ++lit;
            for (int shift = 0; shift < 24; shift += 8) {
                const int d = std::abs(static_cast<int>((a >> shift) & 0xFF) -
                                       static_cast<int>((b >> shift) & 0xFF));
                worst = std::max(worst, d);
            }
        }
    }
    std::printf("largest channel difference %d over %d lit pixels\n", worst, lit);
    EXPECT_GT(lit, 500);
    EXPECT_LE(worst, 2);
}

} // namespace
