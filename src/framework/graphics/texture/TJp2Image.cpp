#include "framework/graphics/texture/TJp2Image.h"

#include "framework/core/files/TFile.h"
#include "framework/core/log/TLog.h"
#include "framework/graphics/texture/TImageBuffer.h"

#include <openjpeg.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>

namespace {

constexpr uint8_t kJp2Signature[12] = {0x00, 0x00, 0x00, 0x0C, 'j',  'P',
                                       ' ',  ' ',  0x0D, 0x0A, 0x87, 0x0A};
constexpr uint8_t kCodestreamStart[4] = {0xFF, 0x4F, 0xFF, 0x51};
// Grey or colour, and alpha.
constexpr OPJ_UINT32 kMaxComponents = 4;

// Tiles at the most: the decoder keeps a record of some kilobytes for every
// tile the header names before it reads any of them.
constexpr uint64_t kMaxTiles = 1024;

uint32_t BigEndian(const uint8_t* p, int bytes) {
    uint32_t value = 0;
    for (int i = 0; i < bytes; ++i) {
        value = value << 8 | p[i];
    }
    return value;
}

// The codestream's size record (SIZ), which follows its first marker.
struct CodestreamHeader {
    uint64_t width = 0;
    uint64_t height = 0;
    uint32_t components = 0;
    uint64_t tiles = 0; // 0 when the tile grid is not valid (the decoder says so)
};

bool ReadCodestreamHeader(TFile& file, int64_t start, CodestreamHeader& header) {
    uint8_t siz[4 + 2 + 2 + 8 * 4 + 2];
    if (start < 0 || start > INT32_MAX) {
        return false;
    }
    file.Seek(static_cast<int32_t>(start), kSeekStart);
    if (file.Read(siz, sizeof siz) != static_cast<int32_t>(sizeof siz) ||
        std::memcmp(siz, kCodestreamStart, 4) != 0) {
        return false;
    }
    const uint8_t* p = siz + 8; // after the markers, the length and the capabilities
    const uint64_t x1 = BigEndian(p, 4), y1 = BigEndian(p + 4, 4);
    const uint64_t x0 = BigEndian(p + 8, 4), y0 = BigEndian(p + 12, 4);
    const uint64_t tileWidth = BigEndian(p + 16, 4), tileHeight = BigEndian(p + 20, 4);
    const uint64_t tileX0 = BigEndian(p + 24, 4), tileY0 = BigEndian(p + 28, 4);
    header.width = x1 > x0 ? x1 - x0 : 0;
    header.height = y1 > y0 ? y1 - y0 : 0;
    header.components = BigEndian(p + 32, 2);
    if (tileWidth > 0 && tileHeight > 0 && x1 > tileX0 && y1 > tileY0) {
        header.tiles = ((x1 - tileX0 + tileWidth - 1) / tileWidth) *
                       ((y1 - tileY0 + tileHeight - 1) / tileHeight);
    }
    return true;
}

// Where the codestream starts: at once in a bare codestream, in the
// contiguous codestream box ("jp2c") of a JP2 file. -1 when there is none.
int64_t FindCodestream(TFile& file, bool jp2) {
    if (!jp2) {
        return 0;
    }
    const int64_t size = file.GetSize();
    int64_t at = 0;
    while (at + 8 <= size) {
        uint8_t box[16];
        file.Seek(static_cast<int32_t>(at), kSeekStart);
        if (file.Read(box, 8) != 8) {
            return -1;
        }
        uint64_t length = BigEndian(box, 4);
        int64_t headerBytes = 8;
        if (length == 1) {
            if (file.Read(box + 8, 8) != 8) {
                return -1;
            }
            length = static_cast<uint64_t>(BigEndian(box + 8, 4)) << 32 | BigEndian(box + 12, 4);
            headerBytes = 16;
        } else if (length == 0) {
            length = static_cast<uint64_t>(size - at);
        }
        if (std::memcmp(box + 4, "jp2c", 4) == 0) {
            return at + headerBytes;
        }
        if (length < static_cast<uint64_t>(headerBytes) ||
            length > static_cast<uint64_t>(size - at)) {
            return -1;
        }
        at += static_cast<int64_t>(length);
    }
    return -1;
}

OPJ_SIZE_T StreamRead(void* buffer, OPJ_SIZE_T count, void* user) {
    TFile* file = static_cast<TFile*>(user);
    int32_t want = count > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int32_t>(count);
    int32_t got = file->Read(buffer, want);
    return got > 0 ? static_cast<OPJ_SIZE_T>(got) : static_cast<OPJ_SIZE_T>(-1);
}

OPJ_OFF_T StreamSkip(OPJ_OFF_T count, void* user) {
    TFile* file = static_cast<TFile*>(user);
    int64_t from = file->Tell();
    int64_t to = std::clamp<int64_t>(from + count, 0, file->GetSize());
    file->Seek(static_cast<int32_t>(to), kSeekStart);
    return static_cast<OPJ_OFF_T>(to - from);
}

OPJ_BOOL StreamSeek(OPJ_OFF_T position, void* user) {
    TFile* file = static_cast<TFile*>(user);
    if (position < 0 || position > file->GetSize()) {
        return OPJ_FALSE;
    }
    file->Seek(static_cast<int32_t>(position), kSeekStart);
    return OPJ_TRUE;
}

void Jp2Error(const char* message, void* user) {
    std::string text(message);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) {
        text.pop_back();
    }
    LogPrintf("LoadJp2Image: %s: %s", static_cast<const char*>(user), text.c_str());
}

void Jp2Quiet(const char*, void*) {}

// Reads one component as 8-bit samples, row by row over the image's
// width x height, whatever its precision, sign and subsampling.
class ComponentReader {
public:
    ComponentReader(const opj_image_t* image, const opj_image_comp_t* comp) : mComp(comp) {
        mDx = comp->dx ? comp->dx : 1;
        mDy = comp->dy ? comp->dy : 1;
        mX0 = image->x0;
        mY0 = image->y0;
        int prec = static_cast<int>(comp->prec);
        mOffset = comp->sgnd && prec > 0 && prec <= 31 ? (1 << (prec - 1)) : 0;
        mMax = prec >= 31 ? 0x7FFFFFFF : (prec > 0 ? (1 << prec) - 1 : 0);
        mPrec = prec;
    }
    // The raw sample at (x, y) of the image, moved to 0 .. 2^prec - 1.
    int32_t Raw(uint32_t x, uint32_t y) const {
        uint32_t cx = (mX0 + x) / mDx;
        uint32_t cy = (mY0 + y) / mDy;
        uint32_t ox = (mX0 + mDx - 1) / mDx;
        uint32_t oy = (mY0 + mDy - 1) / mDy;
        cx = cx > ox ? cx - ox : 0;
        cy = cy > oy ? cy - oy : 0;
        if (mComp->w == 0 || mComp->h == 0) {
            return 0;
        }
        cx = std::min(cx, mComp->w - 1);
        cy = std::min(cy, mComp->h - 1);
        int64_t v =
            static_cast<int64_t>(mComp->data[static_cast<size_t>(cy) * mComp->w + cx]) + mOffset;
        return static_cast<int32_t>(std::clamp<int64_t>(v, 0, mMax));
    }
    uint8_t Sample(uint32_t x, uint32_t y) const { return To8(Raw(x, y)); }
    uint8_t To8(int32_t v) const {
        if (mPrec > 8) {
            return static_cast<uint8_t>(v >> (mPrec - 8));
        }
        return static_cast<uint8_t>(std::min(255, v << (8 - mPrec)));
    }
    int Precision() const { return mPrec; }
    int32_t Half() const { return mPrec > 0 ? 1 << (mPrec - 1) : 0; }
    int32_t Max() const { return mMax; }

private:
    const opj_image_comp_t* mComp;
    uint32_t mDx, mDy, mX0, mY0;
    int32_t mOffset, mMax;
    int mPrec;
};

// Components usable for reading: data present, precision 1..31.
bool Usable(const opj_image_comp_t& comp) {
    return comp.data && comp.prec >= 1 && comp.prec <= 31 && comp.w > 0 && comp.h > 0;
}

// Repeats the last pixel of each image row to the side and the last row
// into the rows below.
void PadBuffer(uint8_t* pixels, uint32_t width, uint32_t height, int32_t side) {
    const size_t stride = static_cast<size_t>(side) * 4;
    if (width == 0 || height == 0) {
        return;
    }
    for (uint32_t y = 0; y < height; ++y) {
        uint8_t* row = pixels + y * stride;
        for (int32_t x = static_cast<int32_t>(width); x < side; ++x) {
            std::memcpy(row + x * 4, row + (width - 1) * 4, 4);
        }
    }
    for (int32_t y = static_cast<int32_t>(height); y < side; ++y) {
        std::memcpy(pixels + y * stride, pixels + (height - 1) * stride, stride);
    }
}

bool FillPixels(const char* name, const opj_image_t* image, uint8_t* pixels, uint32_t width,
                uint32_t height, int32_t side, bool* hasAlpha) {
    const size_t stride = static_cast<size_t>(side) * 4;
    const opj_image_comp_t* colour[3] = {nullptr, nullptr, nullptr};
    const opj_image_comp_t* alpha = nullptr;
    int colourCount = 0;
    for (OPJ_UINT32 i = 0; i < image->numcomps; ++i) {
        const opj_image_comp_t& comp = image->comps[i];
        if (comp.alpha) {
            if (!alpha) {
                alpha = &comp;
            }
        } else if (colourCount < 3) {
            colour[colourCount++] = &comp;
        }
    }
    const OPJ_COLOR_SPACE space = image->color_space;
    bool grey =
        space == OPJ_CLRSPC_GRAY ||
        ((space == OPJ_CLRSPC_UNSPECIFIED || space == OPJ_CLRSPC_UNKNOWN) && colourCount < 3);
    if (space == OPJ_CLRSPC_CMYK || space == OPJ_CLRSPC_EYCC) {
        LogPrintf("LoadJp2Image: %s: colour space %d cannot be shown", name,
                  static_cast<int>(space));
        return false;
    }
    for (const opj_image_comp_t* comp : {colour[0], colour[1], colour[2], alpha}) {
        if (comp && !Usable(*comp)) {
            LogPrintf("LoadJp2Image: %s: a component has no usable samples", name);
            return false;
        }
    }
    const bool sycc = space == OPJ_CLRSPC_SYCC && colourCount == 3;
    if (!grey && colourCount < 3 && colourCount > 0) {
        LogPrintf("LoadJp2Image: %s: %d colour components for a colour image", name, colourCount);
        return false;
    }
    if (grey) {
        if (colour[0]) {
            ComponentReader g(image, colour[0]);
            for (uint32_t y = 0; y < height; ++y) {
                uint8_t* row = pixels + y * stride;
                for (uint32_t x = 0; x < width; ++x) {
                    uint8_t v = g.Sample(x, y);
                    row[x * 4] = row[x * 4 + 1] = row[x * 4 + 2] = v;
                    row[x * 4 + 3] = 255;
                }
            }
        } else {
            std::memset(pixels, 0, stride * side);
        }
    } else if (sycc) {
        ComponentReader yr(image, colour[0]), cb(image, colour[1]), cr(image, colour[2]);
        for (uint32_t y = 0; y < height; ++y) {
            uint8_t* row = pixels + y * stride;
            for (uint32_t x = 0; x < width; ++x) {
                double luma = yr.Raw(x, y);
                double b = cb.Raw(x, y) - cb.Half();
                double r = cr.Raw(x, y) - cr.Half();
                int32_t rgb[3] = {
                    static_cast<int32_t>(std::lround(luma + 1.402 * r)),
                    static_cast<int32_t>(std::lround(luma - 0.344136 * b - 0.714136 * r)),
                    static_cast<int32_t>(std::lround(luma + 1.772 * b)),
                };
                for (int c = 0; c < 3; ++c) {
                    row[x * 4 + 2 - c] = yr.To8(std::clamp(rgb[c], 0, yr.Max()));
                }
                row[x * 4 + 3] = 255;
            }
        }
    } else {
        ComponentReader r(image, colour[0]), g(image, colour[1]), b(image, colour[2]);
        for (uint32_t y = 0; y < height; ++y) {
            uint8_t* row = pixels + y * stride;
            for (uint32_t x = 0; x < width; ++x) {
                row[x * 4] = b.Sample(x, y);
                row[x * 4 + 1] = g.Sample(x, y);
                row[x * 4 + 2] = r.Sample(x, y);
                row[x * 4 + 3] = 255;
            }
        }
    }
    if (alpha) {
        ComponentReader a(image, alpha);
        for (uint32_t y = 0; y < height; ++y) {
            uint8_t* row = pixels + y * stride;
            for (uint32_t x = 0; x < width; ++x) {
                row[x * 4 + 3] = a.Sample(x, y);
            }
        }
    }
    *hasAlpha = alpha != nullptr;
    PadBuffer(pixels, width, height, side);
    return true;
}

} // namespace

opj_stream_t* Jp2FileStream(TFile* file) {
    opj_stream_t* stream = opj_stream_create(OPJ_J2K_STREAM_CHUNK_SIZE, OPJ_TRUE);
    if (!stream) {
        return nullptr;
    }
    opj_stream_set_user_data(stream, file, nullptr);
    opj_stream_set_user_data_length(stream, static_cast<OPJ_UINT64>(file->GetSize()));
    opj_stream_set_read_function(stream, StreamRead);
    opj_stream_set_skip_function(stream, StreamSkip);
    opj_stream_set_seek_function(stream, StreamSeek);
    return stream;
}

bool LoadJp2Image(const char* name, uint8_t** buffer, int32_t* width, int32_t* height,
                  int32_t* side, bool* hasAlpha, int32_t maxSide) {
    *buffer = nullptr;
    *width = *height = *side = 0;
    *hasAlpha = false;
    if (!name) {
        return false;
    }
    TFile file;
    if (!file.Open(name, 0)) {
        LogPrintf("LoadJp2Image: cannot open %s", name);
        return false;
    }
    uint8_t head[12] = {};
    int32_t got = file.Read(head, 12);
    file.Seek(0, kSeekStart);
    OPJ_CODEC_FORMAT format = OPJ_CODEC_UNKNOWN;
    if (got == 12 && std::memcmp(head, kJp2Signature, 12) == 0) {
        format = OPJ_CODEC_JP2;
    } else if (got >= 4 && std::memcmp(head, kCodestreamStart, 4) == 0) {
        format = OPJ_CODEC_J2K;
    } else {
        LogPrintf("LoadJp2Image: %s is no JPEG 2000 file", name);
        return false;
    }

    // The size, components and tiles from the header, before the decoder
    // sets up anything for them.
    CodestreamHeader header;
    if (!ReadCodestreamHeader(file, FindCodestream(file, format == OPJ_CODEC_JP2), header)) {
        LogPrintf("LoadJp2Image: %s: no image header", name);
        return false;
    }
    if (ImageBufferSide(static_cast<int64_t>(header.width), static_cast<int64_t>(header.height),
                        maxSide) == 0) {
        LogImageTooLarge("LoadJp2Image", name, static_cast<int64_t>(header.width),
                         static_cast<int64_t>(header.height), maxSide);
        return false;
    }
    if (header.components > kMaxComponents || header.tiles > kMaxTiles) {
        LogPrintf("LoadJp2Image: %s: image of %llux%llu with %u components in %llu tiles refused",
                  name, static_cast<unsigned long long>(header.width),
                  static_cast<unsigned long long>(header.height), header.components,
                  static_cast<unsigned long long>(header.tiles));
        return false;
    }
    file.Seek(0, kSeekStart);

    opj_codec_t* codec = opj_create_decompress(format);
    opj_stream_t* stream = Jp2FileStream(&file);
    opj_image_t* image = nullptr;
    uint8_t* pixels = nullptr;
    bool ok = false;
    opj_dparameters_t parameters;
    opj_set_default_decoder_parameters(&parameters);
    if (codec && stream) {
        opj_set_error_handler(codec, Jp2Error, const_cast<char*>(name));
        opj_set_warning_handler(codec, Jp2Quiet, nullptr);
        opj_set_info_handler(codec, Jp2Quiet, nullptr);
        ok = opj_setup_decoder(codec, &parameters) && opj_read_header(stream, codec, &image) &&
             image;
    }
    uint32_t w = 0, h = 0;
    int32_t s = 0;
    if (ok) {
        w = image->x1 > image->x0 ? image->x1 - image->x0 : 0;
        h = image->y1 > image->y0 ? image->y1 - image->y0 : 0;
        s = ImageBufferSide(w, h, maxSide);
        if (s == 0) {
            LogImageTooLarge("LoadJp2Image", name, w, h, maxSide);
            ok = false;
        } else if (image->numcomps == 0 || image->numcomps > kMaxComponents) {
            // The decoder keeps every component whole; more than colour and
            // alpha would cost memory for nothing shown.
            LogPrintf("LoadJp2Image: %s: image of %ux%u with %u components refused", name, w, h,
                      image->numcomps);
            ok = false;
        }
    }
    if (ok) {
        ok = opj_decode(codec, stream, image) && opj_end_decompress(codec, stream);
        if (!ok) {
            LogPrintf("LoadJp2Image: %s cannot be decoded", name);
        }
    }
    if (ok) {
        pixels = AllocImageBuffer(s);
        ok = pixels && FillPixels(name, image, pixels, w, h, s, hasAlpha);
    }
    if (image) {
        opj_image_destroy(image);
    }
    if (stream) {
        opj_stream_destroy(stream);
    }
    if (codec) {
        opj_destroy_codec(codec);
    }
    if (!ok) {
        FreeImageBuffer(pixels);
        *hasAlpha = false;
        return false;
    }
    *buffer = pixels;
    *width = static_cast<int32_t>(w);
    *height = static_cast<int32_t>(h);
    *side = s;
    return true;
}

void FreeJp2Image(uint8_t* buffer) {
    FreeImageBuffer(buffer);
}
