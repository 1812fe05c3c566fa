#pragma once

#include "serial/serial_platform.h"

namespace velanto {

// An event that stays signalled from Set until Reset, and that a WaitTarget::Kind::EventSet wait ends on.
class ManualResetEvent {
public:
    ManualResetEvent();  // unsignalled; throws std::system_error when the system has no handle to spare
    ~ManualResetEvent();
    ManualResetEvent(const ManualResetEvent&) = delete;
    ManualResetEvent& operator=(const ManualResetEvent&) = delete;

    void Set();
    void Reset();
    WaitHandle Handle() const { return m_handle; }

private:
    WaitHandle m_handle;
};

}  // namespace velanto
