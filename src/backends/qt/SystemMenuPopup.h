#pragma once
// The window's system menu as a popup: the window manager's title-bar menu cannot take the
// program's items, so the model's menu (standard entries and the program's checked items) opens
// from a right-click on the window's background and from Alt+Space. Choosing an item delivers
// WM_SYSCOMMAND as on the classic desktop.

#include <QPoint>

class QMenu;
class QWidget;
class TCustomForm;

// Opens the menu without blocking: the program's loop keeps running while it is open.
QMenu* ShowSystemMenu(TCustomForm* form, QWidget* window, QPoint globalPos);
// The menu opened last, while it is open (tests choose from it as a user would).
QMenu* OpenSystemMenu();
