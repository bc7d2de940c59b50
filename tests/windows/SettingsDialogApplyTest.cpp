// After an apply the shared block holds what the driver read back, while the dialog is filled
// again from its own record: an answer of the driver's own does not reach the controls, and
// without the read-back the controls stay as the user left them.

#include "SettingsDialogFixture.h"
#include "controls/ExtControls.h"
#include "toolkit/TEdit.h"
#include "toolkit/TTrackBar.h"
#include "toolkit/UserInput.h"

namespace {

using enum ConfigField;

TEST_F(SettingsDialogTest, AnApplyRefillsTheDialogFromItsOwnRecordNotFromTheReadBack) {
    for (bool readBack : {true, false}) {
        SCOPED_TRACE(readBack ? "read back" : "read-back failed");
        // The driver takes the block and answers the read-back with a latency of its own.
        TdlgCfg::SetConfigRunner([this, readBack](UINT code, void* record, DWORD size) {
            commands.push_back(CommandWord(code));
            if (code == CFG_GETCONFIG && !readBack)
                return false;
            if (code == CFG_GETCONFIG)
                SetDriverField(0, LatencyMs, 20);
            auto* bytes = static_cast<std::uint8_t*>(record);
            auto reply = model->Config(code, {bytes, size});
            std::copy(reply.data.begin(), reply.data.end(), bytes);
            return true;
        });
        auto* d = Open();
        ASSERT_EQ(d->WorkingRecord().Get(LatencyMs), 0);
        ASSERT_TRUE(UserInput::TypeText(d->edDefaultRate1, "048000"));
        ASSERT_TRUE(UserInput::Click(d->btnApply));

        EXPECT_EQ(commands, (std::vector<std::string>{"reconfigurable", "setconfig", "getconfig"}));
        EXPECT_TRUE(boxes->History().empty());
        EXPECT_FALSE(d->btnApply->Enabled());
        EXPECT_EQ(DriverField(0, Clock1DefaultRate), 48000);
        EXPECT_EQ(block[0].Get(LatencyMs), readBack ? 20 : 0) << "the block as the driver has it";
        EXPECT_EQ(d->WorkingRecord().Get(LatencyMs), 0);
        EXPECT_TRUE(d->btnAutoLatency->Checked());
        EXPECT_FALSE(d->barLatency->Enabled());
        EXPECT_EQ(d->edDefaultRate1->Text(), readBack ? "48000" : "048000")
            << "only a read-back refills";
        d->Free();
        SetDriverField(0, LatencyMs, 0);
    }
}

} // namespace
