#include "Canvas.h"

#include <cairo-ft.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include <jpeglib.h>
#include <librsvg/rsvg.h>
#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

namespace imagegen {

namespace {

struct FontSlot {
    FT_Face face = nullptr;
    cairo_font_face_t* cairoFace = nullptr;
};

FT_Library gFreeType = nullptr;
FontSlot gFonts[2];

cairo_font_face_t* FontFace(bool bold) {
    FontSlot& slot = gFonts[bold ? 1 : 0];
    if (slot.cairoFace)
        return slot.cairoFace;
    if (!gFreeType && FT_Init_FreeType(&gFreeType) != 0) {
        std::fprintf(stderr, "imagegen: FreeType does not start\n");
        std::exit(1);
    }
    const char* path = bold ? palette::kFontBold : palette::kFontRegular;
    if (FT_New_Face(gFreeType, path, 0, &slot.face) != 0) {
        std::fprintf(stderr, "imagegen: cannot open the font %s\n", path);
        std::exit(1);
    }
    slot.cairoFace = cairo_ft_font_face_create_for_ft_face(slot.face, 0);
    return slot.cairoFace;
}

} // namespace

Image Render(int width, int height, const DrawFunction& draw) {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    cairo_t* cr = cairo_create(surface);
    draw(cr, width, height);
    cairo_destroy(cr);
    cairo_surface_flush(surface);

    Image image;
    image.width = width;
    image.height = height;
    image.rgba.resize(static_cast<size_t>(width) * height * 4);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    for (int y = 0; y < height; ++y) {
        const uint32_t* row = reinterpret_cast<const uint32_t*>(data + y * stride);
        uint8_t* out = &image.rgba[static_cast<size_t>(y) * width * 4];
        for (int x = 0; x < width; ++x) {
            const uint32_t pixel = row[x];
            const uint32_t a = pixel >> 24;
            uint32_t r = (pixel >> 16) & 0xFF, g = (pixel >> 8) & 0xFF, b = pixel & 0xFF;
            if (a != 0 && a != 255) {
                r = std::min<uint32_t>(255, (r * 255 + a / 2) / a);
                g = std::min<uint32_t>(255, (g * 255 + a / 2) / a);
                b = std::min<uint32_t>(255, (b * 255 + a / 2) / a);
            }
            out[x * 4 + 0] = static_cast<uint8_t>(r);
            out[x * 4 + 1] = static_cast<uint8_t>(g);
            out[x * 4 + 2] = static_cast<uint8_t>(b);
            out[x * 4 + 3] = static_cast<uint8_t>(a);
        }
    }
    cairo_surface_destroy(surface);
    return image;
}

std::vector<uint8_t> EncodePng(const Image& image) {
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    png.width = static_cast<png_uint_32>(image.width);
    png.height = static_cast<png_uint_32>(image.height);
    png.format = PNG_FORMAT_RGBA;
    png_alloc_size_t size = 0;
    if (!png_image_write_to_memory(&png, nullptr, &size, 0, image.rgba.data(), 0, nullptr))
        return {};
    std::vector<uint8_t> bytes(size);
    if (!png_image_write_to_memory(&png, bytes.data(), &size, 0, image.rgba.data(), 0, nullptr))
        return {};
    bytes.resize(size);
    return bytes;
}

std::vector<uint8_t> EncodeJpeg(const Image& image, int quality) {
    jpeg_compress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = static_cast<JDIMENSION>(image.width);
    info.image_height = static_cast<JDIMENSION>(image.height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    info.optimize_coding = TRUE;
    jpeg_start_compress(&info, TRUE);
    std::vector<uint8_t> row(static_cast<size_t>(image.width) * 3);
    while (info.next_scanline < info.image_height) {
        const uint8_t* in = &image.rgba[static_cast<size_t>(info.next_scanline) * image.width * 4];
        for (int x = 0; x < image.width; ++x) {
            row[x * 3 + 0] = in[x * 4 + 0];
            row[x * 3 + 1] = in[x * 4 + 1];
            row[x * 3 + 2] = in[x * 4 + 2];
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    std::vector<uint8_t> bytes(buffer, buffer + size);
    jpeg_destroy_compress(&info);
    std::free(buffer);
    return bytes;
}

Image DecodePng(const std::string& path) {
    Image image;
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&png, path.c_str()))
        return image;
    png.format = PNG_FORMAT_RGBA;
    std::vector<uint8_t> pixels(PNG_IMAGE_SIZE(png));
    if (!png_image_finish_read(&png, nullptr, pixels.data(), 0, nullptr)) {
        png_image_free(&png);
        return image;
    }
    image.width = static_cast<int>(png.width);
    image.height = static_cast<int>(png.height);
    image.rgba = std::move(pixels);
    return image;
}

palette::Rgb Mix(palette::Rgb a, palette::Rgb b, double t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

palette::Rgb Lighten(palette::Rgb colour, double amount) {
    return Mix(colour, palette::kWhite, amount);
}

palette::Rgb Darken(palette::Rgb colour, double amount) {
    return Mix(colour, palette::kBlack, amount);
}

void SetColour(cairo_t* cr, palette::Rgb colour, double alpha) {
    cairo_set_source_rgba(cr, colour.r, colour.g, colour.b, alpha);
}

void RoundedRect(cairo_t* cr, double x, double y, double w, double h, double radius) {
    const double r = std::min({radius, w / 2, h / 2});
    const double pi = std::acos(-1.0);
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - r, y + r, r, -pi / 2, 0);
    cairo_arc(cr, x + w - r, y + h - r, r, 0, pi / 2);
    cairo_arc(cr, x + r, y + h - r, r, pi / 2, pi);
    cairo_arc(cr, x + r, y + r, r, pi, 3 * pi / 2);
    cairo_close_path(cr);
}

void SetVerticalGradient(cairo_t* cr, double y0, double y1, palette::Rgb top, palette::Rgb bottom) {
    cairo_pattern_t* gradient = cairo_pattern_create_linear(0, y0, 0, y1);
    cairo_pattern_add_color_stop_rgb(gradient, 0, top.r, top.g, top.b);
    cairo_pattern_add_color_stop_rgb(gradient, 1, bottom.r, bottom.g, bottom.b);
    cairo_set_source(cr, gradient);
    cairo_pattern_destroy(gradient);
}

void SoftShadow(cairo_t* cr, double x, double y, double w, double h, double radius) {
    const int steps = static_cast<int>(palette::kShadowBlur);
    for (int i = steps; i >= 0; --i) {
        const double grow = i;
        RoundedRect(cr, x - grow + palette::kShadowOffset / 2, y - grow + palette::kShadowOffset,
                    w + 2 * grow - palette::kShadowOffset, h + 2 * grow, radius + grow);
        SetColour(cr, palette::kBlack, palette::kShadowAlpha / (steps + 1));
        cairo_fill(cr);
    }
}

void Card(cairo_t* cr, double x, double y, double w, double h, double radius, palette::Rgb top,
          palette::Rgb bottom, palette::Rgb edge, bool shadow) {
    if (shadow)
        SoftShadow(cr, x, y, w, h, radius);
    const double half = palette::kOutline / 2;
    RoundedRect(cr, x + half, y + half, w - 2 * half, h - 2 * half, radius);
    SetVerticalGradient(cr, y, y + h, top, bottom);
    cairo_fill_preserve(cr);
    SetColour(cr, edge);
    cairo_set_line_width(cr, palette::kOutline);
    cairo_stroke(cr);
    // The light edge just inside the outline, strongest at the top.
    const double inset = palette::kOutline + palette::kLightEdge / 2;
    RoundedRect(cr, x + inset, y + inset, w - 2 * inset, h - 2 * inset,
                std::max(0.0, radius - palette::kOutline));
    cairo_pattern_t* light = cairo_pattern_create_linear(0, y, 0, y + h);
    cairo_pattern_add_color_stop_rgba(light, 0, 1, 1, 1, 0.85);
    cairo_pattern_add_color_stop_rgba(light, 0.5, 1, 1, 1, 0.15);
    cairo_pattern_add_color_stop_rgba(light, 1, 1, 1, 1, 0.0);
    cairo_set_source(cr, light);
    cairo_set_line_width(cr, palette::kLightEdge);
    cairo_stroke(cr);
    cairo_pattern_destroy(light);
}

void StarPath(cairo_t* cr, double cx, double cy, double outer, double inner, int points,
              double turn) {
    const double pi = std::acos(-1.0);
    cairo_new_sub_path(cr);
    for (int i = 0; i < points * 2; ++i) {
        const double angle = turn - pi / 2 + i * pi / points;
        const double radius = (i % 2 == 0) ? outer : inner;
        const double px = cx + radius * std::cos(angle), py = cy + radius * std::sin(angle);
        if (i == 0)
            cairo_move_to(cr, px, py);
        else
            cairo_line_to(cr, px, py);
    }
    cairo_close_path(cr);
}

void SetFont(cairo_t* cr, bool bold, double size) {
    cairo_set_font_face(cr, FontFace(bold));
    cairo_set_font_size(cr, size);
}

void CentredText(cairo_t* cr, const std::string& text, double cx, double y, palette::Rgb fill,
                 double outline, palette::Rgb outlineColour) {
    cairo_text_extents_t extents;
    cairo_text_extents(cr, text.c_str(), &extents);
    const double x = cx - extents.width / 2 - extents.x_bearing;
    cairo_move_to(cr, x, y);
    cairo_text_path(cr, text.c_str());
    if (outline > 0) {
        SetColour(cr, outlineColour);
        cairo_set_line_width(cr, outline * 2);
        cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
        cairo_stroke_preserve(cr);
    }
    SetColour(cr, fill);
    cairo_fill(cr);
}

void ReleaseFonts() {
    for (FontSlot& slot : gFonts) {
        if (slot.cairoFace)
            cairo_font_face_destroy(slot.cairoFace);
        if (slot.face)
            FT_Done_Face(slot.face);
        slot = FontSlot();
    }
    if (gFreeType)
        FT_Done_FreeType(gFreeType);
    gFreeType = nullptr;
    cairo_debug_reset_static_data();
}

bool DrawSvg(cairo_t* cr, const std::string& path, const SvgColours& colours, double x, double y,
             double w, double h) {
    std::ifstream in(path, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    for (const auto& [name, colour] : colours) {
        char hex[8];
        std::snprintf(hex, sizeof hex, "#%02X%02X%02X", int(std::lround(colour.r * 255)),
                      int(std::lround(colour.g * 255)), int(std::lround(colour.b * 255)));
        const std::string token = "@" + name + "@";
        for (size_t at = text.find(token); at != std::string::npos; at = text.find(token, at))
            text.replace(at, token.size(), hex);
    }
    GError* error = nullptr;
    RsvgHandle* handle =
        !text.empty() ? rsvg_handle_new_from_data(reinterpret_cast<const guint8*>(text.data()),
                                                  text.size(), &error)
                      : nullptr;
    if (!handle) {
        std::fprintf(stderr, "imagegen: %s: %s\n", path.c_str(),
                     error ? error->message : "does not read");
        if (error)
            g_error_free(error);
        return false;
    }
    const RsvgRectangle box{x, y, w, h};
    const bool drawn = rsvg_handle_render_document(handle, cr, &box, &error);
    if (!drawn) {
        std::fprintf(stderr, "imagegen: %s: %s\n", path.c_str(),
                     error ? error->message : "does not draw");
        if (error)
            g_error_free(error);
    }
    g_object_unref(handle);
    return drawn;
}

} // namespace imagegen
