#include "OggWriter.h"

#include <vorbis/vorbisenc.h>

#include <algorithm>

namespace soundgen {

namespace {

void Append(std::vector<uint8_t>& out, const ogg_page& page) {
    out.insert(out.end(), page.header, page.header + page.header_len);
    out.insert(out.end(), page.body, page.body + page.body_len);
}

} // namespace

std::vector<uint8_t> EncodeOgg(const Buffer& buffer, uint32_t serial, float quality) {
    std::vector<uint8_t> out;
    vorbis_info info;
    vorbis_info_init(&info);
    if (vorbis_encode_init_vbr(&info, buffer.channels, buffer.rate, quality) != 0) {
        vorbis_info_clear(&info);
        return out;
    }
    vorbis_comment comment;
    vorbis_comment_init(&comment);
    vorbis_comment_add_tag(&comment, "ENCODER", "corvalo soundgen");
    vorbis_dsp_state dsp;
    vorbis_block block;
    vorbis_analysis_init(&dsp, &info);
    vorbis_block_init(&dsp, &block);
    ogg_stream_state stream;
    ogg_stream_init(&stream, static_cast<int>(serial));

    ogg_packet header, headerComment, headerCode;
    vorbis_analysis_headerout(&dsp, &comment, &header, &headerComment, &headerCode);
    ogg_stream_packetin(&stream, &header);
    ogg_stream_packetin(&stream, &headerComment);
    ogg_stream_packetin(&stream, &headerCode);
    ogg_page page;
    while (ogg_stream_flush(&stream, &page) != 0)
        Append(out, page);

    const long frames = buffer.Frames();
    const long chunk = 4096;
    bool ended = false;
    for (long start = 0; !ended;) {
        const long count = std::min(chunk, frames - start);
        if (count <= 0) {
            vorbis_analysis_wrote(&dsp, 0);
        } else {
            float** channels = vorbis_analysis_buffer(&dsp, static_cast<int>(count));
            for (long i = 0; i < count; ++i) {
                for (int c = 0; c < buffer.channels; ++c)
                    channels[c][i] = buffer.At(start + i, c);
            }
            vorbis_analysis_wrote(&dsp, static_cast<int>(count));
            start += count;
        }
        while (vorbis_analysis_blockout(&dsp, &block) == 1) {
            vorbis_analysis(&block, nullptr);
            vorbis_bitrate_addblock(&block);
            ogg_packet packet;
            while (vorbis_bitrate_flushpacket(&dsp, &packet)) {
                ogg_stream_packetin(&stream, &packet);
                while (ogg_stream_pageout(&stream, &page) != 0) {
                    Append(out, page);
                    if (ogg_page_eos(&page))
                        ended = true;
                }
            }
        }
        if (count <= 0) {
            while (ogg_stream_flush(&stream, &page) != 0)
                Append(out, page);
            ended = true;
        }
    }

    ogg_stream_clear(&stream);
    vorbis_block_clear(&block);
    vorbis_dsp_clear(&dsp);
    vorbis_comment_clear(&comment);
    vorbis_info_clear(&info);
    return out;
}

} // namespace soundgen
