#include "platform/NotifyIcon.h"

#include "platform/MessageQueue.h"

#include <cstdio>
#include <cstring>

BOOL NotifyIconService::Notify(DWORD message, const NOTIFYICONDATAA& data) {
    if (message != NIM_ADD && message != NIM_MODIFY && message != NIM_DELETE)
        return FALSE;
    if ((message == NIM_ADD) == current_.has_value())
        return FALSE; // adding a second icon, or changing or deleting one that is not there
    if (!Show(message, data))
        return FALSE;
    if (message == NIM_DELETE)
        current_.reset();
    else
        current_ = data;
    return TRUE;
}

bool NotifyIconService::UserMouse(UINT mouseMessage) {
    if (!current_ || !(current_->uFlags & NIF_MESSAGE))
        return false;
    return PostMessageA(current_->hWnd, current_->uCallbackMessage, current_->uID,
                        static_cast<LPARAM>(mouseMessage)) != FALSE;
}

std::string NotifyIconService::TipOf(const NOTIFYICONDATAA& data) {
    return std::string(data.szTip, strnlen(data.szTip, sizeof data.szTip));
}

BOOL LoggingNotifyIcon::Show(DWORD message, const NOTIFYICONDATAA& data) {
    if (message == NIM_ADD)
        std::fprintf(stderr, "notifyicon\tadd\t%s\n", TipOf(data).c_str());
    else if (message == NIM_DELETE)
        std::fprintf(stderr, "notifyicon\tdelete\n");
    std::fflush(stderr);
    return TRUE;
}

BOOL RecordingNotifyIcon::Show(DWORD message, const NOTIFYICONDATAA& data) {
    calls.push_back(Call{message, data});
    return message == NIM_ADD && refuseAdd ? FALSE : TRUE;
}

namespace {
std::unique_ptr<NotifyIconService>& Installed() {
    static std::unique_ptr<NotifyIconService> service = std::make_unique<LoggingNotifyIcon>();
    return service;
}
} // namespace

std::unique_ptr<NotifyIconService>
InstallNotifyIconService(std::unique_ptr<NotifyIconService> service) {
    auto previous = std::move(Installed());
    Installed() = service ? std::move(service) : std::make_unique<LoggingNotifyIcon>();
    return previous;
}

NotifyIconService& CurrentNotifyIconService() {
    return *Installed();
}

BOOL Shell_NotifyIconA(DWORD message, const NOTIFYICONDATAA* data) {
    return data ? CurrentNotifyIconService().Notify(message, *data) : FALSE;
}
