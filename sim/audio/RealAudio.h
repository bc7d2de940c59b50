#pragma once
// Connects the simulated card to the machine's sound server over its native protocol. A recording
// device that follows a capture source records it; a playback device that is a sink of the server
// gets a null sink loaded for it (named varnel_pro.<card>.<device>) and hears that sink's monitor;
// an output heard on a sink plays the card's output there.
//
// Everything that talks to the server runs on the client library's own thread, so that no call
// of the server holds up the daemon's clients: the daemon calls Sync after each round of requests
// to hand over what the cards want, and the devices' LiveSound carries the sound and the reason
// when none arrives. The server not running or going away makes the devices silent ("no sound
// server"), and the connection is tried again with back-off while anything wants it. The sinks
// loaded are unloaded when their device leaves them and when this ends; sinks a daemon that is
// gone left behind are unloaded once connected.

#include "sim/model/CardModel.h"

#include <memory>
#include <string>

namespace simcard::audio {

class RealAudio {
public:
    explicit RealAudio(CardModel& model);
    ~RealAudio();
    RealAudio(const RealAudio&) = delete;
    RealAudio& operator=(const RealAudio&) = delete;

    // Hands the cards' wishes to the audio thread: streams and sinks to start or end, and what
    // each output heard on a sink plays now. Cheap when nothing follows the server.
    void Sync();
    // The server's default sink and source as last seen.
    CardModel::ServerDefaults Defaults() const;

private:
    struct Impl;
    std::string Label(int card, WaveDirection direction, int device) const;

    CardModel& model_;
    std::unique_ptr<Impl> impl_;
    bool hadWishes_ = false;
};

} // namespace simcard::audio
