// The card daemon as a real process on its socket, under clients that misbehave: each is dropped
// on its own while a client metering the card, as a channel window does, is answered as quickly
// as ever; and clients coming and going by the thousand leave no descriptor or memory behind.

#include "sim/protocol/CardClient.h"
#include "sim/protocol/Wire.h"
#include "support/CardDaemonSupport.h"
#include "support/Deadline.h"
#include "support/ProcessFacts.h"
#include "support/Varnelctl.h"

#include <atomic>
#include <cerrno>
#include <gtest/gtest.h>
#include <optional>
#include <poll.h>
#include <random>
#include <sys/socket.h>
#include <thread>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using simcard::CardClient;
using simcard::WaveDirection;
using simcard::wire::FrameType;
using simcard::wire::Writer;
using testsupport::RawConnection;
using Bytes = std::vector<std::uint8_t>;

#if defined(__SANITIZE_ADDRESS__)
// The sanitizer's allocator keeps freed memory in quarantine, so the resident set says nothing
// about leaks there; the leak checker at the daemon's end does.
constexpr bool kResidentSetMeasurable = false;
#else
constexpr bool kResidentSetMeasurable = true;
#endif

const Bytes kControlFormat = {1, 0, 2,  0, 0x44, 0xAC, 0,   0,   0x10, 0xB1, 2, 0,
                              4, 0, 16, 0, 4,    0,    'C', 'T', 'R',  'L',  0};

std::uint32_t AnalogIn(const std::string& socket) {
    return static_cast<std::uint32_t>(
        std::stoul(testsupport::StatusFacts(socket).at("card.0.device.analog-in")));
}

// Meters card 0's analog input as a channel window does, one read after the other on a thread
// of its own, and keeps the slowest answer.
class MeterPoll {
public:
    explicit MeterPoll(const std::string& socket) {
        std::string error;
        if (!client_.Connect(socket, &error))
            return;
        handle_ = client_.Open(WaveDirection::In, AnalogIn(socket), kControlFormat).handle;
        if (client_.Message(WaveDirection::In, handle_, simcard::INMSG_METER_ON, 0, 0, {}).result !=
            simcard::MMSYSERR_NOERROR)
            return;
        thread_ = std::thread([this] {
            while (!stop_) {
                const auto start = Clock::now();
                const auto reply = client_.Message(WaveDirection::In, handle_,
                                                   simcard::INMSG_METER_READ, 0, 0, Bytes(8));
                worst_ = std::max(worst_, Clock::now() - start);
                ++(reply.result == simcard::MMSYSERR_NOERROR ? reads_ : failures_);
            }
        });
    }
    ~MeterPoll() { Stop(); }
    bool Running() const { return thread_.joinable(); }
    // Ends the reads and the connection.
    void Stop() {
        stop_ = true;
        if (thread_.joinable())
            thread_.join();
        client_.Disconnect();
    }
    Clock::duration Worst() const { return worst_; }
    int Reads() const { return reads_; }
    int Failures() const { return failures_; }

private:
    CardClient client_;
    std::uint32_t handle_ = 0;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    Clock::duration worst_{};
    int reads_ = 0;
    int failures_ = 0;
};

// How long after `since` the daemon hung up on `fd` (what it still sent is read and dropped), or
// nullopt when it had not within three seconds.
std::optional<Clock::duration> HungUpAfter(int fd, Clock::time_point since) {
    while (Clock::now() < since + 3s) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, 100) <= 0)
            continue;
        char chunk[4096];
        const ssize_t n = recv(fd, chunk, sizeof chunk, MSG_DONTWAIT);
        if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR))
            return Clock::now() - since;
    }
    return std::nullopt;
}

std::string Fact(const std::string& facts, const std::string& key) {
    const std::string text = "\n" + facts;
    const std::size_t at = text.find("\n" + key + "=");
    if (at == std::string::npos)
        return {};
    const std::size_t start = at + key.size() + 2;
    return text.substr(start, text.find('\n', start) - start);
}

long Ms(Clock::duration d) {
    return static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(d).count());
}

class DaemonFaultTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(daemon_.Started());
        const auto pids = testsupport::DaemonsServing(daemon_.Socket());
        ASSERT_EQ(pids.size(), 1u);
        pid_ = pids[0];
    }
    // The descriptors the daemon holds without clients: counted once a probe of ours is the only
    // client it has, less the probe's.
    std::size_t IdleDescriptors() {
        CardClient probe;
        std::string error;
        EXPECT_TRUE(probe.Connect(daemon_.Socket(), &error)) << error;
        std::size_t descriptors = 0;
        EXPECT_TRUE(testsupport::PollUntil(2s, [&] {
            descriptors = testsupport::OpenDescriptors(pid_);
            return Fact(probe.Control({"status"}).output, "clients") == "1";
        }));
        return descriptors - 1;
    }
    // Waits until the daemon holds `descriptors` again (it sees hang-ups on its own schedule).
    bool DescriptorsBackTo(std::size_t descriptors) {
        return testsupport::PollUntil(
            2s, [&] { return testsupport::OpenDescriptors(pid_) == descriptors; });
    }

    testsupport::CardDaemon daemon_{1};
    pid_t pid_ = -1;
};

TEST_F(DaemonFaultTest, OnlyTheMisbehavingClientIsDroppedAndMeteringGoesOnUndisturbed) {
    const std::size_t descriptors = IdleDescriptors();
    MeterPoll meter(daemon_.Socket());
    ASSERT_TRUE(meter.Running());

    std::mt19937 random(18);
    Bytes garbage(4096);
    for (auto& byte : garbage)
        byte = static_cast<std::uint8_t>(random());
    Bytes truncated = Writer().U16(1).Text("status").Frame(FrameType::Control, 1);
    truncated.resize(truncated.size() - 3);
    Bytes oversized = Writer().U32(0).Frame(FrameType::Config, 2);
    oversized[2] = 0x10; // a length of a megabyte and more

    for (const auto& [name, bytes] :
         {std::pair{"garbage", garbage}, std::pair{"truncated", truncated},
          std::pair{"oversized", oversized}}) {
        SCOPED_TRACE(name);
        RawConnection faulty(daemon_.Socket());
        const auto sent = Clock::now();
        ASSERT_TRUE(faulty.Send(bytes));
        const auto dropped = HungUpAfter(faulty.Fd(), sent);
        ASSERT_TRUE(dropped) << "still connected after three seconds";
        EXPECT_LT(*dropped, 1s);
        RecordProperty(std::string("DroppedAfterMs_") + name, static_cast<int>(Ms(*dropped)));
    }

    // A client that asks and asks but never reads an answer.
    RawConnection deaf(daemon_.Socket());
    const Bytes ask = Writer().U8(0).Frame(FrameType::ListDevices, 3);
    Bytes asks;
    for (int i = 0; i < 64; ++i)
        asks.insert(asks.end(), ask.begin(), ask.end());
    const auto start = Clock::now();
    bool refused = false;
    while (!refused && Clock::now() < start + 3s) {
        const ssize_t n = send(deaf.Fd(), asks.data(), asks.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
        refused = n < 0 && errno != EAGAIN && errno != EINTR;
        pollfd writable{deaf.Fd(), POLLOUT, 0};
        if (n < 0 && errno == EAGAIN)
            poll(&writable, 1, 100);
    }
    ASSERT_TRUE(refused) << "the daemon still takes requests it cannot answer";
    const auto dropped = HungUpAfter(deaf.Fd(), start);
    ASSERT_TRUE(dropped);
    RecordProperty("DeafDroppedAfterMs", static_cast<int>(Ms(*dropped)));

    meter.Stop();
    EXPECT_EQ(meter.Failures(), 0);
    EXPECT_GT(meter.Reads(), 0);
    EXPECT_LT(meter.Worst(), 50ms) << "slowest meter read " << Ms(meter.Worst()) << " ms";
    RecordProperty("WorstMeterReadMs", static_cast<int>(Ms(meter.Worst())));
    RecordProperty("MeterReads", meter.Reads());
    // The poll's own connection closes with it.
    EXPECT_TRUE(DescriptorsBackTo(descriptors))
        << testsupport::OpenDescriptors(pid_) << " descriptors, " << descriptors << " before";
}

TEST_F(DaemonFaultTest, AThousandClientsComingAndGoingLeaveDescriptorsAndMemoryAsTheyWere) {
    const std::uint32_t device = AnalogIn(daemon_.Socket());
    // Every client opens a handle; every other one leaves without closing it, as a crash would.
    auto cycles = [&](int times) {
        for (int i = 0; i < times; ++i) {
            CardClient client;
            std::string error;
            ASSERT_TRUE(client.Connect(daemon_.Socket(), &error)) << error;
            const auto open = client.Open(WaveDirection::In, device, kControlFormat);
            ASSERT_EQ(open.result, simcard::MMSYSERR_NOERROR);
            if (i % 2)
                client.Close(WaveDirection::In, open.handle);
        }
    };
    // A warm-up round first: the allocator's pools and the model's lazily built parts settle.
    cycles(100);
    const std::size_t descriptors = IdleDescriptors();
    ASSERT_TRUE(DescriptorsBackTo(descriptors));
    const long before = testsupport::ResidentKiB(pid_);

    cycles(1000);
    EXPECT_TRUE(DescriptorsBackTo(descriptors))
        << testsupport::OpenDescriptors(pid_) << " descriptors, " << descriptors << " before";
    const long after = testsupport::ResidentKiB(pid_);
    if (kResidentSetMeasurable) {
        EXPECT_LT(after - before, 1024)
            << "VmRSS " << before << " KiB before, " << after << " KiB after";
    }
    RecordProperty("Descriptors", static_cast<int>(descriptors));
    RecordProperty("VmRSSBeforeKiB", static_cast<int>(before));
    RecordProperty("VmRSSAfterKiB", static_cast<int>(after));
    const auto status = daemon_.Status();
    EXPECT_EQ(status.at("handles.open"), "0");
    EXPECT_EQ(status.at("clients"), "1") << "only the status request's own";
}

} // namespace
