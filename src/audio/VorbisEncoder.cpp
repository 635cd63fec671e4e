#include "VorbisEncoder.h"

#include <vorbis/vorbisenc.h>

namespace kwadrill {
namespace {

constexpr int kChannels = 2;
constexpr float kFullScale = 32768.0f;

std::string Bytes(const ogg_packet& packet) {
    return {reinterpret_cast<const char*>(packet.packet), static_cast<std::size_t>(packet.bytes)};
}

ogg_packet Packet(const std::string& bytes, int number) {
    ogg_packet packet{};
    packet.packet = reinterpret_cast<unsigned char*>(const_cast<char*>(bytes.data()));
    packet.bytes = static_cast<long>(bytes.size());
    packet.b_o_s = number == 0;
    packet.packetno = number;
    return packet;
}

}  // namespace

struct VorbisEncoder::Vorbis {
    vorbis_info info{};
    vorbis_dsp_state dsp{};
    vorbis_block block{};
    ogg_stream_state stream{};
    std::uint32_t serial = 0;
    // The first and third header packets, to write the header again at the end.
    std::string identification, codebooks;
    std::size_t headerBytes = 0;
    int headerPages = 0;
    bool ready = false;
};

VorbisEncoder::VorbisEncoder(int sampleRate, std::uint32_t serial)
    : vorbis_(std::make_unique<Vorbis>()) {
    Vorbis& v = *vorbis_;
    v.serial = serial;
    vorbis_info_init(&v.info);
    if (vorbis_encode_init_vbr(&v.info, kChannels, sampleRate, kQuality) != 0) return;
    vorbis_analysis_init(&v.dsp, &v.info);
    vorbis_block_init(&v.dsp, &v.block);
    ogg_stream_init(&v.stream, static_cast<int>(serial));
    vorbis_comment none;
    vorbis_comment_init(&none);
    ogg_packet identification, comment, codebooks;
    vorbis_analysis_headerout(&v.dsp, &none, &identification, &comment, &codebooks);
    v.identification = Bytes(identification);
    v.codebooks = Bytes(codebooks);
    ogg_stream_packetin(&v.stream, &identification);
    ogg_stream_packetin(&v.stream, &comment);
    ogg_stream_packetin(&v.stream, &codebooks);
    vorbis_comment_clear(&none);
    v.ready = true;
    // The audio starts on a page of its own, as decoders expect.
    ogg_page page;
    while (ogg_stream_flush(&v.stream, &page) != 0) {
        out_.append(reinterpret_cast<const char*>(page.header), page.header_len);
        out_.append(reinterpret_cast<const char*>(page.body), page.body_len);
        ++v.headerPages;
    }
    v.headerBytes = out_.size();
}

VorbisEncoder::~VorbisEncoder() {
    Vorbis& v = *vorbis_;
    if (v.ready) {
        ogg_stream_clear(&v.stream);
        vorbis_block_clear(&v.block);
        vorbis_dsp_clear(&v.dsp);
    }
    vorbis_info_clear(&v.info);
}

bool VorbisEncoder::IsReady() const {
    return vorbis_->ready;
}

void VorbisEncoder::Write(const std::int16_t* frames, int frameCount) {
    if (!vorbis_->ready || frameCount <= 0) return;
    float** buffer = vorbis_analysis_buffer(&vorbis_->dsp, frameCount);
    for (int i = 0; i < frameCount; ++i) {
        buffer[0][i] = frames[2 * i] / kFullScale;
        buffer[1][i] = frames[2 * i + 1] / kFullScale;
    }
    vorbis_analysis_wrote(&vorbis_->dsp, frameCount);
    Drain();
}

std::string VorbisEncoder::Finish(const Comments& comments) {
    Vorbis& v = *vorbis_;
    if (!v.ready) return {};
    vorbis_analysis_wrote(&v.dsp, 0);
    Drain();
    TakePages(true);
    // The audio pages are numbered on from the header's pages, so the new
    // header must take as many pages as the first.
    int pages = 0;
    const std::string header = HeaderPages(comments, pages);
    if (pages != v.headerPages) return {};
    return header + out_.substr(v.headerBytes);
}

std::string VorbisEncoder::HeaderPages(const Comments& comments, int& pages) const {
    const Vorbis& v = *vorbis_;
    vorbis_comment comment;
    vorbis_comment_init(&comment);
    for (const auto& [tag, value] : comments)
        vorbis_comment_add_tag(&comment, tag.c_str(), value.c_str());
    ogg_packet commentPacket;
    vorbis_commentheader_out(&comment, &commentPacket);
    const std::string commentBytes = Bytes(commentPacket);
    ogg_packet_clear(&commentPacket);
    vorbis_comment_clear(&comment);

    ogg_stream_state stream;
    ogg_stream_init(&stream, static_cast<int>(v.serial));
    ogg_packet packets[] = {Packet(v.identification, 0), Packet(commentBytes, 1),
                            Packet(v.codebooks, 2)};
    for (ogg_packet& packet : packets) ogg_stream_packetin(&stream, &packet);
    std::string out;
    ogg_page page;
    while (ogg_stream_flush(&stream, &page) != 0) {
        out.append(reinterpret_cast<const char*>(page.header), page.header_len);
        out.append(reinterpret_cast<const char*>(page.body), page.body_len);
        ++pages;
    }
    ogg_stream_clear(&stream);
    return out;
}

void VorbisEncoder::Drain() {
    Vorbis& v = *vorbis_;
    while (vorbis_analysis_blockout(&v.dsp, &v.block) == 1) {
        vorbis_analysis(&v.block, nullptr);
        vorbis_bitrate_addblock(&v.block);
        ogg_packet packet;
        while (vorbis_bitrate_flushpacket(&v.dsp, &packet) == 1)
            ogg_stream_packetin(&v.stream, &packet);
    }
    TakePages(false);
}

void VorbisEncoder::TakePages(bool flush) {
    ogg_page page;
    while ((flush ? ogg_stream_flush(&vorbis_->stream, &page)
                  : ogg_stream_pageout(&vorbis_->stream, &page)) != 0) {
        out_.append(reinterpret_cast<const char*>(page.header), page.header_len);
        out_.append(reinterpret_cast<const char*>(page.body), page.body_len);
    }
}

}  // namespace kwadrill
