#include "sim/audio/FilePlayer.h"

#include <algorithm>

namespace simcard::audio {

FilePlayer::FilePlayer(std::shared_ptr<const FilePeaks> peaks, const std::string& path)
    : peaks_(std::move(peaks)) {
    SF_INFO info{};
    file_ = sf_open(path.c_str(), SFM_READ, &info);
    channels_ = file_ ? info.channels : 0;
}

FilePlayer::~FilePlayer() {
    if (file_)
        sf_close(file_);
}

void FilePlayer::Read(int channel, std::span<float> samples) {
    std::size_t done = 0;
    if (file_) {
        const int from = std::min(channel, channels_ - 1);
        frames_.resize(samples.size() * static_cast<std::size_t>(channels_));
        bool rewound = false;
        while (done < samples.size()) {
            const sf_count_t got = sf_readf_float(file_, frames_.data(),
                                                  static_cast<sf_count_t>(samples.size() - done));
            if (got <= 0) {
                // The end: on from the start, unless the start gives nothing either.
                if (rewound || sf_seek(file_, 0, SEEK_SET) < 0)
                    break;
                rewound = true;
                continue;
            }
            rewound = false;
            for (sf_count_t i = 0; i < got; ++i)
                samples[done++] = frames_[static_cast<std::size_t>(i * channels_ + from)];
        }
    }
    std::fill(samples.begin() + static_cast<std::ptrdiff_t>(done), samples.end(), 0.0f);
}

} // namespace simcard::audio
