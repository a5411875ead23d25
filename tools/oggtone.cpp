// Writes an Ogg Vorbis file holding a sine tone, for the sound tests and
// for trying the sound code by hand:
//   oggtone OUT.ogg FREQUENCY SECONDS CHANNELS [RATE]
// The tone has amplitude 0.5, fades in and out over 5 ms so it starts and
// ends without a click, and uses the same serial number and quality on
// every run, so the same arguments give the same file.

#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

bool WritePage(std::FILE* out, const ogg_page& page) {
    return std::fwrite(page.header, 1, page.header_len, out) == size_t(page.header_len) &&
           std::fwrite(page.body, 1, page.body_len, out) == size_t(page.body_len);
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 5 || argc > 6) {
        std::fprintf(stderr, "usage: oggtone OUT.ogg FREQUENCY SECONDS CHANNELS [RATE]\n");
        return 2;
    }
    const double frequency = std::atof(argv[2]);
    const double seconds = std::atof(argv[3]);
    const int channels = std::atoi(argv[4]);
    const long rate = argc > 5 ? std::atol(argv[5]) : 44100;
    if (frequency <= 0 || seconds < 0 || channels < 1 || channels > 2 || rate < 8000 ||
        rate > 192000) {
        std::fprintf(stderr, "oggtone: bad arguments\n");
        return 2;
    }
    std::FILE* out = std::fopen(argv[1], "wb");
    if (!out) {
        std::perror(argv[1]);
        return 1;
    }

    vorbis_info info;
    vorbis_info_init(&info);
    if (vorbis_encode_init_vbr(&info, channels, rate, 0.4f) != 0) {
        std::fprintf(stderr, "oggtone: the encoder refused the format\n");
        return 1;
    }
    vorbis_comment comment;
    vorbis_comment_init(&comment);
    vorbis_comment_add_tag(&comment, "ENCODER", "corvalo oggtone");
    vorbis_dsp_state dsp;
    vorbis_block block;
    vorbis_analysis_init(&dsp, &info);
    vorbis_block_init(&dsp, &block);
    ogg_stream_state stream;
    ogg_stream_init(&stream, 0x436f7276);

    ogg_packet header, headerComment, headerCode;
    vorbis_analysis_headerout(&dsp, &comment, &header, &headerComment, &headerCode);
    ogg_stream_packetin(&stream, &header);
    ogg_stream_packetin(&stream, &headerComment);
    ogg_stream_packetin(&stream, &headerCode);
    ogg_page page;
    bool ok = true;
    while (ogg_stream_flush(&stream, &page) != 0) {
        ok = WritePage(out, page) && ok;
    }

    const long frames = std::lround(seconds * rate);
    const long fade = rate / 200;
    const long chunk = 1024;
    const double pi = std::acos(-1.0);
    bool done = false;
    for (long start = 0; !done;) {
        long count = std::min(chunk, frames - start);
        if (count <= 0) {
            vorbis_analysis_wrote(&dsp, 0);
        } else {
            float** buffer = vorbis_analysis_buffer(&dsp, count);
            for (long i = 0; i < count; ++i) {
                long n = start + i;
                double gain = 0.5;
                if (n < fade) {
                    gain *= double(n) / fade;
                } else if (frames - n < fade) {
                    gain *= double(frames - n) / fade;
                }
                float value = static_cast<float>(gain * std::sin(2.0 * pi * frequency * n / rate));
                for (int c = 0; c < channels; ++c) {
                    buffer[c][i] = value;
                }
            }
            vorbis_analysis_wrote(&dsp, count);
            start += count;
        }
        while (vorbis_analysis_blockout(&dsp, &block) == 1) {
            vorbis_analysis(&block, nullptr);
            vorbis_bitrate_addblock(&block);
            ogg_packet packet;
            while (vorbis_bitrate_flushpacket(&dsp, &packet)) {
                ogg_stream_packetin(&stream, &packet);
                while (ogg_stream_pageout(&stream, &page) != 0) {
                    ok = WritePage(out, page) && ok;
                    if (ogg_page_eos(&page)) {
                        done = true;
                    }
                }
            }
        }
        if (count <= 0) {
            while (ogg_stream_flush(&stream, &page) != 0) {
                ok = WritePage(out, page) && ok;
            }
            done = true;
        }
    }

    ogg_stream_clear(&stream);
    vorbis_block_clear(&block);
    vorbis_dsp_clear(&dsp);
    vorbis_comment_clear(&comment);
    vorbis_info_clear(&info);
    ok = std::fclose(out) == 0 && ok;
    if (!ok) {
        std::fprintf(stderr, "oggtone: writing %s failed\n", argv[1]);
        return 1;
    }
    return 0;
}
