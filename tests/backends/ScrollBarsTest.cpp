// The classic scroll bar of a scroll box: painted where the model says it shows, and worked by
// the mouse (arrows, page clicks on the track, the thumb) into the model's position.

#include "BackendFixture.h"
#include "toolkit/TForm.h"
#include "toolkit/TPanel.h"
#include "toolkit/TScrollBox.h"

#include <QApplication>
#include <QImage>
#include <QTest>
#include <QWheelEvent>
#include <algorithm>

namespace {

// A channel window's layout: a top panel holding a scroll box whose strips are wider than it.
struct StripForm : TForm {
    TPanel* ground;
    TScrollBox* box;
    TPanel* meters;

    explicit StripForm(TComponent* owner) : TForm(owner) {
        SetBounds(0, 0, 330, 297);
        HorzScrollBar().SetVisible(false);
        VertScrollBar().SetVisible(false);
        ground = new TPanel(this);
        ground->SetParent(this);
        ground->SetAlign(alTop);
        ground->SetHeight(237);
        ground->SetBevelOuter(bvNone);
        box = new TScrollBox(this);
        box->SetParent(ground);
        box->SetAlign(alClient);
        box->SetBorderStyle(bsNone);
        box->VertScrollBar().SetVisible(false);
        box->HorzScrollBar().SetIncrement(78);
        box->HorzScrollBar().SetMargin(2);
        meters = new TPanel(this);
        meters->SetParent(box);
        meters->SetBounds(2, 6, 1250, 185);
        meters->SetColor(clWhite);
    }
};

ControlWidget* WidgetOf(QWidget* window, TControl* control) {
    for (auto* widget : window->findChildren<ControlWidget*>())
        if (widget->Control() == control)
            return widget;
    return nullptr;
}

} // namespace

class ScrollBars : public BackendTest {
protected:
    void SetUp() override {
        form = new StripForm(&app);
        window = ShowForm(form);
        ASSERT_NE(window, nullptr);
        boxWidget = WidgetOf(window, form->box);
        ASSERT_NE(boxWidget, nullptr);
        ASSERT_TRUE(form->box->HorzScrollBar().IsScrollBarShowing());
        barTop = form->box->ClientHeight();
        ASSERT_EQ(barTop, 237 - TControlScrollBar::kBarSize);
    }

    TControlScrollBar& Bar() { return form->box->HorzScrollBar(); }
    // A point on the bar, `x` pixels from its left end.
    QPoint OnBar(int x) const { return QPoint(x, barTop + TControlScrollBar::kBarSize / 2); }

    StripForm* form = nullptr;
    QWidget* window = nullptr;
    ControlWidget* boxWidget = nullptr;
    int barTop = 0;
};

TEST_F(ScrollBars, HorizontalBarIsPaintedBelowTheStrips) {
    const QImage image = window->grab().toImage();
    const QColor face = ToQColor(clBtnFace);
    int other = 0;
    for (int y = barTop; y < barTop + TControlScrollBar::kBarSize; ++y)
        for (int x = 0; x < form->box->ClientWidth(); ++x)
            other += image.pixelColor(x, y) != face;
    EXPECT_GT(other, 100) << "arrows, track and thumb differ from the plain background";
    int above = 0;
    for (int y = 0; y < form->meters->Top(); ++y)
        for (int x = 0; x < form->box->ClientWidth(); ++x)
            above += image.pixelColor(x, y) != face;
    EXPECT_EQ(above, 0) << "nothing of the bar is drawn at the top of the box";
}

TEST_F(ScrollBars, ArrowsAndTrackScrollByIncrementAndByPage) {
    const int width = form->box->ClientWidth();
    QTest::mouseClick(boxWidget, Qt::LeftButton, {}, OnBar(width - 8));
    EXPECT_EQ(Bar().Position(), 78) << "the right arrow scrolls by the increment";
    EXPECT_EQ(form->meters->Left(), 2 - 78);
    QTest::mouseDClick(boxWidget, Qt::LeftButton, {}, OnBar(width - 8));
    EXPECT_EQ(Bar().Position(), 2 * 78) << "a quick second click scrolls once more";

    QTest::mouseClick(boxWidget, Qt::LeftButton, {}, OnBar(width - 24));
    EXPECT_EQ(Bar().Position(), 2 * 78 + width) << "the track right of the thumb: a page";
    QTest::mouseClick(boxWidget, Qt::LeftButton, {}, OnBar(8));
    EXPECT_EQ(Bar().Position(), 2 * 78 + width - 78);

    const QImage before = window->grab().toImage();
    QTest::mouseClick(boxWidget, Qt::LeftButton, {}, OnBar(20));
    EXPECT_EQ(Bar().Position(), 78) << "the track left of the thumb: a page back";
    PumpQt();
    EXPECT_NE(window->grab().toImage(), before) << "the thumb and the strips are drawn anew";
}

TEST_F(ScrollBars, AHeldArrowRepeatsUntilLetGoAndTheWheelScrollsThreeLines) {
    const QPoint arrow = OnBar(form->box->ClientWidth() - 8);
    QTest::mousePress(boxWidget, Qt::LeftButton, {}, arrow);
    EXPECT_EQ(Bar().Position(), 78);
    clock->Advance(400);
    app.ProcessMessages();
    clock->Advance(50);
    app.ProcessMessages();
    EXPECT_EQ(Bar().Position(), 3 * 78) << "after 400 ms, then every 50 ms";
    QTest::mouseRelease(boxWidget, Qt::LeftButton, {}, arrow);
    clock->Advance(500);
    app.ProcessMessages();
    EXPECT_EQ(Bar().Position(), 3 * 78);

    // One notch down over a strip: the box around it scrolls by three increments.
    QWidget* strip = WidgetOf(window, form->meters);
    ASSERT_NE(strip, nullptr);
    QWheelEvent wheel(QPointF(10, 10), strip->mapToGlobal(QPointF(10, 10)), QPoint(),
                      QPoint(0, -120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(strip, &wheel);
    EXPECT_EQ(Bar().Position(), std::min(6 * 78, Bar().MaxPosition()));
}

TEST_F(ScrollBars, ThumbMovesTheContentsWhenLetGoOrWhileTracking) {
    const int width = form->box->ClientWidth();
    // At position 0 the thumb starts right after the left arrow.
    QTest::mousePress(boxWidget, Qt::LeftButton, {}, OnBar(TControlScrollBar::kBarSize + 2));
    QTest::mouseMove(boxWidget, OnBar(width + 40));
    EXPECT_EQ(Bar().Position(), 0) << "without tracking the contents wait for the release";
    QTest::mouseRelease(boxWidget, Qt::LeftButton, {}, OnBar(width + 40));
    EXPECT_EQ(Bar().Position(), Bar().MaxPosition()) << "the thumb was dragged to the end";
    EXPECT_EQ(form->meters->Left(), 2 - Bar().MaxPosition());

    Bar().SetTracking(true);
    const int thumbEnd = width - TControlScrollBar::kBarSize - 2;
    QTest::mousePress(boxWidget, Qt::LeftButton, {}, OnBar(thumbEnd));
    QTest::mouseMove(boxWidget, OnBar(-40));
    EXPECT_EQ(Bar().Position(), 0) << "with tracking the contents follow the thumb";
    QTest::mouseRelease(boxWidget, Qt::LeftButton, {}, OnBar(-40));
    EXPECT_EQ(Bar().Position(), 0);

    form->box->SetEnabled(false);
    QTest::mouseClick(boxWidget, Qt::LeftButton, {}, OnBar(width - 8));
    EXPECT_EQ(Bar().Position(), 0) << "a disabled box does not scroll";
}
