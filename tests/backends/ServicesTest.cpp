// The platform services the backend replaces: message boxes in the program's modal loop, the
// notification icon's stand-in, screenshots, and the queue's loop with Qt joined to it.

#include "BackendFixture.h"
#include "backends/qt/QtIcons.h"
#include "backends/qt/QtMessageBoxes.h"
#include "backends/qt/QtScreenshots.h"
#include "backends/qt/QtTrayIcon.h"
#include "platform/Icons.h"
#include "platform/MessageBox.h"
#include "platform/NotifyIcon.h"
#include "toolkit/TForm.h"
#include "toolkit/TLabel.h"

#include <QFile>
#include <QImage>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>
#include <unistd.h>

namespace {

constexpr UINT kTick = WM_USER + 5;
constexpr UINT kIconCallback = WM_USER + 102;

// Presses a button of the open box once `ready` holds, checking again on every turn of Qt.
void PressWhen(std::function<bool()> ready, const QString& text) {
    QTimer::singleShot(0, [ready, text] {
        QMessageBox* box = QtMessageBoxes::OpenBox();
        if (!box || !ready()) {
            PressWhen(ready, text);
            return;
        }
        for (QAbstractButton* button : box->buttons())
            if (button->text() == text)
                button->click();
    });
}

class ServicesTestBase : public BackendTest {
protected:
    ServicesTestBase()
        : previousBoxes_(InstallMessageBoxService(std::make_unique<QtMessageBoxes>())) {}
    ~ServicesTestBase() override { InstallMessageBoxService(std::move(previousBoxes_)); }

private:
    std::unique_ptr<IMessageBoxService> previousBoxes_;
};

} // namespace

using Services = ServicesTestBase;

TEST_F(Services, MessageBoxIsAnsweredWhileATimerKeepsPosting) {
    auto* form = new TForm(&app);
    int ticks = 0;
    form->SetMessageHandler(kTick, [&](TMessage&) { ++ticks; });
    const HWND hwnd = form->Handle();
    clock->Schedule(40, true, [hwnd] { PostMessageA(hwnd, kTick, 0, 0); });

    int ticksAtAnswer = 0;
    PressWhen([&] { return ticks >= 5 && (ticksAtAnswer = ticks) > 0; }, "&Nein");
    const int answer =
        MessageBoxA(hwnd, "Einstellungen übernehmen?", "Frage", MB_YESNO | MB_ICONQUESTION);
    EXPECT_EQ(answer, IDNO);
    EXPECT_GE(ticksAtAnswer, 5);
    EXPECT_EQ(QtMessageBoxes::OpenBox(), nullptr);
}

TEST_F(Services, MessageBoxTakesItsAnswerWhileItsOwnerIsDisabled) {
    auto* form = new TForm(&app);
    form->SetBounds(100, 100, 400, 300);
    QWidget* owner = ShowForm(form);
    ASSERT_NE(owner, nullptr);
    clock->Schedule(100, true, [] {});

    bool ownerDisabled = false, boxEnabled = false, overOwner = false, transient = false;
    QTimer::singleShot(0, [&] {
        QMessageBox* box = QtMessageBoxes::OpenBox();
        ASSERT_NE(box, nullptr);
        ownerDisabled = !form->Enabled() && !owner->isEnabled();
        // Disabling a window disables its child windows too: the box must not be one.
        form->SetEnabled(true);
        form->SetEnabled(false);
        boxEnabled = box->isEnabled();
        overOwner = box->frameGeometry().contains(owner->frameGeometry().center());
        transient = box->windowHandle()->transientParent() == owner->windowHandle();
        for (QAbstractButton* button : box->buttons())
            if (button->text() == "&Ja")
                button->click();
        // A disabled button ignores the click: the close box then gives the default answer.
        if (box->isVisible())
            box->close();
    });
    EXPECT_EQ(MessageBoxA(form->Handle(), "Weiter?", "Frage", MB_YESNO | MB_DEFBUTTON2), IDYES);
    EXPECT_TRUE(ownerDisabled);
    EXPECT_TRUE(boxEnabled);
    EXPECT_TRUE(overOwner);
    EXPECT_TRUE(transient);
    EXPECT_TRUE(form->Enabled());
    EXPECT_TRUE(owner->isEnabled());
}

TEST_F(Services, MessageBoxShowsCaptionTextIconAndGermanButtons) {
    // Something must be able to happen, or the virtual clock calls the modal loop stalled.
    clock->Schedule(100, true, [] {});
    QString title, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QStringList buttons;
    QTimer::singleShot(0, [&] {
        QMessageBox* box = QtMessageBoxes::OpenBox();
        ASSERT_NE(box, nullptr);
        title = box->windowTitle();
        text = box->text();
        icon = box->icon();
        for (QAbstractButton* button : box->buttons())
            buttons << button->text();
        box->defaultButton()->click();
    });
    const int answer = MessageBoxA(0, "Varnel PRO Treiber konnte nicht geöffnet werden.", "Fehler",
                                   MB_OKCANCEL | MB_ICONHAND | MB_DEFBUTTON2);
    EXPECT_EQ(answer, IDCANCEL);
    EXPECT_EQ(title, "Fehler");
    EXPECT_EQ(text, QString::fromUtf8("Varnel PRO Treiber konnte nicht geöffnet werden."));
    EXPECT_EQ(icon, QMessageBox::Critical);
    EXPECT_TRUE(buttons.contains("OK"));
    EXPECT_TRUE(buttons.contains("Abbrechen"));
}

TEST_F(Services, TrayStandInDoubleClickOpensTheHubAndACloseLeavesItShown) {
    auto previous = InstallNotifyIconService(std::make_unique<QtTrayIcon>());
    auto* tray = static_cast<QtTrayIcon*>(&CurrentNotifyIconService());
    auto* hub = new TForm(&app);
    hub->SetCaption("Varnel PRO");
    hub->SetMessageHandler(kIconCallback, [&](TMessage& message) {
        if (message.LParam == WM_LBUTTONDBLCLK) {
            hub->SetWindowState(wsNormal);
            hub->Show();
        }
    });
    NOTIFYICONDATAA data;
    data.cbSize = sizeof data;
    data.hWnd = hub->Handle();
    data.uFlags = NIF_MESSAGE | NIF_TIP;
    data.uCallbackMessage = kIconCallback;
    std::snprintf(data.szTip, sizeof data.szTip, "Varnel PRO Manager");
    ASSERT_TRUE(Shell_NotifyIconA(NIM_ADD, &data));

    // The offscreen desktop has no tray: a small window stands in for the icon.
    ASSERT_NE(tray->StandIn(), nullptr);
    EXPECT_EQ(tray->StandIn()->windowTitle(), "Varnel PRO Manager");
    QTest::mouseClick(tray->StandIn(), Qt::LeftButton);
    app.ProcessMessages();
    EXPECT_FALSE(hub->Visible());
    QTest::mouseDClick(tray->StandIn(), Qt::LeftButton);
    app.ProcessMessages();
    EXPECT_TRUE(hub->Visible());
    ASSERT_NE(backend.WindowOf(hub), nullptr);
    EXPECT_TRUE(backend.WindowOf(hub)->isVisible());

    // It is the program's only handle: the close box or Alt+F4 leaves it where it is.
    EXPECT_FALSE(tray->StandIn()->close());
    app.ProcessMessages();
    EXPECT_TRUE(tray->StandIn()->isVisible());
    EXPECT_FALSE(tray->StandIn()->isMinimized());

    ASSERT_TRUE(Shell_NotifyIconA(NIM_DELETE, &data));
    EXPECT_EQ(tray->StandIn(), nullptr);
    InstallNotifyIconService(std::move(previous));
}

TEST_F(Services, TheProgramIconIsItsImageAtItsSizeAndItsDrawingAtEveryOther) {
    RegisterIconResource("MIXERICON",
                         IconImage{32, std::vector<std::uint32_t>(32 * 32, 0xFF123456)});
    const HICON handle = LoadIconA(0, "MIXERICON");
    for (const QIcon& icon : {ProgramIcon(), IconFromHandle(handle)}) {
        EXPECT_EQ(icon.pixmap(32, 32).toImage().pixel(5, 5), 0xFF123456u);
        EXPECT_TRUE(icon.availableSizes().contains(QSize(64, 64)));
        // At 64 pixels, two to a unit of the drawing's 32-unit grid.
        const QImage drawn = icon.pixmap(64, 64).toImage();
        EXPECT_EQ(qAlpha(drawn.pixel(0, 0)), 0) << "outside the panel";
        EXPECT_EQ(drawn.pixel(31, 12), qRgb(0x20, 0x28, 0x30)) << "the panel";
        EXPECT_EQ(drawn.pixel(25, 19), qRgb(0xe0, 0xe0, 0xe0)) << "the raised fader's knob";
        EXPECT_EQ(drawn.pixel(52, 10), qRgb(0xff, 0x00, 0x00)) << "the level column's red lamp";
        EXPECT_EQ(drawn.pixel(52, 40), qRgb(0x00, 0xc0, 0x00)) << "the level column's green";
    }
    DestroyIcon(handle);
}

TEST_F(Services, ScreenshotOfAWindowIsAPngShowingIt) {
    auto* form = new TForm(&app);
    form->SetBorderStyle(bsDialog);
    form->SetBounds(0, 0, 200, 120);
    auto* label = new TLabel(form);
    label->SetParent(form);
    label->SetLeft(10);
    label->SetTop(10);
    label->SetCaption("Version 3.00");
    ShowForm(form);

    QtScreenshots shots;
    const std::string path = testing::TempDir() + "/window-" + std::to_string(getpid()) + ".png";
    std::string error;
    ASSERT_TRUE(shots.SaveWindowPng(form->Handle(), path, error)) << error;
    QImage picture(QString::fromStdString(path));
    ASSERT_FALSE(picture.isNull());
    EXPECT_EQ(picture.size(), QSize(200 - 6, 120 - 25));
    bool varies = false;
    for (int y = 0; y < picture.height() && !varies; ++y)
        for (int x = 0; x < picture.width() && !varies; ++x)
            varies = picture.pixel(x, y) != picture.pixel(0, 0);
    EXPECT_TRUE(varies);
    QFile::remove(QString::fromStdString(path));

    EXPECT_FALSE(shots.SaveWindowPng(0xFFFF, path, error));
    EXPECT_FALSE(error.empty());
}

TEST_F(Services, ProgramLoopEndsRightAfterTheMessageThatAsksForIt) {
    auto* form = new TForm(&app);
    bool quitRequested = false;
    std::vector<int> handled;
    form->SetMessageHandler(kTick, [&](TMessage& message) {
        handled.push_back(static_cast<int>(message.WParam));
        if (message.WParam == 2)
            quitRequested = true;
    });
    for (int i = 1; i <= 3; ++i)
        PostMessageA(form->Handle(), kTick, static_cast<WPARAM>(i), 0);
    while (!quitRequested)
        app.HandleMessage();
    EXPECT_EQ(handled, (std::vector<int>{1, 2}));
}
