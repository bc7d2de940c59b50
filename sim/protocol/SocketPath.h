#pragma once
// Where the card daemon listens: $VARNEL_CARD_SOCKET, else $XDG_RUNTIME_DIR/varnel-pro/card.sock,
// else /tmp/varnel-pro-<uid>/card.sock.

#include <string>

namespace simcard {

std::string CardSocketPath();
// Creates the socket's directory with mode 0700 when it is missing. The default directories must
// belong to us and be private (a /tmp directory planted by another user is refused).
bool PrepareSocketDirectory(const std::string& socketPath, std::string* error);

} // namespace simcard
