#pragma once
// Reaching the card daemon, starting it when none answers. It is defined with the card's
// processes, since the configuration process starts the daemon without the platform.

#include "sim/protocol/CardDaemonStart.h"

using simcard::CardDaemonAutospawnAllowed;
using simcard::ConnectCardDaemon;
using simcard::kCardDaemonExitIdleSeconds;
using simcard::kCardDaemonStartWaitMs;
using simcard::kNoAutospawnEnvironment;
