#include "framework/graphics/texture/TPngImage.h"

#include "framework/core/files/TFile.h"
#include "framework/core/log/TLog.h"
#include "framework/graphics/texture/TImageBuffer.h"

#include <png.h>

#include <climits>
#include <cstdlib>

namespace {

// Everything the decode owns lives here rather than in locals, so that the
// long jump out of a libpng error leaves nothing to be released by a
// destructor or read from a clobbered register.
struct PngDecode {
    const char* name = nullptr;
    TFile* file = nullptr;
    png_structp png = nullptr;
    png_infop info = nullptr;
    uint8_t* pixels = nullptr;
    png_bytep* rows = nullptr;
    int32_t maxSide = kMaxImageSide;
};

// No chunk other than the image data may ask for more than this; the
// chunks the decoder reads (header, palette, transparency, gamma, colour
// profile) are far smaller.
constexpr png_alloc_size_t kMaxChunkBytes = 4u << 20;
// Ancillary chunks kept in memory at most (the decoder keeps none).
constexpr png_uint_32 kMaxCachedChunks = 16;

// Chunks the decoder never uses: skipped unread, so that a length they
// claim costs nothing.
constexpr png_byte kSkippedChunks[] = {
    't', 'E', 'X', 't', '\0', 'z', 'T', 'X', 't', '\0', 'i', 'T', 'X', 't', '\0',
    's', 'P', 'L', 'T', '\0', 'e', 'X', 'I', 'f', '\0', 'h', 'I', 'S', 'T', '\0',
    'p', 'C', 'A', 'L', '\0', 's', 'C', 'A', 'L', '\0', 't', 'I', 'M', 'E', '\0',
};

// Sets the limits that keep a small file from costing much: no chunk
// beyond kMaxChunkBytes, text and other unused chunks skipped, unknown
// chunks never kept.
void LimitChunks(png_structp png) {
    png_set_chunk_malloc_max(png, kMaxChunkBytes);
    png_set_chunk_cache_max(png, kMaxCachedChunks);
    png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, nullptr, 0);
    png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, kSkippedChunks,
                                static_cast<int>(sizeof kSkippedChunks / 5));
}

void PngReadFromFile(png_structp png, png_bytep data, png_size_t length) {
    TFile* file = static_cast<TFile*>(png_get_io_ptr(png));
    if (length > INT32_MAX ||
        file->Read(data, static_cast<int32_t>(length)) != static_cast<int32_t>(length)) {
        png_error(png, "Read Error");
    }
}

void PngFail(png_structp png, png_const_charp message) {
    const PngDecode* decode = static_cast<const PngDecode*>(png_get_error_ptr(png));
    LogPrintf("LoadPngImage: %s: %s", decode->name, message);
    png_longjmp(png, 1);
}

void PngWarn(png_structp, png_const_charp) {}

// Runs the decode proper; false after any libpng error (already logged).
bool PngDecodeFile(PngDecode* d, int32_t* width, int32_t* height, int32_t* side, bool* hasAlpha) {
    if (setjmp(png_jmpbuf(d->png))) {
        return false;
    }
    png_set_read_fn(d->png, d->file, PngReadFromFile);
    png_set_sig_bytes(d->png, 8);
    png_set_user_limits(d->png, kMaxImageSide, kMaxImageSide);
    LimitChunks(d->png);
    png_read_info(d->png, d->info);
    if (ImageBufferSide(png_get_image_width(d->png, d->info), png_get_image_height(d->png, d->info),
                        d->maxSide) == 0) {
        LogImageTooLarge("LoadPngImage", d->name, png_get_image_width(d->png, d->info),
                         png_get_image_height(d->png, d->info), d->maxSide);
        return false;
    }

    const int colorType = png_get_color_type(d->png, d->info);
    const int bitDepth = png_get_bit_depth(d->png, d->info);
    if (bitDepth == 16) {
        png_set_strip_16(d->png);
    }
    if (colorType == PNG_COLOR_TYPE_PALETTE) {
        png_set_palette_to_rgb(d->png);
    }
    if (bitDepth < 8) {
        png_set_expand(d->png);
    }
    if (png_get_valid(d->png, d->info, PNG_INFO_tRNS)) {
        png_set_tRNS_to_alpha(d->png);
    }
    if (colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_GRAY_ALPHA) {
        png_set_gray_to_rgb(d->png);
    }
    bool alpha = (colorType & PNG_COLOR_MASK_ALPHA) != 0;
    png_set_bgr(d->png);
    png_set_filler(d->png, 0xFF, PNG_FILLER_AFTER);
    double fileGamma = 0.0;
    if (png_get_gAMA(d->png, d->info, &fileGamma) && fileGamma > 0.0) {
        png_set_gamma(d->png, 2.2, fileGamma);
    }
    png_set_interlace_handling(d->png);
    png_read_update_info(d->png, d->info);
    if (colorType == PNG_COLOR_TYPE_PALETTE) {
        alpha = (png_get_color_type(d->png, d->info) & PNG_COLOR_MASK_ALPHA) != 0;
    }

    const png_uint_32 w = png_get_image_width(d->png, d->info);
    const png_uint_32 h = png_get_image_height(d->png, d->info);
    const int32_t s = ImageBufferSide(w, h);
    if (s == 0) {
        png_error(d->png, "image too large");
    }
    if (png_get_rowbytes(d->png, d->info) != static_cast<size_t>(w) * 4) {
        png_error(d->png, "unexpected row size");
    }
    d->pixels = AllocImageBuffer(s);
    d->rows = static_cast<png_bytep*>(std::calloc(h ? h : 1, sizeof(png_bytep)));
    if (!d->pixels || !d->rows) {
        png_error(d->png, "Visual PNG: out of memory");
    }
    for (png_uint_32 y = 0; y < h; ++y) {
        d->rows[y] = d->pixels + static_cast<size_t>(y) * static_cast<size_t>(s) * 4;
    }
    png_read_image(d->png, d->rows);
    png_read_end(d->png, nullptr);
    *width = static_cast<int32_t>(w);
    *height = static_cast<int32_t>(h);
    *side = s;
    *hasAlpha = alpha;
    return true;
}

} // namespace

bool LoadPngImage(const char* name, uint8_t** buffer, int32_t* width, int32_t* height,
                  int32_t* side, bool* hasAlpha, int32_t maxSide) {
    *buffer = nullptr;
    *width = *height = *side = 0;
    *hasAlpha = false;
    if (!name) {
        return false;
    }
    TFile file;
    if (!file.Open(name, 0)) {
        LogPrintf("LoadPngImage: cannot open %s", name);
        return false;
    }
    png_byte signature[8];
    if (file.Read(signature, 8) != 8 || png_sig_cmp(signature, 0, 8) != 0) {
        LogPrintf("LoadPngImage: %s is no PNG file", name);
        return false;
    }
    PngDecode d;
    d.name = name;
    d.file = &file;
    d.maxSide = maxSide;
    d.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &d, PngFail, PngWarn);
    d.info = d.png ? png_create_info_struct(d.png) : nullptr;
    bool ok = d.info && PngDecodeFile(&d, width, height, side, hasAlpha);
    png_destroy_read_struct(d.png ? &d.png : nullptr, d.info ? &d.info : nullptr, nullptr);
    std::free(d.rows);
    if (!ok) {
        FreeImageBuffer(d.pixels);
        *width = *height = *side = 0;
        *hasAlpha = false;
        return false;
    }
    *buffer = d.pixels;
    return true;
}

void FreePngImage(uint8_t* buffer) {
    FreeImageBuffer(buffer);
}
