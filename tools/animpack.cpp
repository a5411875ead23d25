// animpack: makes animations and converts them between their two forms.
//
//   animpack FRAMES_DIR OUT.xml     an animation from a folder of frames
//   animpack --anm IN.xml OUT.anm   the XML animation as a binary ".anm"
//   animpack --xml IN.anm OUT.xml   the binary animation as XML
//
// From a folder: every ".png" in it (in name order) is one frame, packed in
// rows into one image at most 1024 pixels a side, each frame inside a
// transparent gutter of two pixels so that filtering never bleeds a
// neighbour in. The image is written beside OUT.xml with the same name and
// ".png"; each frame's registration point is its centre, unless a
// "registration.txt" in the folder gives it as two whole numbers "X Y" in
// pixels from each frame's top-left corner. A "script.lua" in the folder
// becomes the animation's script, else every frame is shown in order.
//
// IN is a disk path, or a logical name that starts with "::". Both forms
// carry the same records: converting one way and back gives them unchanged.
// A file that does not read exits with 1 and a message; the reason is in
// the log in the temporary folder ("animpack/logfile.txt").

#include "framework/core/log/TLog.h"
#include "framework/core/xml/TXmlNode.h"
#include "framework/graphics/animation/TAnimationFile.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <png.h>

namespace {

TString LogicalName(const char* path) {
    return std::strncmp(path, "::", 2) == 0 ? TString(path)
                                            : TString(("::" + std::string(path)).c_str());
}

int Usage() {
    std::fprintf(stderr, "usage: animpack FRAMES_DIR OUT.xml\n"
                         "       animpack --anm IN.xml OUT.anm\n"
                         "       animpack --xml IN.anm OUT.xml\n");
    return 2;
}

bool WriteFile(const char* path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    return static_cast<bool>(out);
}

constexpr int kAtlasLimit = 1024;
constexpr int kGutter = 2;

struct FrameImage {
    std::string name;
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgba;
    int x = 0; // place in the atlas
    int y = 0;
};

bool ReadPng(const std::string& path, FrameImage& frame) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) {
        std::fprintf(stderr, "animpack: %s: %s\n", path.c_str(), image.message);
        return false;
    }
    image.format = PNG_FORMAT_RGBA;
    if (image.width == 0 || image.height == 0 || image.width > kAtlasLimit - 2 * kGutter ||
        image.height > kAtlasLimit - 2 * kGutter) {
        std::fprintf(stderr, "animpack: %s: %ux%u does not fit in a %d-pixel image\n", path.c_str(),
                     image.width, image.height, kAtlasLimit);
        png_image_free(&image);
        return false;
    }
    frame.width = static_cast<int>(image.width);
    frame.height = static_cast<int>(image.height);
    frame.rgba.resize(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, frame.rgba.data(), 0, nullptr)) {
        std::fprintf(stderr, "animpack: %s: %s\n", path.c_str(), image.message);
        return false;
    }
    return true;
}

// The registration point "X Y" of a "registration.txt"; false (with a
// message) when the file holds anything else.
bool ReadRegistration(const std::filesystem::path& path, int& x, int& y) {
    std::ifstream in(path);
    std::string rest;
    if (!(in >> x >> y) || (in >> rest)) {
        std::fprintf(stderr, "animpack: %s must hold two whole numbers \"X Y\"\n",
                     path.string().c_str());
        return false;
    }
    return true;
}

// Rows from the top, left to right, in the frames' order. False when the
// frames do not fit in the size limit.
bool PlaceFrames(std::vector<FrameImage>& frames, int& width, int& height) {
    int x = 0;
    int y = 0;
    int rowHeight = 0;
    width = 0;
    for (FrameImage& frame : frames) {
        const int cellWidth = frame.width + 2 * kGutter;
        if (x + cellWidth > kAtlasLimit) {
            x = 0;
            y += rowHeight;
            rowHeight = 0;
        }
        frame.x = x + kGutter;
        frame.y = y + kGutter;
        x += cellWidth;
        rowHeight = std::max(rowHeight, frame.height + 2 * kGutter);
        width = std::max(width, x);
    }
    height = y + rowHeight;
    return height <= kAtlasLimit;
}

int PackFolder(const char* folderPath, const char* outXml) {
    namespace fs = std::filesystem;
    std::vector<fs::path> files;
    std::error_code error;
    for (const auto& item : fs::directory_iterator(folderPath, error)) {
        if (item.is_regular_file() && item.path().extension() == ".png")
            files.push_back(item.path());
    }
    if (error) {
        std::fprintf(stderr, "animpack: cannot list %s\n", folderPath);
        return 1;
    }
    std::sort(files.begin(), files.end());
    if (files.empty()) {
        std::fprintf(stderr, "animpack: %s holds no .png frames\n", folderPath);
        return 1;
    }
    std::vector<FrameImage> frames(files.size());
    for (size_t i = 0; i < files.size(); ++i) {
        frames[i].name = files[i].stem().string();
        if (!ReadPng(files[i].string(), frames[i]))
            return 1;
    }
    const fs::path registrationPath = fs::path(folderPath) / "registration.txt";
    const bool fixedRegistration = fs::is_regular_file(registrationPath);
    int regX = 0;
    int regY = 0;
    if (fixedRegistration && !ReadRegistration(registrationPath, regX, regY))
        return 1;
    int width = 0;
    int height = 0;
    if (!PlaceFrames(frames, width, height)) {
        std::fprintf(stderr, "animpack: the frames do not fit in %dx%d\n", kAtlasLimit,
                     kAtlasLimit);
        return 1;
    }
    std::vector<uint8_t> atlas(static_cast<size_t>(width) * static_cast<size_t>(height) * 4, 0);
    TAnimationData data;
    fs::path folder = fs::path(folderPath).lexically_normal();
    if (folder.filename().empty())
        folder = folder.parent_path();
    data.mName = TString(folder.filename().string().c_str());
    data.mSource = TString("animpack");
    const fs::path atlasPath = fs::path(outXml).replace_extension(".png");
    data.mImageFileName = TString(atlasPath.filename().string().c_str());
    data.mImageWidth = width;
    data.mImageHeight = height;
    for (const FrameImage& frame : frames) {
        for (int row = 0; row < frame.height; ++row) {
            std::copy_n(
                frame.rgba.begin() + static_cast<ptrdiff_t>(row) * frame.width * 4, frame.width * 4,
                atlas.begin() + (static_cast<ptrdiff_t>(frame.y + row) * width + frame.x) * 4);
        }
        TAnimationFrame record;
        record.mName = TString(frame.name.c_str());
        record.mX = frame.x;
        record.mY = frame.y;
        record.mW = frame.width;
        record.mH = frame.height;
        record.mRegX = fixedRegistration ? regX : frame.width / 2;
        record.mRegY = fixedRegistration ? regY : frame.height / 2;
        data.mFrames.push_back(record);
    }
    data.UpdateLargestFrame();
    const fs::path scriptPath = fs::path(folderPath) / "script.lua";
    if (fs::is_regular_file(scriptPath)) {
        std::ifstream in(scriptPath, std::ios::binary);
        const std::string script((std::istreambuf_iterator<char>(in)),
                                 std::istreambuf_iterator<char>());
        data.mScript = TString(script.data(), script.size());
    } else {
        data.mScript = MakeDefaultAnimationScript(data.GetFrameCount());
    }

    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = PNG_FORMAT_RGBA;
    if (!png_image_write_to_file(&image, atlasPath.string().c_str(), 0, atlas.data(), 0, nullptr)) {
        std::fprintf(stderr, "animpack: cannot write %s: %s\n", atlasPath.string().c_str(),
                     image.message);
        return 1;
    }
    if (!WriteFile(outXml, WriteAnimationXml(data))) {
        std::fprintf(stderr, "animpack: cannot write %s\n", outXml);
        return 1;
    }
    std::printf("%s: %d frames in %dx%d\n", outXml, data.GetFrameCount(), width, height);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strncmp(argv[1], "--", 2) != 0) {
        return PackFolder(argv[1], argv[2]);
    }
    if (argc != 4) {
        return Usage();
    }
    const bool toAnm = std::strcmp(argv[1], "--anm") == 0;
    const bool toXml = std::strcmp(argv[1], "--xml") == 0;
    if (!toAnm && !toXml) {
        return Usage();
    }
    StartLog((std::filesystem::temp_directory_path() / "animpack").string().c_str());
    const TString input = LogicalName(argv[2]);
    TAnimationData data;
    bool ok = false;
    if (toAnm) {
        ok = ReadAnimationXmlFile(input, data);
    } else {
        ok = ReadAnimationAnmFile(input, data);
    }
    if (!ok) {
        std::fprintf(stderr, "animpack: %s is not a readable animation (see %s)\n", argv[2],
                     GetLogFilePath().CStr());
        return 1;
    }
    const std::string bytes = toAnm ? WriteAnimationAnm(data) : WriteAnimationXml(data);
    if (!WriteFile(argv[3], bytes)) {
        std::fprintf(stderr, "animpack: cannot write %s\n", argv[3]);
        return 1;
    }
    std::printf("%s: %d frames, %zu bytes\n", argv[3], data.GetFrameCount(), bytes.size());
    return 0;
}
