// Leaks made the way velanto's own code would make them: in a wx event handler, and in a callback
// that glib's main loop calls directly, with the toolkit's frames all around. The test runs this
// under LeakSanitizer with the project's suppressions and expects both leaks to be reported, so
// that those suppressions never hide velanto's own leaks.

#include <glib.h>
#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/init.h>

#include <cstdio>
#include <cstring>

namespace {

// Its only pointer is gone when it returns; printing it keeps the compiler from dropping the block.
[[gnu::noinline]] void Lose(std::size_t size) {
    char* block = new char[size];
    std::memset(block, 0x5A, size);
    std::fprintf(stderr, "leak_canary: a block of %zu bytes at %p is lost\n", size, static_cast<void*>(block));
}

// The sizes differ so that the reports come in a known order: the larger leak first.
[[gnu::noinline]] gboolean LeakInAnIdleCallback(gpointer) {
    Lose(128);
    return G_SOURCE_REMOVE;
}

[[gnu::noinline]] void LeakInAHandlerOfTheMainLoop() { Lose(64); }

}  // namespace

int main(int argc, char** argv) {
    wxApp::SetInstance(new wxApp());
    if (!wxEntryStart(argc, argv)) {
        std::fprintf(stderr, "leak_canary: the toolkit could not start\n");
        return 1;
    }
    {
        wxEventLoop loop;
        wxEventLoopActivator activate(&loop);
        g_idle_add(LeakInAnIdleCallback, nullptr);
        wxTheApp->CallAfter([&loop] {
            LeakInAHandlerOfTheMainLoop();
            loop.Exit();
        });
        loop.Run();
    }
    wxEntryCleanup();
    return 0;
}
