#pragma once
// Carries out one request of a client on the card model and builds its answer: a Reply frame, or
// an Error frame for a request the daemon cannot take (malformed, out of range, unknown type).

#include "sim/model/CardModel.h"
#include "sim/protocol/Wire.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

namespace simcard {

// Receives the DeviceChange frames pushed to a subscribed client, as the model raises them.
using EventSender = std::function<void(const std::vector<std::uint8_t>& frame)>;

// Nothing for a request that takes no reply (Answer).
std::optional<std::vector<std::uint8_t>> HandleRequest(CardModel& model, ClientId client,
                                                       const wire::FrameHeader& header,
                                                       std::span<const std::uint8_t> payload,
                                                       const EventSender& events);

} // namespace simcard
