// The classic controls as assistive technology sees them, through Qt's accessibility interfaces on
// the offscreen platform: the real hub with the program's windows and the in-process card.

#include "backends/qt/Accessibility.h"

#include "BackendFixture.h"
#include "backends/qt/AccessibleFacts.h"
#include "controls/ExtControls.h"
#include "controls/TExtSpeedButton.h"
#include "controls/TLevelMeter.h"
#include "controls/TSlider.h"
#include "forms/AboutBox.h"
#include "platform/CardConnection.h"
#include "platform/MessageBox.h"
#include "sim/model/CardModel.h"
#include "support/PrivateConfigHome.h"
#include "toolkit/TEdit.h"
#include "toolkit/TLabel.h"
#include "toolkit/TPanel.h"
#include "toolkit/TTrackBar.h"
#include "toolkit/UserInput.h"
#include "windows/AdatInp.h"
#include "windows/AnalogInp.h"
#include "windows/AnalogOut.h"
#include "windows/ChannelWindowRegistry.h"
#include "windows/DigInp.h"
#include "windows/MixControlWnd.h"
#include "windows/ProgramHub.h"
#include "windows/ProgramWindows.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QAccessibleValueInterface>
#include <cstdlib>
#include <filesystem>

namespace {

class AccessibilityTest : public BackendTest {
protected:
    AccessibilityTest() {
        model = CreateProgramHub(app);
        hub = MixControlWnd;
        // What the platform's bridge does when a screen reader starts.
        QAccessible::setActive(true);
        ShowForm(hub);
    }
    ~AccessibilityTest() override {
        QAccessible::setActive(false);
        DestroyProgramHub(app);
    }

    static QAccessibleInterface* Window(TCustomForm* form) { return AccessibleOf(form); }
    // The interfaces of a role under `root`, depth first in child order, checking on the way
    // that every child names its parent and knows its own index.
    static std::vector<QAccessibleInterface*> Find(QAccessibleInterface* root,
                                                   QAccessible::Role role) {
        std::vector<QAccessibleInterface*> found;
        for (int i = 0; i < root->childCount(); ++i) {
            QAccessibleInterface* child = root->child(i);
            EXPECT_EQ(child->parent(), root);
            EXPECT_EQ(root->indexOfChild(child), i);
            if (child->role() == role)
                found.push_back(child);
            for (QAccessibleInterface* deeper : Find(child, role))
                found.push_back(deeper);
        }
        return found;
    }
    static void Act(QAccessibleInterface* iface, const QString& action) {
        ASSERT_TRUE(iface->actionInterface());
        ASSERT_TRUE(iface->actionInterface()->actionNames().contains(action));
        iface->actionInterface()->doAction(action);
    }
    int SentCount(const std::string& message) const {
        int count = 0;
        for (const std::string& line : model->Trace())
            count += line.find(" " + message + " ") != std::string::npos;
        return count;
    }

    simcard::CardModel* model = nullptr;
    TMixControlWnd* hub = nullptr;

private:
    testsupport::PrivateConfigHome configHome_{"a11y"};
};

TEST_F(AccessibilityTest, TheHubShowsItsEightBoxesByNameAndStateAndATogglesOpensItsWindow) {
    QAccessibleInterface* window = Window(hub);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->role(), QAccessible::Window);
    hub->chkStayOnTop->SetChecked(true);
    PumpQt();

    const auto boxes = Find(window, QAccessible::CheckBox);
    std::vector<std::string> names;
    for (QAccessibleInterface* box : boxes) {
        names.push_back(box->text(QAccessible::Name).toStdString());
        EXPECT_TRUE(box->state().checkable);
        EXPECT_FALSE(box->state().invisible);
        EXPECT_FALSE(box->state().disabled);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"Analog Inputs", "Digital Inputs", "ADAT Inputs",
                                               "Analog Outputs", "Digital Outputs", "ADAT Outputs",
                                               "Immer im Vordergrund", "Einstellungen"}));
    ASSERT_EQ(boxes.size(), 8u);
    EXPECT_TRUE(boxes[6]->state().checked);
    EXPECT_FALSE(boxes[0]->state().checked);
    EXPECT_EQ(boxes[7]->text(QAccessible::Accelerator), "Alt+E");

    Act(boxes[0], QAccessibleActionInterface::toggleAction());
    EXPECT_TRUE(hub->chkAnalogInputs->Checked());
    EXPECT_TRUE(boxes[0]->state().checked);
    ASSERT_NE(frmAnalogInp, nullptr);
    EXPECT_TRUE(frmAnalogInp->Visible());
    QAccessibleInterface* opened = Window(frmAnalogInp);
    ASSERT_NE(opened, nullptr);
    EXPECT_EQ(opened->text(QAccessible::Name), "Analog Input");
}

TEST_F(AccessibilityTest, ADisabledOrHiddenControlRefusesItsActions) {
    QAccessibleInterface* box = AccessibleOf(hub->chkDigitalInputs);
    hub->chkDigitalInputs->SetEnabled(false);
    EXPECT_TRUE(box->state().disabled);
    Act(box, QAccessibleActionInterface::toggleAction());
    EXPECT_FALSE(hub->chkDigitalInputs->Checked());
    EXPECT_EQ(frmDigInp, nullptr);

    hub->chkDigitalInputs->SetEnabled(true);
    hub->Panel1->Hide();
    EXPECT_TRUE(box->state().invisible);
    Act(box, QAccessibleActionInterface::toggleAction());
    EXPECT_FALSE(hub->chkDigitalInputs->Checked());
}

// Assistive technology reaches windows a mouse cannot reach under a box: while the busy device's
// box waits, the hub refuses to free the window that owns it.
TEST_F(AccessibilityTest, NoWindowTakesAnActionWhileAMessageBoxWaits) {
    Act(AccessibleOf(hub->chkAnalogOutputs), QAccessibleActionInterface::toggleAction());
    ASSERT_NE(frmAnalogOut, nullptr);
    model->Card(0).busy[int(simcard::WaveDirection::Out)][0] = true;
    ScopedScriptedMessageBoxes boxes;
    boxes->OnNextShow([&] {
        QAccessibleInterface* box = AccessibleOf(hub->chkAnalogOutputs);
        EXPECT_TRUE(box->state().disabled);
        Act(box, QAccessibleActionInterface::toggleAction());
        EXPECT_TRUE(hub->chkAnalogOutputs->Checked());
    });
    ASSERT_TRUE(UserInput::Click(frmAnalogOut->btnAdatInp));
    ASSERT_EQ(boxes->History().size(), 1u);
    EXPECT_NE(frmAnalogOut, nullptr);
    EXPECT_FALSE(AccessibleOf(hub->chkAnalogOutputs)->state().disabled) << "enabled after the box";
}

TEST_F(AccessibilityTest, AnAdatChannelSpeedButtonIsAChildOfItsGroupAndItsPressChoosesTheChannel) {
    Act(AccessibleOf(hub->chkAnalogOutputs), QAccessibleActionInterface::toggleAction());
    ASSERT_NE(frmAnalogOut, nullptr);
    PumpQt();
    TExtSpeedButton* right5 = frmAnalogOut->SpeedButton[8 + 4];
    QAccessibleInterface* button = AccessibleOf(right5);
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->role(), QAccessible::Button);
    EXPECT_EQ(button->text(QAccessible::Name), "5");
    EXPECT_TRUE(button->state().checkable);
    EXPECT_FALSE(button->state().checked);
    QAccessibleInterface* group = button->parent();
    ASSERT_NE(group, nullptr);
    EXPECT_EQ(group->role(), QAccessible::Grouping);
    EXPECT_EQ(group->child(group->indexOfChild(button)), button);
    EXPECT_TRUE(group->rect().contains(button->rect()));
    EXPECT_EQ(group->childAt(button->rect().center().x(), button->rect().center().y()), button);

    model->ClearTrace();
    Act(button, QAccessibleActionInterface::pressAction());
    EXPECT_TRUE(right5->Down());
    EXPECT_TRUE(button->state().checked);
    EXPECT_FALSE(AccessibleOf(frmAnalogOut->SpeedButton[8 + 1])->state().checked);
    EXPECT_EQ(SentCount("OUTMSG_SET_ROUTE"), 1) << "what a click on it sends";
}

TEST_F(AccessibilityTest, AMeterShowsItsLevelAndLampsAndAFaderItsPosition) {
    Act(AccessibleOf(hub->chkAnalogInputs), QAccessibleActionInterface::toggleAction());
    ASSERT_NE(frmAnalogInp, nullptr);
    PumpQt();
    auto* meter = dynamic_cast<TLevelMeter*>(frmAnalogInp->FindComponent("Meter1"));
    ASSERT_NE(meter, nullptr);
    QAccessibleInterface* iface = AccessibleOf(meter);
    ASSERT_NE(iface, nullptr);
    EXPECT_EQ(iface->role(), QAccessible::ProgressBar);
    EXPECT_EQ(iface->text(QAccessible::Name), "L") << "the channel label under its strip";
    EXPECT_EQ(iface->childCount(), 0) << "the lamps are the meter's value";
    meter->SetLevel(meter->LevelMax() / 2);
    PumpQt();
    ASSERT_TRUE(iface->valueInterface());
    EXPECT_EQ(iface->valueInterface()->currentValue().toInt(), meter->LevelMax() / 2);
    EXPECT_EQ(iface->valueInterface()->maximumValue().toInt(), meter->LevelMax());
    ASSERT_GT(meter->LitCount(), 0);
    EXPECT_EQ(iface->text(QAccessible::Value).toStdString(),
              std::to_string(meter->LitCount()) + " von " + std::to_string(meter->LumiCount()) +
                  " Lampen leuchten");

    auto* fader = dynamic_cast<TSlider*>(frmAnalogInp->FindComponent("Slider2"));
    ASSERT_NE(fader, nullptr);
    QAccessibleInterface* slider = AccessibleOf(fader);
    ASSERT_TRUE(slider && slider->valueInterface());
    EXPECT_EQ(slider->text(QAccessible::Name), "L") << "not the bracket drawn under the pair";
    EXPECT_EQ(slider->valueInterface()->minimumValue().toInt(), 108);
    EXPECT_EQ(slider->valueInterface()->maximumValue().toInt(), 255);
    EXPECT_EQ(AccessibleOf(fader->Knob())->text(QAccessible::Name),
              slider->text(QAccessible::Name));
    model->ClearTrace();
    slider->valueInterface()->setCurrentValue(200);
    EXPECT_NEAR(fader->Position(), 200, 1) << "the nearest place a drag reaches";
    EXPECT_EQ(slider->valueInterface()->currentValue().toInt(), fader->Position());
    EXPECT_EQ(SentCount("INMSG_SET_GAIN"), 1) << "one drag, one gain";
}

TEST_F(AccessibilityTest, AMeterIsAnnouncedAtMostTwiceASecondAndOnlyWhenItsLampsChange) {
    Act(AccessibleOf(hub->chkAnalogInputs), QAccessibleActionInterface::toggleAction());
    ASSERT_NE(frmAnalogInp, nullptr);
    auto* meter = dynamic_cast<TLevelMeter*>(frmAnalogInp->FindComponent("Meter1"));
    ASSERT_NE(meter, nullptr);
    meter->SetLevel(1000);
    EXPECT_TRUE(MeterAnnouncementDue(meter));
    meter->SetLevel(3000);
    EXPECT_FALSE(MeterAnnouncementDue(meter)) << "within half a second of the program's clock";
    (*clock).Advance(500);
    EXPECT_TRUE(MeterAnnouncementDue(meter));
    (*clock).Advance(500);
    EXPECT_FALSE(MeterAnnouncementDue(meter)) << "the same lamps say nothing new";
    EXPECT_EQ(AccessibleOf(meter)->text(QAccessible::Description).toStdString(),
              std::to_string(meter->LitCount()) + " von 40 Lampen leuchten");
    meter->SetLevel(32767);
    frmAnalogInp->SetWindowState(wsMinimized);
    EXPECT_FALSE(MeterAnnouncementDue(meter)) << "a minimised window announces nothing";
    frmAnalogInp->SetWindowState(wsNormal);
    EXPECT_TRUE(MeterAnnouncementDue(meter));
}

} // namespace

TEST_F(AccessibilityTest, ControlsWithoutCaptionAreNamedByTheLabelBesideThem) {
    EXPECT_EQ(accessible::SpokenCaption("  Fa&der &&Co\t"), "Fader &Co");
    auto* form = new TForm(&app);
    auto label = [form](const std::string& text, int left, int top) {
        auto* l = new TLabel(form);
        l->SetParent(form);
        l->SetCaption(text);
        l->SetBounds(left, top, 40, 13);
        return l;
    };
    label("Fern:", 0, 10);
    label("&Rate:", 50, 10);
    label("Latenz", 100, 40);
    label("Unsichtbar", 100, 60);
    form->Controls(3)->Hide();
    auto* edit = new TEdit(form);
    edit->SetParent(form);
    edit->SetBounds(100, 8, 60, 21);
    auto* bar = new TTrackBar(form);
    bar->SetParent(form);
    bar->SetBounds(100, 80, 120, 30);
    auto* other = new TEdit(form);
    other->SetParent(form);
    other->SetBounds(100, 130, 60, 21);
    label("&Puffer:", 0, 200)->SetFocusControl(other);
    ShowForm(form);
    EXPECT_EQ(AccessibleOf(edit)->text(QAccessible::Name), "Rate:") << "the nearest on the left";
    EXPECT_EQ(AccessibleOf(other)->text(QAccessible::Name), "Puffer:")
        << "the label that leads to it comes first, wherever it sits";
    EXPECT_EQ(AccessibleOf(edit)->role(), QAccessible::EditableText);
    EXPECT_EQ(AccessibleOf(bar)->text(QAccessible::Name), "Latenz")
        << "a hidden label says nothing";
}
