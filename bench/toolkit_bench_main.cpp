// The main of the benchmarks that need the toolkit: wx started on the display, an event loop active (windows
// paint only with one), the settings in a file of the run's own, and the benchmarks run inside.

#include <benchmark/benchmark.h>
#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/fileconf.h>
#include <wx/init.h>

#include <filesystem>
#include <string>
#include <unistd.h>

int main(int argc, char** argv) {
    wxApp::SetInstance(new wxApp());
    if (!wxEntryStart(argc, argv)) {
        return 1;
    }
    const std::filesystem::path settings =
        std::filesystem::temp_directory_path() / ("velanto-bench-" + std::to_string(getpid()) + ".conf");
    wxConfigBase::Set(new wxFileConfig("", "", settings.string(), "", wxCONFIG_USE_LOCAL_FILE));
    {
        wxEventLoop loop;
        wxEventLoopActivator activate(&loop);
        benchmark::Initialize(&argc, argv);
        benchmark::RunSpecifiedBenchmarks();
        benchmark::Shutdown();
    }
    delete wxConfigBase::Set(nullptr);
    std::filesystem::remove(settings);
    wxEntryCleanup();
    return 0;
}
