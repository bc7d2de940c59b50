#pragma once
// Reaching the card daemon: connect to its socket, and when none answers, start `varnel-cardd`
// (one card) from the program directory and wait a short time for it to listen. A daemon started
// so ends once it has been without clients for a while, as a sound server started on demand does,
// and keeps the cards' state for the next one.

#include <cstdint>
#include <memory>
#include <string>

namespace simcard {

class CardClient;

// How long a start of the daemon is waited for. It listens within milliseconds; two seconds
// leave room for a loaded machine without making a missing daemon look like a hung program.
constexpr std::uint32_t kCardDaemonStartWaitMs = 2000;
constexpr const char* kCardDaemonExitIdleSeconds = "30";
// The log of a daemon started on demand, in the system's state directory.
constexpr const char* kCardDaemonLogName = "varnel-cardd.log";

// Set (to anything but "" or "0") to keep the platform and the configuration process from
// starting a daemon; tests that start their own use it.
constexpr const char* kNoAutospawnEnvironment = "VARNEL_NO_AUTOSPAWN";
bool CardDaemonAutospawnAllowed();

// A connected client, or null with `error` set. With `mayStart`, a daemon is started when none
// answers (and autospawn is allowed). A client that only asks reads its replies itself.
enum class ClientRole { Subscriber, AskOnly };
std::unique_ptr<CardClient> ConnectCardDaemon(bool mayStart, std::string* error,
                                              ClientRole role = ClientRole::Subscriber);

} // namespace simcard
