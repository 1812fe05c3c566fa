// velanto-detector: stands in for the detector at the far end of a serial line.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

#include "dump/detector_dump.h"
#include "dump/detector_protocol.h"
#include "os/unique_descriptor.h"
#include "serial/device_map_posix.h"
#include "serial/line_attributes_posix.h"
#include "tools/dump_file.h"
#include "tools/dump_generator.h"
#include "tools/option_parser.h"
#include "tools/pseudo_terminal.h"

namespace {

using Clock = std::chrono::steady_clock;
using velanto::UniqueDescriptor;

constexpr int kUsageError = 2;
constexpr std::uint8_t kNoiseByte = 0xA5;
constexpr double kBytesPerSecond = velanto::kDetectorLine.baudRate / 10.0;  // ten bit times a character

constexpr std::string_view kHelp = R"(Usage: velanto-detector [options]

Plays the detector at the far end of a serial line. It opens a new
pseudo-terminal (or the device given with --device), prints the path that a
client opens as the first line of its output, and answers every request byte
0x55 with a 16448-byte memory image; other bytes are ignored. It runs until it
is terminated (SIGINT, SIGTERM, SIGHUP), or with --once until it has answered
one request and the client has read the answer. Unless it ends after one
answer, it counts its answers from 1 and reports the N-th on a line of its own:
"answer N read" once the client has read everything sent so far (on a
pseudo-terminal), "answer N sent" once it is written (on a device).

Line:
  --device PATH      use this serial device (set to 9600 8N1, raw) instead of a
                     new pseudo-terminal; PATH is printed
  --com N            link COMN to the line in the device-map folder
                     (${XDG_CONFIG_HOME:-$HOME/.config}/velanto/dosdevices/comN);
                     the link is removed on exit
  --fast             send at full speed instead of at 9600 baud 8N1 timing
  --once             end after answering one request

Image (the same options always give the same bytes):
  --dump FILE        send the image in FILE (exactly 16448 bytes)
  --records N        generate N records (0 to 2000, default 2000)
  --id N             identifier of a generated image (default 4660)
  --seed S           random seed of a generated image (default 1)

Faults:
  --truncate K       send only the first K bytes of the image
  --extra K          send K more bytes after the image: the image again from its start
  --noise K          send K stray bytes 0xA5 before the answer
  --hangup-after K   close the line once K bytes of the answer have been read, and end
  --ignore-request   never answer
  --chatter MS       never answer, and send a stray byte 0xA5 every MS
                     milliseconds without end, as a device in another output
                     mode does

Exit status: 0 when terminated or done, 1 when the line fails,
2 when the command line or the image file is wrong.
)";

struct Options {
    std::optional<std::string> device;
    std::optional<std::uint64_t> com;
    std::optional<std::string> dumpFile;
    velanto::DumpRecipe recipe;
    bool fast = false;
    bool once = false;
    std::size_t truncate = velanto::kDumpSize;
    std::size_t extra = 0;
    std::size_t noise = 0;
    std::optional<std::size_t> hangupAfter;
    bool ignoreRequest = false;
    std::optional<std::chrono::milliseconds> chatter;
    bool help = false;
};

Options ParseOptions(velanto::OptionParser& parser) {
    constexpr std::uint64_t kMany = 1u << 30;
    Options options;
    while (auto option = parser.NextOption()) {
        if (*option == "--device") {
            options.device = parser.TextValue();
        } else if (*option == "--com") {
            options.com = parser.NumberValue(1, 99);
        } else if (*option == "--dump") {
            options.dumpFile = parser.TextValue();
        } else if (*option == "--records") {
            options.recipe.records = parser.NumberValue(0, velanto::kMaxRecords);
        } else if (*option == "--id") {
            options.recipe.identifier = static_cast<std::uint16_t>(parser.NumberValue(0, 65535));
        } else if (*option == "--seed") {
            options.recipe.seed = static_cast<std::uint32_t>(parser.NumberValue(0, 4294967295u));
        } else if (*option == "--fast") {
            options.fast = true;
        } else if (*option == "--once") {
            options.once = true;
        } else if (*option == "--truncate") {
            options.truncate = parser.NumberValue(0, velanto::kDumpSize);
        } else if (*option == "--extra") {
            options.extra = parser.NumberValue(0, kMany);
        } else if (*option == "--noise") {
            options.noise = parser.NumberValue(0, kMany);
        } else if (*option == "--hangup-after") {
            options.hangupAfter = parser.NumberValue(0, kMany);
        } else if (*option == "--ignore-request") {
            options.ignoreRequest = true;
        } else if (*option == "--chatter") {
            options.chatter = std::chrono::milliseconds(parser.NumberValue(1, 60000));
        } else if (*option == "--help" || *option == "-h") {
            options.help = true;
        } else {
            parser.Reject(*option);
        }
    }
    parser.ExpectNoMoreArguments();
    return options;
}

// Noise, the image (perhaps cut short), extra bytes, and no more than --hangup-after allows.
std::vector<std::uint8_t> ComposeAnswer(const velanto::DetectorDump& image, const Options& options) {
    std::vector<std::uint8_t> answer(options.noise, kNoiseByte);
    answer.insert(answer.end(), image.begin(), image.begin() + static_cast<std::ptrdiff_t>(options.truncate));
    for (std::size_t i = 0; i < options.extra; ++i) {
        answer.push_back(image[i % image.size()]);
    }
    if (options.hangupAfter && *options.hangupAfter < answer.size()) {
        answer.resize(*options.hangupAfter);
    }
    return answer;
}

[[noreturn]] void ThrowSystemError(const std::string& what) {
    throw std::system_error(errno, std::generic_category(), what);
}

// The termination signals, delivered through a descriptor so that every wait can watch for them.
UniqueDescriptor TerminationSignals() {
    sigset_t signals;
    sigemptyset(&signals);
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        sigaddset(&signals, signal);
    }
    if (::sigprocmask(SIG_BLOCK, &signals, nullptr) != 0) {
        ThrowSystemError("sigprocmask");
    }
    UniqueDescriptor descriptor(::signalfd(-1, &signals, SFD_CLOEXEC | SFD_NONBLOCK));
    if (descriptor.Get() < 0) {
        ThrowSystemError("signalfd");
    }
    return descriptor;
}

// A real serial device, set to the detector's line settings.
UniqueDescriptor OpenSerialDevice(const std::string& path) {
    UniqueDescriptor device(::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    termios attributes{};
    if (device.Get() < 0 || ::tcgetattr(device.Get(), &attributes) != 0) {
        ThrowSystemError(path);
    }
    velanto::DeviceControlBlock control;
    velanto::KeepLineAttributes(control, attributes);
    if (!velanto::ApplyLineSettings(velanto::kDetectorLine, control)) {
        ThrowSystemError(path);
    }
    attributes = velanto::RawLineAttributes(control);
    if (::tcsetattr(device.Get(), TCSANOW, &attributes) != 0) {
        ThrowSystemError(path);
    }
    return device;
}

// The link COMN -> line in the device-map folder, for as long as the simulator runs.
class ComLink {
public:
    ComLink(std::uint64_t number, const std::filesystem::path& target)
        : m_link(velanto::DeviceMapFolder() / ("com" + std::to_string(number))), m_target(target) {
        std::filesystem::create_directories(m_link.parent_path());
        const auto status = std::filesystem::symlink_status(m_link);
        if (std::filesystem::exists(status) && !std::filesystem::is_symlink(status)) {
            throw std::runtime_error(m_link.string() + " exists and is not a link; leaving it alone");
        }
        std::filesystem::remove(m_link);
        std::filesystem::create_symlink(m_target, m_link);
    }
    ~ComLink() {
        // Only our own link: another simulator may have taken the name over since.
        std::error_code error;
        if (std::filesystem::read_symlink(m_link, error) == m_target) {
            std::filesystem::remove(m_link, error);
        }
    }
    ComLink(const ComLink&) = delete;
    ComLink& operator=(const ComLink&) = delete;

private:
    std::filesystem::path m_link;
    std::filesystem::path m_target;
};

enum class WaitResult { Ready, Timeout, Terminated };

WaitResult WaitFor(int line, short events, int signals, int timeoutMilliseconds) {
    pollfd waits[2] = {{signals, POLLIN, 0}, {line, events, 0}};
    const int ready = ::poll(waits, 2, timeoutMilliseconds);
    if (ready < 0 && errno != EINTR) {
        ThrowSystemError("poll");
    }
    if (waits[0].revents != 0) {
        return WaitResult::Terminated;
    }
    if ((waits[1].revents & (POLLERR | POLLHUP | POLLNVAL)) != 0) {
        throw std::runtime_error("the line has been closed");
    }
    return ready > 0 ? WaitResult::Ready : WaitResult::Timeout;
}

// Sends the answer, at line speed unless `fast`. False when a termination signal came first.
bool SendAnswer(int line, int signals, const std::vector<std::uint8_t>& answer, bool fast) {
    const Clock::time_point start = Clock::now();
    std::size_t sent = 0;
    while (sent < answer.size()) {
        std::size_t due = answer.size();
        if (!fast) {
            const std::chrono::duration<double> elapsed = Clock::now() - start;
            due = std::min(answer.size(), static_cast<std::size_t>(elapsed.count() * kBytesPerSecond) + 1);
        }
        if (sent < due) {
            const ssize_t written = ::write(line, answer.data() + sent, due - sent);
            if (written > 0) {
                sent += static_cast<std::size_t>(written);
                continue;
            }
            if (written < 0 && errno != EAGAIN && errno != EINTR) {
                ThrowSystemError("write");
            }
            if (WaitFor(line, POLLOUT, signals, -1) == WaitResult::Terminated) {
                return false;
            }
        } else if (WaitFor(line, 0, signals, 10) == WaitResult::Terminated) {  // ten bytes' time
            return false;
        }
    }
    return true;
}

// A device that keeps sending and never answers: a stray byte every `interval`, until terminated.
int Chatter(int line, int signals, std::chrono::milliseconds interval) {
    for (Clock::time_point next = Clock::now() + interval;; next += interval) {
        const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(next - Clock::now());
        if (WaitFor(-1, 0, signals, static_cast<int>(std::max<long>(wait.count(), 0))) == WaitResult::Terminated) {
            return 0;
        }
        if (::write(line, &kNoiseByte, 1) < 0 && errno != EAGAIN && errno != EINTR) {
            ThrowSystemError("write");
        }
    }
}

// Bytes still travelling when a pseudo-terminal closes are lost, so wait until the client has read them all
// (empty twice in a row, since bytes reach the client's queue a moment after they are written).
bool WaitUntilClientHasRead(const velanto::PseudoTerminal& terminal, int signals) {
    int emptyReadings = 0;
    while (emptyReadings < 2) {
        emptyReadings = terminal.PendingForClient() == 0 ? emptyReadings + 1 : 0;
        if (WaitFor(-1, 0, signals, 20) == WaitResult::Terminated) {
            return false;
        }
    }
    return true;
}

// Tells whoever watches the simulator how far its answers have got, without blocking the line: a client
// that goes away mid-answer leaves its bytes unread, and the next request must still be served. On a
// device an answer is reported once written; on a pseudo-terminal once the client has read it.
class AnswerReport {
public:
    explicit AnswerReport(const velanto::PseudoTerminal* terminal) : m_terminal(terminal) {}

    void Sent() {
        ++m_answers;
        m_watching = m_terminal != nullptr;
        m_emptyReadings = 0;
        if (!m_terminal) {
            std::cout << "answer " << m_answers << " sent" << std::endl;
        }
    }
    // How long the line may be waited on before the next look at the client's queue.
    int WaitMilliseconds() const { return m_watching ? 20 : -1; }

    void Look() {
        if (!m_watching) {
            return;
        }
        m_emptyReadings = m_terminal->PendingForClient() == 0 ? m_emptyReadings + 1 : 0;
        if (m_emptyReadings == 2) {
            m_watching = false;
            std::cout << "answer " << m_answers << " read" << std::endl;
        }
    }

private:
    const velanto::PseudoTerminal* m_terminal;
    int m_answers = 0;
    bool m_watching = false;
    int m_emptyReadings = 0;
};

int Run(const Options& options) {
    const velanto::DetectorDump image =
        options.dumpFile ? velanto::LoadDumpFile(*options.dumpFile) : velanto::GenerateDump(options.recipe);
    const std::vector<std::uint8_t> answer = ComposeAnswer(image, options);
    const UniqueDescriptor signals = TerminationSignals();

    std::optional<velanto::PseudoTerminal> terminal;
    std::optional<UniqueDescriptor> device;
    std::string path;
    int line = -1;
    if (options.device) {
        line = device.emplace(OpenSerialDevice(*options.device)).Get();
        path = *options.device;
    } else {
        line = terminal.emplace().Descriptor();
        path = terminal->Path();
    }
    std::optional<ComLink> link;
    if (options.com) {
        link.emplace(*options.com, path);
    }
    std::cout << path << std::endl;
    if (options.chatter) {
        return Chatter(line, signals.Get(), *options.chatter);
    }

    AnswerReport report(terminal ? &*terminal : nullptr);
    std::uint8_t received[256];
    for (;;) {
        const WaitResult wait = WaitFor(line, POLLIN, signals.Get(), report.WaitMilliseconds());
        if (wait == WaitResult::Terminated) {
            return 0;
        }
        report.Look();
        if (wait == WaitResult::Timeout) {
            continue;
        }
        const ssize_t count = ::read(line, received, sizeof received);
        if (count < 0 && errno != EAGAIN && errno != EINTR) {
            ThrowSystemError("read");
        }
        for (ssize_t i = 0; i < count; ++i) {
            if (received[i] != velanto::kRequestByte || options.ignoreRequest) {
                continue;
            }
            if (!SendAnswer(line, signals.Get(), answer, options.fast)) {
                return 0;
            }
            const bool ending = options.once || options.hangupAfter;
            if (ending && terminal && !WaitUntilClientHasRead(*terminal, signals.Get())) {
                return 0;
            }
            if (ending) {
                return 0;  // the line closes as the simulator ends
            }
            report.Sent();
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    velanto::OptionParser parser(argc, argv);
    try {
        const Options options = ParseOptions(parser);
        if (options.help) {
            std::cout << kHelp;
            return 0;
        }
        return Run(options);
    } catch (const velanto::UsageError& error) {
        std::cerr << "velanto-detector: " << error.what() << "\nTry 'velanto-detector --help'.\n";
        return kUsageError;
    } catch (const velanto::DumpSizeError& error) {
        std::cerr << "velanto-detector: " << error.what() << '\n';
        return kUsageError;
    } catch (const std::exception& error) {
        std::cerr << "velanto-detector: " << error.what() << '\n';
        return 1;
    }
}
