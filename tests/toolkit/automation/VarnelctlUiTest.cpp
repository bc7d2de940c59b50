// `varnelctl ui` against a live endpoint: the tool is run as a script would run it while this
// process's message loop serves the requests.
#include "ToolkitFixture.h"
#include "toolkit/TCheckBox.h"
#include "toolkit/automation/AutomationEndpoint.h"

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

struct ToolRun {
    int status = -1;
    std::string out;
};

class VarnelctlUiTest : public ToolkitTest {
protected:
    VarnelctlUiTest() {
        path = std::filesystem::temp_directory_path() /
               ("varnelctl-ui-test-" + std::to_string(getpid()) + ".sock");
        endpoint = std::make_unique<AutomationEndpoint>(path, log);
        TForm* main = nullptr;
        app.CreateForm(main);
        main->SetCaption("Mixer Eins");
        box = new TCheckBox(main);
        box->SetName("chkLink");
        box->SetParent(main);
        main->Show();
    }

    // Runs varnelctl with the shell words given, while this thread serves the requests.
    ToolRun Varnelctl(const std::string& words, bool withSocket = true) {
        ToolRun run;
        std::atomic<bool> done{false};
        std::thread tool([&] {
            std::string command = withSocket ? "VARNEL_AUTOMATION=" + path + " " : "";
            command += "env " + std::string(withSocket ? "" : "-u VARNEL_AUTOMATION ") +
                       VARNELCTL_PATH + " " + words + " 2>&1";
            FILE* pipe = popen(command.c_str(), "r");
            char buffer[4096];
            while (std::size_t n = fread(buffer, 1, sizeof buffer, pipe))
                run.out.append(buffer, n);
            run.status = WEXITSTATUS(pclose(pipe));
            done = true;
            MessageQueue::Instance().Wake();
        });
        while (!done) {
            app.ProcessMessages();
            if (!done)
                MessageQueue::Instance().WaitUntilNotEmpty();
        }
        tool.join();
        return run;
    }

    std::string path;
    std::ostringstream log;
    std::unique_ptr<AutomationEndpoint> endpoint;
    TCheckBox* box = nullptr;
};

TEST_F(VarnelctlUiTest, SendsTheWordsQuotedAndExitsNonZeroOnAnError) {
    ToolRun set = Varnelctl("ui set 'Mixer Eins' chkLink 1");
    EXPECT_EQ(set.out, "ok\n");
    EXPECT_EQ(set.status, 0);
    EXPECT_TRUE(box->Checked());
    ToolRun whole = Varnelctl("ui 'dump \"Mixer Eins\"'");
    EXPECT_NE(whole.out.find("\n  TCheckBox chkLink "), std::string::npos) << whole.out;
    EXPECT_EQ(whole.status, 0);
    ToolRun bad = Varnelctl("ui click 'Mixer Eins' chkNichts");
    EXPECT_EQ(bad.out, "error: no component \"chkNichts\" in \"Mixer Eins\"\n");
    EXPECT_EQ(bad.status, 1);
}

TEST_F(VarnelctlUiTest, SaysWhyWhenThereIsNoEndpoint) {
    ToolRun unset = Varnelctl("ui windows", false);
    EXPECT_NE(unset.out.find("VARNEL_AUTOMATION"), std::string::npos) << unset.out;
    EXPECT_EQ(unset.status, 2);
    endpoint.reset();
    ToolRun gone = Varnelctl("ui windows");
    EXPECT_NE(gone.out.find("cannot reach the manager"), std::string::npos) << gone.out;
    EXPECT_EQ(gone.status, 1);
}

} // namespace
