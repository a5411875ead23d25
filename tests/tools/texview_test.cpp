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

// RGBA pixels, 4 bytes each, rows top down.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgba;
    const uint8_t* At(int x, int y) const {
        return &rgba[(static_cast<size_t>(y) * width + x) * 4];
    }
};

bool WritePicture(const std::string& path, const Picture& picture) {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(picture.width);
    image.height = static_cast<png_uint_32>(picture.height);
    image.format = PNG_FORMAT_RGBA;
    return png_image_write_to_file(&image, path.c_str(), 0, picture.rgba.data(), 0, nullptr) != 0;
}

bool ReadPicture(const std::string& path, Picture& picture) {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str()))
        return false;
    image.format = PNG_FORMAT_RGBA;
    picture.width = static_cast<int>(image.width);
    picture.height = static_cast<int>(image.height);
    picture.rgba.resize(PNG_IMAGE_SIZE(image));
    return png_image_finish_read(&image, nullptr, picture.rgba.data(), 0, nullptr) != 0;
}

class Texview : public ::testing::Test {
protected:
    void SetUp() override {
        if (!tools_test::ToolBuilt("texview"))
            GTEST_SKIP() << "texview is not built";
        std::filesystem::create_directories(folder.Path() / "assets" / "images");
        picture.width = 5;
        picture.height = 3;
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 5; ++x)
                picture.rgba.insert(picture.rgba.end(),
                                    {static_cast<uint8_t>(40 * x), static_cast<uint8_t>(80 * y),
                                     200, static_cast<uint8_t>(255 - 20 * x)});
        ASSERT_TRUE(WritePicture(Asset("images/pic.png"), picture));
    }
    std::string Asset(const std::string& name) const {
        return (folder.Path() / "assets" / name).string();
    }
    std::string Out(const std::string& name) const { return (folder.Path() / name).string(); }
    std::string Assets() const { return (folder.Path() / "assets").string(); }

    support::TempFolder folder{"corvalo-texview-"};
    Picture picture;
};

TEST_F(Texview, LogicalNameWithOptions_WritesTheImagePartAsLoaded) {
    const auto result =
        RunTool("texview", {"images/pic?alpha", Out("out.png"), "--assets", Assets()});
    ASSERT_EQ(result.status, 0) << result.output;
    EXPECT_NE(result.output.find("images/pic.png?alpha: 5x3 on a 8x4 surface"), std::string::npos)
        << result.output;
    Picture out;
    ASSERT_TRUE(ReadPicture(Out("out.png"), out));
    ASSERT_EQ(out.width, 5);
    ASSERT_EQ(out.height, 3);
    EXPECT_EQ(out.rgba, picture.rgba);
}

TEST_F(Texview, Mask_RedBecomesAlpha) {
    Picture mask;
    mask.width = 5;
    mask.height = 3;
    for (int i = 0; i < 15; ++i)
        mask.rgba.insert(mask.rgba.end(), {static_cast<uint8_t>(i * 10), 0, 0, 255});
    ASSERT_TRUE(WritePicture(Asset("images/pic-mask.png"), mask));
    const auto result = RunTool("texview", {"images/pic.png", Out("out.png"), "--assets", Assets(),
                                            "--mask", "images/pic-mask"});
    ASSERT_EQ(result.status, 0) << result.output;
    Picture out;
    ASSERT_TRUE(ReadPicture(Out("out.png"), out));
    ASSERT_EQ(out.width, 5);
    EXPECT_EQ(out.At(4, 2)[3], 140);
    EXPECT_EQ(out.At(4, 2)[0], picture.At(4, 2)[0]);
}

TEST_F(Texview, Failures_SayWhatFailed) {
    Picture wide;
    wide.width = 1100;
    wide.height = 4;
    wide.rgba.assign(static_cast<size_t>(1100) * 4 * 4, 255);
    ASSERT_TRUE(WritePicture(Asset("images/wide.png"), wide));
    folder.Write("assets/images/broken.png", std::string("\x89PNG\r\n\x1a\n", 8) + "garbage");
    const struct {
        std::vector<std::string> arguments;
        const char* said;
    } cases[] = {
        {{"images/none"}, "texview: no file images/none (nor with .png, .jpg or .jp2 added); log "},
        {{"images/pic", "--mask", "images/nomask"},
         "texview: no mask file images/nomask (nor with .jpg or .png added); log "},
        {{"images/wide"},
         "texview: images/wide could not be loaded: LoadPngImage: images/wide.png: image of "
         "1100x4 is larger than the limit of 1024 pixels (the option \"?slow\" allows larger "
         "pictures); log "},
        {{"images/broken.png"},
         "texview: images/broken.png could not be loaded: LoadPngImage: images/broken.png: "},
    };
    for (const auto& c : cases) {
        std::vector<std::string> arguments = c.arguments;
        arguments.insert(arguments.begin() + 1, Out("out.png"));
        arguments.insert(arguments.end(), {"--assets", Assets()});
        const auto result = RunTool("texview", arguments);
        EXPECT_EQ(result.status, 1) << c.arguments[0];
        EXPECT_NE(result.output.find(c.said), std::string::npos) << result.output;
        EXPECT_EQ(result.output.find("need the option"), std::string::npos) << result.output;
        EXPECT_FALSE(std::filesystem::exists(Out("out.png")));
    }
}

// A picture wider than the desktop (the offscreen driver's is 1024 x 768)
// is drawn scaled into a window that fits.
TEST_F(Texview, Display_ScalesAPictureLargerThanTheDesktop) {
    Picture wide;
    wide.width = 1600;
    wide.height = 100;
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 1600; ++x)
            wide.rgba.insert(wide.rgba.end(), {static_cast<uint8_t>(x < 800 ? 250 : 0), 0,
                                               static_cast<uint8_t>(x < 800 ? 0 : 250), 255});
    ASSERT_TRUE(WritePicture(Asset("images/wide.png"), wide));
    const auto result = RunTool(
        "texview",
        {"images/wide?slow", Out("out.png"), "--assets", Assets(), "--display", Out("drawn.png")},
        {"SDL_VIDEODRIVER=offscreen"});
    ASSERT_EQ(result.status, 0) << result.output;
    EXPECT_NE(result.output.find("to fit the desktop"), std::string::npos) << result.output;
    Picture drawn;
    ASSERT_TRUE(ReadPicture(Out("drawn.png"), drawn));
    ASSERT_LE(drawn.width, 1024);
    // The picture spans the window but for the scaled margin: red on the
    // left, blue on the right, the checkerboard at the very edges.
    const int middle = drawn.height / 2;
    const int w = drawn.width;
    EXPECT_GT(drawn.At(w / 8, middle)[0], 200);
    EXPECT_LT(drawn.At(w / 8, middle)[2], 50);
    EXPECT_GT(drawn.At(w * 7 / 8, middle)[2], 200);
    EXPECT_LT(drawn.At(w * 7 / 8, middle)[0], 50);
    EXPECT_EQ(drawn.At(2, middle)[0], drawn.At(2, middle)[2]) << "grey at the edge";
}

TEST_F(Texview, Display_DrawsTheTextureOverACheckerboard) {
    Picture solid;
    solid.width = 40;
    solid.height = 30;
    for (int i = 0; i < 40 * 30; ++i)
        solid.rgba.insert(solid.rgba.end(),
                          {10, 200, 60, static_cast<uint8_t>(i % 40 < 20 ? 255 : 0)});
    ASSERT_TRUE(WritePicture(Asset("images/solid.png"), solid));
    const auto result = RunTool(
        "texview",
        {"images/solid", Out("out.png"), "--assets", Assets(), "--display", Out("drawn.png")},
        {"SDL_VIDEODRIVER=offscreen"});
    ASSERT_EQ(result.status, 0) << result.output;
    Picture drawn;
    ASSERT_TRUE(ReadPicture(Out("drawn.png"), drawn));
    ASSERT_EQ(drawn.width, 256);
    ASSERT_EQ(drawn.height, 256);
    // The corner squares are the two greys; the picture sits in the middle
    // (108..148 x 113..143): its left half opaque, its right half clear, so
    // the checkerboard shows through there.
    const uint8_t* corner = drawn.At(2, 2);
    const uint8_t* next = drawn.At(18, 2);
    EXPECT_EQ(corner[0], corner[2]);
    EXPECT_GT(std::abs(corner[0] - next[0]), 40);
    const uint8_t* opaque = drawn.At(115, 128);
    EXPECT_NEAR(opaque[0], 10, 2);
    EXPECT_NEAR(opaque[1], 200, 2);
    EXPECT_NEAR(opaque[2], 60, 2);
    const uint8_t* clear = drawn.At(140, 120);
    const uint8_t* board = drawn.At(140 - 32, 120 - 32);
    EXPECT_EQ(clear[0], clear[1]);
    EXPECT_NEAR(clear[0], board[0], 2) << "the same square colour two squares away";
    EXPECT_NE(drawn.At(107, 128)[1], 200) << "nothing left of the picture";
}

} // namespace
