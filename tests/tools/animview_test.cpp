#include "ToolRun.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <png.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using tools_test::RunTool;

const std::string kSpin = std::string(CORVALO_TEST_DATA) + "/animation/spin";

class Animview : public ::testing::Test {
protected:
    void SetUp() override {
        if (!tools_test::ToolBuilt("animview"))
            GTEST_SKIP() << "animview is not built";
    }
    std::string Path(const std::string& leaf) const { return (folder.Path() / leaf).string(); }

    support::TempFolder folder{"corvalo-animview-"};
};

TEST_F(Animview, Frames_AreDrawnHeadless) {
    const auto result = RunTool("animview", {kSpin, "--frames", "2", "--out", Path("spin.png")},
                                {"SDL_VIDEODRIVER=offscreen"});
    ASSERT_EQ(result.status, 0) << result.output;
    EXPECT_NE(result.output.find("4 frames, playing DoAnim"), std::string::npos) << result.output;
    EXPECT_TRUE(std::filesystem::exists(Path("spin_000.png")));
    EXPECT_TRUE(std::filesystem::exists(Path("spin_001.png")));
    EXPECT_EQ(result.output.find("to fit the desktop"), std::string::npos) << result.output;
}

// An animation whose window (the frame and a margin) is taller than the
// desktop (the offscreen driver's is 1024 x 768) plays in a window that
// fits, scaled down.
TEST_F(Animview, FrameLargerThanTheDesktop_IsScaledIntoTheWindow) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = 900;
    image.height = 700;
    image.format = PNG_FORMAT_RGBA;
    std::vector<uint8_t> pixels;
    for (int i = 0; i < 900 * 700; ++i)
        pixels.insert(pixels.end(), {250, 0, 0, 255});
    ASSERT_TRUE(
        png_image_write_to_file(&image, Path("big.png").c_str(), 0, pixels.data(), 0, nullptr));
    folder.Write("big.xml", "<sequence name=\"big\"><img name=\"big.png\" w=\"900\" "
                            "h=\"700\"/><framelist><frame x=\"0\" y=\"0\" w=\"900\" h=\"700\" "
                            "regx=\"450\" regy=\"350\"/></framelist></sequence>");
    const auto result =
        RunTool("animview", {Path("big"), "--frames", "1", "--out", Path("out.png")},
                {"SDL_VIDEODRIVER=offscreen"});
    ASSERT_EQ(result.status, 0) << result.output;
    EXPECT_NE(result.output.find("to fit the desktop"), std::string::npos) << result.output;

    png_image drawn{};
    drawn.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_file(&drawn, Path("out_000.png").c_str()));
    drawn.format = PNG_FORMAT_RGBA;
    std::vector<uint8_t> rgba(PNG_IMAGE_SIZE(drawn));
    ASSERT_TRUE(png_image_finish_read(&drawn, nullptr, rgba.data(), 0, nullptr));
    const int width = static_cast<int>(drawn.width);
    const int height = static_cast<int>(drawn.height);
    EXPECT_LE(height, 768);
    // The whole frame is inside the window: red in the middle and near the
    // frame's top and bottom, the checkerboard at the window's edges.
    const auto at = [&](int x, int y) { return &rgba[(static_cast<size_t>(y) * width + x) * 4]; };
    for (int y : {height / 2, height / 2 - 300 * height / 996, height / 2 + 300 * height / 996}) {
        EXPECT_GT(at(width / 2, y)[0], 200) << y;
        EXPECT_LT(at(width / 2, y)[1], 40) << y;
    }
    EXPECT_EQ(at(width / 2, 2)[0], at(width / 2, 2)[1]) << "grey above the frame";
    EXPECT_EQ(at(width / 2, height - 3)[0], at(width / 2, height - 3)[1]) << "grey below it";
}

} // namespace
