#pragma once
// The notification-area icon under its classic name. The installed service shows it (the desktop
// backend), logs it (headless runs) or records it (tests); every service passes the user's
// clicks on the icon back as the record's callback message.

#include "platform/WinTypes.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

constexpr DWORD NIM_ADD = 0;
constexpr DWORD NIM_MODIFY = 1;
constexpr DWORD NIM_DELETE = 2;
constexpr UINT NIF_MESSAGE = 1;
constexpr UINT NIF_ICON = 2;
constexpr UINT NIF_TIP = 4;

struct NOTIFYICONDATAA {
    DWORD cbSize = 0;
    HWND hWnd = 0;
    UINT uID = 0;
    UINT uFlags = 0;
    UINT uCallbackMessage = 0;
    HICON hIcon = 0;
    char szTip[64] = {};
};
static_assert(sizeof(NOTIFYICONDATAA) == 88, "the record as the program fills it");

class NotifyIconService {
public:
    virtual ~NotifyIconService() = default;

    // NIM_ADD, NIM_MODIFY or NIM_DELETE; keeps track of the icon, then lets the service show it.
    BOOL Notify(DWORD message, const NOTIFYICONDATAA& data);

    // The user's mouse on the icon: posts the callback message (wParam the icon's id, lParam the
    // mouse message) to the window of the icon. False when there is no icon.
    bool UserMouse(UINT mouseMessage);
    const std::optional<NOTIFYICONDATAA>& Current() const { return current_; }
    // The tip as text: the record's bytes up to the first zero.
    static std::string TipOf(const NOTIFYICONDATAA& data);

protected:
    virtual BOOL Show(DWORD message, const NOTIFYICONDATAA& data) = 0;

private:
    std::optional<NOTIFYICONDATAA> current_;
};

// Headless runs: `notifyicon<TAB>add<TAB><tip>` and `notifyicon<TAB>delete` on stderr.
class LoggingNotifyIcon : public NotifyIconService {
protected:
    BOOL Show(DWORD message, const NOTIFYICONDATAA& data) override;
};

// Tests: remembers every call and can refuse the add.
class RecordingNotifyIcon : public NotifyIconService {
public:
    struct Call {
        DWORD message;
        NOTIFYICONDATAA data;
    };
    std::vector<Call> calls;
    bool refuseAdd = false;

protected:
    BOOL Show(DWORD message, const NOTIFYICONDATAA& data) override;
};

// Installs `service` and returns the previous one; null installs the logging service.
std::unique_ptr<NotifyIconService>
InstallNotifyIconService(std::unique_ptr<NotifyIconService> service);
NotifyIconService& CurrentNotifyIconService();

BOOL Shell_NotifyIconA(DWORD message, const NOTIFYICONDATAA* data);
