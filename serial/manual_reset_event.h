#pragma once

#include "descriptor/unique_descriptor.h"

namespace velanto {

// An event that stays signalled from Set until Reset, and that poll() can wait on (readable while set).
class ManualResetEvent {
public:
    ManualResetEvent();  // unsignalled; throws std::system_error when the system has no descriptor to spare

    void Set();
    void Reset();
    int Descriptor() const { return m_descriptor.Get(); }

private:
    UniqueDescriptor m_descriptor;
};

}  // namespace velanto
