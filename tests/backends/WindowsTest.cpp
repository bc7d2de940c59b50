// Top-level forms as Qt windows: size and limits both ways, the close box, the system menu.

#include "BackendFixture.h"
#include "backends/qt/SystemMenuPopup.h"
#include "toolkit/SystemMenu.h"
#include "toolkit/TForm.h"
#include "toolkit/TPanel.h"

#include <QMenu>
#include <QTest>

namespace {

// A sizeable window whose limits (outer sizes) are 200 x 150 to 400 x 300.
class LimitedForm : public TForm {
public:
    explicit LimitedForm(TComponent* owner) : TForm(owner) {
        SetCaption("Analog Input");
        SetBounds(20, 30, 300, 200);
        SetMessageHandler(WM_GETMINMAXINFO, [](TMessage& message) {
            auto* info = reinterpret_cast<MINMAXINFO*>(message.LParam);
            info->ptMinTrackSize = {200, 150};
            info->ptMaxTrackSize = {400, 300};
            message.Result = 0;
        });
    }
};

} // namespace

using Windows = BackendTest;

TEST_F(Windows, WindowIsTheClientAreaOfTheModelsOuterSize) {
    auto* form = new LimitedForm(&app);
    QWidget* window = ShowForm(form);
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->windowTitle(), "Analog Input");
    EXPECT_EQ(window->size(), QSize(300 - 8, 200 - 27));
    // The limits reach Qt converted to client sizes.
    EXPECT_EQ(window->minimumSize(), QSize(200 - 8, 150 - 27));
    EXPECT_EQ(window->maximumSize(), QSize(400 - 8, 300 - 27));

    form->SetBounds(20, 30, 350, 250);
    EXPECT_EQ(window->size(), QSize(350 - 8, 250 - 27));
    form->Hide();
    EXPECT_FALSE(window->isVisible());
}

TEST_F(Windows, UsersResizeIsClampedToTheLimitsAndReachesTheModel) {
    auto* form = new LimitedForm(&app);
    QWidget* window = ShowForm(form);
    int resizes = 0;
    form->OnResize = [&](TObject*) { ++resizes; };

    window->resize(1000, 900);
    PumpQt();
    EXPECT_EQ(form->Width(), 400);
    EXPECT_EQ(form->Height(), 300);
    EXPECT_EQ(window->size(), QSize(400 - 8, 300 - 27));
    EXPECT_GE(resizes, 1);

    window->resize(10, 10);
    PumpQt();
    EXPECT_EQ(form->Width(), 200);
    EXPECT_EQ(form->Height(), 150);
}

TEST_F(Windows, CloseBoxAsksTheModel) {
    auto* form = new LimitedForm(&app);
    bool refuse = true;
    form->OnCloseQuery = [&](TObject*, bool& canClose) { canClose = !refuse; };
    QWidget* window = ShowForm(form);

    window->close();
    PumpQt();
    EXPECT_TRUE(form->Visible());
    EXPECT_TRUE(window->isVisible());

    refuse = false;
    window->close();
    PumpQt();
    EXPECT_FALSE(form->Visible());
    EXPECT_FALSE(window->isVisible());
}

TEST_F(Windows, RightClickOnTheBackgroundOpensTheSystemMenuWithTheProgramsItems) {
    auto* form = new LimitedForm(&app);
    auto* panel = new TPanel(form);
    panel->SetParent(form);
    panel->SetBounds(0, 0, 100, 40);
    QWidget* window = ShowForm(form);
    const HMENU menu = GetSystemMenu(form->Handle(), FALSE);
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(menu, MF_STRING | MF_CHECKED, 0x1234, " Fenstersteuerung anzeigen");
    UINT chosen = 0;
    form->SetMessageHandler(WM_SYSCOMMAND,
                            [&](TMessage& message) { chosen = static_cast<UINT>(message.WParam); });

    QTest::mouseClick(window, Qt::RightButton, {}, QPoint(200, 100));
    QMenu* popup = OpenSystemMenu();
    ASSERT_NE(popup, nullptr);
    QAction* item = nullptr;
    for (QAction* action : popup->actions())
        if (action->text() == " Fenstersteuerung anzeigen")
            item = action;
    ASSERT_NE(item, nullptr);
    EXPECT_TRUE(item->isChecked());
    item->trigger();
    EXPECT_EQ(chosen, 0x1234u);
    popup->close();

    // Alt+Space opens it as well.
    QTest::keyClick(window, Qt::Key_Space, Qt::AltModifier);
    EXPECT_NE(OpenSystemMenu(), nullptr);
    OpenSystemMenu()->close();
}

TEST_F(Windows, TopmostAndWindowStateFollowTheModel) {
    auto* form = new LimitedForm(&app);
    QWidget* window = ShowForm(form);
    form->SetTopmost(true);
    EXPECT_TRUE(window->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(window->isVisible());
    form->SetTopmost(false);
    EXPECT_FALSE(window->windowFlags() & Qt::WindowStaysOnTopHint);

    form->SetWindowState(wsMinimized);
    EXPECT_TRUE(window->windowState() & Qt::WindowMinimized);
    form->SetWindowState(wsNormal);
    EXPECT_FALSE(window->windowState() & Qt::WindowMinimized);
}
