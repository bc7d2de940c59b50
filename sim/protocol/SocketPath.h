#pragma once
// Where the card daemon listens: $VARNEL_CARD_SOCKET, else card.sock in the system's socket
// directory ($XDG_RUNTIME_DIR/varnel-pro, else varnel-pro-<uid> in $TMPDIR or /tmp).

#include <string>

namespace simcard {

std::string CardSocketPath();

} // namespace simcard
