#include <benchmark/benchmark.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <optional>
#include <thread>

#include "dump/detector_dump.h"
#include "serial/comm_port.h"
#include "serial/device_map_posix.h"
#include "tools/dump_generator.h"
#include "tools/pseudo_terminal.h"

namespace {

using namespace velanto;

// Bytes handled on the benchmark's thread while the monitor waits, as the dialog handles them; line events
// are ignored, as the dialog ignores them. One slot: 0 when empty, else 1; the stop callback frees a monitor
// that is being stopped.
class HandOffOwner : public PortOwner {
public:
    void OnLineEvent(int, LineEvent, std::stop_token) override {}
    void OnPortByte(int, std::uint8_t, std::stop_token stop) override {
        m_slot.store(1);
        m_slot.notify_all();
        const std::stop_callback abandon(stop, [this] {
            m_slot.store(0);
            m_slot.notify_all();
        });
        for (unsigned pending = m_slot.load(); pending != 0; pending = m_slot.load()) {
            m_slot.wait(pending);
        }
    }
    // Handles notifications until `count` bytes have been received.
    void ReceiveBytes(std::size_t count) {
        for (std::size_t received = 0; received < count;) {
            m_slot.wait(0);
            ++received;
            m_slot.store(0);
            m_slot.notify_all();
        }
    }

private:
    std::atomic<unsigned> m_slot = 0;
};

class IgnoringErrorBox : public SystemErrorBox {
public:
    void ShowSystemError(const std::string&, std::stop_token) override {}
};

// A detector on the far end of a pseudo-terminal, answering each request at full speed.
class FastDetector {
public:
    FastDetector() : m_thread([this](std::stop_token stop) { Answer(stop); }) {}
    const std::string& Path() const { return m_line.Path(); }

private:
    void Answer(std::stop_token stop) {
        const DetectorDump image = GenerateDump({});
        while (!stop.stop_requested()) {
            pollfd ready{m_line.Descriptor(), POLLIN, 0};
            std::uint8_t request = 0;
            if (::poll(&ready, 1, 50) != 1 || ::read(m_line.Descriptor(), &request, 1) != 1 ||
                request != kRequestByte) {
                continue;
            }
            for (std::size_t sent = 0; sent < image.size() && !stop.stop_requested();) {
                const ssize_t n = ::write(m_line.Descriptor(), image.data() + sent, image.size() - sent);
                if (n > 0) {
                    sent += static_cast<std::size_t>(n);
                } else {
                    pollfd room{m_line.Descriptor(), POLLOUT, 0};
                    ::poll(&room, 1, 50);
                }
            }
        }
    }

    PseudoTerminal m_line;
    std::jthread m_thread;
};

// A private device map with COM1 linked to `device`, for the length of one benchmark.
class MappedCom1 {
public:
    explicit MappedCom1(const std::string& device) {
        char pattern[] = "/tmp/velanto-bench-XXXXXX";
        m_folder = ::mkdtemp(pattern);
        ::setenv("XDG_CONFIG_HOME", m_folder.c_str(), 1);
        std::filesystem::create_directories(DeviceMapFolder());
        std::filesystem::create_symlink(device, DeviceMapFolder() / "com1");
    }
    ~MappedCom1() {
        ::unsetenv("XDG_CONFIG_HOME");
        std::filesystem::remove_all(m_folder);
    }

private:
    std::filesystem::path m_folder;
};

// COM1 mapped to `device`, opened with the dialog's settings and monitored, its notifications
// handled on another thread.
struct MonitoredCom1 {
    explicit MonitoredCom1(const std::string& device) : map(device) {}
    bool Start() { return port.OpenPort(&owner, 1, kDetectorLine, EV_RXCHAR | EV_RXFLAG, 512) && port.StartMonitor(); }

    MappedCom1 map;
    HandOffOwner owner;
    IgnoringErrorBox errorBox;
    CCommPort port{errorBox};
};

// Request to last byte: pseudo-terminal -> monitor -> one synchronous notification per byte, handled on
// another thread. The line itself carries 960 bytes a second.
void BM_WholeDumpThroughThePort(benchmark::State& state) {
    FastDetector detector;
    MonitoredCom1 com1(detector.Path());
    if (!com1.Start()) {
        state.SkipWithError("the port did not open");
        return;
    }
    for (auto _ : state) {
        com1.port.QueueWrite(&kRequestByte, 1);
        com1.owner.ReceiveBytes(kDumpSize);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kDumpSize));
}
BENCHMARK(BM_WholeDumpThroughThePort)->Unit(benchmark::kMillisecond)->UseRealTime();

double ProcessCpuSeconds() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// An open, monitored port with nothing arriving: the process's processor time over one second, which is the
// monitor's while this thread sleeps.
void BM_IdlePortProcessorTime(benchmark::State& state) {
    PseudoTerminal line;
    MonitoredCom1 com1(line.Path());
    if (!com1.Start()) {
        state.SkipWithError("the port did not open");
        return;
    }
    double cpu = 0;
    for (auto _ : state) {
        const double before = ProcessCpuSeconds();
        std::this_thread::sleep_for(std::chrono::seconds(1));
        cpu += ProcessCpuSeconds() - before;
    }
    state.counters["cpu_ms_per_idle_s"] = cpu * 1000.0 / static_cast<double>(state.iterations());
}
BENCHMARK(BM_IdlePortProcessorTime)->Iterations(2)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
