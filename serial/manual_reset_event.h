#pragma once

namespace velanto {

// An event that stays signalled from Set until Reset, and that poll() can wait on (readable while set).
class ManualResetEvent {
public:
    ManualResetEvent();  // unsignalled; throws std::system_error when the system has no descriptor to spare
    ~ManualResetEvent();
    ManualResetEvent(const ManualResetEvent&) = delete;
    ManualResetEvent& operator=(const ManualResetEvent&) = delete;

    void Set();
    void Reset();
    int Descriptor() const { return m_descriptor; }

private:
    int m_descriptor;
};

}  // namespace velanto
