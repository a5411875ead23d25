// imagegen: draws the game's pictures from their recipes.
//
//   imagegen ASSETS_DIR FRAMES_DIR [--animpack ANIMPACK]
//                                    every picture under ASSETS_DIR at its
//                                    path; each animation's frames under
//                                    FRAMES_DIR/<name>/, packed by the
//                                    animpack program when it is given
//   imagegen --sheet OUT.png         a contact sheet: every picture (and
//                                    each animation's frames) in a grid with
//                                    its name under it
//   imagegen --list                  the paths the pictures are written to
//
// A file that already holds the same bytes is left alone. Exits 1 when a
// file cannot be written or a recipe breaks a rule (a side above 1024, a
// cursor pixel in the colour key inside the arrow).

#include "Recipes.h"
#include "support/WriteIfChanged.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#ifndef IMAGEGEN_SVG_FOLDER
#define IMAGEGEN_SVG_FOLDER "svg"
#endif

namespace {

using namespace imagegen;

constexpr int kSideLimit = 1024;

int Usage() {
    std::fprintf(stderr, "usage: imagegen ASSETS_DIR FRAMES_DIR [--animpack ANIMPACK]\n"
                         "       imagegen --sheet OUT.png\n"
                         "       imagegen --list\n");
    return 2;
}

Image Draw(const Picture& picture) {
    Image image = Render(picture.width, picture.height, picture.draw);
    if (picture.finish)
        picture.finish(image);
    return image;
}

std::vector<Image> DrawFrames(const Animation& animation) {
    std::vector<Image> frames;
    for (int i = 0; i < animation.frames; ++i) {
        const double t = double(i) / animation.frames;
        frames.push_back(Render(animation.width, animation.height,
                                [&](cairo_t* cr, int w, int h) { animation.draw(cr, w, h, t); }));
    }
    return frames;
}

// The cursor rule: the key colour marks exactly the transparent pixels.
bool CursorKeyHolds(const Picture& picture, const Image& image) {
    if (picture.path.find("gpx/cursor/") != 0)
        return true;
    for (size_t i = 0; i + 3 < image.rgba.size(); i += 4) {
        const uint8_t* p = &image.rgba[i];
        if ((p[3] != 0) == IsCursorKey(p)) {
            std::fprintf(stderr, "imagegen: %s: pixel %zu breaks the cursor's colour key\n",
                         picture.path.c_str(), i / 4);
            return false;
        }
    }
    return true;
}

// Runs animpack on a folder of frames; its output goes to our standard
// output, its failure is ours.
bool Pack(const std::string& animpack, const std::string& frames, const std::string& out) {
    auto quote = [](const std::string& text) {
        std::string quoted = "'";
        for (char c : text)
            quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
        return quoted + "'";
    };
    const std::string command = quote(animpack) + " " + quote(frames) + " " + quote(out);
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(out).parent_path(), error);
    std::fflush(stdout);
    if (std::system(command.c_str()) != 0) {
        std::fprintf(stderr, "imagegen: animpack failed on %s\n", frames.c_str());
        return false;
    }
    return true;
}

// A file beside an animation's frames: written when there is text for it,
// removed when there is none (so an old one cannot linger).
bool WriteExtra(const std::string& path, const std::string& text) {
    std::error_code error;
    if (text.empty()) {
        std::filesystem::remove(path, error);
        return !error;
    }
    return WriteIfChanged(path, std::vector<uint8_t>(text.begin(), text.end()));
}

int WriteAll(const std::string& assets, const std::string& framesFolder,
             const std::string& animpack) {
    int written = 0;
    for (const Picture& picture : Pictures(IMAGEGEN_SVG_FOLDER)) {
        if (picture.width > kSideLimit || picture.height > kSideLimit) {
            std::fprintf(stderr, "imagegen: %s is larger than %d pixels\n", picture.path.c_str(),
                         kSideLimit);
            return 1;
        }
        const Image image = Draw(picture);
        if (!CursorKeyHolds(picture, image))
            return 1;
        const auto bytes = picture.format == Format::kJpeg
                               ? EncodeJpeg(image, palette::kJpegQuality)
                               : EncodePng(image);
        if (!WriteIfChanged(assets + "/" + picture.path, bytes)) {
            std::fprintf(stderr, "imagegen: cannot write %s\n", picture.path.c_str());
            return 1;
        }
        ++written;
    }
    for (const Animation& animation : Animations()) {
        std::string stem = animation.path.substr(animation.path.rfind('/') + 1);
        stem = stem.substr(0, stem.rfind('.'));
        const std::vector<Image> frames = DrawFrames(animation);
        // Frames past the new count, left by an earlier run of a longer
        // animation, would be packed with it.
        for (size_t i = frames.size();; ++i) {
            char leaf[32];
            std::snprintf(leaf, sizeof leaf, "/frame_%02zu.png", i);
            std::error_code failed;
            if (!std::filesystem::remove(framesFolder + "/" + stem + leaf, failed))
                break;
        }
        for (size_t i = 0; i < frames.size(); ++i) {
            char leaf[32];
            std::snprintf(leaf, sizeof leaf, "/frame_%02zu.png", i);
            if (!WriteIfChanged(framesFolder + "/" + stem + leaf, EncodePng(frames[i]))) {
                std::fprintf(stderr, "imagegen: cannot write the frames of %s\n",
                             animation.path.c_str());
                return 1;
            }
        }
        // The script and registration point that animpack reads beside them.
        const std::string folder = framesFolder + "/" + stem;
        if (!WriteExtra(folder + "/script.lua", animation.script) ||
            !WriteExtra(folder + "/registration.txt",
                        animation.registerTopLeft ? "0 0\n" : std::string())) {
            std::fprintf(stderr, "imagegen: cannot write beside the frames of %s\n",
                         animation.path.c_str());
            return 1;
        }
        if (!animpack.empty() &&
            !Pack(animpack, framesFolder + "/" + stem, assets + "/" + animation.path))
            return 1;
        ++written;
    }
    std::printf("imagegen: %d pictures and animations\n", written);
    return 0;
}

// ---- contact sheet ----

constexpr int kCellWidth = 230;
constexpr int kCellHeight = 190;
constexpr int kPictureBox = 150;
constexpr int kColumns = 6;

void Checkerboard(cairo_t* cr, double x, double y, double w, double h) {
    cairo_save(cr);
    cairo_rectangle(cr, x, y, w, h);
    cairo_clip(cr);
    for (int row = 0; row * 8 < h; ++row) {
        for (int col = 0; col * 8 < w; ++col) {
            const double shade = (row + col) % 2 ? 0.80 : 0.92;
            cairo_set_source_rgb(cr, shade, shade, shade);
            cairo_rectangle(cr, x + col * 8, y + row * 8, 8, 8);
            cairo_fill(cr);
        }
    }
    cairo_restore(cr);
}

// Draws the image (straight RGBA) scaled into the box, centred.
void Place(cairo_t* cr, const Image& image, double x, double y, double w, double h) {
    cairo_surface_t* surface =
        cairo_image_surface_create(CAIRO_FORMAT_ARGB32, image.width, image.height);
    cairo_surface_flush(surface);
    unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    for (int py = 0; py < image.height; ++py) {
        uint32_t* row = reinterpret_cast<uint32_t*>(data + py * stride);
        for (int px = 0; px < image.width; ++px) {
            const uint8_t* p = &image.rgba[(static_cast<size_t>(py) * image.width + px) * 4];
            const uint32_t a = p[3];
            row[px] =
                (a << 24) | ((p[0] * a / 255) << 16) | ((p[1] * a / 255) << 8) | (p[2] * a / 255);
        }
    }
    cairo_surface_mark_dirty(surface);
    const double scale = std::min({w / image.width, h / image.height, 3.0});
    const double dw = image.width * scale, dh = image.height * scale;
    cairo_save(cr);
    cairo_translate(cr, x + (w - dw) / 2, y + (h - dh) / 2);
    cairo_scale(cr, scale, scale);
    cairo_set_source_surface(cr, surface, 0, 0);
    cairo_pattern_set_filter(cairo_get_source(cr),
                             scale >= 2 ? CAIRO_FILTER_NEAREST : CAIRO_FILTER_GOOD);
    cairo_paint(cr);
    cairo_restore(cr);
    cairo_surface_destroy(surface);
}

int WriteSheet(const std::string& out) {
    struct Entry {
        std::string label;
        std::vector<Image> images; // one picture, or an animation's frames
    };
    std::vector<Entry> entries;
    for (const Picture& picture : Pictures(IMAGEGEN_SVG_FOLDER)) {
        char size[32];
        std::snprintf(size, sizeof size, " %dx%d", picture.width, picture.height);
        entries.push_back({picture.path + size, {Draw(picture)}});
    }
    for (const Animation& animation : Animations()) {
        entries.push_back({animation.path + " (" + std::to_string(animation.frames) + " frames)",
                           DrawFrames(animation)});
    }
    const int rows = (static_cast<int>(entries.size()) + kColumns - 1) / kColumns;
    const Image sheet =
        Render(kColumns * kCellWidth, rows * kCellHeight, [&](cairo_t* cr, int, int) {
            cairo_set_source_rgb(cr, 1, 1, 1);
            cairo_paint(cr);
            for (size_t i = 0; i < entries.size(); ++i) {
                const double x =
                    (i % kColumns) * kCellWidth + (kCellWidth - kPictureBox - 50) / 2.0;
                const double y = (i / kColumns) * kCellHeight + 8;
                const double boxWidth = kPictureBox + 50;
                Checkerboard(cr, x, y, boxWidth, kPictureBox);
                const auto& images = entries[i].images;
                if (images.size() == 1) {
                    Place(cr, images[0], x, y, boxWidth, kPictureBox);
                } else {
                    const int across =
                        static_cast<int>(std::ceil(std::sqrt(double(images.size()))));
                    const int down = (static_cast<int>(images.size()) + across - 1) / across;
                    for (size_t f = 0; f < images.size(); ++f) {
                        Place(cr, images[f], x + (f % across) * boxWidth / across,
                              y + (f / across) * double(kPictureBox) / down, boxWidth / across,
                              double(kPictureBox) / down);
                    }
                }
                SetFont(cr, false, 11);
                CentredText(cr, entries[i].label, x + boxWidth / 2, y + kPictureBox + 20,
                            palette::kInk);
            }
        });
    if (!WriteIfChanged(out, EncodePng(sheet))) {
        std::fprintf(stderr, "imagegen: cannot write %s\n", out.c_str());
        return 1;
    }
    std::printf("imagegen: contact sheet of %zu entries in %s\n", entries.size(), out.c_str());
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    int result = 2;
    if (argc == 2 && std::strcmp(argv[1], "--list") == 0) {
        for (const Picture& picture : Pictures(IMAGEGEN_SVG_FOLDER))
            std::printf("%s\n", picture.path.c_str());
        for (const Animation& animation : Animations())
            std::printf("%s\n", animation.path.c_str());
        result = 0;
    } else if (argc == 3 && std::strcmp(argv[1], "--sheet") == 0) {
        result = WriteSheet(argv[2]);
    } else if (argc == 3 && argv[1][0] != '-') {
        result = WriteAll(argv[1], argv[2], "");
    } else if (argc == 5 && argv[1][0] != '-' && std::strcmp(argv[3], "--animpack") == 0) {
        result = WriteAll(argv[1], argv[2], argv[4]);
    } else {
        result = Usage();
    }
    ReleaseFonts();
    return result;
}
