// The window tree drawn by the manager on the GL display under the
// offscreen driver: what each window sees of the viewport and clip stack,
// which windows each pass skips, and a nested tree of filled windows, each
// clipped by its parent (written as "nested_windows.png" when
// CORVALO_PROBE_DIR is set).

#include "framework/core/settings/TSettings.h"
#include "framework/graphics/GlDrawFixture.h"
#include "framework/graphics/TRenderer.h"
#include "framework/ui/WindowFixture.h"
#include "framework/ui/manager/TWindowManager.h"
#include "framework/ui/window/TScreen.h"
#include "platform/time/manual/ManualTimeSource.h"
#include "support/DriverLeaks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

std::string Text(const TRect& r) {
    return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + "," +
           std::to_string(r.right) + "," + std::to_string(r.bottom) + ")";
}

// Fills its rectangle with one colour and writes down the viewport and
// clip rectangle it was drawn under.
class FillWindow : public TWindow {
public:
    FillWindow(const char* name, TRect rect, TColor colour, std::vector<std::string>& log)
        : TWindow(name), mColour(colour), mLog(log) {
        mRect = rect;
    }
    void Draw() override {
        TGraphics* graphics = TGraphics::Get();
        mLog.push_back(GetName().ToStd() + " " + Text(graphics->GetViewport()) + " " +
                       Text(graphics->GetClipRect()));
        if (mColour.a >= 1.0f) {
            graphics->FillRect(GetLocalRect(), mColour);
            return;
        }
        // A see-through colour is blended over what is below.
        if (!graphics->Begin2d())
            return;
        const float w = static_cast<float>(GetWidth());
        const float h = static_cast<float>(GetHeight());
        TVec2 corners[4] = {TVec2(0, 0), TVec2(w, 0), TVec2(w, h), TVec2(0, h)};
        TVertex quad[4];
        MakeQuadVertices(TVec2(), quad, corners, TVec2(0, 0), TVec2(1, 1), TMat3(), mColour.a,
                         mColour);
        graphics->DrawVertices(TVertexList::CreateKind2(quad, 4), platform::gfx::kTriangleFan);
        graphics->End2d();
    }
    void DrawOverlay() override { mLog.push_back(GetName().ToStd() + " overlay"); }
    void AddFlags(uint32_t flags) { mFlags |= flags; }
    // Moves without asking for a frame, as a window that invalidates only
    // where it was and where it is.
    void Place(const TRect& rect) { mRect = rect; }
    void Recolour(const TColor& colour) { mColour = colour; }

private:
    TColor mColour;
    std::vector<std::string>& mLog;
};

class WindowDrawing : public GlDrawFixture {
protected:
    void SetUp() override {
        GlDrawFixture::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        manager = std::make_unique<TWindowManager>();
        auto host = std::make_unique<TestWindowHost>();
        host->readyToDraw = true;
        manager->SetHost(std::move(host));
        screen = new TScreen;
        screen->SetBackgroundColor(TColor(0.1f, 0.1f, 0.2f, 1.0f));
        manager->SetMainWindow(screen);
        screen->SetSize(kWidth, kHeight);
    }
    void TearDown() override {
        manager.reset();
        GlDrawFixture::TearDown();
    }

    FillWindow* Fill(TWindow* parent, const char* name, TRect rect, TColor colour) {
        auto* window = new FillWindow(name, rect, colour, log);
        parent->AddChild(window, false);
        return window;
    }
    // One frame through the manager's idle event.
    void Frame() {
        clock.Advance(20);
        manager->Invalidate();
        manager->HandleEvent(MakeTestEvent(kEventIdle));
    }
    // One frame of what was invalidated since the last.
    void NextFrame() {
        clock.Advance(20);
        manager->HandleEvent(MakeTestEvent(kEventIdle));
    }
    bool Drew(const std::string& name) const {
        for (const std::string& line : log)
            if (line.rfind(name + " (", 0) == 0)
                return true;
        return false;
    }
    uint32_t Pixel(const std::vector<uint32_t>& pixels, int x, int y) const {
        return pixels[static_cast<size_t>(y) * kWidth + x] & 0x00FFFFFFu;
    }
    // Each channel within 2 of the expected one.
    static bool Near(uint32_t pixel, uint32_t expected) {
        for (int shift = 0; shift < 24; shift += 8) {
            const int a = static_cast<int>((pixel >> shift) & 0xFF);
            const int b = static_cast<int>((expected >> shift) & 0xFF);
            if (a - b > 2 || b - a > 2)
                return false;
        }
        return true;
    }

    platform::ManualTimeSource clock{100000};
    platform::ScopedTimeSource clockScope{clock};
    std::vector<std::string> log;
    std::unique_ptr<TWindowManager> manager;
    TScreen* screen = nullptr;
};

TEST_F(WindowDrawing, EachWindowIsDrawnInItsScreenRectangleClippedByItsParent) {
    FillWindow* outer = Fill(screen, "outer", TRect(100, 100, 500, 400), TColor(1, 0, 0, 1));
    FillWindow* middle = Fill(outer, "middle", TRect(300, 50, 600, 200), TColor(0, 1, 0, 1));
    Fill(middle, "inner", TRect(50, 100, 150, 400), TColor(0, 0, 1, 1));
    Fill(outer, "hidden", TRect(0, 0, 50, 50), TColor(1, 1, 1, 1))->SetFlags(0);
    Fill(screen, "beside", TRect(600, 500, 700, 550), TColor(1, 1, 0, 1));
    Fill(screen, "outside", TRect(900, 0, 1000, 50), TColor(1, 1, 1, 1));
    Frame();
    EXPECT_EQ(log, (std::vector<std::string>{
                       "outer (100,100,500,400) (100,100,500,400)",
                       "middle (400,150,700,300) (400,150,500,300)",
                       "inner (450,250,550,550) (450,250,500,300)",
                       "inner overlay",
                       "middle overlay",
                       "outer overlay",
                       "beside (600,500,700,550) (600,500,700,550)",
                       "beside overlay",
                   }));
    EXPECT_FALSE(manager->IsDirty());
    EXPECT_EQ(graphics->GetClipDepth(), 1u) << "every push was popped";
}

TEST_F(WindowDrawing, PassesSkipWhatTheyShould) {
    // A root drawn in pass 1 already, a flagged child and a plain one.
    auto* root = new FillWindow("root", TRect(0, 0, 100, 100), TColor(1, 0, 0, 1), log);
    root->AddFlags(kWindowFirstPass | kWindowDrawnFirstPass);
    FillWindow* flagged = Fill(root, "flagged", TRect(0, 0, 10, 10), TColor(0, 1, 0, 1));
    flagged->AddFlags(kWindowFirstPass);
    FillWindow* plain = Fill(root, "plain", TRect(10, 0, 20, 10), TColor(0, 0, 1, 1));
    FillWindow* modal = Fill(root, "modal", TRect(20, 0, 30, 10), TColor(0, 0, 1, 1));
    modal->AddFlags(kWindowModal);
    ASSERT_TRUE(graphics->BeginDraw());
    EXPECT_FALSE(root->DrawTree(1)) << "no parent drawn in pass 1";
    EXPECT_TRUE(flagged->DrawTree(1));
    EXPECT_TRUE(flagged->GetFlags() & kWindowDrawnFirstPass);
    EXPECT_FALSE(plain->DrawTree(1));
    EXPECT_EQ(log.size(), 2u);
    log.clear();
    // Pass 2 skips what pass 1 drew.
    EXPECT_FALSE(root->DrawTree(2));
    EXPECT_FALSE(flagged->DrawTree(2));
    EXPECT_TRUE(plain->DrawTree(2));
    EXPECT_EQ(log.size(), 2u);
    log.clear();
    TWindowClearFlags clear(~kWindowDrawnFirstPass, true);
    clear.Visit(root);
    // Every visible window but a modal child, children back to front.
    EXPECT_TRUE(root->DrawTree(2));
    EXPECT_EQ(log, (std::vector<std::string>{
                       "root (0,0,100,100) (0,0,100,100)",
                       "flagged (0,0,10,10) (0,0,10,10)",
                       "flagged overlay",
                       "plain (10,0,20,10) (10,0,20,10)",
                       "plain overlay",
                       "root overlay",
                   }));
    log.clear();
    root->SetFlags(0);
    EXPECT_FALSE(root->DrawTree(0));
    EXPECT_TRUE(log.empty());
    graphics->EndDraw(false);
    root->DeleteThis(1);
}

TEST_F(WindowDrawing, NestedTreePicture) {
    // Four levels, each reaching past its parent's right and bottom edges.
    FillWindow* a = Fill(screen, "a", TRect(40, 40, 440, 340), TColor(0.8f, 0.2f, 0.2f, 1));
    FillWindow* b = Fill(a, "b", TRect(200, 100, 600, 500), TColor(0.2f, 0.7f, 0.2f, 1));
    FillWindow* c = Fill(b, "c", TRect(100, 100, 300, 300), TColor(0.2f, 0.3f, 0.9f, 1));
    Fill(c, "d", TRect(-50, 50, 50, 150), TColor(0.9f, 0.9f, 0.2f, 1));
    // A sibling on top of a, drawn after it.
    Fill(screen, "top", TRect(400, 300, 600, 500), TColor(0.9f, 0.5f, 0.1f, 1));
    Frame();
    std::vector<uint32_t> pixels = ReadBackBuffer();
    ASSERT_EQ(pixels.size(), static_cast<size_t>(kWidth) * kHeight);
    SaveProbe("nested_windows", pixels);
    const uint32_t background = Pixel(pixels, 5, 5);
    EXPECT_EQ(Pixel(pixels, 700, 550), background);
    EXPECT_PRED2(Near, Pixel(pixels, 100, 100), 0xCC3333u) << "a";
    EXPECT_PRED2(Near, Pixel(pixels, 300, 200), 0x33B233u) << "b";
    EXPECT_PRED2(Near, Pixel(pixels, 439, 250), 0x334CE5u) << "c, at a's last column";
    EXPECT_PRED2(Near, Pixel(pixels, 439, 339), 0xE57F19u) << "the top sibling over c";
    EXPECT_EQ(Pixel(pixels, 441, 250), background) << "b clipped by a";
    EXPECT_PRED2(Near, Pixel(pixels, 345, 295), 0xE5E533u) << "d";
    EXPECT_PRED2(Near, Pixel(pixels, 335, 295), 0x33B233u) << "d clipped by c: b shows";
    EXPECT_PRED2(Near, Pixel(pixels, 450, 350), 0xE57F19u) << "the top sibling";
}

TEST_F(WindowDrawing, ChangedRectanglesAloneAreDrawnAndGiveTheWholeFramesPicture) {
    // A see-through veil over most of the screen: drawn twice over the same
    // pixels it would darken them, so a partial frame that drew outside its
    // rectangles would not match the whole frame.
    Fill(screen, "veil", TRect(40, 40, 900, 700), TColor(0.9f, 0.3f, 0.1f, 0.5f));
    FillWindow* mover = Fill(screen, "mover", TRect(100, 100, 200, 180), TColor(0.1f, 0.8f, 0.3f, 0.6f));
    Fill(screen, "still", TRect(700, 500, 800, 600), TColor(0.2f, 0.2f, 0.9f, 0.7f));
    Frame();
    ASSERT_TRUE(Drew("still"));
    for (int step = 1; step <= 3; ++step) {
        const TRect before = mover->GetScreenRect();
        mover->Place(TRect(100 + 37 * step, 100 + 23 * step, 200 + 37 * step, 180 + 23 * step));
        manager->InvalidateRect(before);
        manager->InvalidateRect(mover->GetScreenRect());
        // A second changed place far from the first: the veil between the
        // two lies inside their bound but in neither rectangle.
        manager->InvalidateRect(TRect(600, 120, 640, 160));
        EXPECT_EQ(manager->GetDirtyRects().size(), 2u);
        EXPECT_TRUE(manager->IsDirty());
        EXPECT_FALSE(manager->IsWholeDirty());
        log.clear();
        NextFrame();
        EXPECT_FALSE(manager->IsDirty());
        EXPECT_EQ(manager->GetPartialFrameCount(), static_cast<uint32_t>(step));
    }
    const std::vector<uint32_t> partial = ReadBackBuffer();
    manager->Invalidate();
    log.clear();
    NextFrame();
    EXPECT_TRUE(Drew("still"));
    const std::vector<uint32_t> wholePicture = ReadBackBuffer();
    ASSERT_EQ(partial.size(), wholePicture.size());
    size_t differing = 0;
    for (size_t i = 0; i < wholePicture.size(); ++i)
        differing += partial[i] != wholePicture[i];
    EXPECT_EQ(differing, 0u) << "pixels of the partial frames unlike the whole frame's";
    EXPECT_EQ(graphics->GetClipDepth(), 1u) << "every push was popped";
    // Nothing changed: no frame is drawn.
    log.clear();
    const uint32_t whole = manager->GetWholeFrameCount();
    NextFrame();
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(manager->GetWholeFrameCount(), whole);
}

TEST_F(WindowDrawing, DrawsAreCutToTheChangedRectangles) {
    FillWindow* a = Fill(screen, "a", TRect(100, 100, 200, 200), TColor(1, 0, 0, 1));
    FillWindow* between = Fill(screen, "between", TRect(250, 100, 350, 200), TColor(1, 0, 0, 1));
    FillWindow* b = Fill(screen, "b", TRect(400, 100, 500, 200), TColor(1, 0, 0, 1));
    Frame();
    // All three change colour, but only two say so.
    for (FillWindow* window : {a, between, b})
        window->Recolour(TColor(0, 0, 1, 1));
    manager->InvalidateRect(a->GetScreenRect());
    manager->InvalidateRect(b->GetScreenRect());
    log.clear();
    NextFrame();
    EXPECT_EQ(manager->GetPartialFrameCount(), 1u);
    EXPECT_EQ(std::count(log.begin(), log.end(), "between overlay"), 1)
        << "every window is drawn once, as in a whole frame";
    const std::vector<uint32_t> pixels = ReadBackBuffer();
    ASSERT_EQ(pixels.size(), static_cast<size_t>(kWidth) * kHeight);
    EXPECT_EQ(Pixel(pixels, 150, 150), 0x0000FFu);
    EXPECT_EQ(Pixel(pixels, 450, 150), 0x0000FFu);
    EXPECT_EQ(Pixel(pixels, 300, 150), 0xFF0000u) << "outside the changed rectangles";
}

TEST_F(WindowDrawing, ChangedRectanglesMergeAndTheWholeScreenWins) {
    Frame();
    manager->InvalidateRect(TRect(10, 10, 10, 40));
    EXPECT_FALSE(manager->IsDirty()) << "an empty rectangle changes nothing";
    manager->InvalidateRect(TRect(0, 0, 10, 10));
    manager->InvalidateRect(TRect(5, 5, 20, 20));
    ASSERT_EQ(manager->GetDirtyRects(), (std::vector<TRect>{TRect(0, 0, 20, 20)}));
    manager->InvalidateRect(TRect(100, 100, 110, 110));
    manager->InvalidateRect(TRect(15, 15, 105, 105));
    EXPECT_EQ(manager->GetDirtyRects(), (std::vector<TRect>{TRect(0, 0, 110, 110)}))
        << "a rectangle touching two joins them";
    // Past the most kept, the nearest small ones join; the large one stays.
    std::vector<TRect> small;
    for (int i = 0; i < static_cast<int>(TWindowManager::kMaxDirtyRects); ++i)
        small.emplace_back(200 + 20 * i, 300, 210 + 20 * i, 310 + i);
    for (const TRect& r : small)
        manager->InvalidateRect(r);
    const std::vector<TRect>& kept = manager->GetDirtyRects();
    EXPECT_EQ(kept.size(), TWindowManager::kMaxDirtyRects);
    EXPECT_EQ(std::count(kept.begin(), kept.end(), TRect(0, 0, 110, 110)), 1);
    for (const TRect& r : small)
        EXPECT_TRUE(std::any_of(kept.begin(), kept.end(), [&r](const TRect& k) {
            return k.left <= r.left && k.top <= r.top && r.right <= k.right && r.bottom <= k.bottom;
        })) << r.left;
    manager->Invalidate();
    manager->InvalidateRect(TRect(500, 500, 510, 510));
    EXPECT_TRUE(manager->IsWholeDirty());
    log.clear();
    NextFrame();
    EXPECT_FALSE(manager->IsWholeDirty());
    EXPECT_TRUE(manager->GetDirtyRects().empty());
}

TEST_F(WindowDrawing, WithTheSoftwareCursorEveryFrameIsWhole) {
    // The cursor is drawn over each frame where it is: a kept picture
    // would keep it at its old places.
    Fill(screen, "left", TRect(0, 0, 100, 100), TColor(1, 0, 0, 1));
    Fill(screen, "right", TRect(600, 0, 700, 100), TColor(0, 1, 0, 1));
    Frame();
    TRenderer* renderer = graphics->GetRenderer();
    ASSERT_NE(renderer, nullptr);
    renderer->SetHardwareCursor(false);
    ASSERT_TRUE(renderer->IsSoftwareCursor());
    manager->InvalidateRect(TRect(10, 10, 20, 20));
    NextFrame();
    EXPECT_EQ(manager->GetWholeFrameCount(), 2u);
    EXPECT_EQ(manager->GetPartialFrameCount(), 0u);
    renderer->SetHardwareCursor(true);
    manager->InvalidateRect(TRect(10, 10, 20, 20));
    NextFrame();
    EXPECT_EQ(manager->GetWholeFrameCount(), 2u);
    EXPECT_EQ(manager->GetPartialFrameCount(), 1u);
}

TEST_F(WindowDrawing, TheCheckOfPartialFramesFindsAChangeNobodyAskedFor) {
    FillWindow* a = Fill(screen, "a", TRect(100, 100, 200, 200), TColor(1, 0, 0, 1));
    FillWindow* b = Fill(screen, "b", TRect(400, 100, 500, 200), TColor(1, 0, 0, 1));
    Frame();
    SetSetting(TString("checkpartialframes"), TString("1"));
    a->Recolour(TColor(0, 1, 0, 1));
    manager->InvalidateRect(a->GetScreenRect());
    NextFrame();
    EXPECT_EQ(manager->GetCheckedFrameCount(), 1u);
    EXPECT_EQ(manager->GetDifferingFrameCount(), 0u) << "the change was asked for";
    b->Recolour(TColor(0, 1, 0, 1));
    manager->InvalidateRect(a->GetScreenRect());
    NextFrame();
    SetSetting(TString("checkpartialframes"), TString("0"));
    EXPECT_EQ(manager->GetCheckedFrameCount(), 2u);
    EXPECT_EQ(manager->GetDifferingFrameCount(), 1u) << "b changed unasked";
}

} // namespace
