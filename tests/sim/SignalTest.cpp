#include "sim/model/Signal.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <gtest/gtest.h>
#include <sndfile.h>
#include <vector>

namespace simcard {
namespace {

TEST(SignalTest, SinePeakOverShortSpansFollowsTheWave) {
    std::mt19937 rng;
    Signal s = Signal::Sine(0, 10); // 100 ms period
    EXPECT_DOUBLE_EQ(s.Peak(0, 0, 100, rng), 1.0);
    EXPECT_NEAR(s.Peak(0, 0, 5, rng), std::sin(2 * M_PI * 0.05), 1e-9);
    EXPECT_NEAR(s.Peak(1, 20, 30, rng), 1.0, 1e-9); // crest at 25 ms
    // A read at the very instant of the last still sees a millisecond.
    EXPECT_GT(s.Peak(0, 10, 10, rng), 0.0);
}

TEST(SignalTest, SilenceNoiseAndLevels) {
    std::mt19937 rng;
    EXPECT_EQ(Signal::Silence().Peak(0, 0, 1000, rng), 0.0);
    for (int i = 0; i < 50; ++i) {
        double p = Signal::Noise(-6).Peak(0, 0, 100, rng);
        EXPECT_GE(p, 0.8 * DbToLinear(-6));
        EXPECT_LE(p, DbToLinear(-6));
    }
    EXPECT_EQ(ToMeterScale(2.0), 32767);
    EXPECT_EQ(ToMeterScale(0.0), 0);
    EXPECT_NEAR(AnalogGainDb(0xBB00), 0.0, 0.5);
    EXPECT_DOUBLE_EQ(AnalogGainDb(108 * 256), -40.0);
    EXPECT_DOUBLE_EQ(AnalogGainDb(0xFF00), 35.0);
    EXPECT_DOUBLE_EQ(AnalogGainDb(0), -40.0); // below the fader's range: its bottom
}

TEST(SignalTest, WavFileLoopsWithItsOwnPeaks) {
    auto path = std::filesystem::temp_directory_path() / "varnel-signal-test.wav";
    SF_INFO info{};
    info.samplerate = 8000;
    info.channels = 2;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* f = sf_open(path.c_str(), SFM_WRITE, &info);
    ASSERT_NE(f, nullptr);
    // 100 ms: the first half quiet (0.1 / 0.2), the second loud on the left only (0.8).
    std::vector<float> frames;
    for (int i = 0; i < 800; ++i) {
        frames.push_back(i < 400 ? 0.1f : 0.8f);
        frames.push_back(0.2f);
    }
    sf_writef_float(f, frames.data(), 800);
    sf_close(f);

    std::string error;
    auto s = Signal::FromFile(path.string(), &error);
    ASSERT_TRUE(s) << error;
    std::mt19937 rng;
    EXPECT_NEAR(s->Peak(0, 0, 40, rng), 0.1, 0.001);
    EXPECT_NEAR(s->Peak(0, 60, 90, rng), 0.8, 0.001);
    EXPECT_NEAR(s->Peak(0, 100, 140, rng), 0.1, 0.001); // looped
    EXPECT_NEAR(s->Peak(1, 0, 1000, rng), 0.2, 0.001);
    EXPECT_EQ(s->Describe(), "file " + path.string());
    std::filesystem::remove(path);

    EXPECT_FALSE(Signal::FromFile("/nonexistent/x.wav", &error));
    EXPECT_NE(error.find("/nonexistent/x.wav"), std::string::npos);
}

// What an output plays of a generated signal is the signal the meters show: its samples' peaks
// over a span are the span's peaks.
TEST(SignalTest, GeneratedSamplesPeakAsTheMetersShow) {
    constexpr std::uint32_t kRate = 48000;
    std::mt19937 rng;
    const Signal swell = Signal::Swell(-12, 6, 4000, 0.0, 1.3);
    const Signal sine = Signal::Sine(-6, 1000);
    for (int ch = 0; ch < 2; ++ch)
        for (std::uint64_t fromMs : {0, 700, 1900, 3333}) {
            const std::uint64_t toMs = fromMs + 20;
            double swellPeak = 0, sinePeak = 0;
            for (std::uint64_t f = fromMs * kRate / 1000; f < toMs * kRate / 1000; ++f) {
                swellPeak = std::max(swellPeak, std::abs(swell.Sample(ch, f, kRate, rng)));
                sinePeak = std::max(sinePeak, std::abs(sine.Sample(ch, f, kRate, rng)));
            }
            const double expected = swell.Peak(ch, fromMs, toMs, rng);
            EXPECT_NEAR(swellPeak, expected, 0.03 * expected) << ch << " " << fromMs;
            EXPECT_NEAR(sinePeak, sine.Peak(ch, fromMs, toMs, rng), 0.001);
        }
    EXPECT_EQ(Signal::Silence().Sample(0, 123, kRate, rng), 0.0);
}

} // namespace
} // namespace simcard

namespace simcard {
namespace {

TEST(LiveSoundTest, MetersSeeTheSpanJustPassedAndNothingOnceTheSoundStopsArriving) {
    Signal capture = Signal::Capture("desk.monitor");
    LiveSound& sound = *capture.Live();
    EXPECT_EQ(capture.Describe(), "capture desk.monitor (waiting for the sound server)");
    const std::vector<float> loud = {0.5f, -0.25f, 0.1f, 0.1f};
    const std::vector<float> quiet = {0.125f, 0.0f};
    sound.Push(loud, 1000);
    sound.Push(quiet, 1100);
    EXPECT_EQ(capture.Describe(), "capture desk.monitor");
    EXPECT_DOUBLE_EQ(sound.Peak(0, 50, 1110), 0.125) << "the loud fragment is older than the span";
    EXPECT_DOUBLE_EQ(sound.Peak(0, 200, 1110), 0.5);
    EXPECT_DOUBLE_EQ(sound.Peak(1, 200, 1110), 0.25);
    EXPECT_DOUBLE_EQ(sound.Peak(0, 200, 2000), 0.0);
    sound.Push(loud, 1120);
    sound.SetCondition("no sound server");
    EXPECT_DOUBLE_EQ(sound.Peak(0, 100, 1130), 0.0);
    EXPECT_EQ(Signal::PlaybackSink("varnel_pro.0.analog-out").Describe(),
              "playback-sink varnel_pro.0.analog-out (waiting for the sound server)");
}

TEST(LiveSoundTest, AReaderPlaysFramesOnInOrderAndWaitsForWhatHasNotArrived) {
    LiveSound sound("");
    std::vector<float> frames;
    for (int i = 1; i <= 6; ++i)
        frames.push_back(static_cast<float>(i) / 10);
    sound.Push(frames, 0); // three stereo frames
    std::uint64_t cursor = 0;
    std::vector<float> out(4);
    sound.Read(cursor, out);
    EXPECT_EQ(out, (std::vector<float>{0.1f, 0.2f, 0.3f, 0.4f}));
    sound.Read(cursor, out);
    EXPECT_EQ(out, (std::vector<float>{0.5f, 0.6f, 0.0f, 0.0f}));
    EXPECT_EQ(cursor, 3u) << "frames not there yet do not move the reader on";
    // A reader far behind the newest frame starts again close to it.
    std::vector<float> many(2 * LiveSound::kRingFrames, 0.75f);
    sound.Push(many, 10);
    cursor = 1;
    sound.Read(cursor, out);
    EXPECT_EQ(out[0], 0.75f);
    EXPECT_GT(cursor, LiveSound::kRingFrames / 2);
}

} // namespace
} // namespace simcard
