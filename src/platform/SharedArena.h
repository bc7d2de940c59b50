#pragma once
// The arena of the process's 16-bit shared blocks. It is defined with the card's processes, since
// the configuration process attaches to it without the platform.

#include "sim/protocol/SharedArena.h"

using simcard::SharedArena;
