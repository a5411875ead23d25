#include "platform/graphics/PngWriter.h"

#include "platform/log/PlatformLog.h"

#include <png.h>

#include <cstdio>
#include <vector>

namespace platform {

bool WritePngFile(const std::string& path, const uint32_t* pixels, int32_t width, int32_t height,
                  int32_t pitch) {
    if (!pixels || width <= 0 || height <= 0) {
        PlatformLog("Screenshot %s not written: no picture", path.c_str());
        return false;
    }
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        PlatformLog("Screenshot %s not written: cannot open the file", path.c_str());
        return false;
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    std::vector<uint8_t> row(static_cast<size_t>(width) * 4);
    bool ok = false;
    if (png && info && setjmp(png_jmpbuf(png)) == 0) {
        png_init_io(png, file);
        png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE,
                     PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        png_write_info(png, info);
        for (int32_t y = 0; y < height; ++y) {
            const uint32_t* in = pixels + static_cast<size_t>(y) * pitch;
            for (int32_t x = 0; x < width; ++x) {
                row[x * 4 + 0] = (in[x] >> 16) & 0xFF;
                row[x * 4 + 1] = (in[x] >> 8) & 0xFF;
                row[x * 4 + 2] = in[x] & 0xFF;
                row[x * 4 + 3] = in[x] >> 24;
            }
            png_write_row(png, row.data());
        }
        png_write_end(png, nullptr);
        ok = true;
    }
    png_destroy_write_struct(png ? &png : nullptr, info ? &info : nullptr);
    ok = std::fclose(file) == 0 && ok;
    if (!ok)
        PlatformLog("Screenshot %s not written: the PNG could not be made", path.c_str());
    return ok;
}

} // namespace platform
