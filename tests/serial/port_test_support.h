#pragma once

#include <gtest/gtest.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "serial/port_messages.h"
#include "serial/serial_platform.h"
#include "tests/scratch_folder.h"
#include "tools/pseudo_terminal.h"

namespace velanto::testing {

// Every wait in these tests gives up after this long, so a fault fails a test instead of hanging it.
inline constexpr std::chrono::seconds kPatience{10};

struct Notification {
    unsigned message;
    std::uintptr_t wParam;
    std::intptr_t lParam;
    bool operator==(const Notification&) const = default;
};

inline std::vector<std::uint8_t> ReceivedBytes(const std::vector<Notification>& notifications) {
    std::vector<std::uint8_t> bytes;
    for (const Notification& notification : notifications) {
        if (notification.message == WM_PORT_RXCHAR) {
            bytes.push_back(static_cast<std::uint8_t>(notification.wParam));
        }
    }
    return bytes;
}

// Something that happens on another thread, to wait for.
template <typename Item>
class Recorder {
public:
    void Add(Item item) {
        std::lock_guard lock(m_mutex);
        m_items.push_back(std::move(item));
        m_changed.notify_all();
    }
    std::vector<Item> Items() const {
        std::lock_guard lock(m_mutex);
        return m_items;
    }
    // True once `done` holds for the items, false when patience runs out.
    bool WaitUntil(const std::function<bool(const std::vector<Item>&)>& done) const {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, kPatience, [&] { return done(m_items); });
    }
    bool WaitForCount(std::size_t count) const {
        return WaitUntil([count](const std::vector<Item>& items) { return items.size() >= count; });
    }

private:
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    std::vector<Item> m_items;
};

// An error box that the operator closes at once.
class RecordingErrorBox : public SystemErrorBox {
public:
    void ShowSystemError(const std::string& text, std::stop_token) override { texts.Add(text); }
    Recorder<std::string> texts;
};

// An owner window that handles each notification on the monitor's own thread.
class DirectOwner : public PortMessageOwner {
public:
    Recorder<Notification> handled;

private:
    void SendPortMessage(unsigned message, std::uintptr_t wParam, std::intptr_t lParam, std::stop_token stop) override {
        if (!stop.stop_requested()) {
            handled.Add({message, wParam, lParam});
        }
    }
};

// An owner window whose notifications are handled on the test's own thread, as a dialog handles them on its
// user-interface thread: the monitor waits until a Pump call has taken its notification, or until it is
// stopped, which abandons the notification for good.
class HandOffOwner : public PortMessageOwner {
public:
    void SendPortMessage(unsigned message, std::uintptr_t wParam, std::intptr_t lParam, std::stop_token stop) override {
        std::unique_lock lock(m_mutex);
        const std::uint64_t ticket = ++m_posted;
        m_pending.push_back({message, wParam, lParam});
        m_changed.notify_all();
        m_changed.wait(lock, stop, [&] { return m_taken >= ticket; });
        if (m_taken < ticket) {
            m_pending.clear();
            m_taken = ticket;
            ++m_abandoned;
        }
    }
    // Handle pending notifications on the calling thread until `count` of them, or `count` received bytes,
    // have been handled; false when none comes for the patience's time (a slow machine only takes longer).
    bool PumpMessages(std::size_t count) {
        return PumpUntil([&] { return m_handled.size() >= count; });
    }
    bool PumpBytes(std::size_t count) {
        return PumpUntil([&] { return m_bytesHandled >= count; });
    }
    // True once a notification waits for the owner's thread.
    bool WaitForPending() {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, kPatience, [&] { return !m_pending.empty(); });
    }
    std::vector<Notification> Handled() {
        std::lock_guard lock(m_mutex);
        return m_handled;
    }
    int Abandoned() {
        std::lock_guard lock(m_mutex);
        return m_abandoned;
    }

private:
    bool PumpUntil(const std::function<bool()>& done) {  // `done` is tested with the lock held
        std::unique_lock lock(m_mutex);
        while (!done()) {
            if (!m_changed.wait_for(lock, kPatience, [&] { return !m_pending.empty(); })) {
                return false;
            }
            m_handled.push_back(m_pending.front());
            m_bytesHandled += m_pending.front().message == WM_PORT_RXCHAR ? 1 : 0;
            m_pending.pop_front();
            ++m_taken;
            m_changed.notify_all();
        }
        return true;
    }

    std::mutex m_mutex;
    std::condition_variable_any m_changed;
    std::deque<Notification> m_pending;
    std::uint64_t m_posted = 0;
    std::uint64_t m_taken = 0;
    std::vector<Notification> m_handled;
    std::size_t m_bytesHandled = 0;
    int m_abandoned = 0;
};

// A private device-map folder for the test, and pseudo-terminals linked into it as COM ports.
class DeviceMapFixture : public ::testing::Test {
protected:
    void MapPort(int number, const std::filesystem::path& device) { m_deviceMap.MapPort(number, device); }
    const std::filesystem::path& ConfigHome() const { return m_deviceMap.ConfigHome(); }

private:
    PrivateDeviceMap m_deviceMap;
};

// Sends bytes from the far end of the line.
inline void SendFromFarEnd(const PseudoTerminal& line, const std::vector<std::uint8_t>& bytes) {
    ASSERT_EQ(::write(line.Descriptor(), bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
}

// Reads `count` bytes at the far end of the line; fewer when patience runs out.
inline std::vector<std::uint8_t> ReadAtFarEnd(const PseudoTerminal& line, std::size_t count) {
    std::vector<std::uint8_t> bytes(count);
    std::size_t got = 0;
    const auto deadline = std::chrono::steady_clock::now() + kPatience;
    while (got < count && std::chrono::steady_clock::now() < deadline) {
        pollfd ready{line.Descriptor(), POLLIN, 0};
        if (::poll(&ready, 1, 100) == 1) {
            const ssize_t n = ::read(line.Descriptor(), bytes.data() + got, count - got);
            got += n > 0 ? static_cast<std::size_t>(n) : 0;
        }
    }
    bytes.resize(got);
    return bytes;
}

// The real system calls, with a log of what the port object asked for and faults to order.
class ScriptedPlatform : public SerialPlatform {
public:
    bool SetTimeouts(DeviceHandle device, const CommTimeouts& timeouts) override {
        return Record("SetTimeouts", !Failing("SetTimeouts") && SerialPlatform::SetTimeouts(device, timeouts));
    }
    bool SetEventMask(DeviceHandle device, std::uint32_t mask) override {
        return Record("SetEventMask", !Failing("SetEventMask") && SerialPlatform::SetEventMask(device, mask));
    }
    bool GetLineState(DeviceHandle device, DeviceControlBlock& control) override {
        return Record("GetLineState", !Failing("GetLineState") && SerialPlatform::GetLineState(device, control));
    }
    bool SetLineState(DeviceHandle device, const DeviceControlBlock& control) override {
        {
            std::lock_guard lock(m_mutex);
            m_writtenBlock = control;
        }
        return Record("SetLineState", !Failing("SetLineState") && SerialPlatform::SetLineState(device, control));
    }
    bool Purge(DeviceHandle device) override {
        return Record("Purge", !Failing("Purge") && SerialPlatform::Purge(device));
    }
    void CloseDevice(DeviceHandle device) override {
        SerialPlatform::CloseDevice(device);
        Record("CloseDevice", true);
    }
    IoResult Write(DeviceHandle device, const std::uint8_t* bytes, std::size_t length) override {
        const IoResult written =
            Failing("Write") ? IoResult{-1, "WriteFile()"} : SerialPlatform::Write(device, bytes, length);
        Record("Write " + std::to_string(length), written.count >= 0);
        return written;
    }
    bool InputQueueCount(DeviceHandle device, std::uint32_t& count) override {
        {
            std::lock_guard lock(m_mutex);
            if (m_emptyQueueAnswers > 0) {
                --m_emptyQueueAnswers;
                count = 0;
                return true;
            }
            if (m_failedQueueAnswers > 0) {
                --m_failedQueueAnswers;
                count = 12345;  // a count nobody delivered
                errno = EIO;
                return false;
            }
        }
        return SerialPlatform::InputQueueCount(device, count);
    }

    // The named call fails with `error` from now on.
    void Fail(const std::string& call, int error) {
        std::lock_guard lock(m_mutex);
        m_failingCall = call;
        m_error = error;
    }
    void AnswerEmptyQueue(int times) {
        std::lock_guard lock(m_mutex);
        m_emptyQueueAnswers = times;
    }
    void FailQueueQuery(int times) {
        std::lock_guard lock(m_mutex);
        m_failedQueueAnswers = times;
    }
    DeviceControlBlock WrittenBlock() {
        std::lock_guard lock(m_mutex);
        return m_writtenBlock;
    }

    Recorder<std::string> calls;

private:
    // Logs a call once it has had its effect, keeping the errno it left.
    bool Record(const std::string& call, bool succeeded) {
        const int error = errno;
        calls.Add(call);
        errno = error;
        return succeeded;
    }
    bool Failing(const std::string& call) {
        std::lock_guard lock(m_mutex);
        if (call == m_failingCall) {
            errno = m_error;
            return true;
        }
        return false;
    }

    std::mutex m_mutex;
    std::string m_failingCall;
    int m_error = 0;
    int m_emptyQueueAnswers = 0;
    int m_failedQueueAnswers = 0;
    DeviceControlBlock m_writtenBlock;
};

}  // namespace velanto::testing
