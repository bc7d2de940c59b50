#pragma once
// varnelctl's setup command as the daemon carries it out; varnelctl reads and writes the file:
//   setup save [<card>]          the setup text of every card, or of one
//   setup load <text> [<card>]   applies a setup as another program changing the driver would
//                                (only what differs), and prints each fact it changed
//   setup show <text> [<card>]   prints the facts a load would change
// With <card>, a setup of one card goes to that card, and of a setup of several that card's
// lines. The text, the cards and whether the driver takes each change are all checked before
// anything changes: a refusal changes nothing.

#include "sim/model/CardControl.h"

namespace simcard {

ControlResult RunSetup(CardModel& model, ClientId client, const std::vector<std::string>& args);

} // namespace simcard
