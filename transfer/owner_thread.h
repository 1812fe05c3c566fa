#pragma once

#include <functional>
#include <stop_token>

namespace velanto {

// The thread that owns a transfer (a window's user-interface thread): the port's monitor thread hands it
// each received byte and each failure, and waits until it has handled them, as with a synchronous window
// message.
class OwnerThread {
public:
    virtual ~OwnerThread() = default;
    // Runs `work` on the owner's thread and returns once it has run; called on that thread, runs it at once.
    // Returns at once without running it (now or later) when `stop` is requested before it starts.
    virtual void RunAndWait(std::function<void()> work, std::stop_token stop) = 0;
};

}  // namespace velanto
