#include "support/XfcePanel.h"

#include "support/ScopedEnvironment.h"

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace testsupport {

namespace {

// One panel along the top of the screen with the notification area as its only plugin.
constexpr const char* kPanelSettings = R"(<?xml version="1.0" encoding="UTF-8"?>
<channel name="xfce4-panel" version="1.0">
  <property name="configver" type="int" value="2"/>
  <property name="panels" type="array">
    <value type="int" value="1"/>
    <property name="panel-1" type="empty">
      <property name="position" type="string" value="p=6;x=0;y=0"/>
      <property name="length" type="uint" value="100"/>
      <property name="position-locked" type="bool" value="true"/>
      <property name="size" type="uint" value="30"/>
      <property name="plugin-ids" type="array">
        <value type="int" value="1"/>
      </property>
    </property>
  </property>
  <property name="plugins" type="empty">
    <property name="plugin-1" type="string" value="systray"/>
  </property>
</channel>
)";

// The stdout lines of a short-lived program, nothing when it failed.
std::optional<std::vector<std::string>> Run(std::vector<std::string> argv) {
    ManagerProcess program(std::move(argv), 1);
    if (program.Wait() != 0)
        return std::nullopt;
    return program.Lines();
}

std::vector<std::string> Output(std::vector<std::string> argv) {
    return Run(std::move(argv)).value_or(std::vector<std::string>{});
}

struct XWindow {
    bool viewable = false;
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// The windows whose line in the X server's window tree holds `text` (a quoted title, or the
// class pair), with their state and place on the screen.
std::vector<XWindow> WindowsWith(const std::string& text) {
    // The walk through the tree fails when a window ends under it (a panel starting up).
    std::optional<std::vector<std::string>> tree;
    for (int attempt = 0; attempt < 10 && !tree; ++attempt)
        tree = Run({"xwininfo", "-root", "-tree"});
    std::vector<XWindow> windows;
    for (const std::string& line : tree.value_or(std::vector<std::string>{})) {
        const std::size_t id = line.find("0x");
        if (line.find(text) == std::string::npos || id == std::string::npos)
            continue;
        XWindow window;
        for (const std::string& fact :
             Output({"xwininfo", "-id", line.substr(id, line.find(' ', id) - id)})) {
            auto number = [&](const char* key, int& value) {
                if (const std::size_t at = fact.find(key); at != std::string::npos)
                    value = std::atoi(fact.c_str() + at + std::strlen(key));
            };
            number("Absolute upper-left X:", window.x);
            number("Absolute upper-left Y:", window.y);
            number("Width:", window.width);
            number("Height:", window.height);
            window.viewable |= fact.find("Map State: IsViewable") != std::string::npos;
        }
        windows.push_back(window);
    }
    return windows;
}

} // namespace

bool XfcePanel::Installed() {
    return ManagerProcess({"sh", "-c", "command -v xfce4-panel"}, 1).Wait() == 0;
}

XfcePanel::XfcePanel() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (!config)
        return;
    const std::filesystem::path dir =
        std::filesystem::path(config) / "xfce4/xfconf/xfce-perchannel-xml";
    std::filesystem::create_directories(dir);
    std::ofstream(dir / "xfce4-panel.xml") << kPanelSettings;
    // Without a window manager the panel would wait ten seconds for one (it needs none to host
    // icons); and it would start an accessibility bus of its own.
    ScopedEnvironment env;
    env.Set("NO_AT_BRIDGE", "1");
    process_ = std::make_unique<ManagerProcess>(
        std::vector<std::string>{"xfce4-panel", "--disable-wm-check"}, 2);
}

XfcePanel::~XfcePanel() {
    Stop();
}

void XfcePanel::Stop() {
    if (!Started())
        return;
    // Its plugins run in processes of their own that end with it and share its stderr: the
    // wait for the end of stderr waits for them too.
    process_->Signal(SIGTERM);
    process_->Wait();
    process_.reset();
}

std::vector<std::string> XfcePanel::RegisteredItems() const {
    std::vector<std::string> items;
    for (const std::string& line :
         Output({"dbus-send", "--session", "--print-reply", "--dest=org.kde.StatusNotifierWatcher",
                 "/StatusNotifierWatcher", "org.freedesktop.DBus.Properties.Get",
                 "string:org.kde.StatusNotifierWatcher", "string:RegisteredStatusNotifierItems"})) {
        // `string "<bus name>/<object path>"`, or the bus name alone for the usual path.
        const auto open = line.find("string \"");
        if (open == std::string::npos)
            continue;
        std::string item = line.substr(open + 8, line.rfind('"') - open - 8);
        const auto slash = item.find('/');
        items.push_back(slash == std::string::npos
                            ? item + " /StatusNotifierItem"
                            : item.substr(0, slash) + " " + item.substr(slash));
    }
    return items;
}

std::optional<std::pair<int, int>> ViewableWindowCentre(const std::string& windowClass) {
    for (const XWindow& window : WindowsWith("(\"" + windowClass + "\" "))
        if (window.viewable)
            return std::make_pair(window.x + window.width / 2, window.y + window.height / 2);
    return std::nullopt;
}

bool DoubleClickAt(int x, int y) {
    return ManagerProcess({"xdotool", "mousemove", std::to_string(x), std::to_string(y), "click",
                           "--repeat", "2", "--delay", "80", "1"},
                          1)
               .Wait() == 0;
}

bool WindowViewable(const std::string& title) {
    for (const XWindow& window : WindowsWith("\"" + title + "\":"))
        if (window.viewable)
            return true;
    return false;
}

} // namespace testsupport
