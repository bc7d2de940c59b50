#pragma once
// The mixer control window: the small hub opened from the notification-area icon. Its creation
// finds the cards; one check box per channel window opens and closes that window (the digital
// and the ADAT windows never open together); it keeps itself and its windows on top on request,
// opens the settings dialog, and remembers its place and boxes in the INI file. Closing it only
// hides it, after closing every window it opened.

#include "driver/ConfigRecord.h"
#include "toolkit/TForm.h"
#include "windows/ChannelWindowRegistry.h"

class TExtCheckBox;
class TPanel;

class TMixControlWnd : public TForm {
public:
    // The icon's callback and the closing notice of the windows the hub opened.
    static constexpr UINT kCloseNotice = WM_USER + 100;
    static constexpr UINT kIconCallback = WM_USER + 102;
    static constexpr int kFixedWidth = 176;
    static constexpr int kFixedHeight = 200;
    static constexpr const char* kIniFile = "Zq40Promix.ini";

    explicit TMixControlWnd(TComponent* owner);
    ~TMixControlWnd() override;
    const char* ClassName() const override { return "TMixControlWnd"; }

    TPanel* Panel1 = nullptr;
    TExtCheckBox* chkAnalogInputs = nullptr;
    TExtCheckBox* chkDigitalInputs = nullptr;
    TExtCheckBox* chkAdatInputs = nullptr;
    TExtCheckBox* chkAnalogOutputs = nullptr;
    TExtCheckBox* chkDigitalOutputs = nullptr;
    TExtCheckBox* chkAdatOutputs = nullptr;
    TPanel* Panel2 = nullptr;
    TExtCheckBox* chkStayOnTop = nullptr;
    TPanel* Panel3 = nullptr;
    TExtCheckBox* chkSettings = nullptr;

    // What getconfig fills before the settings dialog opens; the dialog works on it.
    ConfigBlock Config;

    // The box of a window kind.
    TExtCheckBox* BoxOf(ChannelWindowKind kind) const;

    // The program ends: every channel window lets go of the driver now (see
    // TChannelWindow::ReleaseDriver); the windows stay until the program's own loop closes them.
    void ReleaseDriver();

    void FormActiveChanged(TObject* Sender);
    void chkStayOnTopClick(TObject* Sender);
    void chkSettingsClick(TObject* Sender);

protected:
    void Notification(TComponent* component, TOperation operation) override;

private:
    // The designed layout (MixControlWndDesign.cpp).
    void Design();
    void FormCreate(TObject* Sender);
    void FormShow(TObject* Sender);
    void FormClose(TObject* Sender, TCloseAction& Action);
    void WindowBoxClick(ChannelWindowKind kind);
    void OpenWindow(ChannelWindowKind kind);
    void CloseNotice(TMessage& message);
    void IconCallback(TMessage& message);
    void GetMinMaxInfo(TMessage& message);

    // Set from the start of a show's restore until it has run in full: a close while it is set
    // (a restore cut short by the program's end) leaves the section as it was.
    bool restoring_ = false;
};

// The program's mixer control window, null until it is created and after the card removal.
extern TMixControlWnd* MixControlWnd;
