#pragma once
// Plays a file signal's sound file on, sample by sample and in a loop, as the card's file signal
// loops: read in pieces on the audio thread as the output asks for them, so that a long file is
// never held in memory. A file that can no longer be read plays silence.

#include "sim/model/Signal.h"

#include <memory>
#include <sndfile.h>
#include <span>
#include <vector>

namespace simcard::audio {

class FilePlayer {
public:
    explicit FilePlayer(std::shared_ptr<const FilePeaks> peaks, const std::string& path);
    ~FilePlayer();
    FilePlayer(const FilePlayer&) = delete;
    FilePlayer& operator=(const FilePlayer&) = delete;

    // Whether it plays the file these peaks were taken of.
    bool Plays(const FilePeaks* peaks) const { return peaks_.get() == peaks; }
    // The next `samples.size()` frames of one channel (0 left, 1 right; a mono file's one
    // channel on both), at the file's own rate.
    void Read(int channel, std::span<float> samples);

private:
    std::shared_ptr<const FilePeaks> peaks_;
    SNDFILE* file_ = nullptr;
    int channels_ = 0;
    std::vector<float> frames_;
};

} // namespace simcard::audio
