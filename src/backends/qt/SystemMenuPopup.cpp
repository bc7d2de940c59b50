#include "backends/qt/SystemMenuPopup.h"

#include "platform/WindowTable.h"
#include "toolkit/SystemMenu.h"
#include "toolkit/TForm.h"

#include <QMenu>
#include <QPointer>
#include <QWidget>
#include <QWindow>

namespace {
QPointer<QMenu> g_open;

void AfterCommand(QPointer<QWidget> window, UINT id) {
    // Moving and sizing are the window manager's: it takes over the mouse as the classic
    // desktop did after these entries.
    if (!window || !window->windowHandle())
        return;
    if (id == SC_MOVE)
        window->windowHandle()->startSystemMove();
    else if (id == SC_SIZE)
        window->windowHandle()->startSystemResize(Qt::BottomEdge | Qt::RightEdge);
}
} // namespace

QMenu* ShowSystemMenu(TCustomForm* form, QWidget* window, QPoint globalPos) {
    if (!form->Enabled())
        return nullptr;
    const HWND hwnd = form->Handle();
    auto* menu = new QMenu(window);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    for (const SystemMenuItem& item : SystemMenuItems(hwnd)) {
        if (item.separator) {
            menu->addSeparator();
            continue;
        }
        QAction* action = menu->addAction(QString::fromStdString(item.text));
        action->setEnabled(!item.grayed);
        if (item.checked) {
            action->setCheckable(true);
            action->setChecked(true);
        }
        const UINT id = item.id;
        QPointer<QWidget> owner(window);
        QObject::connect(action, &QAction::triggered, menu, [hwnd, id, owner] {
            if (!IsWindowHandle(hwnd))
                return;
            // Sent as a user's choice: the window's handler runs now, its errors reported.
            ChooseSystemMenuCommand(hwnd, id);
            AfterCommand(owner, id);
        });
    }
    g_open = menu;
    menu->popup(globalPos);
    return menu;
}

QMenu* OpenSystemMenu() {
    return g_open.data();
}
