#pragma once
// Building blocks of the two output windows' designed layouts: the ground panel with its scroll
// box, the header, the routing section's frame, the meter section and the control panel. The
// windows give the sizes; every control gets its designed name.

#include <string>

class TOutputWindow;

struct OutputDesignSizes {
    int stripWidth;       // also the scroll box's horizontal increment
    int groundHeight;     // pnGround, top-aligned
    int checksHeight;     // pnChecks, client-aligned below it
    int playbackHeight;   // pnPlaybackSel, top-aligned below the 21-pixel header
    int levelTop;         // pnLevel, 217 high
    int routeParentWidth; // pnRouteParent inside pnPlaybackSel
    int meterLeft;        // the meter panel inside pnLevel; the scale follows at +56
};

// pnGround, ScrollBox1, pnHeader with lbLabel, pnPlaybackSel with pnRouteParent (holding
// lbPlayback) and bvLine, pnLevel with PlayLvMeter1 (tag 0) and PlayLvMeter2 (tag 1), pnChecks
// with chkPlaybackSel and chkPeakMeter, and SecTimer. The route buttons are the window's.
void DesignOutputFrame(TOutputWindow* window, const OutputDesignSizes& sizes,
                       const std::string& peakMeterEnglish);
