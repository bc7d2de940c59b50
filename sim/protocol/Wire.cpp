#include "sim/protocol/Wire.h"

namespace simcard::wire {

Writer& Writer::U8(std::uint8_t v) {
    payload_.push_back(v);
    return *this;
}

Writer& Writer::U16(std::uint16_t v) {
    U8(static_cast<std::uint8_t>(v));
    return U8(static_cast<std::uint8_t>(v >> 8));
}

Writer& Writer::U32(std::uint32_t v) {
    U16(static_cast<std::uint16_t>(v));
    return U16(static_cast<std::uint16_t>(v >> 16));
}

Writer& Writer::Bytes(std::span<const std::uint8_t> bytes) {
    U32(static_cast<std::uint32_t>(bytes.size()));
    payload_.insert(payload_.end(), bytes.begin(), bytes.end());
    return *this;
}

Writer& Writer::Text(const std::string& text) {
    return Bytes({reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
}

std::vector<std::uint8_t> Writer::Frame(FrameType type, std::uint32_t sequence) const {
    Writer head;
    head.U32(static_cast<std::uint32_t>(payload_.size() + 5))
        .U8(static_cast<std::uint8_t>(type))
        .U32(sequence);
    std::vector<std::uint8_t> frame = std::move(head.payload_);
    frame.insert(frame.end(), payload_.begin(), payload_.end());
    return frame;
}

bool Reader::Take(std::size_t n) {
    if (!ok_ || data_.size() - pos_ < n) {
        ok_ = false;
        return false;
    }
    return true;
}

std::uint8_t Reader::U8() {
    if (!Take(1))
        return 0;
    return data_[pos_++];
}

std::uint16_t Reader::U16() {
    std::uint16_t low = U8();
    return static_cast<std::uint16_t>(low | U8() << 8);
}

std::uint32_t Reader::U32() {
    std::uint32_t low = U16();
    return low | std::uint32_t(U16()) << 16;
}

std::vector<std::uint8_t> Reader::Bytes() {
    std::uint32_t n = U32();
    if (!Take(n))
        return {};
    std::vector<std::uint8_t> bytes(data_.begin() + pos_, data_.begin() + pos_ + n);
    pos_ += n;
    return bytes;
}

std::string Reader::Text() {
    auto bytes = Bytes();
    return {bytes.begin(), bytes.end()};
}

std::uint32_t FrameLength(std::span<const std::uint8_t> bytes) {
    return bytes[0] | bytes[1] << 8 | bytes[2] << 16 | std::uint32_t(bytes[3]) << 24;
}

FrameHeader ParseHeader(std::span<const std::uint8_t> frame) {
    Reader r(frame);
    FrameHeader h{};
    h.length = r.U32();
    h.type = static_cast<FrameType>(r.U8());
    h.sequence = r.U32();
    return h;
}

} // namespace simcard::wire
