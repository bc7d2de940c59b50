// The wave services over the in-process card: device lists, control handles, block parameters,
// callbacks and the device-change broadcast.
#include "platform/WaveDevices.h"

#include "platform/CardConnection.h"
#include "platform/DeviceChange.h"
#include "platform/MessageQueue.h"
#include "platform/TimerScheduler.h"
#include "platform/VirtualClock.h"
#include "platform/WindowTable.h"
#include "platform/Wow16.h"
#include "sim/model/CardModel.h"
#include "support/ControlFormat.h"

#include <cstring>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

namespace {

using testsupport::ControlFormat;

struct Window : IMessageTarget {
    explicit Window(bool topLevel) : hwnd(WindowTable::Instance().Register(this, topLevel)) {}
    ~Window() { WindowTable::Instance().Unregister(hwnd); }
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        received.push_back(MSG{hwnd, message, wParam, lParam});
        if (message == WM_DEVICECHANGE) {
            std::memcpy(&record, reinterpret_cast<const void*>(lParam), sizeof record);
            onGuiThread = MessageQueue::Instance().OnGuiThread();
        }
        return 1;
    }
    HWND hwnd;
    std::vector<MSG> received;
    DEV_BROADCAST_DEVNODE record{};
    bool onGuiThread = false;
};

class WaveDevicesTest : public ::testing::Test {
protected:
    void Use(int cards) {
        auto owned = std::make_unique<simcard::CardModel>(cards, [] { return Clock().NowMs(); });
        model = owned.get();
        InstallCardService(std::move(owned));
    }
    void SetUp() override {
        MessageQueue::Instance().Clear();
        Use(2);
    }
    void TearDown() override {
        InstallCardService(nullptr);
        MessageQueue::Instance().Clear();
    }
    HWAVEIN OpenIn(UINT device, DWORD_PTR window = 0) {
        HWAVEIN h = nullptr;
        EXPECT_EQ(waveInOpen(&h, device, &control.format, window, 0,
                             window ? CALLBACK_WINDOW : CALLBACK_NULL),
                  MMSYSERR_NOERROR);
        return h;
    }
    HWAVEOUT OpenOut(UINT device) {
        HWAVEOUT h = nullptr;
        EXPECT_EQ(waveOutOpen(&h, device, &control.format, 0, 0, CALLBACK_NULL), MMSYSERR_NOERROR);
        return h;
    }
    ScopedVirtualClock clock;
    simcard::CardModel* model = nullptr;
    ControlFormat control;
};

TEST_F(WaveDevicesTest, ListsTheSystemsDevicesWithTheirIdentity) {
    model->AddExtraDevice({simcard::WaveDirection::Out, 2, 3, "Modem"});
    ASSERT_EQ(waveInGetNumDevs(), 13u) << "one device of another maker, then six per card";
    ASSERT_EQ(waveOutGetNumDevs(), 14u);

    WAVEINCAPSA in{};
    ASSERT_EQ(waveInGetDevCapsA(0, &in, sizeof in), MMSYSERR_NOERROR);
    EXPECT_NE(in.wMid, 190);
    ASSERT_EQ(waveInGetDevCapsA(8, &in, sizeof in), MMSYSERR_NOERROR);
    EXPECT_EQ(in.wMid, 190);
    EXPECT_EQ(in.wPid, 10) << "card 1's digital recording device";
    EXPECT_EQ(std::string(in.szPname), model->ListDevices(simcard::WaveDirection::In)[8].name);

    WAVEOUTCAPSA out{};
    ASSERT_EQ(waveOutGetDevCapsA(13, &out, sizeof out), MMSYSERR_NOERROR);
    EXPECT_EQ(out.wMid, 2);
    EXPECT_STREQ(out.szPname, "Modem");
    EXPECT_EQ(waveOutGetDevCapsA(14, &out, sizeof out), MMSYSERR_BADDEVICEID);
    EXPECT_EQ(waveOutGetDevCapsA(0, nullptr, sizeof out), MMSYSERR_INVALPARAM);

    WAVEOUTCAPSA partial{};
    std::memset(&partial, 0x55, sizeof partial);
    ASSERT_EQ(waveOutGetDevCapsA(1, &partial, 4), MMSYSERR_NOERROR);
    EXPECT_EQ(partial.wMid, 190);
    EXPECT_EQ(partial.wPid, 7);
    EXPECT_EQ(partial.vDriverVersion, 0x55555555u) << "only the first 4 bytes are written";
}

TEST_F(WaveDevicesTest, LongNamesAreCutBeforeACharacterThatDoesNotFit) {
    // 30 ASCII characters, then "ä" (two bytes) that would end at byte 32.
    std::string name(30, 'x');
    name += "\xC3\xA4 II";
    model->AddExtraDevice({simcard::WaveDirection::In, 7, 7, name});
    WAVEINCAPSA in{};
    ASSERT_EQ(waveInGetDevCapsA(13, &in, sizeof in), MMSYSERR_NOERROR);
    EXPECT_EQ(std::string(in.szPname), std::string(30, 'x'));

    char field[8];
    CopyDeviceName(field, sizeof field, "ab\xC3\xA4\xC3\xA4xyz", 9);
    EXPECT_STREQ(field, "ab\xC3\xA4\xC3\xA4x") << "seven bytes of whole characters";
    CopyDeviceName(field, sizeof field, "abcdef\xC3\x9C", 8);
    EXPECT_STREQ(field, "abcdef") << "the last character would need byte 8";
}

TEST_F(WaveDevicesTest, ControlHandlesOpenOnlyWithTheControlFormat) {
    HWAVEIN in = OpenIn(1);
    ASSERT_NE(in, nullptr);
    HWAVEIN second = OpenIn(1);
    EXPECT_NE(second, in) << "each open of a device is a handle of its own";

    WAVEFORMATEX pcm{WAVE_FORMAT_PCM, 2, 44100, 176400, 4, 16, 0};
    HWAVEIN h = reinterpret_cast<HWAVEIN>(1);
    EXPECT_EQ(waveInOpen(&h, 1, &pcm, 0, 0, CALLBACK_NULL), WAVERR_BADFORMAT);
    EXPECT_EQ(h, nullptr);
    EXPECT_EQ(waveInOpen(&h, 0, &pcm, 0, 0, CALLBACK_NULL), MMSYSERR_NOERROR)
        << "another maker's device takes plain PCM";
    EXPECT_EQ(waveInClose(h), MMSYSERR_NOERROR);
    EXPECT_EQ(waveInOpen(&h, 99, &control.format, 0, 0, 0), MMSYSERR_BADDEVICEID);
    EXPECT_EQ(waveInOpen(&h, 1, nullptr, 0, 0, 0), MMSYSERR_INVALPARAM);
    EXPECT_EQ(waveInOpen(nullptr, 1, &control.format, 0, 0, 0), MMSYSERR_INVALPARAM);
    EXPECT_EQ(waveInOpen(&h, 1, &control.format, 0, 0, 0x00030000), MMSYSERR_INVALFLAG)
        << "a callback function is not offered";
    EXPECT_EQ(waveInOpen(&h, 1, &control.format, 0xDEAD, 0, CALLBACK_WINDOW), MMSYSERR_INVALPARAM)
        << "no such window";

    EXPECT_EQ(waveInClose(in), MMSYSERR_NOERROR);
    EXPECT_EQ(waveInClose(in), MMSYSERR_INVALHANDLE) << "closed twice";
    EXPECT_EQ(waveInClose(nullptr), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(waveInClose(second), MMSYSERR_NOERROR);
}

TEST_F(WaveDevicesTest, AHandleOpenedWithAWindowPostsItsOpenAndClose) {
    Window window(false);
    HWAVEIN in = OpenIn(1, window.hwnd);
    ASSERT_EQ(waveInClose(in), MMSYSERR_NOERROR);
    while (MessageQueue::Instance().Step()) {
    }
    ASSERT_EQ(window.received.size(), 2u);
    EXPECT_EQ(window.received[0].message, MM_WIM_OPEN);
    EXPECT_EQ(window.received[0].wParam, reinterpret_cast<WPARAM>(in));
    EXPECT_EQ(window.received[1].message, MM_WIM_CLOSE);
}

TEST_F(WaveDevicesTest, BlockMessagesAreAnsweredIntoTheBlockBeforeTheCallReturns) {
    HWAVEIN in = OpenIn(7); // card 1, analog recording
    HWAVEOUT out = OpenOut(7);
    DWORD block = WOWGlobalAllocLock16(GMEM_ZEROINIT, 4, nullptr);
    auto* flat = static_cast<std::uint8_t*>(WOWGetVDMPointerFix(block, 4, TRUE));
    ASSERT_NE(flat, nullptr);

    ASSERT_EQ(waveInMessage(in, 0x4033, 0x12345678, 0), MMSYSERR_NOERROR) << "INMSG_SET_GAIN";
    ASSERT_EQ(waveInMessage(in, 0x4032, block, 0), MMSYSERR_NOERROR) << "INMSG_GET_GAIN";
    std::uint32_t gains;
    std::memcpy(&gains, flat, 4);
    EXPECT_EQ(gains, 0x12345678u);

    ASSERT_EQ(waveOutMessage(out, 0x4011, block, 0), MMSYSERR_NOERROR) << "OUTMSG_GET_CARD_INFO";
    std::uint32_t devnode;
    std::memcpy(&devnode, flat, 4);
    EXPECT_EQ(devnode, model->Card(1).devnode);

    const auto requests = model->Trace().size();
    EXPECT_EQ(waveInMessage(in, 0x4032, block + 1, 0), MMSYSERR_INVALPARAM) << "inside the block";
    EXPECT_EQ(waveInMessage(in, 0x4032, 0x7FFF0000, 0), MMSYSERR_INVALPARAM) << "no block there";
    EXPECT_EQ(waveInMessage(in, 0x403A, block, 0), MMSYSERR_INVALPARAM)
        << "the peak block is 8 bytes, this one 4";
    EXPECT_EQ(model->Trace().size(), requests) << "no request reached the driver";

    EXPECT_EQ(waveInMessage(reinterpret_cast<HWAVEIN>(out), 0x4032, block, 0), MMSYSERR_INVALHANDLE)
        << "a playback handle is no recording handle";
    EXPECT_EQ(waveInMessage(nullptr, 0x4032, block, 0), MMSYSERR_INVALHANDLE);

    WOWGetVDMPointerUnfix(block);
    WOWGlobalUnlockFree16(block);
    EXPECT_EQ(waveInClose(in), MMSYSERR_NOERROR);
    EXPECT_EQ(waveOutClose(out), MMSYSERR_NOERROR);
}

TEST_F(WaveDevicesTest, HandlesOfAReplacedDriverFailAtOnce) {
    HWAVEOUT out = OpenOut(1);
    Use(1);
    EXPECT_EQ(waveOutMessage(out, 0x4007, 0, 0), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(waveOutClose(out), MMSYSERR_INVALHANDLE);
    HWAVEOUT fresh = OpenOut(1);
    EXPECT_NE(fresh, out) << "handles are never reused";
    EXPECT_EQ(waveOutClose(fresh), MMSYSERR_NOERROR);
}

TEST_F(WaveDevicesTest, AnUnplugReachesEveryTopLevelWindowAndIsAnswered) {
    Window form(true), control(false), other(true);
    const DWORD devnode = model->Card(1).devnode;
    ASSERT_TRUE(model->Unplug(1));
    ASSERT_EQ(form.received.size(), 1u);
    EXPECT_EQ(form.received[0].message, WM_DEVICECHANGE);
    EXPECT_EQ(form.received[0].wParam, DBT_DEVICEQUERYREMOVE);
    EXPECT_EQ(form.record.dbcd_size, 16u);
    EXPECT_EQ(form.record.dbcd_devicetype, DBT_DEVTYP_DEVNODE);
    EXPECT_EQ(form.record.dbcd_devnode, devnode);
    EXPECT_EQ(other.received.size(), 1u);
    EXPECT_TRUE(control.received.empty()) << "controls are not asked";
    EXPECT_EQ(model->CardCount(), 1) << "answered, so the driver let the card go";
}

TEST_F(WaveDevicesTest, ABroadcastFromAnotherThreadIsHandledOnTheGuiThread) {
    Window form(true);
    std::atomic<bool> done{false};
    std::thread reader(
        [&] { QueueDeviceChange(DBT_DEVICEQUERYREMOVE, 0x1234, [&] { done = true; }); });
    reader.join(); // the reader thread did not wait for the GUI thread
    EXPECT_FALSE(done);
    while (!done)
        MessageQueue::Instance().Step();
    ASSERT_EQ(form.received.size(), 1u);
    EXPECT_TRUE(form.onGuiThread);
    EXPECT_EQ(form.record.dbcd_devnode, 0x1234u);
}

} // namespace
