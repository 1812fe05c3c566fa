// Runs the window parts' suites inside an initialised wx application with an active event loop; a wx
// assertion fails the running test instead of opening a box.

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/init.h>

#include <cstdio>

namespace {

void FailOnAssert(const wxString& file, int line, const wxString& function, const wxString& condition,
                  const wxString& message) {
    ADD_FAILURE_AT(file.utf8_str(), line) << "wx assertion in " << function.utf8_string() << ": "
                                          << condition.utf8_string() << " " << message.utf8_string();
}

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (::testing::GTEST_FLAG(list_tests)) {  // test discovery needs no display
        return RUN_ALL_TESTS();
    }
    wxApp::SetInstance(new wxApp());
    if (!wxEntryStart(argc, argv)) {
        std::fprintf(stderr, "records_ui_tests: the toolkit could not start (no display?)\n");
        return 1;
    }
    wxSetAssertHandler(FailOnAssert);
    int status = 0;
    {
        wxEventLoop loop;
        wxEventLoopActivator activate(&loop);
        status = RUN_ALL_TESTS();
    }
    wxEntryCleanup();
    return status;
}
