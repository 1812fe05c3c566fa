#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "os/unique_descriptor.h"

extern char** environ;

namespace velanto::testing {

// velanto-detector running as a child process; terminated, if still running, when the object goes.
class SimulatorProcess {
public:
    explicit SimulatorProcess(std::vector<std::string> arguments) {
        int output[2];
        if (::pipe2(output, O_CLOEXEC) != 0) {
            return;
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, output[1], STDOUT_FILENO);
        std::vector<char*> argv;
        for (std::string& argument : arguments) {
            argv.push_back(argument.data());
        }
        argv.push_back(nullptr);
        if (::posix_spawn(&m_pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
            m_pid = -1;
        }
        posix_spawn_file_actions_destroy(&actions);
        ::close(output[1]);
        m_output = UniqueDescriptor(output[0]);
    }
    ~SimulatorProcess() {
        if (m_pid > 0) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
    }
    SimulatorProcess(const SimulatorProcess&) = delete;
    SimulatorProcess& operator=(const SimulatorProcess&) = delete;

    // The next line of its output (the first is the line's path); empty when none comes within `patience`.
    std::string NextLine(std::chrono::milliseconds patience = std::chrono::seconds(10)) {
        std::string line;
        char c = 0;
        while (m_output.IsOpen()) {
            pollfd ready{m_output.Get(), POLLIN, 0};
            if (::poll(&ready, 1, static_cast<int>(patience.count())) != 1 || ::read(m_output.Get(), &c, 1) != 1) {
                return {};
            }
            if (c == '\n') {
                return line;
            }
            line += c;
        }
        return {};
    }
    // Its exit status once it has ended by itself within `patience`.
    std::optional<int> WaitForExit(std::chrono::milliseconds patience = std::chrono::seconds(10)) {
        const auto deadline = std::chrono::steady_clock::now() + patience;
        while (m_pid > 0) {
            int status = 0;
            if (::waitpid(m_pid, &status, WNOHANG) == m_pid) {
                m_pid = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            if (std::chrono::steady_clock::now() > deadline) {
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return std::nullopt;
    }
    void Signal(int signal) {
        if (m_pid > 0) {
            ::kill(m_pid, signal);
        }
    }

private:
    pid_t m_pid = -1;
    UniqueDescriptor m_output;
};

}  // namespace velanto::testing
