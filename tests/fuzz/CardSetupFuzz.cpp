// A saved card setup on arbitrary text, loaded into four cards as varnelctl does. A text that is
// refused changes nothing and names its line; one that is taken is the cards' state afterwards,
// so that showing it again finds nothing to change.

#include "sim/model/CardSetup.h"
#include "sim/model/SetupCommand.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

void Require(bool condition) {
    if (!condition)
        std::abort();
}

std::string Everything(simcard::CardModel& model) {
    return simcard::RunControl(model, model.InProcessClient(), {"status"}).output;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    simcard::CardModel model(4, simcard::SteadyModelClock());
    const simcard::ClientId client = model.Connect(1);
    const std::string before = Everything(model);
    std::vector<simcard::SetupSection> sections;
    std::string error;
    const bool parsed = simcard::ParseSetup(text, sections, &error);
    Require(parsed || error.starts_with("line "));

    const auto loaded = simcard::RunSetup(model, client, {"setup", "load", text});
    Require((loaded.status == 0) == parsed);
    if (loaded.status != 0) {
        Require(Everything(model) == before);
        return 0;
    }
    const auto shown = simcard::RunSetup(model, client, {"setup", "show", text});
    Require(shown.status == 0 && shown.output == "changes=0\n");
    return 0;
}
