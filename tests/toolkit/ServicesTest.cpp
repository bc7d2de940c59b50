#include "ToolkitFixture.h"
#include "toolkit/BackendObserver.h"
#include "toolkit/TCheckBox.h"
#include "toolkit/TPanel.h"

#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using ServicesTest = ToolkitTest;

TEST(MessageBoxLine, HeadlessBoxesWriteOneEscapedLineAndAnswerTheDefaultButton) {
    std::ostringstream out;
    auto previous = InstallMessageBoxService(std::make_unique<HeadlessMessageBoxes>(out));
    int answer = MessageBoxA(0, "Zeile 1\r\nTab\there \\ ende", "Fehler",
                             MB_YESNO | MB_DEFBUTTON2 | MB_ICONERROR);
    InstallMessageBoxService(std::move(previous));
    EXPECT_EQ(answer, IDNO);
    EXPECT_EQ(out.str(), "msgbox\tFehler\t0x114\tZeile 1\\r\\nTab\\there \\\\ ende\n");
    EXPECT_EQ(MessageBoxLogLine({0, "x", "Info", MB_ICONINFORMATION}), "msgbox\tInfo\t0x40\tx");
}

TEST_F(ServicesTest, ScriptedBoxesRecordAndAnswerFromTheScript) {
    boxes->Answer(IDCANCEL);
    EXPECT_EQ(MessageBoxA(5, "Text", "Titel", MB_OKCANCEL), IDCANCEL);
    EXPECT_EQ(MessageBoxA(0, "Text", "Titel", MB_OKCANCEL), IDOK) << "script empty: default";
    ASSERT_EQ(boxes->History().size(), 2u);
    EXPECT_EQ(boxes->History()[0].request.owner, 5u);
    EXPECT_EQ(boxes->History()[0].answer, IDCANCEL);
}

TEST_F(ServicesTest, AModalWaitThatCanNeverEndFailsLoudly) {
    boxes->AnswerWhen([] { return false; }, IDOK);
    EXPECT_THROW(MessageBoxA(0, "t", "c", MB_OK), std::logic_error);
}

// The standard report shows German only: the toolkit's own texts, and a German sentence for what
// the standard library raises.
TEST_F(ServicesTest, TheStandardReportSpeaksGerman) {
    auto* f = new TForm(&app);
    auto* chk = new TCheckBox(f);
    chk->SetParent(f);
    f->Show();
    chk->SetVisible(false);
    Application->Guard([&] { chk->SetFocus(); });
    Application->Guard([] { throw std::out_of_range("vector::_M_range_check"); });
    ASSERT_EQ(boxes->History().size(), 2u);
    EXPECT_EQ(boxes->History()[0].request.text,
              "Ein deaktiviertes oder unsichtbares Fenster kann nicht den Fokus erhalten");
    EXPECT_EQ(boxes->History()[1].request.text, "Interner Programmfehler.");
    EXPECT_EQ(boxes->History()[1].request.style, MB_OK | MB_ICONERROR);
}

struct RecordingObserver : IBackendObserver {
    std::vector<std::string> log;
    void ControlCreated(TControl* c) override { log.push_back("created " + c->Name()); }
    void ControlDestroyed(TControl* c) override { log.push_back("destroyed " + c->Name()); }
    void PropertyChanged(TControl* c, TControlProperty which) override {
        log.push_back("changed " + c->Name() + " " + std::to_string(static_cast<int>(which)));
    }
    void Invalidate(TControl*) override {}
};

TEST_F(ServicesTest, TheBackendHearsOfAControlOnlyOnceItHasAPeer) {
    RecordingObserver observer;
    SetBackendObserver(&observer);
    auto* f = new TForm(&app);
    f->SetName("frmTest");
    auto* chk = new TCheckBox(f);
    chk->SetName("chkPeakMeter");
    chk->SetParent(f);
    chk->SetChecked(true);
    EXPECT_TRUE(observer.log.empty()) << "no peer before the window is first shown";
    f->Show();
    EXPECT_EQ(observer.log[0], "created frmTest");
    EXPECT_EQ(observer.log[1], "created chkPeakMeter");
    observer.log.clear();
    chk->SetCaption(" P&eak Meter");
    chk->SetChecked(false);
    EXPECT_EQ(observer.log,
              (std::vector<std::string>{
                  "changed chkPeakMeter " + std::to_string(int(TControlProperty::Caption)),
                  "changed chkPeakMeter " + std::to_string(int(TControlProperty::State))}));
    observer.log.clear();
    auto* late = new TPanel(f);
    late->SetName("pnLate");
    late->SetParent(f);
    EXPECT_EQ(observer.log.front(), "created pnLate");
    observer.log.clear();
    chk->Free();
    EXPECT_EQ(observer.log, std::vector<std::string>{"destroyed chkPeakMeter"});
    SetBackendObserver(nullptr);
}

} // namespace
