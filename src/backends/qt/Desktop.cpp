#include "backends/qt/Desktop.h"

#include "backends/qt/ClassicLook.h"
#include "backends/qt/ClassicWidgets.h"
#include "backends/qt/QtBackend.h"
#include "backends/qt/QtEventPump.h"
#include "backends/qt/QtIcons.h"
#include "backends/qt/QtMessageBoxes.h"
#include "backends/qt/QtScreenshots.h"
#include "backends/qt/QtTrayIcon.h"
#include "backends/qt/SingleInstance.h"
#include "base/UnixSocket.h"
#include "platform/MessageQueue.h"
#include "platform/SessionEnd.h"
#include "toolkit/TScreen.h"
#include "toolkit/UserInput.h"

#include <QApplication>
#include <QFontMetrics>
#include <QPixmapCache>
#include <QScreen>
#include <QSocketNotifier>
#include <QStyleFactory>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <unistd.h>
#include <xcb/xcb.h>

namespace {

struct Desktop {
    std::unique_ptr<QApplication> app;
    std::unique_ptr<QtBackend> backend;
    std::unique_ptr<QtEventPump> pump;
    QtTextMetrics metrics;
    QtScreenshots screenshots;
    SingleInstance instance;
    std::unique_ptr<QSocketNotifier> instanceNotifier;
    // Ends (joined) before the application it works in.
    std::jthread fontWarmUp;
};

Desktop* g_desktop = nullptr;

bool Set(const char* name) {
    const char* value = std::getenv(name);
    return value && *value && std::strcmp(value, "0") != 0;
}

bool WaylandAnswers() {
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    if (!wayland || !*wayland)
        return false;
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    return base::SocketAnswers(
        wayland[0] == '/' ? wayland : std::string(runtime ? runtime : "") + "/" + wayland);
}

using XConnection = std::unique_ptr<xcb_connection_t, decltype(&xcb_disconnect)>;

// Qt aborts the program when it cannot open its display: the display is opened here first. True
// when Qt can open the one it is going to use; false when none is named, and then also with `why`
// when the one named cannot be opened (it refuses us, or nothing answers). An X display is handed
// back held open, to be kept until Qt has its own connection, so that an X server with no other
// client does not reset between the two and refuse Qt's.
bool OpenDisplay(XConnection& held, std::string& why) {
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if (platform && *platform && std::strncmp(platform, "xcb", 3) != 0)
        return true; // another platform chosen by the user: Qt finds out
    if (!(platform && *platform) && WaylandAnswers())
        return true;
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display)
        return false;
    held.reset(xcb_connect(nullptr, nullptr));
    if (xcb_connection_has_error(held.get()) == 0)
        return true;
    held.reset();
    why = std::string("cannot open the display \"") + display + "\"";
    return false;
}

// Qt ends the process with exit() when its connection to the display breaks (the X server or
// the compositor ended first, as at some logouts), from inside the event loop. The exit would
// destroy the program's windows and services while the toolkit can no longer take them down, and
// crash: the process ends at once instead, with Qt's status and its line on stderr.
void EndAtOnceWhenTheDisplayIsGone(int status, void*) {
    if (!g_desktop)
        return;
    std::fflush(nullptr);
    std::_Exit(status);
}

void ShowHubAsDoubleClick() {
    CurrentNotifyIconService().UserMouse(WM_LBUTTONDBLCLK);
}

} // namespace

bool QuitRunningManager(std::string& error) {
    return SingleInstance::AskQuit(SingleInstance::DefaultPath(), error);
}

DesktopStart StartDesktop(int& argc, char** argv) {
    if (g_desktop)
        return DesktopStart::Desktop;
    if (Set("VARNEL_HEADLESS"))
        return DesktopStart::Headless;
    XConnection display(nullptr, xcb_disconnect);
    if (std::string why; !OpenDisplay(display, why)) {
        if (!why.empty())
            std::fprintf(stderr, "varnel-manager: %s: running without a display\n", why.c_str());
        return DesktopStart::Headless;
    }

    auto desktop = std::make_unique<Desktop>();
    std::string error;
    switch (desktop->instance.Claim(SingleInstance::DefaultPath(), error)) {
    case SingleInstance::Outcome::AskedRunning:
        return DesktopStart::AlreadyRunning;
    case SingleInstance::Outcome::Failed:
        std::fprintf(stderr, "varnel-manager: no single-instance socket: %s\n", error.c_str());
        break;
    case SingleInstance::Outcome::First:
        break;
    }

    // The windows repaint a few lamps at a time. Through a shared-memory image each such paint
    // first waits for the X server to finish reading the last one (a round trip); sent over the
    // connection, the few pixels cost less. A setting of the user's own stands.
    if (!qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM"))
        qputenv("QT_XCB_NO_MITSHM", "1");
    desktop->app = std::make_unique<QApplication>(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Windows")));
    // The classic style caches every frame and bevel it draws, for each size and state, up to
    // 10 MiB: hours of windows opened and dialogs applied filled it and the program grew by that
    // much. A small cache keeps what stays on screen, and what it drops is cheap to draw again.
    QPixmapCache::setCacheLimit(1024);
    QApplication::setPalette(ClassicPalette());
    QApplication::setWindowIcon(ProgramIcon());
    // The name screen readers and the desktop's lists of programs show.
    QApplication::setApplicationName(QStringLiteral("Varnel PRO Manager"));
    QApplication::setDesktopFileName(QStringLiteral("de.varnel.promanager"));
    // The first text the forms measure would read the system's font configuration and load the
    // font: that work is done beside the driver's start-up check and the forms' creation, on the
    // machine's other core. The font database may be used from any thread.
    desktop->fontWarmUp = std::jthread([] { QFontMetrics(ToQFont(TFont())).height(); });
    if (QScreen* screen = QGuiApplication::primaryScreen())
        Screen->SetSize(screen->geometry().width(), screen->geometry().height());
    // A Wayland compositor places the windows and tells no client where they are.
    Screen->SetPlacesKnown(!QGuiApplication::platformName().startsWith(QLatin1String("wayland")));

    desktop->backend = std::make_unique<QtBackend>();
    desktop->pump = std::make_unique<QtEventPump>();
    SetBackendObserver(desktop->backend.get());
    SetTextMetrics(&desktop->metrics);
    MessageQueue::Instance().SetEventPump(desktop->pump.get());
    InstallMessageBoxService(std::make_unique<QtMessageBoxes>());
    InstallNotifyIconService(std::make_unique<QtTrayIcon>());
    InstallScreenshotService(&desktop->screenshots);
    QObject::connect(desktop->app.get(), &QGuiApplication::applicationStateChanged,
                     [](Qt::ApplicationState state) {
                         UserInput::ActivateApplication(state == Qt::ApplicationActive);
                     });
    if (desktop->instance.Fd() >= 0) {
        desktop->instanceNotifier =
            std::make_unique<QSocketNotifier>(desktop->instance.Fd(), QSocketNotifier::Read);
        SingleInstance* instance = &desktop->instance;
        QObject::connect(desktop->instanceNotifier.get(), &QSocketNotifier::activated, [instance] {
            instance->ServeOne(ShowHubAsDoubleClick, RequestSessionEnd);
        });
    }
    g_desktop = desktop.release();
    // After the services above: exit handlers run in the reverse order of their registration,
    // so this one runs before the services are destroyed.
    static const bool endHandled = on_exit(EndAtOnceWhenTheDisplayIsGone, nullptr) == 0;
    (void)endHandled;
    return DesktopStart::Desktop;
}

void StopDesktop() {
    if (!g_desktop)
        return;
    std::unique_ptr<Desktop> desktop(g_desktop);
    g_desktop = nullptr;
    // The program's objects may outlive the desktop: they stop reaching it first.
    SetBackendObserver(nullptr);
    Screen->SetPlacesKnown(true);
    MessageQueue::Instance().SetEventPump(nullptr);
    SetTextMetrics(nullptr);
    InstallScreenshotService(nullptr);
    InstallNotifyIconService(nullptr);
    InstallMessageBoxService(nullptr);
    desktop->instanceNotifier.reset();
    desktop->backend.reset();
    desktop->pump.reset();
}
