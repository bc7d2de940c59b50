#include "forms/FormState.h"

#include "FormsFixture.h"
#include "controls/ExtControls.h"
#include "controls/TExtSpeedButton.h"
#include "controls/TLevelMeter.h"
#include "controls/TSlider.h"
#include "platform/IniFile.h"
#include "platform/MessageQueue.h"
#include "toolkit/Exceptions.h"
#include "toolkit/TCheckBox.h"
#include "toolkit/TComboBox.h"
#include "toolkit/TEdit.h"
#include "toolkit/TLabel.h"
#include "toolkit/TPageControl.h"
#include "toolkit/TPanel.h"
#include "toolkit/TSpeedButton.h"

#include <filesystem>
#include <string>
#include <vector>

namespace {

const char* const kFile = "Zq40Promix.ini";

// A channel window as designed: a control panel and check boxes marked for persistence, one box
// that is not, and an unnamed copy such as cloning leaves.
class FormStateTest : public FormsTest {
protected:
    FormStateTest() {
        window = new TForm(&app);
        window->SetCaption("Analog Input");
        window->SetBounds(10, 20, 300, 200);
        window->SetShowHint(true);
        pnChecks = Make<TPanel>("pnChecks", -1, window);
        chkPeakMeter = Make<TCheckBox>("chkPeakMeter", -1, pnChecks);
        chkPeakMeter->SetChecked(true);
        chkPeakMeter->OnClick = [this](TObject*) { log.push_back("peak"); };
        chkRouting = Make<TCheckBox>("chkRouting", 0, pnChecks);
        copy = Make<TCheckBox>("", -1, pnChecks);
        copy->OnClick = [this](TObject*) { log.push_back("copy"); };
    }

    template <class T> T* Make(const std::string& name, int tag, TWinControl* parent) {
        auto* c = new T(window);
        if (!name.empty())
            c->SetName(name);
        c->SetTag(tag);
        c->SetParent(parent);
        return c;
    }

    std::vector<std::string> Keys(const std::string& section) const {
        return IniFile(kFile).ReadKeyNames(section);
    }

    TForm* window = nullptr;
    TPanel* pnChecks = nullptr;
    TCheckBox* chkPeakMeter = nullptr;
    TCheckBox* chkRouting = nullptr;
    TCheckBox* copy = nullptr;
    std::vector<std::string> log;
};

TEST_F(FormStateTest, AFirstShowKeepsTheDesignAndTheCloseWritesTheMarkedComponentsAndPlacement) {
    RestoreFormState(window, kFile, "", 1, -1);
    EXPECT_TRUE(chkPeakMeter->Checked());
    EXPECT_TRUE(pnChecks->Visible());
    EXPECT_EQ(window->BoundsRect(), Bounds(10, 20, 300, 200));
    EXPECT_TRUE(window->ShowHint());
    EXPECT_TRUE(log.empty());
    EXPECT_FALSE(std::filesystem::exists(IniPath())) << "reading creates nothing";

    EXPECT_TRUE(SaveFormState(window, kFile, "", 1, -1));
    EXPECT_EQ(Keys("Analog Input"), (std::vector<std::string>{"pnChecks", "chkPeakMeter", "Top",
                                                              "Left", "Width", "Height", "Hints"}));
    IniFile ini(kFile);
    EXPECT_EQ(ini.ReadInteger("Analog Input", "chkPeakMeter", -5), 1);
    EXPECT_EQ(ini.ReadInteger("Analog Input", "Top", 0), 20);
    EXPECT_EQ(ini.ReadInteger("Analog Input", "Left", 0), 10);
    EXPECT_EQ(ini.ReadInteger("Analog Input", "Width", 0), 300);
    EXPECT_EQ(ini.ReadInteger("Analog Input", "Height", 0), 200);
    EXPECT_EQ(ini.ReadInteger("Analog Input", "Hints", 0), 1);
}

TEST_F(FormStateTest, StoredValuesApplyAsUserChangesWithMessagesRunningBetweenComponents) {
    PutIni("[Analog Input]\nchkPeakMeter=0\npnChecks=0\nchkRouting=1\nTop=40\nLeft=50\n"
           "Width=320\nHeight=240\nHints=5\n");
    window->SetShowHint(false);
    window->SetMessageHandler(WM_USER + 7, [this](TMessage&) { log.push_back("message"); });
    PostMessageA(window->Handle(), WM_USER + 7, 0, 0);
    chkPeakMeter->OnClick = [this](TObject*) {
        log.push_back("peak");
        PostMessageA(window->Handle(), WM_USER + 7, 0, 0);
    };

    RestoreFormState(window, kFile, "", 1, -1);
    EXPECT_FALSE(chkPeakMeter->Checked());
    EXPECT_FALSE(pnChecks->Visible());
    EXPECT_FALSE(chkRouting->Checked()) << "tag 0 takes no part";
    EXPECT_EQ(log, (std::vector<std::string>{"message", "peak", "message"}))
        << "pending messages run after each component (pnChecks comes first)";
    EXPECT_EQ(window->BoundsRect(), Bounds(50, 40, 320, 240));
    EXPECT_TRUE(window->ShowHint()) << "Hints=5 reads as true";
}

TEST_F(FormStateTest, WithoutPlacementOnlyComponentsAndTheSuffixNamesTheSection) {
    PutIni("[Analog Input-2]\nchkPeakMeter=0\nTop=99\n");
    RestoreFormState(window, kFile, "-2", 0, -1);
    EXPECT_FALSE(chkPeakMeter->Checked());
    EXPECT_EQ(window->Top(), 20);
    EXPECT_TRUE(SaveFormState(window, kFile, "-2", 0, -1));
    EXPECT_EQ(Keys("Analog Input-2"),
              (std::vector<std::string>{"chkPeakMeter", "Top", "pnChecks"}));
}

TEST_F(FormStateTest, OtherTagsAndUnnamedCopiesAreNeitherReadNorWritten) {
    chkRouting->SetTag(2);
    PutIni("[Analog Input]\nchkRouting=1\n");
    RestoreFormState(window, kFile, "", 0, -1);
    EXPECT_FALSE(chkRouting->Checked());
    EXPECT_TRUE(log.empty());
    EXPECT_TRUE(SaveFormState(window, kFile, "", 0, -1));
    auto keys = Keys("Analog Input");
    EXPECT_EQ(keys, (std::vector<std::string>{"chkRouting", "pnChecks", "chkPeakMeter"}));

    // A mask of 2 takes exactly the components whose tag holds bit 2 (−1 holds every bit).
    RestoreFormState(window, kFile, "", 0, 2);
    EXPECT_TRUE(chkRouting->Checked());
}

TEST_F(FormStateTest, MalformedValuesAndUnusableSizesKeepTheCurrentState) {
    PutIni("[Analog Input]\nchkPeakMeter=ja\nTop=abc\nLeft=12x\nWidth=0\nHeight=-40\nHints=\n");
    RestoreFormState(window, kFile, "", 1, -1);
    EXPECT_TRUE(chkPeakMeter->Checked());
    EXPECT_EQ(window->BoundsRect(), Bounds(10, 20, 300, 200));
    EXPECT_TRUE(window->ShowHint());
}

TEST_F(FormStateTest, ACorruptFileLeavesTheDesignAndTheNextSaveKeepsItsOtherLines) {
    const std::vector<std::string> lines{"\x01\x02 kein INI", "[Analog Input", "chkPeakMeter=0",
                                         "; Kommentar",       "[Anderes]",     "Wert=1"};
    std::string garbage;
    for (const auto& line : lines)
        garbage += line + "\n";
    PutIni(garbage);
    RestoreFormState(window, kFile, "", 1, -1);
    EXPECT_TRUE(chkPeakMeter->Checked()) << "the key under the broken header is not ours";
    EXPECT_TRUE(SaveFormState(window, kFile, "", 1, -1));
    std::string after = GetIni();
    EXPECT_EQ(after.substr(0, garbage.size()), garbage);
    EXPECT_EQ(IniFile(kFile).ReadInteger("Analog Input", "chkPeakMeter", -1), 1);
}

TEST_F(FormStateTest, AnUnreadableFileLeavesTheDesignAndASaveFailsWithoutReplacingIt) {
    std::filesystem::create_directories(IniPath());
    RestoreFormState(window, kFile, "", 1, -1);
    EXPECT_TRUE(chkPeakMeter->Checked());
    EXPECT_EQ(window->BoundsRect(), Bounds(10, 20, 300, 200));
    EXPECT_FALSE(SaveFormState(window, kFile, "", 1, -1));
    EXPECT_TRUE(std::filesystem::is_directory(IniPath()));
}

TEST_F(FormStateTest, EveryPersistedClassRoundTrips) {
    auto* ed = Make<TEdit>("edName", -1, window);
    ed->SetText("Studio A");
    auto* pages = Make<TPageControl>("pgMain", -1, window);
    for (int i = 0; i < 3; ++i)
        (new TTabSheet(window))->SetPageControl(pages);
    pages->SetActivePageIndex(1);
    auto* speed = Make<TSpeedButton>("sbMono", -1, window);
    speed->SetGroupIndex(4);
    speed->SetAllowAllUp(true);
    int clicks = 0;
    speed->OnClick = [&](TObject*) { ++clicks; };
    auto* combo = Make<TComboBox>("boxRate", -1, window);
    combo->Items().Add("44100");
    combo->Items().Add("48000");
    combo->SetItemIndex(0);
    auto* label = Make<TLabel>("lbPassedOver", -1, window);
    label->SetCaption("bleibt");

    PutIni("[Analog Input]\nedName=Studio B\npgMain=2\nsbMono=1\nboxRate=1\nlbPassedOver=x\n");
    RestoreFormState(window, kFile, "", 0, -1);
    EXPECT_EQ(ed->Text(), "Studio B");
    EXPECT_EQ(pages->ActivePageIndex(), 2);
    EXPECT_TRUE(speed->Down());
    EXPECT_EQ(combo->ItemIndex(), 1);
    EXPECT_EQ(label->Caption(), "bleibt");
    EXPECT_EQ(clicks, 1);

    // OnClick runs whether or not the stored state changes anything.
    RestoreFormState(window, kFile, "", 0, -1);
    EXPECT_EQ(clicks, 2);

    ed->SetText("Regie");
    pages->SetActivePageIndex(0);
    speed->SetDown(false);
    combo->SetItemIndex(0);
    EXPECT_TRUE(SaveFormState(window, kFile, "", 0, -1));
    IniFile ini(kFile);
    EXPECT_EQ(ini.ReadString("Analog Input", "edName", ""), "Regie");
    EXPECT_EQ(ini.ReadInteger("Analog Input", "pgMain", -9), 0);
    EXPECT_EQ(ini.ReadInteger("Analog Input", "sbMono", -9), 0);
    EXPECT_EQ(ini.ReadInteger("Analog Input", "boxRate", -9), 0);
    EXPECT_EQ(ini.ReadString("Analog Input", "lbPassedOver", "none"), "x") << "not written";
}

TEST_F(FormStateTest, AMissingPageControlKeySelectsTheFirstPage) {
    auto* pages = Make<TPageControl>("pgMain", -1, window);
    for (int i = 0; i < 2; ++i)
        (new TTabSheet(window))->SetPageControl(pages);
    pages->SetActivePageIndex(1);
    RestoreFormState(window, kFile, "", 0, -1);
    EXPECT_EQ(pages->ActivePageIndex(), 0);
}

TEST_F(FormStateTest, AReactionThatChangesTheComponentListSkipsNoComponent) {
    // A reaction (opening or closing a window the form owns) may remove components in front of
    // the one being restored.
    auto* other = new TForm(&app);
    other->SetCaption("Varnel PRO");
    auto* doomed = new TForm(other);
    auto* chkFirst = new TCheckBox(other);
    chkFirst->SetName("chkFirst");
    chkFirst->SetTag(-1);
    chkFirst->OnClick = [&](TObject*) { FreeAndNil(doomed); };
    auto* chkSecond = new TCheckBox(other);
    chkSecond->SetName("chkSecond");
    chkSecond->SetTag(-1);
    PutIni("[Varnel PRO]\nchkFirst=1\nchkSecond=1\n");
    RestoreFormState(other, kFile, "", 0, -1);
    EXPECT_EQ(doomed, nullptr);
    EXPECT_TRUE(chkSecond->Checked());
}

TEST_F(FormStateTest, ASliderPositionRoundTripsAndOneOutOfRangeEndsTheRestoreWithItsError) {
    auto* slider = Make<TSlider>("barGain", -1, window);
    slider->SetMin(108);
    slider->SetMax(255);
    slider->SetPosition(200);
    auto* chkAfter = Make<TCheckBox>("chkAfter", -1, window);
    EXPECT_TRUE(SaveFormState(window, kFile, "", 1, -1));
    EXPECT_EQ(IniFile(kFile).ReadInteger("Analog Input", "barGain", 0), 200);

    PutIni("[Analog Input]\nbarGain=150\n");
    RestoreFormState(window, kFile, "", 0, -1);
    EXPECT_EQ(slider->Position(), 150);

    PutIni("[Analog Input]\nbarGain=300\nchkAfter=1\nTop=77\n");
    try {
        RestoreFormState(window, kFile, "", 1, -1);
        FAIL() << "no range error";
    } catch (const ERangeError& e) {
        EXPECT_STREQ(e.what(), "Wert für Position liegt außerhalb von Min und Max");
    }
    EXPECT_EQ(slider->Position(), 150);
    EXPECT_FALSE(chkAfter->Checked()) << "the rest of the restore is skipped";
    EXPECT_EQ(window->Top(), 20);

    // The file was let go: the next save replaces the value and keeps the rest.
    EXPECT_TRUE(SaveFormState(window, kFile, "", 1, -1));
    EXPECT_EQ(IniFile(kFile).ReadInteger("Analog Input", "barGain", 0), 150);
}

TEST_F(FormStateTest, ABilingualSpeedButtonIsRestoredByThePlainRuleWithoutOnDown) {
    auto* speed = Make<TExtSpeedButton>("sbLink", -1, window);
    speed->SetGroupIndex(1);
    speed->SetAllowAllUp(true);
    std::vector<std::string> events;
    speed->OnDown = [&](TObject*) { events.push_back("down"); };
    speed->OnClick = [&](TObject*) { events.push_back(speed->Down() ? "click down" : "click up"); };
    auto* box = Make<TExtCheckBox>("chkExt", -1, window);
    box->OnClick = [&](TObject*) { events.push_back("box"); };

    PutIni("[Analog Input]\nsbLink=1\nchkExt=1\n");
    RestoreFormState(window, kFile, "", 0, -1);
    EXPECT_TRUE(speed->Down());
    EXPECT_TRUE(box->Checked());
    EXPECT_EQ(events, (std::vector<std::string>{"click down", "box"}));
}

TEST_F(FormStateTest, ALevelMeterIsPersistedAsAPanelByItsVisibility) {
    auto* meter = Make<TLevelMeter>("lmLeft", -1, window);
    PutIni("[Analog Input]\nlmLeft=0\n");
    RestoreFormState(window, kFile, "", 0, -1);
    EXPECT_FALSE(meter->Visible());
    meter->Show();
    EXPECT_TRUE(SaveFormState(window, kFile, "", 0, -1));
    EXPECT_EQ(IniFile(kFile).ReadInteger("Analog Input", "lmLeft", -1), 1);
}

} // namespace
