#pragma once
// The sound on one device of the simulated card, reduced to what a peak meter needs: the highest
// magnitude over a span of time. Nothing is rendered sample by sample; sines and the default
// swelling signals are evaluated in closed form, a WAV file through peaks precomputed per block.

#include "sim/model/LiveSound.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace simcard {

// Capture: a recording device follows a capture source of the machine's sound server.
// PlaybackSink: a playback device is a sink of the server; what applications play to it is the
// device's application signal.
enum class SignalKind { Silence, Sine, Noise, Swell, File, Capture, PlaybackSink };

// Peaks of a sound file on 0..1, per block of kBlockMs and over the whole file.
struct FilePeaks {
    static constexpr std::uint32_t kBlockMs = 5;
    std::vector<float> left, right; // one entry per block
    float wholeLeft = 0, wholeRight = 0;
};

class Signal {
public:
    static Signal Silence() { return Signal{}; }
    static Signal Sine(double levelDb, double frequencyHz);
    static Signal Noise(double levelDb);
    // A level that rises and falls by `depthDb` around `centreDb` once per `periodMs`; each
    // channel has a phase of its own so that the two meters of a pair move apart.
    static Signal Swell(double centreDb, double depthDb, double periodMs, double phaseLeft,
                        double phaseRight);
    // A WAV (or other libsndfile) file played in a loop; nullopt with `error` set when unreadable.
    static std::optional<Signal> FromFile(const std::string& path, std::string* error);
    // Sound of the machine's sound server: `source` empty for the server's default source.
    static Signal Capture(const std::string& source);
    static Signal PlaybackSink(const std::string& sinkName);

    SignalKind Kind() const { return kind_; }
    double LevelDb() const { return levelDb_; }
    double FrequencyHz() const { return frequencyHz_; }
    // The server's sound behind a Capture or PlaybackSink signal; null for the others.
    const std::shared_ptr<LiveSound>& Live() const { return live_; }
    // One line for status: "sine -12 1000", "noise -20", "silence", "swell -12", "file <path>",
    // "capture [<source>]", "playback-sink <sink>", followed by why no sound arrives, if so:
    // "capture (no sound server)".
    std::string Describe() const;
    // The highest magnitude of one channel (0 left, 1 right) between two times, on 0..1.
    double Peak(int channel, std::uint64_t fromMs, std::uint64_t toMs, std::mt19937& rng) const;

private:
    SignalKind kind_ = SignalKind::Silence;
    double levelDb_ = 0;
    double frequencyHz_ = 0;
    double depthDb_ = 0;
    double periodMs_ = 1;
    double phase_[2] = {0, 0};
    std::string path_;
    std::shared_ptr<const FilePeaks> file_;
    std::shared_ptr<LiveSound> live_;
};

double DbToLinear(double db);
// A 0..1 magnitude on the meter scale 0..32767.
std::int32_t ToMeterScale(double linear);
// The analog input's gain for a gain word: the fader position word / 256 (108..255) spread over
// the printed scale from -40 dB to +35 dB.
double AnalogGainDb(std::uint16_t word);

} // namespace simcard
