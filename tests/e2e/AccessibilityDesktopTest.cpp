// varnel-manager on a desktop (a private Xvfb) with a private session bus and accessibility bus,
// read by a real AT-SPI client as a screen reader reads it: the program's name on the bus from its
// start, one focus event per Tab with the focused control's name, names and values of the hub,
// the Analog Input window and the settings dialog, faders that move on every Increase, meters that
// announce a change at most twice a second, and a keyboard-only walk from the hub to an applied
// setting, typed as real keystrokes on the X server where the toolkit's input has to follow them.

#include "support/CardDaemonSupport.h"
#include "support/Deadline.h"
#include "support/ManagerProcess.h"
#include "support/PrivateDesktopHome.h"
#include "support/ScopedEnvironment.h"
#include "support/UiScript.h"
#include "support/XvfbServer.h"

#include <atspi/atspi.h>
#include <cctype>
#include <chrono>
#include <csignal>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;
using testsupport::CardDaemon;
using testsupport::LineWith;
using testsupport::ManagerProcess;
using testsupport::PollUntil;
using testsupport::XvfbServer;

const std::string kHub = "Varnel PRO";
const std::string kDialog = "Zq40Pro Einstellungen Karte #1";

// An accessible object held by the client; null when the bus had none.
using Object = std::shared_ptr<AtspiAccessible>;
Object Hold(AtspiAccessible* object) {
    return Object(object, [](AtspiAccessible* o) {
        if (o)
            g_object_unref(o);
    });
}

std::string Text(gchar* text) {
    std::string result = text ? text : "";
    g_free(text);
    return result;
}

std::string NameOf(const Object& object) {
    return Text(atspi_accessible_get_name(object.get(), nullptr));
}

std::string RoleOf(const Object& object) {
    return Text(atspi_accessible_get_role_name(object.get(), nullptr));
}

std::vector<Object> ChildrenOf(const Object& object) {
    std::vector<Object> children;
    const gint count = atspi_accessible_get_child_count(object.get(), nullptr);
    for (gint i = 0; i < count; ++i)
        if (Object child = Hold(atspi_accessible_get_child_at_index(object.get(), i, nullptr)))
            children.push_back(child);
    return children;
}

// The objects under `root` (itself included), depth first.
void Walk(const Object& root, const std::function<void(const Object&)>& visit) {
    visit(root);
    for (const Object& child : ChildrenOf(root))
        Walk(child, visit);
}

Object FindChild(const Object& parent, const std::string& name) {
    for (const Object& child : ChildrenOf(parent))
        if (NameOf(child) == name)
            return child;
    return nullptr;
}

Object FindDeep(const Object& root, const std::string& role, const std::string& name) {
    Object found;
    Walk(root, [&](const Object& o) {
        if (!found && (role.empty() || RoleOf(o) == role) && NameOf(o) == name)
            found = o;
    });
    return found;
}

std::string ShownText(const Object& object) {
    AtspiText* text = atspi_accessible_get_text_iface(object.get());
    if (!text)
        return "<no text>";
    std::string shown = Text(atspi_text_get_text(text, 0, -1, nullptr));
    g_object_unref(text);
    return shown;
}

// A caption as a screen reader reads it: no accelerator marks, no outer blanks.
std::string Spoken(std::string caption) {
    std::string text;
    for (std::size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == '&' && (i + 1 == caption.size() || caption[i + 1] != '&'))
            continue;
        text += caption[i];
        i += caption[i] == '&';
    }
    const auto first = text.find_first_not_of(' ');
    return first == std::string::npos ? ""
                                      : text.substr(first, text.find_last_not_of(' ') - first + 1);
}

std::string Field(const std::string& line, const std::string& key) {
    const auto at = line.find(" " + key + "=\"");
    if (at == std::string::npos)
        return {};
    const auto start = at + key.size() + 3;
    return line.substr(start, line.find('"', start) - start);
}

// The events of one kind, as a screen reader hears them.
struct Heard {
    std::string source;
    int detail = 0;
    AtspiAccessible* object = nullptr; // only for telling sources apart
    std::string text;                  // the text an event of a text change carries
};

class Listener {
public:
    explicit Listener(const char* type) : type_(type) {
        listener_ = atspi_event_listener_new(&Listener::Hear, this, nullptr);
        atspi_event_listener_register(listener_, type, nullptr);
    }
    ~Listener() {
        atspi_event_listener_deregister(listener_, type_.c_str(), nullptr);
        g_object_unref(listener_);
    }
    std::vector<Heard> heard;

private:
    static void Hear(AtspiEvent* event, void* self) {
        auto* me = static_cast<Listener*>(self);
        me->heard.push_back({Text(atspi_accessible_get_name(event->source, nullptr)),
                             event->detail1, event->source,
                             G_VALUE_HOLDS_STRING(&event->any_data)
                                 ? std::string(g_value_get_string(&event->any_data))
                                 : std::string()});
        g_boxed_free(ATSPI_TYPE_EVENT, event);
    }
    std::string type_;
    AtspiEventListener* listener_ = nullptr;
};

// Hands the bus's messages to the listeners for `span`.
void Listen(milliseconds span) {
    const auto until = std::chrono::steady_clock::now() + span;
    while (std::chrono::steady_clock::now() < until)
        if (!g_main_context_iteration(nullptr, FALSE))
            g_usleep(2000);
}

class AccessibilityDesktopTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!xvfb_.Installed())
            GTEST_SKIP() << "Xvfb is not installed";
        ASSERT_TRUE(xvfb_.Started());
        ASSERT_TRUE(home_.Made());
        env_.Set("DISPLAY", xvfb_.Display());
        env_.Set("QT_QPA_PLATFORM", "xcb");
        env_.Set("QT_LINUX_ACCESSIBILITY_ALWAYS_ON", "1");
        env_.Unset("AT_SPI_BUS_ADDRESS");
        ASSERT_TRUE(home_.StartSessionBus()) << "no dbus-daemon";
        launcher_.emplace(
            std::vector<std::string>{"/usr/libexec/at-spi-bus-launcher", "--launch-immediately"},
            2);
        ASSERT_TRUE(launcher_->Started());
        // A program started before the launcher answers would never find the accessibility bus.
        ASSERT_TRUE(PollUntil(seconds(10), [] {
            ManagerProcess ask({"dbus-send", "--session", "--print-reply", "--dest=org.a11y.Bus",
                                "/org/a11y/bus", "org.a11y.Bus.GetAddress"},
                               1);
            return ask.Wait() == 0;
        })) << "no accessibility bus";
        ASSERT_EQ(atspi_init(), 0) << "the client did not reach the accessibility bus";
        inited_ = true;
    }
    void TearDown() override {
        if (inited_)
            atspi_exit();
        // The launcher ends the accessibility bus it started when it is asked to end.
        if (launcher_ && launcher_->Signal(SIGTERM))
            launcher_->Wait();
    }

    // The program's application object on the bus, once it is there.
    Object App() {
        Object app;
        PollUntil(seconds(15), [&] {
            Object desktop = Hold(atspi_get_desktop(0));
            // The client keeps what it read: read the programs anew each time.
            atspi_accessible_clear_cache(desktop.get());
            app = FindChild(desktop, "Varnel PRO Manager");
            if (!app)
                for (const Object& other : ChildrenOf(desktop))
                    seen_ += " \"" + NameOf(other) + "\"";
            return app != nullptr;
        });
        return app;
    }

    XvfbServer xvfb_;
    testsupport::PrivateDesktopHome home_{"a11y"};
    testsupport::ScopedEnvironment& env_ = home_.Env();
    std::optional<ManagerProcess> launcher_;
    bool inited_ = false;
    std::string seen_; // the programs on the bus while the program was looked for
};

// A control's name says what it is: not empty (unless it only draws), not a bare number, not a
// glyph. Labels and panels read as text or hold others, so only they may carry a number or none.
void ExpectNamed(const Object& window) {
    Walk(window, [](const Object& o) {
        const std::string role = RoleOf(o);
        if (role == "label" || role == "panel" || role == "filler" || role == "page tab list" ||
            role == "separator")
            return;
        const std::string name = NameOf(o);
        const bool letter = std::any_of(name.begin(), name.end(), [](char c) {
            return std::isalpha(static_cast<unsigned char>(c)) ||
                   static_cast<unsigned char>(c) >= 0x80;
        });
        EXPECT_TRUE(letter) << role << " named \"" << name << "\"";
        EXPECT_NE(name, "ë");
        EXPECT_NE(name, "û");
    });
}

TEST_F(AccessibilityDesktopTest, AScreenReaderFollowsTheFocusReadsEveryControlAndIsNotFlooded) {
    CardDaemon daemon(4);
    ASSERT_TRUE(daemon.Started());
    ManagerProcess manager;
    auto ui = [&](const std::vector<std::string>& words) {
        return testsupport::Ui(daemon.Socket(), words);
    };

    // On the bus by its name before any window shows.
    Object app = App();
    ASSERT_NE(app, nullptr) << "no \"Varnel PRO Manager\" on the accessibility bus, only" << seen_;
    ASSERT_TRUE(PollUntil(seconds(15), [&] { return ui({"idle"}) == "ok\n"; }));
    ASSERT_EQ(ui({"tray", "dblclick"}), "ok\n");
    ASSERT_EQ(ui({"idle"}), "ok\n");
    Object hub;
    ASSERT_TRUE(PollUntil(seconds(5), [&] { return (hub = FindChild(app, kHub)) != nullptr; }));
    ExpectNamed(hub);

    // Every Tab: one focus event, from the control the program focused, by its caption.
    auto tabThrough = [&](const std::string& window, int stops) {
        Listener focus("object:state-changed:focused");
        // The program learns of a new listener through the registry before it sends to it.
        Listen(milliseconds(500));
        for (int i = 0; i < stops; ++i) {
            SCOPED_TRACE(window + ", Tab " + std::to_string(i + 1));
            focus.heard.clear();
            ASSERT_EQ(ui({"key", window, "Tab"}), "ok\n");
            std::vector<Heard> gained;
            const auto heardGain = [&] {
                gained.clear();
                for (const Heard& h : focus.heard)
                    if (h.detail == 1)
                        gained.push_back(h);
                return !gained.empty();
            };
            for (int wait = 0; wait < 30 && !heardGain(); ++wait)
                Listen(milliseconds(100));
            Listen(milliseconds(200)); // a second event would come now
            heardGain();
            const std::string focused = LineWith(ui({"dump", window}), " focused=1");
            ASSERT_EQ(gained.size(), 1u) << focused;
            EXPECT_FALSE(gained[0].source.empty()) << focused;
            const std::string caption = Spoken(Field(focused, "caption"));
            if (!caption.empty() && focused.find("TExtButton") == std::string::npos) {
                EXPECT_EQ(gained[0].source, caption) << focused;
            }
        }
    };
    tabThrough(kHub, 9);

    // Keys alone from here on to the applied setting, typed on the X server into the active
    // window as a user types them: Tab to a control, Space, arrows, F4, letters, Alt+letter.
    auto type = [&](const std::string& window, const std::vector<std::string>& keys) {
        ManagerProcess find({"xdotool", "search", "--onlyvisible", "--name", "^" + window + "$"},
                            1);
        ASSERT_TRUE(find.WaitForLine("")) << "no window \"" << window << "\" on the display";
        const std::string id = find.Lines().front();
        ManagerProcess active({"xdotool", "getactivewindow"}, 1);
        if (!active.WaitForLine(id)) {
            ManagerProcess activate({"xdotool", "windowactivate", "--sync", id}, 1);
            ASSERT_EQ(activate.Wait(), 0);
        }
        std::vector<std::string> argv{"xdotool", "key", "--delay", "20"};
        argv.insert(argv.end(), keys.begin(), keys.end());
        ManagerProcess press(argv, 1);
        ASSERT_EQ(press.Wait(), 0);
    };
    const auto focusedIn = [&](const std::string& window) {
        return LineWith(ui({"dump", window}), " focused=1");
    };
    auto tabTo = [&](const std::string& window, const std::string& name) {
        for (int i = 0; i < 40; ++i) {
            const std::string was = focusedIn(window);
            if (was.find(" " + name + " ") != std::string::npos)
                return true;
            type(window, {"Tab"});
            PollUntil(seconds(2), [&] { return focusedIn(window) != was; });
        }
        return false;
    };
    ASSERT_TRUE(tabTo(kHub, "chkAnalogInputs"));
    type(kHub, {"space"});
    ASSERT_TRUE(PollUntil(seconds(5), [&] {
        return LineWith(ui({"windows"}), "Analog Input").find(" visible=1") != std::string::npos;
    }));
    ASSERT_TRUE(tabTo("Analog Input", "Slider0"));
    const auto positionOf = [&] {
        const std::string line = LineWith(ui({"dump", "Analog Input"}), " Slider0 ");
        return std::atoi(line.c_str() + line.find(" position=") + 10);
    };
    const int was = positionOf();
    daemon.Ctl({"trace", "--clear"});
    ASSERT_EQ(ui({"key", "Analog Input", "Up"}), "ok\n");
    EXPECT_EQ(positionOf(), was + 1);
    EXPECT_EQ(daemon.TraceLines(" INMSG_SET_GAIN ").size(), 1u);

    // The Analog Input window: named controls, strips grouped by card, faders that move on every
    // Increase.
    Object analog;
    ASSERT_TRUE(PollUntil(seconds(5),
                          [&] { return (analog = FindChild(app, "Analog Input")) != nullptr; }));
    ExpectNamed(analog);
    EXPECT_NE(FindDeep(analog, "", "Karte #2"), nullptr) << "card 2's strip is a group of its own";
    EXPECT_NE(FindDeep(analog, "check box", "Fader koppeln"), nullptr);
    Object fader;
    Walk(analog, [&](const Object& o) {
        if (!fader && RoleOf(o) == "slider")
            fader = o;
    });
    ASSERT_NE(fader, nullptr);
    AtspiValue* value = atspi_accessible_get_value_iface(fader.get());
    ASSERT_NE(value, nullptr);
    const int low = static_cast<int>(atspi_value_get_minimum_value(value, nullptr));
    const int high = static_cast<int>(atspi_value_get_maximum_value(value, nullptr));
    EXPECT_EQ(high - low, 255 - 108);
    std::vector<int> stuck;
    for (int at = low; at < high; ++at) {
        atspi_value_set_current_value(value, at + 1, nullptr);
        if (static_cast<int>(atspi_value_get_current_value(value, nullptr)) != at + 1)
            stuck.push_back(at);
    }
    g_object_unref(value);
    EXPECT_EQ(stuck, std::vector<int>{}) << "Increase did not reach the next value from these";

    // The settings dialog, opened by keys: names, what the lists and edits show, and the focus
    // followed through its first page.
    ASSERT_TRUE(tabTo(kHub, "chkSettings"));
    type(kHub, {"space"});
    Object dialog;
    ASSERT_TRUE(
        PollUntil(seconds(5), [&] { return (dialog = FindChild(app, kDialog)) != nullptr; }));
    ExpectNamed(dialog);
    EXPECT_NE(LineWith(ui({"dump", kDialog}), " focused=1"), "") << "a control has the focus";
    Object rate = FindDeep(dialog, "text", "Clock 1 Default-Samplerate in Hz");
    ASSERT_NE(rate, nullptr);
    EXPECT_EQ(ShownText(rate), "44100");
    Object resolution = FindDeep(dialog, "combo box", "Wiedergabe Format Stereo: Auflösung");
    ASSERT_NE(resolution, nullptr);
    EXPECT_EQ(ShownText(resolution), "16 bit");
    std::vector<std::string> items, selected;
    for (const Object& item : ChildrenOf(resolution)) {
        items.push_back(NameOf(item));
        AtspiStateSet* states = atspi_accessible_get_state_set(item.get());
        if (atspi_state_set_contains(states, ATSPI_STATE_SELECTED))
            selected.push_back(items.back());
        g_object_unref(states);
    }
    EXPECT_EQ(items, (std::vector<std::string>{"8 bit", "16 bit"}));
    EXPECT_EQ(selected, std::vector<std::string>{"16 bit"});
    EXPECT_NE(FindDeep(dialog, "push button", "Einstellungen der nächsten Karte"), nullptr);
    EXPECT_NE(FindDeep(dialog, "slider", "Latenz in ms"), nullptr);
    tabThrough(kDialog, 8);

    // Typing into an edit field: what went and what came where the texts part, the caret after
    // it, and no new name. Tab selects the field's text, so the first key replaces it.
    ASSERT_TRUE(tabTo(kDialog, "edDefaultRate1"));
    {
        Listener inserted("object:text-changed:insert"), deleted("object:text-changed:delete");
        Listener caret("object:text-caret-moved"), named("object:property-change:accessible-name");
        Listen(milliseconds(500));
        type(kDialog, {"4", "8", "BackSpace", "4", "1", "0", "0"});
        for (int wait = 0; wait < 30 && inserted.heard.size() < 5; ++wait)
            Listen(milliseconds(100));
        Listen(milliseconds(200));
        const auto changes = [](const Listener& l) {
            std::vector<std::pair<int, std::string>> all;
            for (const Heard& h : l.heard)
                all.emplace_back(h.detail, h.text);
            return all;
        };
        using Changes = std::vector<std::pair<int, std::string>>;
        EXPECT_EQ(changes(deleted), (Changes{{1, "4100"}, {1, "8"}}));
        EXPECT_EQ(changes(inserted), (Changes{{1, "8"}, {1, "4"}, {2, "1"}, {3, "0"}, {4, "0"}}));
        ASSERT_FALSE(caret.heard.empty());
        EXPECT_EQ(caret.heard.back().detail, 5);
        EXPECT_EQ(named.heard.size(), 0u);
        EXPECT_EQ(ShownText(rate), "44100");
    }

    // On to "Direct Sound", restrict the format, work its list open and closed, apply, and
    // leave. Keys typed into the open list go on to the list, whose choice fires at once.
    ASSERT_TRUE(tabTo(kDialog, "PageControl1"));
    ASSERT_EQ(ui({"key", kDialog, "Ctrl+Tab", "Ctrl+Tab"}), "ok\n");
    ASSERT_TRUE(tabTo(kDialog, "chkRestricted"));
    type(kDialog, {"space"});
    ASSERT_TRUE(tabTo(kDialog, "boxRestrictedRes"));
    const auto listShows = [&](const std::string& item) {
        return PollUntil(seconds(3), [&] {
            return LineWith(ui({"dump", kDialog}), " boxRestrictedRes ")
                       .find(" text=\"" + item + "\"") != std::string::npos;
        });
    };
    type(kDialog, {"F4", "Up"});
    EXPECT_TRUE(listShows("8 bit")) << "Up in the list opened by F4";
    EXPECT_EQ(ShownText(resolution), "8 bit");
    type(kDialog, {"Escape", "1"});
    EXPECT_TRUE(listShows("16 bit")) << "a letter in the closed list";
    type(kDialog, {"alt+Down", "8"});
    EXPECT_TRUE(listShows("8 bit")) << "a letter in the list opened by Alt+Down";
    type(kDialog, {"Return", "alt+b"});
    ASSERT_TRUE(PollUntil(seconds(5), [&] {
        return daemon.Status()["card.0.config.RestrictedResolution"] == "1";
    })) << "applied";
    EXPECT_NE(LineWith(ui({"windows"}), kDialog).find(" visible=1"), std::string::npos)
        << "Escape and Enter closed only the list";
    type(kDialog, {"Escape"});
    EXPECT_TRUE(PollUntil(seconds(5), [&] {
        return LineWith(ui({"windows"}), kDialog).find(" visible=1") == std::string::npos;
    }));

    // Meters: with the ADAT Inputs of four cards metering, each meter announces a change of its
    // lamps at most twice a second; the meters of a window closed announce nothing, and nothing
    // asks the program for objects that went.
    ASSERT_EQ(ui({"set", kHub, "chkAdatInputs", "1"}), "ok\n");
    ASSERT_EQ(ui({"idle"}), "ok\n");
    {
        Listener values("object:property-change:accessible-value");
        Listen(milliseconds(500));
        values.heard.clear();
        const auto start = std::chrono::steady_clock::now();
        Listen(seconds(6));
        const double span =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        std::map<AtspiAccessible*, int> perMeter;
        for (const Heard& h : values.heard)
            ++perMeter[h.object];
        EXPECT_GE(perMeter.size(), 16u) << "the meters announce their lamps";
        for (const auto& [meter, count] : perMeter)
            EXPECT_LE(count, 2 * span + 1) << "one meter's announcements";
        ASSERT_EQ(ui({"set", kHub, "chkAdatInputs", "0"}), "ok\n");
        ASSERT_EQ(ui({"set", kHub, "chkAnalogInputs", "0"}), "ok\n");
        ASSERT_EQ(ui({"idle"}), "ok\n");
        Listen(milliseconds(300));
        values.heard.clear();
        Listen(seconds(1));
        EXPECT_EQ(values.heard.size(), 0u) << "closed windows announce nothing";
    }
    ASSERT_EQ(ui({"idle"}), "ok\n");
    manager.WaitForLine("\x01", milliseconds(300)); // reads what the program wrote so far
    for (const std::string& line : manager.Lines())
        EXPECT_EQ(line.find("Could not find accessible"), std::string::npos) << line;
}

} // namespace
