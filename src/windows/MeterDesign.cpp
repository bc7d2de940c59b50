#include "windows/MeterDesign.h"

#include "controls/TLevelMeter.h"
#include "toolkit/TLabel.h"
#include "toolkit/TPanel.h"

TLevelMeter* DesignMeter(TComponent* owner, TWinControl* parent, const std::string& name,
                         int left) {
    auto* meter = new TLevelMeter(owner);
    meter->SetName(name);
    meter->SetParent(parent);
    meter->SetBounds(left, 6, 18, 163);
    meter->SetLumiHeight(5);
    meter->SetNumLumisRed(1);
    meter->SetNumLumisOrange(12);
    meter->SetTimerInterval(40);
    meter->SetLevelMaxHold(3000);
    return meter;
}

TLabel* DesignLabel(TComponent* owner, TWinControl* parent, const std::string& name, int left,
                    int top, const std::string& caption) {
    auto* label = new TLabel(owner);
    label->SetName(name);
    label->SetParent(parent);
    label->SetLeft(left);
    label->SetTop(top);
    label->SetCaption(caption);
    return label;
}

TLabel* DesignGridLine(TComponent* owner, TWinControl* parent, const std::string& name, int top) {
    TLabel* grid = DesignLabel(owner, parent, name, 2, top, "");
    grid->SetAutoSize(false);
    grid->SetBounds(2, top, 49, 13);
    grid->SetTransparent(true);
    grid->Font().SetColor(clGray);
    grid->Font().SetStyle(fsItalic);
    grid->SetCaption("-----------");
    return grid;
}

TPanel* DesignMeterPanel(TComponent* owner, TWinControl* parent, const std::string& name, int left,
                         int top, const std::string& leftMeter, const std::string& rightMeter) {
    auto* panel = new TPanel(owner);
    panel->SetName(name);
    panel->SetParent(parent);
    panel->SetBounds(left, top, 53, 185);
    panel->SetBevelOuter(bvLowered);
    panel->SetColor(clSilver);
    int line = 0;
    for (int gridTop : kScaleTops)
        DesignGridLine(owner, panel, name + "Grid" + std::to_string(line++), gridTop);
    DesignMeter(owner, panel, leftMeter, 6);
    DesignMeter(owner, panel, rightMeter, 28);
    return panel;
}

void DesignScale(TComponent* owner, TWinControl* parent, const std::string& prefix, int left,
                 int dbTop) {
    static const char* const marks[] = {"0", "-5", "-10", "-20", "-30", "-40", "-60"};
    int index = 0;
    for (int top : kScaleTops) {
        DesignLabel(owner, parent, prefix + std::to_string(index), left, top, marks[index]);
        ++index;
    }
    DesignLabel(owner, parent, prefix + std::to_string(index), left, dbTop, "dB");
}

void DesignNumbers(TComponent* owner, TWinControl* parent, const std::string& prefix,
                   std::initializer_list<int> lefts) {
    int number = 1;
    for (int left : lefts) {
        TLabel* label = DesignLabel(owner, parent, prefix + std::to_string(number), left, 2, "");
        label->SetAutoSize(false);
        label->SetBounds(left, 2, 13, 13);
        label->SetAlignment(taCenter);
        label->SetCaption(std::to_string(number));
        ++number;
    }
}
