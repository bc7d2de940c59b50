#include "BackendFixture.h"

#include "backends/qt/ControlWidget.h"
#include "toolkit/TForm.h"

#include <QApplication>
#include <cstdlib>

QtApplicationFirst::QtApplicationFirst() {
    static int argc = 1;
    static char name[] = "backend_qt_tests";
    static char* argv[] = {name, nullptr};
    static QApplication* app = [] {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        auto* created = new QApplication(argc, argv);
        QApplication::setQuitOnLastWindowClosed(false);
        return created;
    }();
    (void)app;
}

BackendTest::BackendTest() : previous_(Application) {
    MessageQueue::Instance().Clear();
    Application = &app;
    app.Initialize();
    app.SetTitle("Varnel PRO Manager");
    SetTextMetrics(&metrics);
    SetBackendObserver(&backend);
    MessageQueue::Instance().SetEventPump(&pump);
}

BackendTest::~BackendTest() {
    app.DestroyComponents();
    MessageQueue::Instance().SetEventPump(nullptr);
    SetBackendObserver(nullptr);
    SetTextMetrics(nullptr);
    MessageQueue::Instance().Clear();
    Application = previous_;
}

void BackendTest::PumpQt() {
    backend.FlushInvalidations();
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
}

QWidget* BackendTest::ShowForm(TCustomForm* form) {
    form->Show();
    PumpQt();
    return backend.WindowOf(form);
}

QPoint BackendTest::CentreIn(QWidget* widget, TControl* control) {
    auto* cw = static_cast<ControlWidget*>(widget);
    if (cw->Control() == control)
        return QPoint(control->Width() / 2, control->Height() / 2) + cw->ClientOrigin();
    return cw->RectOf(control).center();
}
