#include "windows/MixerIcon.h"

HICON MixerIcon = 0;
