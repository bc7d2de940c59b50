#include "DesktopWorld.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

namespace bench {

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

bool Accepts(const std::string& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path)
        return false;
    path.copy(address.sun_path, path.size());
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return ok;
}

// Displays :120 to :149; the tests take theirs from :150 on.
constexpr int kFirstDisplay = 120;
constexpr int kLastDisplay = 149;

} // namespace

DesktopWorld::DesktopWorld(const std::string& geometry) {
    dir_ = (fs::temp_directory_path() / "varnel-bench-XXXXXX").string();
    if (!::mkdtemp(dir_.data())) {
        error_ = "no temporary directory";
        return;
    }
    fs::create_directories(Path("config/pulse"));
    // A client of the private sound server never starts one of its own.
    std::ofstream(Path("config/pulse/client.conf")) << "autospawn = no\n";
    variables_ = {"XDG_RUNTIME_DIR=" + dir_,
                  "XDG_CONFIG_HOME=" + Path("config"),
                  "XDG_STATE_HOME=" + Path("state"),
                  "PULSE_SERVER=unix:" + Path("pulse.sock"),
                  "VARNEL_CARD_SOCKET=" + Path("card.sock"),
                  "VARNEL_AUTOMATION=" + Path("ui.sock"),
                  "VARNEL_NO_AUTOSPAWN=1",
                  "NO_AT_BRIDGE=1",
                  "GSETTINGS_BACKEND=memory",
                  "QT_QPA_PLATFORM=xcb",
                  "DBUS_SESSION_BUS_ADDRESS",
                  "VARNEL_HEADLESS"};
    ready_ = StartXServer(geometry);
    if (ready_)
        variables_.push_back("DISPLAY=" + display_);
}

DesktopWorld::~DesktopWorld() {
    xserver_.Stop();
    if (!dir_.empty()) {
        std::error_code ignored;
        fs::remove_all(dir_, ignored);
    }
}

bool DesktopWorld::StartXServer(const std::string& geometry) {
    for (int n = kFirstDisplay; n <= kLastDisplay; ++n) {
        // A lock file means another server holds (or held) the display: leave it alone.
        if (fs::exists("/tmp/.X" + std::to_string(n) + "-lock"))
            continue;
        const std::string display = ":" + std::to_string(n);
        // Without -noreset the server resets whenever its last client leaves, this world's
        // probes included, and refuses the next program while it does.
        Child server({"Xvfb", display, "-screen", "0", geometry, "-nolisten", "tcp", "-noreset"},
                     {}, Path("xvfb.log"));
        const auto end = Clock::now() + std::chrono::seconds(10);
        while (server.Running() && Clock::now() < end) {
            if (Accepts("/tmp/.X11-unix/X" + std::to_string(n))) {
                display_ = display;
                xserver_ = std::move(server);
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        // Lost the display to another server that started at the same time: the next one.
    }
    error_ = "Xvfb did not start (see its log)";
    return false;
}

Environment DesktopWorld::With(const Environment& more) const {
    Environment all = variables_;
    all.insert(all.end(), more.begin(), more.end());
    return all;
}

Child DesktopWorld::Start(std::vector<std::string> argv, const std::string& log,
                          const Environment& more) const {
    return Child(std::move(argv), With(more), Path(log + ".log"));
}

std::string DesktopWorld::LogEnd(const std::string& log) const {
    std::ifstream file(Path(log + ".log"));
    std::string last;
    for (std::string line; std::getline(file, line);)
        if (!line.empty())
            last = line;
    return log + ".log " + (last.empty() ? "is empty" : "ends: " + last);
}

bool DesktopWorld::AwaitSocket(const std::string& path, double seconds) {
    const auto end = Clock::now() + std::chrono::duration<double>(seconds);
    while (Clock::now() < end) {
        if (Accepts(path))
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

} // namespace bench
