#include "backends/qt/QtScreenshots.h"

#include "backends/qt/ControlWidget.h"
#include "backends/qt/QtBackend.h"
#include "platform/WindowTable.h"
#include "toolkit/TForm.h"

#include <QPixmap>

bool QtScreenshots::SaveWindowPng(HWND hwnd, const std::string& path, std::string& error) {
    auto* form = dynamic_cast<TCustomForm*>(WindowTable::Instance().Find(hwnd));
    if (!form) {
        error = "no such window";
        return false;
    }
    QtBackend* backend = QtBackend::Instance();
    ControlWidget* window = backend ? backend->WindowOf(form) : nullptr;
    if (!window) {
        error = "the window has never been shown";
        return false;
    }
    // What the frame has gathered is painted first, so the picture shows the model as it is.
    backend->FlushInvalidations();
    const QPixmap picture = window->grab();
    if (picture.isNull() || !picture.save(QString::fromStdString(path), "PNG")) {
        error = "cannot write " + path;
        return false;
    }
    return true;
}
