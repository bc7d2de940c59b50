#include "backends/qt/QtMessageBoxes.h"

#include "backends/qt/ControlWidget.h"
#include "backends/qt/QtBackend.h"
#include "backends/qt/QtIcons.h"
#include "platform/WindowTable.h"
#include "toolkit/TForm.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QWindow>
#include <vector>

namespace {

std::vector<QPointer<QMessageBox>> g_open;

const char* ButtonText(int id) {
    switch (id) {
    case IDOK:
        return "OK";
    case IDCANCEL:
        return "Abbrechen";
    case IDABORT:
        return "Abbruch";
    case IDRETRY:
        return "Wiederholen";
    case IDIGNORE:
        return "Ignorieren";
    case IDYES:
        return "&Ja";
    case IDNO:
        return "&Nein";
    default:
        return "?";
    }
}

QMessageBox::Icon IconOf(UINT style) {
    switch (style & 0xF0) {
    case MB_ICONHAND:
        return QMessageBox::Critical;
    case MB_ICONQUESTION:
        return QMessageBox::Question;
    case MB_ICONEXCLAMATION:
        return QMessageBox::Warning;
    case MB_ICONASTERISK:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

QWidget* OwnerWindow(HWND owner) {
    auto* form = dynamic_cast<TCustomForm*>(WindowTable::Instance().Find(owner));
    QtBackend* backend = QtBackend::Instance();
    if (!form || !backend)
        return nullptr;
    QWidget* window = backend->WindowOf(form);
    return window && window->isVisible() ? window : nullptr;
}

// The owner is disabled while its box is open, and disabling a widget disables its children: the
// box is therefore no child of its owner but a window of its own, kept above the owner by the
// window manager (transient parent) and placed over its centre.
void PlaceOver(QMessageBox& box, QWidget* owner) {
    if (!owner)
        return;
    box.winId();
    box.windowHandle()->setTransientParent(owner->windowHandle());
    box.adjustSize();
    box.move(owner->frameGeometry().center() - box.rect().center());
}

} // namespace

int QtMessageBoxes::Show(const MessageBoxRequest& request, IModalRunner& modal) {
    QMessageBox box;
    box.setWindowTitle(QString::fromStdString(request.caption));
    box.setText(QString::fromStdString(request.text));
    box.setTextFormat(Qt::PlainText);
    box.setIcon(IconOf(request.style));
    box.setWindowIcon(ProgramIcon());
    box.setWindowModality(Qt::ApplicationModal);

    const std::vector<int> buttons = MessageBoxButtons(request.style);
    const int defaultId = MessageBoxDefaultButton(request.style);
    std::vector<std::pair<QAbstractButton*, int>> ids;
    for (int id : buttons) {
        QPushButton* button = box.addButton(QString::fromUtf8(ButtonText(id)),
                                            id == IDCANCEL || id == IDNO ? QMessageBox::RejectRole
                                                                         : QMessageBox::AcceptRole);
        ids.emplace_back(button, id);
        if (id == defaultId)
            box.setDefaultButton(button);
        // classic behaviour: the close box and Esc answer Cancel, or OK on a box with only OK.
        if (id == IDCANCEL || (buttons.size() == 1 && id == IDOK))
            box.setEscapeButton(button);
    }

    int answer = 0;
    QObject::connect(&box, &QMessageBox::buttonClicked, [&](QAbstractButton* clicked) {
        for (auto& [button, id] : ids)
            if (button == clicked)
                answer = id;
    });
    PlaceOver(box, OwnerWindow(request.owner));
    g_open.emplace_back(&box);
    box.open();
    try {
        modal.RunModal([&] { return answer != 0 || !box.isVisible(); });
    } catch (...) {
        g_open.pop_back();
        throw;
    }
    g_open.pop_back();
    if (answer == 0) {
        // Closed without a button (the window manager's close): the escape button's answer.
        for (auto& [button, id] : ids)
            if (button == box.escapeButton())
                answer = id;
    }
    box.hide();
    // A box without a cancel button closed by the window manager answers with its default
    // button, never with a button it does not have.
    return answer != 0 ? answer : defaultId;
}

QMessageBox* QtMessageBoxes::OpenBox() {
    while (!g_open.empty() && !g_open.back())
        g_open.pop_back();
    return g_open.empty() ? nullptr : g_open.back().data();
}
