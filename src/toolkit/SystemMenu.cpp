#include "toolkit/SystemMenu.h"

#include "platform/MessageQueue.h"
#include "platform/WindowTable.h"
#include "toolkit/Types.h"
#include "toolkit/Utf8.h"

#include <map>

namespace {

constexpr int kMaxMenuText = 255;
constexpr HMENU kFirstMenu = 0x10000;

struct Menus {
    std::map<HWND, HMENU> byWindow;
    std::map<HMENU, std::vector<SystemMenuItem>> items;
    HMENU next = kFirstMenu;
};

Menus& Table() {
    static Menus menus;
    return menus;
}

std::vector<SystemMenuItem> StandardItems() {
    return {
        {SC_RESTORE, "&Wiederherstellen", false, false, false},
        {SC_MOVE, "Ve&rschieben", false, false, false},
        {SC_SIZE, "&Größe ändern", false, false, false},
        {SC_MINIMIZE, "Mi&nimieren", false, false, false},
        {SC_MAXIMIZE, "Ma&ximieren", false, false, false},
        {0, "", true, false, false},
        {SC_CLOSE, "&Schließen\tAlt+F4", false, false, false},
    };
}

SystemMenuItem MakeItem(UINT flags, UINT_PTR id, const char* text) {
    SystemMenuItem item;
    item.separator = (flags & MF_SEPARATOR) != 0;
    item.id = item.separator ? 0 : static_cast<UINT>(id);
    item.checked = (flags & MF_CHECKED) != 0;
    item.grayed = (flags & (MF_GRAYED | MF_DISABLED)) != 0;
    if (!item.separator && text)
        item.text = Utf8Truncate(text, kMaxMenuText);
    return item;
}

std::vector<SystemMenuItem>* Items(HMENU menu) {
    auto& table = Table();
    auto it = table.items.find(menu);
    return it == table.items.end() ? nullptr : &it->second;
}

} // namespace

HMENU GetSystemMenu(HWND hwnd, BOOL bRevert) {
    if (!IsWindowHandle(hwnd))
        return 0;
    auto& table = Table();
    auto it = table.byWindow.find(hwnd);
    if (bRevert) {
        if (it != table.byWindow.end())
            table.items[it->second] = StandardItems();
        return 0;
    }
    if (it != table.byWindow.end())
        return it->second;
    HMENU menu = table.next++;
    table.byWindow[hwnd] = menu;
    table.items[menu] = StandardItems();
    return menu;
}

BOOL AppendMenuA(HMENU menu, UINT flags, UINT_PTR id, const char* text) {
    auto* items = Items(menu);
    if (!items)
        return FALSE;
    items->push_back(MakeItem(flags, id, text));
    return TRUE;
}

BOOL ModifyMenuA(HMENU menu, UINT position, UINT flags, UINT_PTR newId, const char* text) {
    auto* items = Items(menu);
    if (!items)
        return FALSE;
    SystemMenuItem* target = nullptr;
    if (flags & MF_BYPOSITION) {
        if (position < items->size())
            target = &(*items)[position];
    } else {
        for (auto& item : *items)
            if (!item.separator && item.id == position) {
                target = &item;
                break;
            }
    }
    if (!target)
        return FALSE;
    *target = MakeItem(flags, newId, text);
    return TRUE;
}

int GetMenuItemCount(HMENU menu) {
    auto* items = Items(menu);
    return items ? static_cast<int>(items->size()) : -1;
}

std::vector<SystemMenuItem> SystemMenuItems(HWND hwnd) {
    auto& table = Table();
    auto it = table.byWindow.find(hwnd);
    if (it == table.byWindow.end())
        return IsWindowHandle(hwnd) ? StandardItems() : std::vector<SystemMenuItem>{};
    return table.items[it->second];
}

bool ChooseSystemMenuCommand(HWND hwnd, UINT id) {
    for (const auto& item : SystemMenuItems(hwnd))
        if (!item.separator && !item.grayed && item.id == id) {
            SendMessage(hwnd, WM_SYSCOMMAND, id, 0);
            return true;
        }
    return false;
}

bool ChooseSystemMenuItem(HWND hwnd, const std::string& text) {
    for (const auto& item : SystemMenuItems(hwnd))
        if (!item.separator && !item.grayed && item.text == text) {
            SendMessage(hwnd, WM_SYSCOMMAND, item.id, 0);
            return true;
        }
    return false;
}

void DestroySystemMenu(HWND hwnd) {
    auto& table = Table();
    auto it = table.byWindow.find(hwnd);
    if (it == table.byWindow.end())
        return;
    table.items.erase(it->second);
    table.byWindow.erase(it);
}
