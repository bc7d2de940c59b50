#include "support/Varnelctl.h"

#include "support/DaemonProcess.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <regex>
#include <sndfile.h>
#include <sstream>
#include <unistd.h>

namespace simcard {
namespace {

using testsupport::CtlResult;
using testsupport::DaemonProcess;
using testsupport::Fact;

class VarnelctlTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(daemon.Started()); }
    CtlResult Ctl(const std::vector<std::string>& args) {
        return testsupport::RunVarnelctl(daemon.Socket(), args);
    }
    std::string Status() { return Ctl({"status"}).out; }

    DaemonProcess daemon;
};

TEST_F(VarnelctlTest, StatusGivesEveryFactAsKeyValueLines) {
    CtlResult r = Ctl({"status"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Fact(r.out, "cards"), "2");
    EXPECT_EQ(Fact(r.out, "device.in.1"), "mid=190 pid=8 name=\"Analog Record \"");
    EXPECT_EQ(Fact(r.out, "device.out.8"), "mid=190 pid=9 name=\"Digital Playback II\"");
    EXPECT_EQ(Fact(r.out, "card.0.gain"), "47872,47872");
    EXPECT_EQ(Fact(r.out, "card.1.monitor.digital"), "2,2,0,0");
    EXPECT_EQ(Fact(r.out, "card.1.route.analog"), "0,0,1,0");
    EXPECT_EQ(Fact(r.out, "card.0.format"), "0x0004");
    EXPECT_EQ(Fact(r.out, "card.0.dinput"), "2");
    EXPECT_EQ(Fact(r.out, "card.0.rate.electrical"), "48000");
    EXPECT_EQ(Fact(r.out, "card.1.config.Clock2DefaultRate"), "48000");
    EXPECT_EQ(Fact(r.out, "card.1.config.raw").size(), 400u);
    EXPECT_EQ(Fact(r.out, "state.driver"), "1");
    EXPECT_EQ(Fact(r.out, "state.card.3"), "0");
    EXPECT_EQ(Fact(r.out, "handles.open"), "0");
}

TEST_F(VarnelctlTest, ChangesAsAnotherProgramShowInStatusAndTrace) {
    EXPECT_EQ(Ctl({"gain", "1", "0x6C00", "65535"}).status, 0);
    EXPECT_EQ(Ctl({"route", "0", "digital", "3", "0", "1", "0"}).status, 0);
    EXPECT_EQ(Ctl({"monitor", "0", "analog", "0", "2", "1", "0"}).status, 0);
    EXPECT_EQ(Ctl({"format", "1", "0x15"}).status, 0);
    EXPECT_EQ(Ctl({"dinput", "1", "cd"}).status, 0);
    EXPECT_EQ(Ctl({"rate", "1", "cd", "0"}).status, 0);
    EXPECT_EQ(Ctl({"state", "card", "2", "-25"}).status, 0);
    std::string s = Status();
    EXPECT_EQ(Fact(s, "card.1.gain"), "27648,65535");
    EXPECT_EQ(Fact(s, "card.0.route.digital"), "3,0,1,0");
    EXPECT_EQ(Fact(s, "card.0.monitor.analog"), "0,2,1,0");
    EXPECT_EQ(Fact(s, "card.1.format"), "0x0015");
    EXPECT_EQ(Fact(s, "card.1.dinput"), "3");
    EXPECT_EQ(Fact(s, "card.1.rate.cd"), "0");
    EXPECT_EQ(Fact(s, "state.card.2"), "-25");
    std::string trace = Ctl({"trace"}).out;
    EXPECT_NE(trace.find(" waveInMessage dev=7 INMSG_SET_GAIN p1=0xFFFF6C00 p2=0x0 result=0"),
              std::string::npos)
        << trace;
    EXPECT_EQ(Ctl({"trace", "--clear"}).status, 0);
    EXPECT_EQ(Ctl({"trace"}).out, "");
}

TEST_F(VarnelctlTest, BusyFaultsAndSignals) {
    EXPECT_EQ(Ctl({"busy", "0", "analog-out", "on"}).status, 0);
    CtlResult refused = Ctl({"route", "0", "analog", "4", "0", "1", "0"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find("busy"), std::string::npos);
    EXPECT_EQ(Ctl({"fault", "meter-on", "1", "adat-in-2", "on"}).status, 0);
    EXPECT_EQ(Ctl({"fault", "open", "0", "digital-out", "on"}).status, 0);
    EXPECT_EQ(Ctl({"fault", "config", "crash"}).status, 0);
    EXPECT_EQ(Ctl({"signal", "0", "analog-in", "sine", "-6", "440"}).status, 0);
    EXPECT_EQ(Ctl({"signal", "1", "adat-out-4", "noise", "-20"}).status, 0);
    std::string s = Status();
    EXPECT_EQ(Fact(s, "card.0.busy.analog-out"), "1");
    EXPECT_EQ(Fact(s, "card.1.fault.meter-on.adat-in-2"), "1");
    EXPECT_EQ(Fact(s, "card.0.fault.open.digital-out"), "1");
    EXPECT_EQ(Fact(s, "fault.config"), "crash");
    EXPECT_EQ(Fact(s, "card.0.signal.analog-in"), "sine -6 440");
    EXPECT_EQ(Fact(s, "card.1.signal.adat-out-4"), "noise -20");
    // The format can no longer be changed through a device that fails every open.
    EXPECT_EQ(Ctl({"format", "0", "0x10"}).status, 1);
}

TEST_F(VarnelctlTest, SignalFileIsNamedRelativeToTheCaller) {
    auto dir = std::filesystem::path(daemon.Directory());
    SF_INFO info{};
    info.samplerate = 8000;
    info.channels = 1;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* f = sf_open((dir / "tone.wav").c_str(), SFM_WRITE, &info);
    ASSERT_NE(f, nullptr);
    std::vector<float> samples(800, 0.5f);
    sf_writef_float(f, samples.data(), 800);
    sf_close(f);
    auto previous = std::filesystem::current_path();
    std::filesystem::current_path(dir);
    CtlResult r = Ctl({"signal", "1", "digital-in", "file", "tone.wav"});
    std::filesystem::current_path(previous);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Fact(Status(), "card.1.signal.digital-in"), "file " + (dir / "tone.wav").string());
    CtlResult missing = Ctl({"signal", "1", "digital-in", "file", "/nonexistent.wav"});
    EXPECT_EQ(missing.status, 2);
    EXPECT_NE(missing.err.find("/nonexistent.wav"), std::string::npos);
    std::filesystem::remove(dir / "tone.wav");
}

TEST_F(VarnelctlTest, BadArgumentsAreNamedAndExitNonZero) {
    struct Case {
        std::vector<std::string> args;
        const char* named;
    };
    const Case cases[] = {
        {{"signal", "2", "analog-in", "silence"}, "card \"2\""},
        {{"signal", "0", "adat-in-5", "silence"}, "adat-in-5"},
        {{"signal", "0", "analog-in", "square"}, "square"},
        {{"gain", "0", "0x10000", "0"}, "left word"},
        {{"route", "0", "analog", "1", "2", "3"}, "b3"},
        {{"route", "0", "analog", "1", "2", "3", "256"}, "b3"},
        {{"state", "card", "5", "1"}, "card number"},
        {{"fault", "config", "slow"}, "ms"},
        {{"busy", "0", "analog-in", "maybe"}, "maybe"},
        {{"status", "extra"}, "extra"},
        {{"frobnicate"}, "frobnicate"},
    };
    for (const Case& c : cases) {
        CtlResult r = Ctl(c.args);
        EXPECT_NE(r.status, 0) << c.args[0];
        EXPECT_NE(r.err.find(c.named), std::string::npos) << r.err;
    }
    CtlResult ui = Ctl({"ui", "windows"});
    EXPECT_NE(ui.status, 0);
    EXPECT_NE(ui.err.find("VARNEL_AUTOMATION"), std::string::npos)
        << "without the manager's socket";
    CtlResult help = Ctl({"unplug", "--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("varnelctl unplug <card>"), std::string::npos);
    EXPECT_EQ(Ctl({"--help"}).status, 0);
}

TEST_F(VarnelctlTest, UnplugRemovesTheCardWhenNoProgramListensAndPlugPutsItBack) {
    std::string devnode0 = Fact(Status(), "card.0.devnode");
    CtlResult r = Ctl({"unplug", "1"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "cards=1\n");
    std::string s = Status();
    EXPECT_EQ(Fact(s, "cards"), "1");
    EXPECT_EQ(Fact(s, "card.0.devnode"), devnode0);
    EXPECT_EQ(Fact(s, "card.1.devnode"), "(missing)");
    EXPECT_EQ(Ctl({"unplug", "1"}).status, 2);

    // The first card goes too, then comes back first, with what it held and its own devices.
    ASSERT_EQ(Ctl({"gain", "0", "0x9000", "0xA000"}).status, 0);
    ASSERT_EQ(Ctl({"unplug", "0"}).status, 0);
    EXPECT_EQ(Fact(Status(), "cards"), "0");
    r = Ctl({"plug", "1"});
    EXPECT_EQ(r.status, 0) << r.err;
    r = Ctl({"plug", "0"});
    EXPECT_EQ(r.status, 0) << r.err;
    s = Status();
    EXPECT_EQ(Fact(s, "cards"), "2");
    EXPECT_EQ(Fact(s, "card.0.devnode"), devnode0);
    EXPECT_EQ(Fact(s, "card.0.gain"), "36864,40960");
    EXPECT_EQ(Fact(s, "device.in.1"), "mid=190 pid=8 name=\"Analog Record \"");
    r = Ctl({"plug", "0"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("no card 0 was unplugged"), std::string::npos) << r.err;
}

// A setup saved, everything changed, the setup loaded: status as saved. A setup that is broken,
// or that the driver would refuse, changes nothing and says why, with its line.
TEST_F(VarnelctlTest, ASetupLoadsBackAsSavedAndABrokenOneChangesNothing) {
    const std::string dir = daemon.Directory();
    auto file = [&](const std::string& name, const std::string& text) {
        std::ofstream(dir + "/" + name) << text;
        return dir + "/" + name;
    };
    auto read = [](const std::string& path) {
        std::stringstream text;
        text << std::ifstream(path).rdbuf();
        return text.str();
    };
    auto replaced = [](std::string text, const std::string& from, const std::string& to) {
        return text.replace(text.find(from), from.size(), to);
    };
    const std::string all = dir + "/all.setup", one = dir + "/one.setup";
    ASSERT_EQ(Ctl({"gain", "1", "0x1234", "0x5678"}).status, 0);
    const std::string before = Status();
    ASSERT_EQ(Ctl({"setup", "save", all}).status, 0);
    ASSERT_EQ(Ctl({"setup", "save", one, "1"}).status, 0);
    const std::string saved = read(all);
    for (const auto& entry : std::filesystem::directory_iterator(dir))
        EXPECT_EQ(entry.path().string().find(".tmp-"), std::string::npos) << entry.path();

    // Everything changes, as other programs change it; the record through an edited setup.
    for (std::vector<std::string> change :
         {std::vector<std::string>{"gain", "0", "0x8000", "0x9100"},
          {"monitor", "1", "analog", "0", "2", "1", "0"},
          {"route", "0", "digital", "3", "0", "0", "0"},
          {"format", "1", "0x15"},
          {"dinput", "0", "optical"},
          {"rate", "1", "cd", "32000"}})
        ASSERT_EQ(Ctl(change).status, 0) << change[0];
    const std::string master = file("master.setup", replaced(saved, "card.1.config.CardIsMaster=0",
                                                             "card.1.config.CardIsMaster=-1"));
    CtlResult shown = Ctl({"setup", "show", master, "1"});
    EXPECT_EQ(shown.out, "card.1.monitor.analog=0,1,0,0 (now 0,2,1,0)\n"
                         "card.1.format=0x0004 (now 0x0015)\n"
                         "card.1.rate.cd=44100 (now 32000)\n"
                         "card.1.config.CardIsMaster=-1 (now 0)\n"
                         "changes=4\n");
    ASSERT_EQ(Ctl({"setup", "load", master, "1"}).status, 0);
    EXPECT_EQ(Fact(Status(), "card.1.config.CardIsMaster"), "-1");
    EXPECT_EQ(Fact(Status(), "card.1.format"), "0x0004");

    ASSERT_TRUE(Ctl({"trace", "--clear"}).status == 0);
    CtlResult loaded = Ctl({"setup", "load", all});
    EXPECT_EQ(loaded.status, 0) << loaded.err;
    EXPECT_EQ(Fact(loaded.out, "card.0.gain"), "47872,47872 (was 32768,37120)");
    std::string after = Status();
    std::istringstream lines(saved);
    for (std::string line; std::getline(lines, line);)
        if (line.starts_with("card.")) {
            EXPECT_EQ(line.substr(line.find('=') + 1), Fact(after, line.substr(0, line.find('='))));
        }
    EXPECT_EQ(Fact(after, "card.1.config.raw"), Fact(before, "card.1.config.raw"));
    // As another program: driver messages and one record write, and nothing that was as saved.
    const std::string trace = Ctl({"trace"}).out;
    EXPECT_NE(trace.find(" INMSG_SET_GAIN p1=0xBB00BB00 "), std::string::npos) << trace;
    EXPECT_EQ(testsupport::TraceLines(daemon.Socket(), " setconfig ").size(), 1u) << trace;
    EXPECT_EQ(trace.find("INMSG_SET_GAIN p1=0x56781234"), std::string::npos) << trace;

    // One card's setup goes to another card; its record's serial stays that card's own.
    ASSERT_EQ(Ctl({"setup", "load", one, "0"}).status, 0);
    after = Status();
    EXPECT_EQ(Fact(after, "card.0.gain"), "4660,22136");
    EXPECT_EQ(Fact(after, "card.0.config.raw"), Fact(before, "card.0.config.raw"));

    auto lineOf = [&](const std::string& text) {
        return std::to_string(std::count(saved.begin(), saved.begin() + saved.find(text), '\n') +
                              1);
    };
    ASSERT_EQ(Ctl({"busy", "1", "analog-out", "on"}).status, 0);
    const std::string gained = replaced(saved, "card.0.gain=47872,47872", "card.0.gain=1,1");
    const std::pair<std::string, std::string> broken[] = {
        {"varnel-cardd-state=1\ncard.0.gain=1,1\n", "line 1: not a Varnel PRO card setup"},
        {"# mine\nvarnel-pro-setup=2\n", "line 2: a setup of version 2, newer"},
        {replaced(gained, "card.1.gain=4660,22136", "card.1.gain=70000,1"),
         "line " + lineOf("card.1.gain=") + ": card.1.gain=\"70000,1\" is not two words"},
        {gained.substr(0, gained.find("card.1.config.")), "without card.1.config.CardIsMaster"},
        {gained + "card.0.gain=1,1\n", "again (first on line " + lineOf("card.0.gain") + ")"},
        {replaced(gained, "card.1.route.analog=0,0,1,0", "card.1.route.analog=4,0,0,0"),
         "route refused: the analog-out device of card 1 is busy"},
        {std::regex_replace(gained, std::regex("card\\.1\\."), "card.3."), "card 3 is not there"},
    };
    ASSERT_TRUE(Ctl({"trace", "--clear"}).status == 0);
    const std::string unchanged = Status();
    for (const auto& [text, why] : broken) {
        CtlResult r = Ctl({"setup", "load", file("broken.setup", text)});
        EXPECT_EQ(r.status, 1) << why;
        EXPECT_NE(r.err.find(why), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("nothing was changed"), std::string::npos) << r.err;
    }
    EXPECT_EQ(Status(), unchanged);
    EXPECT_EQ(Ctl({"trace"}).out, "");
    CtlResult unwritable = Ctl({"setup", "save", "/nonexistent/cards.setup"});
    EXPECT_EQ(unwritable.status, 1);
    EXPECT_NE(unwritable.err.find("cannot write /nonexistent/cards.setup"), std::string::npos);
}

TEST_F(VarnelctlTest, MeterReadsThroughAControlHandleAsTheManagerDoes) {
    EXPECT_EQ(Ctl({"signal", "1", "adat-in-2", "sine", "0"}).status, 0);
    CtlResult r = Ctl({"meter", "1", "adat-in-2", "5"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "peak=32767,32767\n");
    EXPECT_EQ(Ctl({"meter", "0", "adat-out-1", "0"}).out, "peak=0,0\n");
    EXPECT_EQ(Ctl({"fault", "meter-on", "0", "digital-in", "on"}).status, 0);
    CtlResult refused = Ctl({"meter", "0", "digital-in", "0"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find("refused"), std::string::npos);
    EXPECT_EQ(Ctl({"fault", "meter-read", "1", "adat-in-2", "on"}).status, 0);
    EXPECT_EQ(Fact(Status(), "card.1.fault.meter-read.adat-in-2"), "1");
    refused = Ctl({"meter", "1", "adat-in-2", "0"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find("meter read refused"), std::string::npos) << refused.err;
    EXPECT_EQ(Fact(Status(), "handles.open"), "0");
}

TEST(VarnelctlExtraDevices, ExtraDevicesJoinTheListing) {
    char pattern[] = "/tmp/varnel-devices-XXXXXX";
    int fd = mkstemp(pattern);
    const std::string text = "# odd names for discovery\n"
                             "in 190 8 Analog Record V\n"
                             "out 190 11 ADAT Playback 33\n";
    ASSERT_EQ(write(fd, text.data(), text.size()), static_cast<ssize_t>(text.size()));
    close(fd);
    DaemonProcess daemon({"--cards", "1", "--devices", pattern});
    ASSERT_TRUE(daemon.Started());
    std::string status = testsupport::RunVarnelctl(daemon.Socket(), {"status"}).out;
    EXPECT_EQ(Fact(status, "device.in.7"), "mid=190 pid=8 name=\"Analog Record V\"");
    EXPECT_EQ(Fact(status, "device.out.7"), "mid=190 pid=11 name=\"ADAT Playback 33\"");
    unlink(pattern);
}

TEST(VarnelctlNoDaemon, SaysThatNoDaemonAnswers) {
    CtlResult r = testsupport::RunVarnelctl("/tmp/varnel-no-such-dir/card.sock", {"status"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("no card daemon"), std::string::npos) << r.err;
}

} // namespace
} // namespace simcard
