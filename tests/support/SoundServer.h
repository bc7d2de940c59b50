#pragma once
// A sound server of this test's own: whichever the machine has installed (pulseaudio, else
// pipewire with pipewire-pulse), run in a private runtime directory with its native socket there.
// While it lives, PULSE_SERVER and PULSE_CLIENTCONFIG (autospawn off) point this process and every
// program it starts at it, so that no test ever reaches the user's own sound server.

#include <string>
#include <sys/types.h>
#include <vector>

namespace testsupport {

class SoundServer {
public:
    SoundServer();
    ~SoundServer();
    SoundServer(const SoundServer&) = delete;
    SoundServer& operator=(const SoundServer&) = delete;

    // Empty when a server runs; else why none could (the test skips with it).
    const std::string& Missing() const { return missing_; }
    // Ends it at once, as a crash would; Start brings a fresh one up on the same socket.
    void Kill();
    bool Start();

    // Runs pactl against it: its standard output; `ok` tells whether it succeeded.
    std::string Pactl(const std::vector<std::string>& args, bool* ok = nullptr) const;
    bool LoadNullSink(const std::string& name) const;
    // Plays a 1 kHz sine at `dBFS` on both channels to `sink` for `seconds`; the player's pid.
    pid_t PlayTone(const std::string& sink, double dBFS, int seconds) const;
    static void StopTone(pid_t player);

private:
    std::string dir_;
    std::string socket_;
    std::string missing_;
    std::vector<pid_t> pids_;
};

} // namespace testsupport
