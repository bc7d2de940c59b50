// The user's mouse and keys on Qt widgets reach the model, and the model's changes show in Qt.

#include "BackendFixture.h"
#include "backends/qt/ControlWidget.h"
#include "controls/TSlider.h"
#include "toolkit/TBevel.h"
#include "toolkit/TCheckBox.h"
#include "toolkit/TEdit.h"
#include "toolkit/TForm.h"
#include "toolkit/TPanel.h"
#include "toolkit/TRadioButton.h"
#include "toolkit/TShape.h"
#include "toolkit/TSpeedButton.h"

#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <QTest>

namespace {

class DesignedForm : public TForm {
public:
    explicit DesignedForm(TComponent* owner) : TForm(owner) {
        SetBorderStyle(bsSingle);
        SetBounds(10, 10, 300, 240);
    }
};

QImage Picture(QWidget* widget) {
    return widget->grab().toImage();
}

} // namespace

using ControlsInput = BackendTest;

TEST_F(ControlsInput, ClickOnCheckBoxRunsTheReactionAndTheModelShowsInQt) {
    auto* form = new DesignedForm(&app);
    auto* check = new TCheckBox(form);
    check->SetParent(form);
    check->SetBounds(8, 8, 120, 17);
    check->SetCaption("&Spitzenwert");
    int clicks = 0;
    check->OnClick = [&](TObject*) { ++clicks; };
    ShowForm(form);

    QWidget* widget = backend.WidgetOf(check);
    ASSERT_NE(widget, nullptr);
    QTest::mouseClick(widget, Qt::LeftButton, {}, CentreIn(widget, check));
    EXPECT_TRUE(check->Checked());
    EXPECT_EQ(clicks, 1);

    PumpQt();
    const QImage checked = Picture(widget);
    check->SetChecked(false); // from code: the reaction runs and the box clears on screen
    EXPECT_EQ(clicks, 2);
    PumpQt();
    EXPECT_NE(Picture(widget), checked);
    check->SetChecked(true);
    PumpQt();
    EXPECT_EQ(Picture(widget), checked);
}

TEST_F(ControlsInput, RadioGroupChecksOneAndRunsOnlyItsReaction) {
    auto* form = new DesignedForm(&app);
    auto* group = new TPanel(form);
    group->SetParent(form);
    group->SetBounds(0, 0, 200, 100);
    std::vector<TRadioButton*> radios;
    std::vector<int> clicks(3, 0);
    for (int i = 0; i < 3; ++i) {
        auto* radio = new TRadioButton(form);
        radio->SetParent(group);
        radio->SetBounds(8, 8 + 20 * i, 100, 17);
        radio->SetCaption("Quelle " + std::to_string(i + 1));
        radio->OnClick = [&clicks, i](TObject*) { ++clicks[static_cast<std::size_t>(i)]; };
        radios.push_back(radio);
    }
    radios[0]->SetChecked(true);
    clicks = {0, 0, 0};
    ShowForm(form);

    QWidget* second = backend.WidgetOf(radios[1]);
    QTest::mouseClick(second, Qt::LeftButton, {}, CentreIn(second, radios[1]));
    EXPECT_FALSE(radios[0]->Checked());
    EXPECT_TRUE(radios[1]->Checked());
    EXPECT_FALSE(radios[2]->Checked());
    EXPECT_EQ(clicks, (std::vector<int>{0, 1, 0}));

    // classic behaviour: a click on the checked one changes nothing and runs nothing.
    QTest::mouseClick(second, Qt::LeftButton, {}, CentreIn(second, radios[1]));
    EXPECT_EQ(clicks, (std::vector<int>{0, 1, 0}));
}

TEST_F(ControlsInput, SpeedButtonGroupIsPaintedAndClickedThroughItsParent) {
    auto* form = new DesignedForm(&app);
    auto* panel = new TPanel(form);
    panel->SetParent(form);
    panel->SetBounds(0, 0, 200, 60);
    std::vector<TSpeedButton*> buttons;
    for (int i = 0; i < 3; ++i) {
        auto* button = new TSpeedButton(form);
        button->SetParent(panel);
        button->SetBounds(8 + 40 * i, 8, 36, 22);
        button->SetGroupIndex(1);
        button->SetCaption(std::to_string(i + 1));
        buttons.push_back(button);
    }
    buttons[0]->SetDown(true);
    ShowForm(form);

    EXPECT_EQ(backend.WidgetOf(buttons[2]), nullptr); // graphic: no widget of its own
    QWidget* host = backend.WidgetOf(panel);
    const QImage before = Picture(host);
    QTest::mouseClick(host, Qt::LeftButton, {}, CentreIn(host, buttons[2]));
    EXPECT_FALSE(buttons[0]->Down());
    EXPECT_TRUE(buttons[2]->Down());
    PumpQt();
    EXPECT_NE(Picture(host), before);
}

// A gain fader as the analog input window has it; made in code, it is laid out when shown.
TEST_F(ControlsInput, APressOnEveryRowOfAFaderKnobGrabsItTheCentreLineIncluded) {
    auto* form = new DesignedForm(&app);
    auto* strip = new TPanel(form);
    strip->SetParent(form);
    strip->SetBounds(0, 0, 53, 160);
    auto* slider = new TSlider(form);
    slider->SetParent(strip);
    slider->SetBounds(12, 12, 4, 112);
    slider->SetMin(108);
    slider->SetMax(255);
    slider->SetBtnHeight(26);
    slider->SetBtnWidth(18);
    slider->SetMoveRestriction(6);
    ShowForm(form);

    auto* knob = backend.WidgetOf(slider->Knob());
    ASSERT_NE(knob, nullptr);
    ASSERT_EQ(knob->height(), 26);
    const QRect line = knob->RectOf(slider->KnobLine());
    ASSERT_TRUE(line.top() > 0 && line.bottom() < knob->height() - 1) << "the line lies inside";
    const int x = knob->width() / 2;
    for (int y = 0; y < knob->height(); ++y) {
        SCOPED_TRACE(y);
        const int offset = slider->Offset();
        QTest::mousePress(knob, Qt::LeftButton, {}, QPoint(x, y));
        EXPECT_TRUE(slider->Dragging());
        QTest::mouseMove(knob, QPoint(x, y - 2));
        QTest::mouseRelease(knob, Qt::LeftButton, {}, QPoint(x, y - 2));
        EXPECT_FALSE(slider->Dragging());
        EXPECT_EQ(slider->Offset(), offset + 2) << "two pixels up";
    }
}

TEST_F(ControlsInput, TypedKeysReachTheFocusedEdit) {
    auto* form = new DesignedForm(&app);
    auto* edit = new TEdit(form);
    edit->SetParent(form);
    edit->SetBounds(8, 8, 120, 21);
    std::string changes;
    edit->OnChange = [&](TObject*) { changes = edit->Text(); };
    QWidget* window = ShowForm(form);

    QWidget* widget = backend.WidgetOf(edit);
    QTest::mouseClick(widget, Qt::LeftButton, {}, CentreIn(widget, edit));
    EXPECT_EQ(form->ActiveControl(), edit);
    QTest::keyClicks(window, "48 kHz");
    EXPECT_EQ(edit->Text(), "48 kHz");
    EXPECT_EQ(changes, "48 kHz");
    QTest::keyClick(window, Qt::Key_Backspace);
    EXPECT_EQ(edit->Text(), "48 kH");
}

TEST_F(ControlsInput, LampChangesAreGatheredIntoOnePaintRequestPerFrame) {
    auto* form = new DesignedForm(&app);
    auto* meter = new TPanel(form);
    meter->SetParent(form);
    meter->SetBounds(8, 8, 20, 200);
    std::vector<TShape*> lamps;
    for (int i = 0; i < 30; ++i) {
        auto* lamp = new TShape(form);
        lamp->SetParent(meter);
        lamp->SetBounds(2, 2 + 6 * i, 16, 6);
        lamp->SetBrushColor(clGray);
        lamps.push_back(lamp);
    }
    ShowForm(form);
    const int before = backend.FlushCount();

    for (auto* lamp : lamps)
        lamp->SetBrushColor(clLime);
    EXPECT_EQ(backend.FlushCount(), before); // nothing handed to Qt before the frame
    PumpQt();
    EXPECT_EQ(backend.FlushCount(), before + 1);

    const QImage picture = Picture(backend.WidgetOf(meter));
    EXPECT_EQ(picture.pixelColor(10, 2 + 6 * 10 + 3), QColor(0, 255, 0));
    // A lamp is filled straight where it lies, outline included, and the panel beneath shows
    // only where no lamp covers it.
    EXPECT_EQ(picture.pixelColor(2, 2 + 6 * 10), QColor(Qt::black));
    EXPECT_EQ(picture.pixelColor(17, 2 + 6 * 10 + 3), QColor(Qt::black));
    EXPECT_EQ(picture.pixelColor(18, 100), picture.pixelColor(18, 190));
    EXPECT_NE(picture.pixelColor(18, 100), QColor(0, 255, 0));
}

TEST_F(ControlsInput, AltLetterAndUmlautsGoThroughTheModelsKeyboard) {
    auto* form = new DesignedForm(&app);
    auto* settings = new TCheckBox(form);
    settings->SetParent(form);
    settings->SetBounds(8, 40, 120, 17);
    settings->SetCaption(" &Einstellungen");
    auto* edit = new TEdit(form);
    edit->SetParent(form);
    edit->SetBounds(8, 8, 120, 21);
    QWidget* window = ShowForm(form);

    QTest::keyClick(window, Qt::Key_E, Qt::AltModifier);
    EXPECT_TRUE(settings->Checked());
    EXPECT_EQ(form->ActiveControl(), settings);
    QTest::keyClick(window, Qt::Key_Tab);
    EXPECT_EQ(form->ActiveControl(), edit);
    // QTest types ASCII only: a German keyboard's letters arrive as the key events they make.
    for (QChar letter : QString::fromUtf8("Grüße")) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(letter));
        QApplication::sendEvent(window, &press);
    }
    EXPECT_EQ(edit->Text(), "Grüße");
}
