#include "sim/protocol/SocketPath.h"

#include "base/SocketDirectory.h"

#include <cstdlib>

namespace simcard {

std::string CardSocketPath() {
    if (const char* path = std::getenv("VARNEL_CARD_SOCKET"); path && *path)
        return path;
    return base::RuntimeDirectory() + "/card.sock";
}

} // namespace simcard
