#pragma once
// Cuts the byte stream of one client into request frames, however its writes arrive in pieces.
// A frame whose length prefix is out of range (under 5 or over wire::kMaxRequest) is refused:
// its bytes are dropped as they arrive, and the frames after it are read on (the daemon drops a
// client whose length is over the maximum instead).

#include "sim/protocol/Wire.h"

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace simcard {

class RequestDecoder {
public:
    struct Sink {
        // A complete request; false stops the decoding (the client is gone).
        std::function<bool(const wire::FrameHeader&, std::span<const std::uint8_t> payload)>
            request;
        // The refused length and its Error frame; false stops the decoding.
        std::function<bool(std::uint32_t length, const std::vector<std::uint8_t>& error)> refused;
    };

    // Takes the bytes that arrived and hands on every request they complete, in order.
    void Feed(std::span<const std::uint8_t> data, const Sink& sink);
    // Bytes held back: the start of a frame not complete yet.
    std::size_t Pending() const { return input_.size(); }
    // Whether the next byte begins a frame: nothing of one is held back or still to be dropped.
    bool AtFrameStart() const { return input_.empty() && skip_ == 0; }

private:
    std::vector<std::uint8_t> input_;
    std::uint32_t skip_ = 0; // bytes of a refused request still to be dropped
};

} // namespace simcard
