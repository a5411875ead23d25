// texview NAME OUT.png [--assets DIR]: decodes the image of a logical name
// (from the assets folder or its packs, or any path given as "::path") and
// writes the image part of the decoded buffer, top-left at its own size, as
// a PNG file, so anyone can look at what the decoders make of a file. The
// decoder is chosen by the name's extension; a name without one is tried as
// ".png", ".jpg" and ".jp2" in turn. On failure the decoder's log lines go
// to stderr.

#include "framework/core/files/TFileSystem.h"
#include "framework/core/files/TPackFile.h"
#include "framework/core/log/TLog.h"
#include "framework/graphics/texture/TImageBuffer.h"
#include "framework/graphics/texture/TJp2Image.h"
#include "framework/graphics/texture/TJpegImage.h"
#include "framework/graphics/texture/TPngImage.h"
#include "platform/graphics/PngWriter.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace {

struct Image {
    uint8_t* pixels = nullptr;
    int32_t width = 0, height = 0, side = 0;
    bool hasAlpha = false;
};

std::string Extension(const std::string& name) {
    size_t slash = name.find_last_of("/\\");
    size_t dot = name.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return "";
    std::string ext = name.substr(dot);
    for (char& c : ext)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ext;
}

bool Decode(const std::string& name, Image* image) {
    std::string ext = Extension(name);
    if (ext == ".png")
        return LoadPngImage(name.c_str(), &image->pixels, &image->width, &image->height,
                            &image->side, &image->hasAlpha);
    if (ext == ".jpg" || ext == ".jpeg")
        return LoadJpegImage(name.c_str(), &image->pixels, &image->width, &image->height,
                             &image->side);
    if (ext == ".jp2" || ext == ".j2k" || ext == ".j2c")
        return LoadJp2Image(name.c_str(), &image->pixels, &image->width, &image->height,
                            &image->side, &image->hasAlpha);
    return false;
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args;
    std::string assets = "assets";
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--assets") == 0 && i + 1 < argc) {
            assets = argv[++i];
        } else {
            args.push_back(argv[i]);
        }
    }
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: texview NAME OUT.png [--assets DIR]\n");
        return 2;
    }
    std::error_code error;
    // The decoders log into a folder of their own; its lines are shown on
    // failure.
    std::filesystem::path logFolder = std::filesystem::temp_directory_path(error) / "texview";
    std::filesystem::create_directories(logFolder, error);
    StartLog(logFolder.c_str());
    if (std::filesystem::is_directory(assets, error)) {
        SetAssetsFolder(assets.c_str());
        InitFileSystem();
        LoadPacksInFolder(GetAssetsFolder(), GetNameTable());
    }
    std::string name = args[0];
    Image image;
    bool ok = false;
    if (Extension(name).empty()) {
        for (const char* ext : {".png", ".jpg", ".jp2"}) {
            if (FileExists((name + ext).c_str())) {
                name += ext;
                break;
            }
        }
    }
    ok = Decode(name, &image);
    if (!ok) {
        std::fprintf(stderr, "texview: %s could not be decoded; log %s:\n", name.c_str(),
                     GetLogFilePath().CStr());
        StartLog(nullptr);
        if (FILE* log = std::fopen((logFolder / "logfile.txt").c_str(), "r")) {
            char line[512];
            while (std::fgets(line, sizeof line, log))
                std::fputs(line, stderr);
            std::fclose(log);
        }
        return 1;
    }
    std::printf("%s: %dx%d in a %dx%d buffer, %s alpha\n", name.c_str(), image.width, image.height,
                image.side, image.side, image.hasAlpha ? "with" : "without");
    bool written = image.width == 0 || image.height == 0 ||
                   platform::WritePngFile(args[1], reinterpret_cast<const uint32_t*>(image.pixels),
                                          image.width, image.height, image.side);
    FreeImageBuffer(image.pixels);
    return written ? 0 : 1;
}
