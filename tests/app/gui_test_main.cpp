// Runs the GoogleTest suites of the dialogs inside an initialised wx application with an
// active event loop; wx assertions fail the running test instead of opening a box.

#include <glib.h>
#include <gtest/gtest.h>
#include <unistd.h>
#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/init.h>
#include <wx/toplevel.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

#include "tests/app/gui_test_support.h"

namespace {

// Windows a test leaves open (a help frame, say) would take the focus from the next test's dialog.
class CloseLeftoverWindows : public ::testing::EmptyTestEventListener {
    void OnTestEnd(const ::testing::TestInfo&) override {
        for (wxWindow* window : wxTopLevelWindows) {
            window->Destroy();
        }
        velanto::testing::PumpEventsUntil([] { return wxTopLevelWindows.IsEmpty(); }, std::chrono::milliseconds(2000));
    }
};

void FailOnAssert(const wxString& file, int line, const wxString& function, const wxString& condition,
                  const wxString& message) {
    ADD_FAILURE_AT(file.utf8_str(), line) << "wx assertion in " << function.utf8_string() << ": "
                                          << condition.utf8_string() << " " << message.utf8_string();
}

// The toolkit fails to start on a display that is resetting because its last client has just
// left (the test command's displays never reset, but a display started by hand may), and a
// failed start cannot be undone in-process: the test program then starts over once, a moment
// later, as a new process, and says so, so that such flakiness stays visible.
[[noreturn]] void StartOver(char** originalArgv) {
    if (std::getenv("VELANTO_GUI_TEST_RETRY") == nullptr) {
        std::fprintf(stderr, "app_tests: the toolkit could not start; starting over once\n");
        ::setenv("VELANTO_GUI_TEST_RETRY", "1", 1);
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        ::execv("/proc/self/exe", originalArgv);
    }
    std::fprintf(stderr, "app_tests: the toolkit could not start again (no display?)\n");
    std::exit(1);
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<char*> originalArgv(argv, argv + argc + 1);
    ::testing::InitGoogleTest(&argc, argv);
    wxApp::SetInstance(new wxApp());
    if (!wxEntryStart(argc, argv)) {
        StartOver(const_cast<char**>(originalArgv.data()));
    }
    wxTheApp->SetAppName("velanto");
    // glib settles the user's configuration folder at its first use and keeps it. Tests that map
    // ports set XDG_CONFIG_HOME to a scratch folder for a while; asked first then, glib would have
    // GTK write its settings (gtk-3.0) into that folder after the test has removed it.
    g_get_user_config_dir();
    wxSetAssertHandler(FailOnAssert);
    ::testing::UnitTest::GetInstance()->listeners().Append(new CloseLeftoverWindows);
    int status = 0;
    {
        wxEventLoop loop;
        wxEventLoopActivator activate(&loop);
        status = RUN_ALL_TESTS();
    }
    wxEntryCleanup();
    return status;
}
