#pragma once
// The cards' state kept across the runs of a daemon that ends when idle: the configuration
// records, each card's gains, monitor states (the digital input among them), routes, format and
// input rates, and which devices follow the machine's sound server (a capture, a playback sink,
// an output heard on a sink), so that they follow it again; and the cards unplugged and not yet
// plugged back, with all of that, so that a later daemon can plug them back. It is a text of
// key=value lines in $XDG_STATE_HOME/varnel-pro/ (default
// ~/.local/state/varnel-pro/), written atomically, so that a daemon ending never leaves half a
// file behind.

#include "sim/model/CardModel.h"

#include <string>
#include <string_view>

namespace simcard {

// The file the state is kept in.
std::string SavedStatePath();

std::string DescribeState(const CardModel& model);
// Applies a described state to the cards that are there (the records to every position) and
// takes the unplugged cards back out (see CardModel::RestoreUnplugged); a text that is damaged
// anywhere changes nothing and gives false with `error` naming the line.
bool ApplyState(CardModel& model, std::string_view text, std::string* error);

// Reads the file into the model: true when it was applied or there is none yet.
bool LoadState(CardModel& model, const std::string& path, std::string* error);
// Writes the file through a temporary one renamed into place; its directory is made 0700.
bool SaveState(const CardModel& model, const std::string& path, std::string* error);

} // namespace simcard
