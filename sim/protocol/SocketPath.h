#pragma once
// Where the card daemon listens: $VARNEL_CARD_SOCKET, else card.sock in the system's socket
// directory ($XDG_RUNTIME_DIR/varnel-pro, else varnel-pro-<uid> in $TMPDIR or /tmp).

#include "base/SocketDirectory.h"

#include <string>

namespace simcard {

std::string CardSocketPath();
// Private for the default path; a path the user names is used as given.
base::DirectoryRule CardSocketDirectoryRule();

} // namespace simcard
