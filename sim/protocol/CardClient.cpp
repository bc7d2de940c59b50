#include "sim/protocol/CardClient.h"

#include "base/UnixSocket.h"
#include "sim/protocol/Wire.h"

#include <cerrno>
#include <chrono>
#include <sys/socket.h>
#include <unistd.h>

namespace simcard {

using wire::FrameType;
using wire::Reader;
using wire::Writer;

namespace {

std::vector<std::uint8_t> Body(const Writer& w) {
    // The frame without a sequence yet: Request() stamps it.
    return w.Frame(FrameType::Reply, 0);
}

} // namespace

CardClient::~CardClient() {
    Disconnect();
}

bool CardClient::Connect(const std::string& socketPath, std::string* error) {
    Disconnect();
    base::Connection connection = base::ConnectUnix(socketPath);
    noDaemon_ = connection.failure == base::ConnectFailure::NoListener;
    if (connection.fd < 0) {
        *error = noDaemon_ ? "no card daemon: " + connection.error : connection.error;
        return false;
    }
    const int fd = connection.fd;
    {
        std::lock_guard lock(mutex_);
        fd_ = fd;
        lost_ = false;
        lastError_.clear();
    }
    received_.clear();
    if (replies_ == Replies::ReaderThread)
        reader_ = std::thread([this] { ReadLoop(); });
    auto reply = Request(static_cast<std::uint8_t>(FrameType::Hello),
                         Body(Writer().U32(static_cast<std::uint32_t>(getpid()))));
    if (!reply) {
        *error = "card daemon at " + socketPath + " refused: " + LastError();
        Disconnect();
        return false;
    }
    return true;
}

void CardClient::Disconnect() {
    int fd;
    {
        std::lock_guard lock(mutex_);
        fd = fd_;
        disconnecting_ = true;
    }
    if (fd >= 0)
        shutdown(fd, SHUT_RDWR);
    if (reader_.joinable())
        reader_.join();
    std::lock_guard lock(mutex_);
    if (fd_ >= 0)
        close(fd_);
    fd_ = -1;
    lost_ = true;
    disconnecting_ = false;
}

bool CardClient::Connected() const {
    std::lock_guard lock(mutex_);
    return !lost_;
}

std::string CardClient::LastError() const {
    std::lock_guard lock(mutex_);
    return lastError_;
}

bool CardClient::Send(const std::vector<std::uint8_t>& frame) {
    std::lock_guard lock(writeMutex_);
    return base::SendAll(fd_, frame);
}

std::optional<std::vector<std::uint8_t>>
CardClient::Request(std::uint8_t type, const std::vector<std::uint8_t>& frameBody) {
    std::vector<std::uint8_t> frame = frameBody;
    std::uint32_t sequence;
    {
        std::lock_guard lock(mutex_);
        if (lost_)
            return std::nullopt;
        sequence = nextSequence_++;
        pending_[sequence] = {};
    }
    frame[4] = type;
    for (int i = 0; i < 4; ++i)
        frame[5 + i] = static_cast<std::uint8_t>(sequence >> (8 * i));
    // Even when the send fails, the daemon may have said why before it hung up: wait for the
    // reader to take that and the hang-up off the socket.
    bool sent = Send(frame);
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(kReplyTimeoutMs);
    if (replies_ == Replies::ReadByRequest)
        ReadUntilAnswered(sequence, deadline);
    std::unique_lock lock(mutex_);
    replied_.wait_until(lock, deadline, [&] { return pending_[sequence].done || lost_; });
    Pending result = std::move(pending_[sequence]);
    pending_.erase(sequence);
    if (!result.done) {
        if (lastError_.empty())
            lastError_ = sent ? "the card daemon did not answer" : "the card daemon is gone";
        return std::nullopt;
    }
    if (result.error)
        return std::nullopt;
    return std::move(result.payload);
}

void CardClient::ReadLoop() {
    while (ReceiveFrames()) {
    }
    ConnectionEnded();
}

void CardClient::ReadUntilAnswered(std::uint32_t sequence,
                                   std::chrono::steady_clock::time_point deadline) {
    for (;;) {
        {
            std::lock_guard lock(mutex_);
            if (pending_[sequence].done || lost_)
                return;
        }
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0 || !base::AwaitReadable(fd_, static_cast<int>(left.count())))
            return;
        if (!ReceiveFrames()) {
            ConnectionEnded();
            return;
        }
    }
}

bool CardClient::ReceiveFrames() {
    std::uint8_t chunk[65536];
    const std::ptrdiff_t n = base::ReceiveSome(fd_, chunk);
    if (n <= 0)
        return false;
    received_.insert(received_.end(), chunk, chunk + n);
    while (received_.size() >= 4) {
        const std::uint32_t length = wire::FrameLength(received_);
        if (length < 5 || length > wire::kMaxReply)
            return false;
        if (received_.size() < 4 + length)
            break;
        Dispatch({received_.begin(), received_.begin() + 4 + length});
        received_.erase(received_.begin(), received_.begin() + 4 + length);
    }
    return true;
}

void CardClient::ConnectionEnded() {
    std::function<void()> lost;
    {
        std::lock_guard lock(mutex_);
        lost_ = true;
        if (lastError_.empty())
            lastError_ = "the connection to the card daemon was lost";
        replied_.notify_all();
        if (!disconnecting_)
            lost = lostHandler_;
    }
    if (lost)
        lost();
}

void CardClient::Dispatch(const std::vector<std::uint8_t>& frame) {
    wire::FrameHeader header = wire::ParseHeader(frame);
    std::vector<std::uint8_t> payload(frame.begin() + wire::kHeaderSize, frame.end());
    if (header.type == FrameType::DeviceChange) {
        Reader r(payload);
        DeviceChangeEvent event;
        event.id = r.U32();
        event.event = r.U32();
        event.deviceType = r.U32();
        event.devnode = r.U32();
        DeviceChangeHandler handler;
        {
            std::lock_guard lock(mutex_);
            handler = handler_;
        }
        if (r.Complete() && handler)
            handler(event);
        return;
    }
    std::lock_guard lock(mutex_);
    if (header.type == FrameType::Error) {
        lastError_ = Reader(payload).Text();
        if (header.sequence == 0) // not tied to a request: the daemon is dropping us
            return;
    }
    auto it = pending_.find(header.sequence);
    if (it == pending_.end())
        return;
    it->second.done = true;
    it->second.error = header.type == FrameType::Error;
    it->second.payload = std::move(payload);
    replied_.notify_all();
}

std::vector<WaveDeviceCaps> CardClient::ListDevices(WaveDirection direction) {
    auto reply = Request(static_cast<std::uint8_t>(FrameType::ListDevices),
                         Body(Writer().U8(static_cast<std::uint8_t>(direction))));
    std::vector<WaveDeviceCaps> devices;
    if (!reply)
        return devices;
    Reader r(*reply);
    std::uint16_t count = r.U16();
    for (std::uint16_t i = 0; i < count && r.Ok(); ++i) {
        WaveDeviceCaps caps;
        caps.manufacturerId = r.U16();
        caps.productId = r.U16();
        caps.name = r.Text();
        devices.push_back(std::move(caps));
    }
    if (!r.Complete())
        devices.clear();
    return devices;
}

OpenReply CardClient::Open(WaveDirection direction, std::uint32_t deviceId,
                           std::span<const std::uint8_t> format) {
    auto reply = Request(
        static_cast<std::uint8_t>(FrameType::Open),
        Body(Writer().U8(static_cast<std::uint8_t>(direction)).U32(deviceId).Bytes(format)));
    if (!reply)
        return {MMSYSERR_NODRIVER, 0};
    Reader r(*reply);
    OpenReply open{r.U32(), r.U32()};
    return r.Complete() ? open : OpenReply{MMSYSERR_NODRIVER, 0};
}

std::uint32_t CardClient::Close(WaveDirection direction, std::uint32_t handle) {
    auto reply = Request(static_cast<std::uint8_t>(FrameType::Close),
                         Body(Writer().U8(static_cast<std::uint8_t>(direction)).U32(handle)));
    if (!reply)
        return MMSYSERR_NODRIVER;
    Reader r(*reply);
    std::uint32_t result = r.U32();
    return r.Complete() ? result : MMSYSERR_NODRIVER;
}

MessageReply CardClient::Message(WaveDirection direction, std::uint32_t handle,
                                 std::uint32_t message, std::uint32_t param1, std::uint32_t param2,
                                 std::span<const std::uint8_t> block) {
    MessageReply failed{MMSYSERR_NODRIVER, {block.begin(), block.end()}};
    auto reply = Request(static_cast<std::uint8_t>(FrameType::Message),
                         Body(Writer()
                                  .U8(static_cast<std::uint8_t>(direction))
                                  .U32(handle)
                                  .U32(message)
                                  .U32(param1)
                                  .U32(param2)
                                  .Bytes(block)));
    if (!reply)
        return failed;
    Reader r(*reply);
    MessageReply result;
    result.result = r.U32();
    result.block = r.Bytes();
    if (!r.Complete() || result.block.size() != block.size())
        return failed;
    return result;
}

std::vector<MessageReply> CardClient::ReadMeters(std::span<const MeterTarget> targets,
                                                 std::uint32_t param1) {
    Writer w;
    w.U32(param1).U16(static_cast<std::uint16_t>(targets.size()));
    for (const MeterTarget& target : targets)
        w.U8(static_cast<std::uint8_t>(target.direction)).U32(target.handle);
    auto reply = Request(static_cast<std::uint8_t>(FrameType::MeterReads), Body(w));
    if (!reply && Connected())
        return ICardService::ReadMeters(targets, param1);
    std::vector<MessageReply> replies;
    if (reply) {
        Reader r(*reply);
        const std::uint16_t count = r.U16();
        for (std::uint16_t i = 0; i < count && r.Ok(); ++i) {
            MessageReply one;
            one.result = r.U32();
            one.block = r.Bytes();
            replies.push_back(std::move(one));
        }
        if (!r.Complete() || count != targets.size())
            replies.clear();
    }
    if (replies.empty() && !targets.empty())
        for (const MeterTarget& target : targets)
            replies.push_back(
                {MMSYSERR_NODRIVER, std::vector<std::uint8_t>(MessageBlockSize(
                                        target.direction, MeterReadMessage(target.direction)))});
    return replies;
}

ConfigReply CardClient::Config(std::uint32_t code, std::span<const std::uint8_t> data) {
    ConfigReply failed{MMSYSERR_NODRIVER, {data.begin(), data.end()}, ConfigFault::None, 0};
    auto reply =
        Request(static_cast<std::uint8_t>(FrameType::Config), Body(Writer().U32(code).Bytes(data)));
    if (!reply)
        return failed;
    Reader r(*reply);
    ConfigReply result;
    result.result = r.U32();
    result.data = r.Bytes();
    std::uint8_t fault = r.U8();
    result.delayMs = r.U32();
    if (!r.Complete() || fault > static_cast<std::uint8_t>(ConfigFault::Slow) ||
        result.data.size() != data.size())
        return failed;
    result.fault = static_cast<ConfigFault>(fault);
    return result;
}

void CardClient::SetDeviceChangeHandler(DeviceChangeHandler handler) {
    {
        std::lock_guard lock(mutex_);
        handler_ = std::move(handler);
    }
    Request(static_cast<std::uint8_t>(FrameType::Subscribe), Body(Writer()));
}

void CardClient::SetLostHandler(std::function<void()> handler) {
    std::lock_guard lock(mutex_);
    lostHandler_ = std::move(handler);
}

void CardClient::AnswerDeviceChange(std::uint32_t eventId) {
    {
        std::lock_guard lock(mutex_);
        if (lost_)
            return;
    }
    Send(Writer().U32(eventId).Frame(FrameType::Answer, 0));
}

ControlReply CardClient::Control(const std::vector<std::string>& args) {
    Writer w;
    w.U16(static_cast<std::uint16_t>(args.size()));
    for (const auto& arg : args)
        w.Text(arg);
    auto reply = Request(static_cast<std::uint8_t>(FrameType::Control), Body(w));
    if (!reply)
        return {1, {}, LastError()};
    Reader r(*reply);
    ControlReply result;
    result.status = static_cast<int>(r.U32());
    result.output = r.Text();
    result.error = r.Text();
    if (!r.Complete())
        return {1, {}, "malformed answer from the card daemon"};
    return result;
}

} // namespace simcard
