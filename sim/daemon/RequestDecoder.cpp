#include "sim/daemon/RequestDecoder.h"

#include <algorithm>

namespace simcard {

void RequestDecoder::Feed(std::span<const std::uint8_t> data, const Sink& sink) {
    if (skip_) {
        std::size_t dropped = std::min<std::size_t>(skip_, data.size());
        skip_ -= static_cast<std::uint32_t>(dropped);
        data = data.subspan(dropped);
    }
    input_.insert(input_.end(), data.begin(), data.end());
    std::size_t used = 0;
    bool open = true;
    while (open && input_.size() - used >= 4) {
        std::span<const std::uint8_t> rest(input_.data() + used, input_.size() - used);
        std::uint32_t length = wire::FrameLength(rest);
        if (length < 5 || length > wire::kMaxRequest) {
            open = sink.refused(length, wire::Writer()
                                            .Text("request of " + std::to_string(length) +
                                                  " bytes refused: a request holds 5 to " +
                                                  std::to_string(wire::kMaxRequest) + " bytes")
                                            .Frame(wire::FrameType::Error, 0));
            // Drop the refused request as it arrives and read on after it.
            std::size_t available = rest.size() - 4;
            std::size_t dropped = std::min<std::size_t>(available, length);
            used += 4 + dropped;
            skip_ = length - static_cast<std::uint32_t>(dropped);
            if (skip_)
                break;
            continue;
        }
        if (rest.size() < 4 + length)
            break;
        auto frame = rest.subspan(0, 4 + length);
        open = sink.request(wire::ParseHeader(frame), frame.subspan(wire::kHeaderSize));
        used += 4 + length;
    }
    input_.erase(input_.begin(), input_.begin() + static_cast<std::ptrdiff_t>(used));
}

} // namespace simcard
