// SPDX-License-Identifier: GPL-3.0-or-later
// Ogg streams for tests of compressed samples: Vorbis encoded with
// libvorbisenc, and Ogg pages of any packets with libogg.
#pragma once

#include <ogg/ogg.h>
#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace zelvo::testing {

inline void AppendPage(std::string& out, const ogg_page& page) {
    out.append(reinterpret_cast<const char*>(page.header), static_cast<std::size_t>(page.header_len));
    out.append(reinterpret_cast<const char*>(page.body), static_cast<std::size_t>(page.body_len));
}

// An Ogg Vorbis stream of `channels` interleaved channels of values in
// [-1, 1] (beyond that is clipped on decoding).
inline std::string EncodeVorbis(const std::vector<float>& interleaved, int channels,
                                long rate = 44100, float quality = 0.5f) {
    vorbis_info info;
    vorbis_info_init(&info);
    if (vorbis_encode_init_vbr(&info, channels, rate, quality) != 0)
        throw std::invalid_argument("libvorbisenc refuses these settings");
    vorbis_comment comment;
    vorbis_comment_init(&comment);
    vorbis_dsp_state dsp;
    vorbis_analysis_init(&dsp, &info);
    vorbis_block block;
    vorbis_block_init(&dsp, &block);
    ogg_stream_state os;
    ogg_stream_init(&os, 1);
    std::string out;
    ogg_page page;
    ogg_packet header, comments, codebooks;
    vorbis_analysis_headerout(&dsp, &comment, &header, &comments, &codebooks);
    for (ogg_packet* p : {&header, &comments, &codebooks}) ogg_stream_packetin(&os, p);
    while (ogg_stream_flush(&os, &page) != 0) AppendPage(out, page);

    const auto width = static_cast<std::size_t>(channels);
    ogg_packet packet;
    for (std::size_t at = 0, n = 1; n > 0; at += n) {
        n = std::min<std::size_t>(1024, interleaved.size() / width - at);
        float** buffer = vorbis_analysis_buffer(&dsp, static_cast<int>(n));
        for (std::size_t i = 0; i < n * width; ++i)
            buffer[i % width][i / width] = interleaved[at * width + i];
        vorbis_analysis_wrote(&dsp, static_cast<int>(n));  // 0 ends the stream
        while (vorbis_analysis_blockout(&dsp, &block) == 1) {
            vorbis_analysis(&block, nullptr);
            vorbis_bitrate_addblock(&block);
            while (vorbis_bitrate_flushpacket(&dsp, &packet) == 1) {
                ogg_stream_packetin(&os, &packet);
                while (ogg_stream_pageout(&os, &page) != 0) AppendPage(out, page);
            }
        }
    }
    while (ogg_stream_flush(&os, &page) != 0) AppendPage(out, page);
    ogg_stream_clear(&os);
    vorbis_block_clear(&block);
    vorbis_dsp_clear(&dsp);
    vorbis_comment_clear(&comment);
    vorbis_info_clear(&info);
    return out;
}

// The test signal: two sines and a falling sweep, peak 0.8.
inline std::vector<float> TestSignal(std::size_t points, double rate = 44100) {
    std::vector<float> signal(points);
    constexpr double kTwoPi = 6.283185307179586;
    for (std::size_t i = 0; i < points; ++i) {
        const double t = static_cast<double>(i) / rate;
        signal[i] = static_cast<float>(0.4 * std::sin(kTwoPi * 440 * t) +
                                       0.2 * std::sin(kTwoPi * 1375 * t + 1) +
                                       0.2 * std::sin(kTwoPi * (3000 - 1000 * t) * t));
    }
    return signal;
}

// Pearson correlation of decoded points with a signal, over their common length.
inline double Correlation(const std::vector<std::int16_t>& a, const std::vector<float>& b) {
    const std::size_t n = std::min(a.size(), b.size());
    double sa = 0, sb = 0, ab = 0, aa = 0, bb = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const double x = a[i], y = b[i];
        sa += x, sb += y, ab += x * y, aa += x * x, bb += y * y;
    }
    const double count = static_cast<double>(n);
    return (count * ab - sa * sb) / std::sqrt((count * aa - sa * sa) * (count * bb - sb * sb));
}

// A stream of one page per packet, the last marked as the end, with the
// given granule positions; for streams that are Ogg but not Vorbis.
inline std::string OggPages(const std::vector<std::string>& packets, std::int64_t granuleStep = 100) {
    ogg_stream_state os;
    ogg_stream_init(&os, 7);
    std::string out;
    for (std::size_t i = 0; i < packets.size(); ++i) {
        std::string data = packets[i];
        const auto n = static_cast<std::int64_t>(i);
        ogg_packet packet{reinterpret_cast<unsigned char*>(data.data()), static_cast<long>(data.size()),
                          n == 0, i + 1 == packets.size(), n * granuleStep, n};
        ogg_stream_packetin(&os, &packet);
        ogg_page page;
        while (ogg_stream_flush(&os, &page) != 0) AppendPage(out, page);
    }
    ogg_stream_clear(&os);
    return out;
}

// The stream with its last page's granule position set to length: a
// stream that claims as many points as a test needs.
inline std::string WithLength(std::string stream, std::int64_t length) {
    const std::size_t at = stream.rfind("OggS");
    ogg_page page{reinterpret_cast<unsigned char*>(stream.data() + at), 27 + static_cast<unsigned char>(stream[at + 26]),
                  nullptr, 0};
    page.body = page.header + page.header_len;
    page.body_len = static_cast<long>(stream.size() - at) - page.header_len;
    for (int i = 0; i < 8; ++i) page.header[6 + i] = static_cast<unsigned char>(length >> (8 * i));
    ogg_page_checksum_set(&page);
    return stream;
}

}  // namespace zelvo::testing
