#pragma once
// The sound on one device of the simulated card. What a peak meter needs, the highest magnitude
// over a span of time, is evaluated in closed form for sines and the default swelling signals and
// through peaks precomputed per block for a WAV file. Only an output heard on the sound server
// asks for samples: the generated signals make them here; a file's are read from the file.

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
    std::uint32_t rate = 0;         // the file's frames per second
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
    // A file signal's path and peaks; the peaks are null for the other kinds.
    const std::string& Path() const { return path_; }
    const std::shared_ptr<const FilePeaks>& File() const { return file_; }
    // The server's sound behind a Capture or PlaybackSink signal; null for the others.
    const std::shared_ptr<LiveSound>& Live() const { return live_; }
    // One line for status: "sine -12 1000", "noise -20", "silence", "swell -12", "file <path>",
    // "capture [<source>]", "playback-sink <sink>", followed by why no sound arrives, if so:
    // "capture (no sound server)".
    std::string Describe() const;
    // The highest magnitude of one channel (0 left, 1 right) between two times, on 0..1.
    double Peak(int channel, std::uint64_t fromMs, std::uint64_t toMs, std::mt19937& rng) const;
    // One sample of a generated signal (silence, sine, noise, swell) at `frame` of a stream of
    // `rate` frames per second, on -1..1; its peaks are what Peak gives. A swelling signal is a
    // tone whose level swells as its peaks do. 0 for a file and for live sound.
    double Sample(int channel, std::uint64_t frame, std::uint32_t rate, std::mt19937& rng) const;

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
