#include "MeterRecording.h"

#include "controls/TLevelMeter.h"
#include "sim/model/CardModel.h"
#include "sim/model/SimulatedCard.h"
#include "support/ControlFormat.h"
#include "windows/MeterDesign.h"

#include <cstring>
#include <memory>

namespace bench {

namespace {

constexpr int kCards = 4;
constexpr int kPairsPerCard = 4;
constexpr std::uint64_t kPollMs = 100;
constexpr std::uint64_t kDecayMs = 40;

std::int32_t Peak(const std::vector<std::uint8_t>& block, std::size_t offset) {
    std::int32_t value = 0;
    if (block.size() >= offset + 4)
        std::memcpy(&value, block.data() + offset, 4);
    return value;
}

} // namespace

MeterScript RecordAdatMeters(double seconds) {
    std::uint64_t now = 0;
    simcard::CardModel card(kCards, [&now] { return now; });
    const testsupport::ControlFormat format;
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(&format);
    std::vector<std::uint32_t> handles;
    for (int c = 0; c < kCards; ++c)
        for (int pair = 0; pair < kPairsPerCard; ++pair) {
            const std::uint32_t id =
                card.DeviceIdOf(c, simcard::WaveDirection::In, simcard::kFirstAdat + pair);
            const simcard::OpenReply opened =
                card.Open(simcard::WaveDirection::In, id, std::span(bytes, sizeof format));
            handles.push_back(opened.handle);
            card.Message(simcard::WaveDirection::In, opened.handle, simcard::INMSG_METER_ON, 0, 0,
                         {});
        }
    std::vector<std::unique_ptr<TLevelMeter>> meters;
    for (std::size_t m = 0; m < 2 * handles.size(); ++m)
        meters.emplace_back(DesignMeter(nullptr, nullptr, "", 0));

    MeterScript script;
    script.meters = static_cast<int>(meters.size());
    script.lamps = meters.front()->LumiCount();
    std::vector<bool> lit(static_cast<std::size_t>(script.meters * script.lamps), false);
    auto changes = [&] {
        std::vector<LampChange> found;
        for (int m = 0; m < script.meters; ++m)
            for (int l = 0; l < script.lamps; ++l) {
                const bool on = meters[static_cast<std::size_t>(m)]->Lumis(l)->On();
                auto&& was = lit[static_cast<std::size_t>(m * script.lamps + l)];
                if (on != was)
                    found.push_back({m, l, on});
                was = on;
            }
        return found;
    };
    const auto end = static_cast<std::uint64_t>(seconds * 1000);
    std::uint64_t nextPoll = kPollMs, nextDecay = kDecayMs;
    while (std::min(nextPoll, nextDecay) <= end) {
        if (nextDecay <= nextPoll) {
            now = nextDecay;
            nextDecay += kDecayMs;
            TMessage tick{WM_METERTICK, 1, 0, 0};
            for (auto& meter : meters)
                meter->DecayTick(tick);
            script.Add(MeterEvent::Decay, changes());
        } else {
            now = nextPoll;
            nextPoll += kPollMs;
            std::vector<std::uint8_t> block(8);
            for (std::size_t pair = 0; pair < handles.size(); ++pair) {
                const simcard::MessageReply read =
                    card.Message(simcard::WaveDirection::In, handles[pair],
                                 simcard::INMSG_METER_READ, 0, 0, block);
                meters[2 * pair]->SetLevel(Peak(read.block, 0));
                meters[2 * pair + 1]->SetLevel(Peak(read.block, 4));
            }
            script.Add(MeterEvent::Poll, changes());
        }
    }
    return script;
}

} // namespace bench
