#pragma once
// The program's own resources, registered with the platform at start.

#include "platform/Icons.h"

// "MIXERICON": the notification-area and window icon.
IconImage MixerIconImage();
void RegisterProgramResources();
