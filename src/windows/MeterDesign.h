#pragma once
// Building blocks of the channel windows' designed layouts: plain labels, a silver meter panel
// with its grey grid lines and two peak meters, the dB scale beside it, and a row of centred
// channel numbers.
// Every control gets a name, so that the strip can be copied for further cards.

#include <initializer_list>
#include <string>

class TComponent;
class TLabel;
class TLevelMeter;
class TPanel;
class TWinControl;

// The tops of the scale marks "0" .. "-60" in a meter panel 185 pixels high.
inline constexpr int kScaleTops[] = {3, 24, 48, 96, 128, 144, 156};

TLabel* DesignLabel(TComponent* owner, TWinControl* parent, const std::string& name, int left,
                    int top, const std::string& caption);
// A grey italic dashed line across a 53-wide silver panel, 13 high at `top`.
TLabel* DesignGridLine(TComponent* owner, TWinControl* parent, const std::string& name, int top);

// A peak meter 18 × 163 at (left, 6) with the designed lamps (1 red, 12 orange, 27 green), the
// 40 ms decay tick and the 3 s hold.
TLevelMeter* DesignMeter(TComponent* owner, TWinControl* parent, const std::string& name, int left);

// A 53 × 185 silver panel at (left, top) holding grid lines at the scale tops and two meters at
// (6, 6) and (28, 6), 163 high, with the designed lamps, colours and hold time.
TPanel* DesignMeterPanel(TComponent* owner, TWinControl* parent, const std::string& name, int left,
                         int top, const std::string& leftMeter, const std::string& rightMeter);

// The scale "0", "-5", "-10", "-20", "-30", "-40", "-60" at the scale tops and "dB" at dbTop,
// starting at `left`; the labels are named prefix0 .. prefix7.
void DesignScale(TComponent* owner, TWinControl* parent, const std::string& prefix, int left,
                 int dbTop);

// Labels "1", "2", … centred at the given lefts, named prefix1, prefix2, ….
void DesignNumbers(TComponent* owner, TWinControl* parent, const std::string& prefix,
                   std::initializer_list<int> lefts);
