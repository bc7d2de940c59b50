#pragma once
// The automation entries of the toolkit's own control classes, bases before subclasses.

#include "toolkit/automation/ControlAutomation.h"

#include <deque>

std::deque<ControlAutomation> ToolkitClassAutomation();
