#include "framework/graphics/texture/TJpegImage.h"

#include "framework/core/files/TFile.h"
#include "framework/core/log/TLog.h"
#include "framework/graphics/texture/TImageBuffer.h"

#include <jerror.h>

#include <csetjmp>

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
    uint8_t* pixels = nullptr;
};

bool JpegDecodeFile(JpegDecode* d, TFile* file, int32_t* width, int32_t* height, int32_t* side) {
    if (setjmp(d->error.jump)) {
        return false;
    }
    jpeg_create_decompress(&d->cinfo);
    d->cinfo.mem->max_memory_to_use = kMaxDecoderMemory;
    JpegFileSource(&d->cinfo, file);
    jpeg_read_header(&d->cinfo, TRUE);
    const int32_t s = ImageBufferSide(d->cinfo.image_width, d->cinfo.image_height);
    if (s == 0) {
        LogPrintf("LoadJpegImage: %s: image of %ux%u is too large", d->error.name,
                  d->cinfo.image_width, d->cinfo.image_height);
        return false;
    }
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
                   int32_t* side) {
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
