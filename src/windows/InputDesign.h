#pragma once
// Building blocks of the input windows' designed layouts: plain panels, bilingual labels, check
// boxes and radio buttons, the scroll box, the strip header, the monitor radio groups and the line
// below them. Every control gets a
// name, so that the strip can be copied for further cards. A bilingual control shows its German
// text; the English one travels with it.

#include <string>

class TComponent;
class TExtCheckBox;
class TExtLabel;
class TExtRadioButton;
class TInputWindow;
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
// The window's scroll box, client-aligned in the ground panel, scrolling by strips.
void DesignStripScrollBox(TInputWindow* window, TWinControl* ground, int increment, int margin);
// The top-aligned header of the strips in the scroll box, 19 high, with lbLabel "Karte #1" at
// (6, 4).
void DesignHeader(TInputWindow* window);
// The monitor destination group pnRouteParent: lbPunch " Monitor:", btnAnaMon and btnDigMon at
// buttonLeft, tops 18 and 34.
void DesignRouteGroup(TInputWindow* window, TWinControl* parent, int left, int top, int width,
                      int height, int buttonLeft);
// The monitor condition group pnWhenToMonParent: lbWhereToMon " Aktiv:", btnNever, btnOnRec,
// btnOnPunch at (12, 18), (12, 32), (12, 50).
void DesignWhenGroup(TInputWindow* window, TWinControl* parent, int left, int top, int width,
                     int height);
// bvLine, the bottom-aligned line closing the monitor section.
void DesignBottomLine(TInputWindow* window, TWinControl* parent, int height);
