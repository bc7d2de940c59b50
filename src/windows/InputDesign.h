#pragma once
// Building blocks of the input windows' designed layouts: plain panels, bilingual labels, check
// boxes and radio buttons, the strip header and the monitor radio groups. Every control gets a
// name, so that the strip can be copied for further cards. A bilingual control shows its German
// text; the English one travels with it.

#include <string>

class TComponent;
class TExtCheckBox;
class TExtLabel;
class TExtRadioButton;
class TPanel;
class TWinControl;

TPanel* DesignPanel(TComponent* owner, TWinControl* parent, const std::string& name, int left,
                    int top, int width, int height);
TExtLabel* DesignExtLabel(TComponent* owner, TWinControl* parent, const std::string& name, int left,
                          int top, const std::string& german, const std::string& english);
TExtRadioButton* DesignRadio(TComponent* owner, TWinControl* parent, const std::string& name,
                             int left, int top, const std::string& german,
                             const std::string& english);
// A display check box of the control panel: tag -1 (persisted), checked.
TExtCheckBox* DesignDisplayCheck(TComponent* owner, TWinControl* parent, const std::string& name,
                                 int left, int top, const std::string& german,
                                 const std::string& english);
// The top-aligned header of the strips, 19 high, with lbLabel "Karte #1" at (6, 4).
TPanel* DesignHeader(TComponent* owner, TWinControl* parent, TExtLabel*& lbLabel);

// The monitor destination group: lbPunch " Monitor:", btnAnaMon and btnDigMon at buttonLeft,
// tops 18 and 34.
struct RouteGroup {
    TPanel* panel;
    TExtRadioButton* btnAnaMon;
    TExtRadioButton* btnDigMon;
};
RouteGroup DesignRouteGroup(TComponent* owner, TWinControl* parent, int left, int top, int width,
                            int height, int buttonLeft);

// The monitor condition group: lbWhereToMon " Aktiv:", btnNever, btnOnRec, btnOnPunch at (12, 18),
// (12, 32), (12, 50).
struct WhenGroup {
    TPanel* panel;
    TExtRadioButton* btnNever;
    TExtRadioButton* btnOnRec;
    TExtRadioButton* btnOnPunch;
};
WhenGroup DesignWhenGroup(TComponent* owner, TWinControl* parent, int left, int top, int width,
                          int height);
