#include "ToolRun.h"

#include "framework/graphics/animation/TAnimationFile.h"

#include <gtest/gtest.h>

#include "support/TempFolder.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <png.h>

namespace {

using tools_test::RunTool;

const std::string kWalk = std::string(CORVALO_TEST_DATA) + "/animation/walk.xml";
const std::string kZeroFrames = std::string(CORVALO_TEST_DATA) + "/animation/zero-frames.anm";

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class Animpack : public ::testing::Test {
protected:
    void SetUp() override {
        if (!tools_test::ToolBuilt("animpack"))
            GTEST_SKIP() << "animpack is not built";
    }
    std::string Path(const char* leaf) const { return (folder.Path() / leaf).string(); }

    support::TempFolder folder{"corvalo-animpack-"};
};

// XML -> ANM -> XML -> ANM: the second binary file equals the first, and
// the fixture's binary form is what the tool makes of its XML form.
TEST_F(Animpack, RoundTrip_KeepsTheRecords) {
    const auto first = RunTool("animpack", {"--anm", kWalk, Path("a.anm")});
    ASSERT_EQ(first.status, 0) << first.output;
    EXPECT_NE(first.output.find("3 frames"), std::string::npos) << first.output;
    const auto back = RunTool("animpack", {"--xml", Path("a.anm"), Path("b.xml")});
    ASSERT_EQ(back.status, 0) << back.output;
    const auto again = RunTool("animpack", {"--anm", Path("b.xml"), Path("c.anm")});
    ASSERT_EQ(again.status, 0) << again.output;
    const std::string anm = ReadFile(Path("a.anm"));
    EXPECT_FALSE(anm.empty());
    EXPECT_EQ(ReadFile(Path("c.anm")), anm);
    EXPECT_EQ(ReadFile(std::string(CORVALO_TEST_DATA) + "/animation/walk.anm"), anm);
}

TEST_F(Animpack, BadInputOrArguments_FailWithMessage) {
    folder.Write("broken.anm", "ANIM\x01");
    folder.Write("empty.xml", "<sequence/>");
    const struct {
        std::vector<std::string> arguments;
        int status;
        const char* printed;
    } cases[] = {
        {{"--anm", Path("empty.xml"), Path("out.anm")}, 1, "is not a readable animation"},
        {{"--xml", Path("broken.anm"), Path("out.xml")}, 1, "is not a readable animation"},
        {{"--xml", Path("missing.anm"), Path("out.xml")}, 1, "is not a readable animation"},
        // No frames: the binary reader refuses what the XML reader would.
        {{"--xml", kZeroFrames, Path("out.xml")}, 1, "is not a readable animation"},
        {{"--png", kWalk, Path("out.png")}, 2, "usage: animpack"},
        {{"--anm", kWalk}, 2, "usage: animpack"},
    };
    for (const auto& c : cases) {
        const auto result = RunTool("animpack", c.arguments);
        EXPECT_EQ(result.status, c.status) << c.arguments[0] << " " << c.arguments[1];
        EXPECT_NE(result.output.find(c.printed), std::string::npos) << result.output;
    }
    EXPECT_FALSE(std::filesystem::exists(Path("out.anm")));
    EXPECT_FALSE(std::filesystem::exists(Path("out.xml")));
}

struct Rgba {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels;
    uint32_t At(int x, int y) const {
        const uint8_t* p = &pixels[(static_cast<size_t>(y) * width + x) * 4];
        return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
    }
};

void WritePng(const std::string& path, int width, int height, uint8_t shade) {
    std::vector<uint8_t> pixels(static_cast<size_t>(width) * height * 4);
    for (size_t i = 0; i < pixels.size(); i += 4) {
        pixels[i] = shade;
        pixels[i + 1] = static_cast<uint8_t>(i / 4 % 251);
        pixels[i + 2] = 7;
        pixels[i + 3] = 255;
    }
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = PNG_FORMAT_RGBA;
    ASSERT_TRUE(png_image_write_to_file(&image, path.c_str(), 0, pixels.data(), 0, nullptr));
}

Rgba ReadPng(const std::string& path) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    Rgba out;
    if (!png_image_begin_read_from_file(&image, path.c_str()))
        return out;
    image.format = PNG_FORMAT_RGBA;
    out.pixels.resize(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, out.pixels.data(), 0, nullptr))
        return Rgba{};
    out.width = static_cast<int>(image.width);
    out.height = static_cast<int>(image.height);
    return out;
}

// Frames wider together than the size limit go on two rows; each keeps its
// pixels in the packed image inside a transparent gutter.
TEST_F(Animpack, FramesFolder_PacksAnAtlasAndItsAnimation) {
    const struct {
        const char* file;
        int width;
        int height;
        uint8_t shade;
    } frames[] = {{"f1.png", 10, 8, 40}, {"f2.png", 600, 20, 80}, {"f3.png", 500, 30, 120}};
    std::filesystem::create_directories(Path("frames"));
    for (const auto& f : frames)
        WritePng(Path("frames") + "/" + f.file, f.width, f.height, f.shade);
    folder.Write("frames/script.lua", "function DoAnim()\n    frames{3,2,1};\nend\n");

    const auto run = RunTool("animpack", {Path("frames"), Path("out/jump.xml")});
    ASSERT_EQ(run.status, 1) << run.output; // the output folder must exist
    std::filesystem::create_directories(Path("out"));
    const auto made = RunTool("animpack", {Path("frames"), Path("out/jump.xml")});
    ASSERT_EQ(made.status, 0) << made.output;

    TAnimationData data;
    ASSERT_TRUE(ReadAnimationXmlFile(TString(("::" + Path("out/jump.xml")).c_str()), data));
    EXPECT_STREQ(data.mName.CStr(), "frames");
    EXPECT_STREQ(data.mImageFileName.CStr(), "jump.png");
    EXPECT_STREQ(data.mScript.CStr(), "function DoAnim()\n    frames{3,2,1};\nend\n");
    ASSERT_EQ(data.GetFrameCount(), 3);
    EXPECT_EQ(data.mMaxFrameWidth, 600);
    EXPECT_EQ(data.mMaxFrameHeight, 30);

    const Rgba atlas = ReadPng(Path("out/jump.png"));
    ASSERT_GT(atlas.width, 0);
    EXPECT_EQ(atlas.width, data.mImageWidth);
    EXPECT_EQ(atlas.height, data.mImageHeight);
    EXPECT_LE(atlas.width, 1024);
    EXPECT_LE(atlas.height, 1024);
    EXPECT_GT(data.mFrames[2].mY, data.mFrames[1].mY); // a second row
    for (int i = 0; i < 3; ++i) {
        const TAnimationFrame& frame = data.mFrames[i];
        SCOPED_TRACE(frame.mName.CStr());
        EXPECT_STREQ(frame.mName.CStr(), std::string(frames[i].file).substr(0, 2).c_str());
        EXPECT_EQ(frame.mW, frames[i].width);
        EXPECT_EQ(frame.mH, frames[i].height);
        EXPECT_EQ(frame.mRegX, frames[i].width / 2);
        EXPECT_FALSE(frame.HasTransform());
        const Rgba source = ReadPng(Path("frames") + "/" + frames[i].file);
        for (int y = 0; y < frame.mH; ++y) {
            for (int x = 0; x < frame.mW; ++x) {
                ASSERT_EQ(atlas.At(frame.mX + x, frame.mY + y), source.At(x, y)) << x << "," << y;
            }
        }
        for (int g = 1; g <= 2; ++g) {
            EXPECT_EQ(atlas.At(frame.mX - g, frame.mY) & 0xFF, 0u);
            EXPECT_EQ(atlas.At(frame.mX + frame.mW - 1 + g, frame.mY + frame.mH - 1) & 0xFF, 0u);
            EXPECT_EQ(atlas.At(frame.mX, frame.mY - g) & 0xFF, 0u);
            EXPECT_EQ(atlas.At(frame.mX, frame.mY + frame.mH - 1 + g) & 0xFF, 0u);
        }
    }
}

// A "registration.txt" puts every frame's registration point at the same
// place from its top-left corner; anything but two whole numbers fails
// and writes nothing.
TEST_F(Animpack, RegistrationFile_SetsEveryFramesPoint) {
    const struct {
        const char* text;
        int status;
        int regX;
        int regY;
    } cases[] = {
        {"0 0\n", 0, 0, 0}, {"12 -3", 0, 12, -3},  {"", 1, 0, 0},
        {"7", 1, 0, 0},     {"top left", 1, 0, 0}, {"1 2 3", 1, 0, 0},
    };
    int index = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string("registration \"") + c.text + "\"");
        const std::string frames = Path("reg") + std::to_string(index);
        const std::string out = Path("reg") + std::to_string(index) + ".xml";
        ++index;
        std::filesystem::create_directories(frames);
        WritePng(frames + "/a.png", 20, 30, 10);
        WritePng(frames + "/b.png", 20, 30, 20);
        std::ofstream(frames + "/registration.txt") << c.text;
        const auto made = RunTool("animpack", {frames, out});
        ASSERT_EQ(made.status, c.status) << made.output;
        if (c.status != 0) {
            EXPECT_NE(made.output.find("two whole numbers"), std::string::npos) << made.output;
            EXPECT_FALSE(std::filesystem::exists(out));
            continue;
        }
        TAnimationData data;
        ASSERT_TRUE(ReadAnimationXmlFile(TString(("::" + out).c_str()), data));
        ASSERT_EQ(data.GetFrameCount(), 2);
        for (const TAnimationFrame& frame : data.mFrames) {
            EXPECT_EQ(frame.mRegX, c.regX);
            EXPECT_EQ(frame.mRegY, c.regY);
        }
    }
}

TEST_F(Animpack, FramesThatDoNotFit_FailWithMessage) {
    std::filesystem::create_directories(Path("big"));
    std::filesystem::create_directories(Path("none"));
    WritePng(Path("big") + "/huge.png", 1100, 4, 1);
    folder.Write("none/readme.txt", "no frames here");
    const auto big = RunTool("animpack", {Path("big"), Path("big.xml")});
    EXPECT_EQ(big.status, 1);
    EXPECT_NE(big.output.find("does not fit"), std::string::npos) << big.output;
    const auto none = RunTool("animpack", {Path("none"), Path("none.xml")});
    EXPECT_EQ(none.status, 1);
    EXPECT_NE(none.output.find("holds no .png frames"), std::string::npos) << none.output;
    EXPECT_FALSE(std::filesystem::exists(Path("big.xml")));
}

} // namespace
