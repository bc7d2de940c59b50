// The analog input window of two cards on the desktop backend, with the in-process card: the
// user's mouse on a copied fader's knob reaches the driver, and opening the window sends none.

#include "BackendFixture.h"
#include "controls/TSlider.h"
#include "driver/CardDiscovery.h"
#include "forms/AboutBox.h"
#include "platform/CardConnection.h"
#include "platform/TimerScheduler.h"
#include "sim/model/CardModel.h"
#include "support/PrivateConfigHome.h"
#include "toolkit/TForm.h"
#include "windows/AnalogInp.h"

#include <QTest>

namespace {

class AnalogInpDesktop : public BackendTest {
protected:
    AnalogInpDesktop() {
        auto owned = std::make_unique<simcard::CardModel>(2, [] { return Clock().NowMs(); });
        model = owned.get();
        InstallCardService(std::move(owned));
        DiscoverCards();
        AboutBox = new TAboutBox(&app);
        hub = new TForm(&app);
    }
    ~AnalogInpDesktop() override {
        FreeAndNil(hub); // the window closes its handles while the card is still there
        AboutBox = nullptr;
        InstallCardService(nullptr);
    }

    std::vector<std::string> GainsSent() const {
        std::vector<std::string> sent;
        for (const std::string& line : model->Trace())
            if (line.find(" INMSG_SET_GAIN ") != std::string::npos)
                sent.push_back(line.substr(line.find("dev=")));
        return sent;
    }

    simcard::CardModel* model = nullptr;
    TForm* hub = nullptr;

private:
    testsupport::PrivateConfigHome configHome_{"desk"};
};

TEST_F(AnalogInpDesktop, DraggingTheSecondCardsKnobSendsItsGainAndOpeningSendsNone) {
    model->Card(1).gain = {0x8000, 0xA000}; // linked, yet different
    auto* w = new TfrmAnalogInp(hub);
    ASSERT_TRUE(w->Ready());
    ShowForm(w);
    auto* left = dynamic_cast<TSlider*>(w->FindComponent("Slider2"));
    auto* right = dynamic_cast<TSlider*>(w->FindComponent("Slider3"));
    ASSERT_TRUE(left && right);
    EXPECT_EQ(left->Position(), 128) << "the driver's gains, as reported";
    EXPECT_EQ(right->Position(), 160);
    EXPECT_TRUE(GainsSent().empty()) << "opening sends no gain";

    auto* knob = backend.WidgetOf(left->Knob());
    ASSERT_NE(knob, nullptr) << "the copied fader's knob is on the desktop";
    const QPoint grab(knob->width() / 2, knob->height() / 2);
    QTest::mousePress(knob, Qt::LeftButton, {}, grab);
    QTest::mouseMove(knob, grab - QPoint(0, 10));
    QTest::mouseRelease(knob, Qt::LeftButton, {}, grab - QPoint(0, 10));
    // 10 of the groove's 100 pixels above 128 (offset 14): offset 24, 108 + 147 * 0.24 = 143.28.
    EXPECT_EQ(left->Position(), 143);
    EXPECT_EQ(right->Position(), 143) << "linked";
    const std::string device = std::to_string(model->DeviceIdOf(1, simcard::WaveDirection::In, 0));
    const auto sent = GainsSent();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].rfind("dev=" + device + " INMSG_SET_GAIN p1=0x8F008F00 ", 0), 0u) << sent[0];
}

} // namespace
