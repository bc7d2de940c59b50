#pragma once
// The varnelctl commands that are more than one request to the daemon: a card setup, whose file
// varnelctl reads and writes itself (the caller's file, named from the caller's directory), and
// the daemon's end, which varnelctl waits for.

#include "sim/protocol/CardClient.h"

#include <string>
#include <vector>

namespace simcard {

// setup save|load|show <file> [<card>]
int SetupCommand(CardClient& client, const std::vector<std::string>& args);
// shutdown [--force]: returns once the daemon has written its state and removed its socket.
int ShutdownCommand(CardClient& client, const std::vector<std::string>& args);

} // namespace simcard
