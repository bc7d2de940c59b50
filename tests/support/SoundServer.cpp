#include "support/SoundServer.h"

#include "support/ChildProcess.h"
#include "support/Deadline.h"
#include "support/RawSocket.h"

#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <sys/stat.h>
#include <unistd.h>

namespace testsupport {

namespace {

bool Installed(const char* program) {
    for (const char* dir : {"/usr/bin/", "/usr/local/bin/", "/bin/"})
        if (access((std::string(dir) + program).c_str(), X_OK) == 0)
            return true;
    return false;
}

pid_t Spawn(const std::vector<std::string>& argv, int out = -1) {
    const pid_t pid = fork();
    if (pid == 0) {
        const int null = open("/dev/null", O_RDWR | O_CLOEXEC);
        dup2(null, 0);
        dup2(out >= 0 ? out : null, 1);
        dup2(null, 2);
        std::vector<char*> args;
        for (const auto& a : argv)
            args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        execvp(args[0], args.data());
        _exit(127);
    }
    return pid;
}

} // namespace

SoundServer::SoundServer() {
    char pattern[] = "/tmp/varnel-sound-XXXXXX";
    dir_ = mkdtemp(pattern);
    std::filesystem::create_directories(dir_ + "/run");
    std::filesystem::create_directories(dir_ + "/config/pulse");
    chmod((dir_ + "/run").c_str(), 0700);
    std::ofstream(dir_ + "/config/pulse/client.conf") << "autospawn = no\n";
    const bool pulse = Installed("pulseaudio");
    socket_ = dir_ + (pulse ? "/run/native" : "/run/pulse/native");
    setenv("PULSE_SERVER", ("unix:" + socket_).c_str(), 1);
    setenv("PULSE_CLIENTCONFIG", (dir_ + "/config/pulse/client.conf").c_str(), 1);
    if (!Installed("pactl") || !Installed("pacat"))
        missing_ = "pactl and pacat (pulseaudio-utils) are not installed";
    else if (!pulse && !(Installed("pipewire") && Installed("pipewire-pulse")))
        missing_ = "no sound server (pulseaudio, or pipewire with pipewire-pulse) is installed";
    else if (!Start())
        missing_ = "the private sound server did not start";
}

bool SoundServer::Start() {
    // The server's own environment: everything it keeps stays in the private directory.
    const std::string env = "XDG_RUNTIME_DIR=" + dir_ + "/run";
    const std::vector<std::string> base = {"env", env, "XDG_CONFIG_HOME=" + dir_ + "/config",
                                           "HOME=" + dir_, "DBUS_SESSION_BUS_ADDRESS="};
    auto run = [&](std::vector<std::string> args) {
        args.insert(args.begin(), base.begin(), base.end());
        pids_.push_back(Spawn(args));
    };
    if (Installed("pulseaudio")) {
        run({"pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1", "--disable-shm",
             "--use-pid-file=no", "-L", "module-native-protocol-unix socket=" + socket_});
    } else {
        run({"pipewire"});
        run({"pipewire-pulse"});
        // Streams reach their sinks through a session manager's links.
        if (Installed("wireplumber"))
            run({"wireplumber"});
    }
    return PollUntil(std::chrono::seconds(10), [&] {
        bool ok = false;
        return Accepts(socket_) && (Pactl({"info"}, &ok), ok);
    });
}

void SoundServer::Kill() {
    for (pid_t pid : pids_) {
        kill(pid, SIGKILL);
        testsupport::ExitStatus(pid);
    }
    pids_.clear();
    unlink(socket_.c_str());
}

SoundServer::~SoundServer() {
    for (pid_t pid : pids_) {
        kill(pid, SIGTERM);
        testsupport::ExitStatus(pid);
    }
    unsetenv("PULSE_SERVER");
    unsetenv("PULSE_CLIENTCONFIG");
    std::filesystem::remove_all(dir_);
}

std::string SoundServer::Pactl(const std::vector<std::string>& args, bool* ok) const {
    int out[2];
    if (pipe2(out, O_CLOEXEC) != 0)
        return {};
    std::vector<std::string> argv{"pactl"};
    argv.insert(argv.end(), args.begin(), args.end());
    const pid_t pid = Spawn(argv, out[1]);
    close(out[1]);
    std::string text = testsupport::ReadAll(out[0]);
    close(out[0]);
    const int status = testsupport::ExitStatus(pid);
    if (ok)
        *ok = status == 0;
    return text;
}

bool SoundServer::LoadNullSink(const std::string& name) const {
    bool ok = false;
    Pactl({"load-module", "module-null-sink", "sink_name=" + name}, &ok);
    return ok;
}

pid_t SoundServer::PlayTone(const std::string& sink, double dBFS, int seconds) const {
    const std::string file = dir_ + "/tone-" + std::to_string(dBFS) + ".raw";
    {
        const double amplitude = std::pow(10.0, dBFS / 20.0);
        std::vector<float> samples(static_cast<std::size_t>(2 * 48000 * seconds));
        for (std::size_t i = 0; i < samples.size() / 2; ++i)
            samples[2 * i] = samples[2 * i + 1] = static_cast<float>(
                amplitude * std::sin(2 * std::numbers::pi * 1000.0 * double(i) / 48000.0));
        std::ofstream(file, std::ios::binary)
            .write(reinterpret_cast<const char*>(samples.data()),
                   static_cast<std::streamsize>(samples.size() * sizeof(float)));
    }
    return Spawn({"pacat", "--playback", "--raw", "--format=float32le", "--rate=48000",
                  "--channels=2", "--device=" + sink, file});
}

void SoundServer::StopTone(pid_t player) {
    kill(player, SIGTERM);
    testsupport::ExitStatus(player);
}

} // namespace testsupport
