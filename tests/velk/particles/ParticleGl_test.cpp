// Particles drawn on the real display under the offscreen driver: one
// particle of fixed ranges lands where its transform chain puts it. With
// CORVALO_PROBE_DIR set the frame is kept there as "particle_probe.png".

#include "velk/particles/TParticleSystem.h"

#include "framework/graphics/asset/TAssetManager.h"

#include "framework/graphics/GlDrawFixture.h"
#include "support/DriverLeaks.h"
#include "velk/particles/ParticleFixture.h"

using namespace particletest;

namespace {

class ParticleGlTest : public GlDrawFixture {
protected:
    uint32_t At(const std::vector<uint32_t>& pixels, int x, int y) const {
        return pixels[static_cast<size_t>(y) * kWidth + x] & 0xFFFFFFu;
    }
    TAssetManager mAssets;
    support::TempFolder mFiles{"corvalo-particles-gl-"};
};

TEST_F(ParticleGlTest, OneParticle_LandsWhereItsBlocksAndTheEmitterPutIt) {
    // A 40-pixel square (scale), moved a quarter of its size by its
    // translate (scaled with it), 200, 150 by its center (not scaled),
    // rotated 90 degrees about z by the emitter's rotation (radians), and
    // drawn where the emitter stands.
    const std::string particles =
        Times(0, 0, 0) + Colours(Rgba(255, 0, 0, 255), Rgba(255, 0, 0, 255)) +
        "<transform><position>" + Range("translate", Xyz(0.25f, 0, 0), Xyz(0.25f, 0, 0)) +
        Range("center", Xyz(200, 150, 0), Xyz(200, 150, 0)) +
        Range("scale", Xyz(40, 40, 1), Xyz(40, 40, 1)) + "</position></transform>";
    const std::string straight = WriteParsys(mFiles, "straight", particles);
    const std::string turned =
        WriteParsys(mFiles, "turned", particles, "<rotate x=\"0\" y=\"0\" z=\"1.5707964\"/>");
    auto first = Load(straight);
    auto second = Load(turned);
    ASSERT_TRUE(first && second);
    first->SetPosition(100.0f, 100.0f, 0.0f);
    second->SetPosition(400.0f, 100.0f, 0.0f);
    for (TParticleSystem* system : {first.get(), second.get()}) {
        system->Restart();
        system->Update(1);
    }
    ASSERT_TRUE(BeginFrame(TColor(0.0f, 0.0f, 0.0f, 1.0f)));
    first->Draw();
    second->Draw();
    const std::vector<uint32_t> pixels = EndFrame();
    SaveProbe("particle_probe", pixels);
    ASSERT_EQ(pixels.size(), static_cast<size_t>(kWidth) * kHeight);

    // First: centre (100 + 200 + 10, 100 + 150), 40 x 40.
    struct Check {
        int x, y;
        bool red;
    } checks[] = {
        {310, 250, true},
        {292, 232, true},
        {328, 268, true},
        {287, 250, false},
        {333, 250, false},
        {310, 227, false},
        {310, 273, false},
        // Second: the particle's place (210, 150) turned a quarter about the
        // emitter: (-150, 210) from (400, 100).
        {250, 310, true},
        {232, 292, true},
        {268, 328, true},
        {610, 250, false},
    };
    for (const Check& c : checks) {
        const uint32_t pixel = At(pixels, c.x, c.y);
        EXPECT_EQ(pixel == 0xFF0000u, c.red) << c.x << "," << c.y << ": " << std::hex << pixel;
    }
}

} // namespace
