// The card daemon's side of the wire protocol, fed as a client would: the input's first byte is
// the size of the client's writes (0: all at once), the rest the bytes it sends. Each request
// runs on a fresh card model.
//
// Every complete request is answered, in order, with a well-formed frame carrying its sequence;
// every refused length gets one Error frame, and the stream is read on after it.

#include "sim/daemon/RequestDecoder.h"
#include "sim/daemon/RequestHandler.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

using simcard::wire::FrameType;

void Require(bool condition) {
    if (!condition)
        std::abort();
}

void CheckFrame(const std::vector<std::uint8_t>& frame, FrameType type, std::uint32_t sequence) {
    Require(frame.size() >= simcard::wire::kHeaderSize);
    Require(simcard::wire::FrameLength(frame) == frame.size() - 4);
    const auto header = simcard::wire::ParseHeader(frame);
    Require(header.sequence == sequence);
    Require(header.type == type || (type == FrameType::Reply && header.type == FrameType::Error));
    if (header.type == FrameType::Error) {
        simcard::wire::Reader r(
            std::span<const std::uint8_t>(frame).subspan(simcard::wire::kHeaderSize));
        Require(!r.Text().empty() && r.Complete());
    }
}

// How many requests and refusals a stream holds, and how many bytes of a frame are left over.
struct Count {
    std::size_t requests = 0, refused = 0, pending = 0;
};

Count CountFrames(std::span<const std::uint8_t> stream) {
    Count count;
    std::size_t pos = 0;
    while (pos + 4 <= stream.size()) {
        const std::uint32_t length = simcard::wire::FrameLength(stream.subspan(pos));
        const bool refused = length < 5 || length > simcard::wire::kMaxRequest;
        if (!refused && stream.size() - pos - 4 < length)
            break;
        ++(refused ? count.refused : count.requests);
        pos += 4 + std::size_t{length};
    }
    count.pending = pos < stream.size() ? stream.size() - pos : 0;
    return count;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const std::size_t piece = data[0] ? data[0] : size;
    const std::span<const std::uint8_t> stream(data + 1, size - 1);

    simcard::CardModel model(2, simcard::SteadyModelClock());
    const simcard::ClientId client = model.Connect(1);
    Count seen;
    const simcard::EventSender events = [](const std::vector<std::uint8_t>& frame) {
        CheckFrame(frame, FrameType::DeviceChange, 0);
    };
    simcard::RequestDecoder::Sink sink;
    sink.refused = [&](std::uint32_t length, const std::vector<std::uint8_t>& error) {
        Require(length < 5 || length > simcard::wire::kMaxRequest);
        CheckFrame(error, FrameType::Error, 0);
        ++seen.refused;
        return true;
    };
    sink.request = [&](const simcard::wire::FrameHeader& header,
                       std::span<const std::uint8_t> payload) {
        Require(payload.size() + 5 == header.length);
        auto answer = simcard::HandleRequest(model, client, header, payload, events);
        Require(answer.has_value() || header.type == FrameType::Answer);
        if (answer)
            CheckFrame(*answer, FrameType::Reply, header.sequence);
        ++seen.requests;
        return true;
    };
    simcard::RequestDecoder decoder;
    for (std::size_t at = 0; at < stream.size(); at += piece)
        decoder.Feed(stream.subspan(at, std::min(piece, stream.size() - at)), sink);

    const Count expected = CountFrames(stream);
    Require(seen.requests == expected.requests && seen.refused == expected.refused);
    Require(decoder.Pending() == expected.pending);
    model.Disconnect(client);
    return 0;
}
