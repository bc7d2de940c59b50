#include "sim/protocol/SocketPath.h"

#include <cstdlib>

namespace simcard {

namespace {

const char* NamedPath() {
    const char* path = std::getenv("VARNEL_CARD_SOCKET");
    return path && *path ? path : nullptr;
}

} // namespace

std::string CardSocketPath() {
    if (const char* path = NamedPath())
        return path;
    return base::RuntimeDirectory() + "/card.sock";
}

base::DirectoryRule CardSocketDirectoryRule() {
    return NamedPath() ? base::DirectoryRule::AsGiven : base::DirectoryRule::Private;
}

} // namespace simcard
