#include "framework/graphics/texture/TJpegImage.h"

#include "framework/core/files/TFile.h"
#include "framework/core/log/TLog.h"
#include "framework/graphics/texture/TImageBuffer.h"

#include <jerror.h>

#include <algorithm>
#include <csetjmp>
#include <limits>

namespace {

constexpr int32_t kSourceBufferSize = 4096;
constexpr long kMaxDecoderMemory = 16777216;

struct JpegFileSourceManager {
    jpeg_source_mgr pub;
    TFile* file;
    JOCTET* buffer;
    boolean startOfFile;
};

void SourceInit(j_decompress_ptr cinfo) {
    reinterpret_cast<JpegFileSourceManager*>(cinfo->src)->startOfFile = TRUE;
}

boolean SourceFill(j_decompress_ptr cinfo) {
    auto* src = reinterpret_cast<JpegFileSourceManager*>(cinfo->src);
    int32_t got = src->file->Read(src->buffer, kSourceBufferSize);
    if (got <= 0) {
        if (src->startOfFile) {
            ERREXIT(cinfo, JERR_INPUT_EMPTY);
        }
        WARNMS(cinfo, JWRN_JPEG_EOF);
        src->buffer[0] = 0xFF;
        src->buffer[1] = JPEG_EOI;
        got = 2;
    }
    src->pub.next_input_byte = src->buffer;
    src->pub.bytes_in_buffer = static_cast<size_t>(got);
    src->startOfFile = FALSE;
    return TRUE;
}

void SourceSkip(j_decompress_ptr cinfo, long count) {
    jpeg_source_mgr* src = cinfo->src;
    if (count <= 0) {
        return;
    }
    while (count > static_cast<long>(src->bytes_in_buffer)) {
        count -= static_cast<long>(src->bytes_in_buffer);
        SourceFill(cinfo);
    }
    src->next_input_byte += count;
    src->bytes_in_buffer -= static_cast<size_t>(count);
}

void SourceTerm(j_decompress_ptr) {}

// The error manager: a fatal error logs its message and jumps back to the
// loader, which fails the load, instead of ending the process.
struct JpegErrorManager {
    jpeg_error_mgr pub;
    const char* name;
    jmp_buf jump;
};

void JpegOutputMessage(j_common_ptr cinfo) {
    char text[JMSG_LENGTH_MAX];
    (*cinfo->err->format_message)(cinfo, text);
    LogPrintf("LoadJpegImage: %s: %s", reinterpret_cast<JpegErrorManager*>(cinfo->err)->name, text);
}

void JpegErrorExit(j_common_ptr cinfo) {
    (*cinfo->err->output_message)(cinfo);
    longjmp(reinterpret_cast<JpegErrorManager*>(cinfo->err)->jump, 1);
}

// State of one decode kept out of locals, for the same reason as the jump.
struct JpegDecode {
    jpeg_decompress_struct cinfo;
    JpegErrorManager error;
    jpeg_progress_mgr progress{};
    uint8_t* pixels = nullptr;
    int32_t maxSide = kMaxImageSide;
};

// A file of several scans (progressive, or one scan per component) is
// decoded through a buffer of every coefficient of the image, which libjpeg
// holds in memory or fails: the bytes it takes, from the header's
// component sizes (two bytes per coefficient, 64 per block).
long CoefficientBytes(const jpeg_decompress_struct& cinfo) {
    if (!jpeg_has_multiple_scans(const_cast<j_decompress_ptr>(&cinfo))) {
        return 0;
    }
    int64_t total = 0;
    for (int i = 0; i < cinfo.num_components; ++i) {
        const jpeg_component_info& comp = cinfo.comp_info[i];
        const int64_t h = comp.h_samp_factor > 0 ? comp.h_samp_factor : 1;
        const int64_t v = comp.v_samp_factor > 0 ? comp.v_samp_factor : 1;
        const int64_t columns = (comp.width_in_blocks + h - 1) / h * h;
        const int64_t rows = (comp.height_in_blocks + v - 1) / v * v;
        total += columns * rows * static_cast<int64_t>(sizeof(JBLOCK));
    }
    return static_cast<long>(std::min<int64_t>(total, std::numeric_limits<long>::max() / 2));
}

// Progressive files name each scan again; a file of more scans than any
// encoder writes would cost a pass over the whole image per scan.
constexpr int kMaxScans = 1000;

void JpegProgress(j_common_ptr common) {
    auto* cinfo = reinterpret_cast<j_decompress_ptr>(common);
    if (cinfo->is_decompressor && cinfo->input_scan_number > kMaxScans) {
        auto* error = reinterpret_cast<JpegErrorManager*>(common->err);
        LogPrintf("LoadJpegImage: %s: more than %d scans", error->name, kMaxScans);
        longjmp(error->jump, 1);
    }
}

bool JpegDecodeFile(JpegDecode* d, TFile* file, int32_t* width, int32_t* height, int32_t* side) {
    if (setjmp(d->error.jump)) {
        return false;
    }
    jpeg_create_decompress(&d->cinfo);
    d->progress.progress_monitor = JpegProgress;
    d->cinfo.progress = &d->progress;
    d->cinfo.mem->max_memory_to_use = kMaxDecoderMemory;
    JpegFileSource(&d->cinfo, file);
    jpeg_read_header(&d->cinfo, TRUE);
    const int32_t s = ImageBufferSide(d->cinfo.image_width, d->cinfo.image_height, d->maxSide);
    if (s == 0) {
        LogImageTooLarge("LoadJpegImage", d->error.name, d->cinfo.image_width,
                         d->cinfo.image_height, d->maxSide);
        return false;
    }
    // The working memory, plus the coefficients of a picture of several
    // scans, which have no other place to go; both follow from the size
    // the header gave, which the limit above bounds.
    d->cinfo.mem->max_memory_to_use = kMaxDecoderMemory + CoefficientBytes(d->cinfo);
    d->cinfo.out_color_space = JCS_EXT_BGRA;
    jpeg_start_decompress(&d->cinfo);
    if (d->cinfo.output_components != 4 || d->cinfo.output_width != d->cinfo.image_width ||
        d->cinfo.output_height != d->cinfo.image_height) {
        LogPrintf("LoadJpegImage: %s: unexpected output form", d->error.name);
        return false;
    }
    d->pixels = AllocImageBuffer(s);
    if (!d->pixels) {
        LogPrintf("LoadJpegImage: %s: out of memory", d->error.name);
        return false;
    }
    while (d->cinfo.output_scanline < d->cinfo.output_height) {
        JSAMPROW row = d->pixels + static_cast<size_t>(d->cinfo.output_scanline) * s * 4;
        jpeg_read_scanlines(&d->cinfo, &row, 1);
    }
    jpeg_finish_decompress(&d->cinfo);
    *width = static_cast<int32_t>(d->cinfo.image_width);
    *height = static_cast<int32_t>(d->cinfo.image_height);
    *side = s;
    return true;
}

} // namespace

void JpegFileSource(j_decompress_ptr cinfo, TFile* file) {
    if (!cinfo->src) {
        auto* src = static_cast<JpegFileSourceManager*>((*cinfo->mem->alloc_small)(
            reinterpret_cast<j_common_ptr>(cinfo), JPOOL_PERMANENT, sizeof(JpegFileSourceManager)));
        src->buffer = static_cast<JOCTET*>((*cinfo->mem->alloc_small)(
            reinterpret_cast<j_common_ptr>(cinfo), JPOOL_PERMANENT, kSourceBufferSize));
        cinfo->src = &src->pub;
    }
    auto* src = reinterpret_cast<JpegFileSourceManager*>(cinfo->src);
    src->pub.init_source = SourceInit;
    src->pub.fill_input_buffer = SourceFill;
    src->pub.skip_input_data = SourceSkip;
    src->pub.resync_to_restart = jpeg_resync_to_restart;
    src->pub.term_source = SourceTerm;
    src->pub.bytes_in_buffer = 0;
    src->pub.next_input_byte = nullptr;
    src->file = file;
}

bool LoadJpegImage(const char* name, uint8_t** buffer, int32_t* width, int32_t* height,
                   int32_t* side, int32_t maxSide) {
    *buffer = nullptr;
    *width = *height = *side = 0;
    if (!name) {
        return false;
    }
    TFile file;
    if (!file.Open(name, 0)) {
        LogPrintf("LoadJpegImage: cannot open %s", name);
        return false;
    }
    auto* d = new JpegDecode();
    d->cinfo.err = jpeg_std_error(&d->error.pub);
    d->error.pub.error_exit = JpegErrorExit;
    d->error.pub.output_message = JpegOutputMessage;
    d->error.name = name;
    d->maxSide = maxSide;
    bool ok = JpegDecodeFile(d, &file, width, height, side);
    jpeg_destroy_decompress(&d->cinfo);
    if (ok) {
        *buffer = d->pixels;
    } else {
        FreeImageBuffer(d->pixels);
        *width = *height = *side = 0;
    }
    delete d;
    return ok;
}

void FreeJpegImage(uint8_t* buffer) {
    FreeImageBuffer(buffer);
}
