// Before the system's header: it defines some of the same names (RTS_CONTROL_ENABLE, ...) as macros, with the
// same values, which would otherwise cut into their declarations.
#include "serial/manual_reset_event.h"

#include <windows.h>

#include <system_error>

namespace velanto {

namespace {

HANDLE Native(WaitHandle handle) { return reinterpret_cast<HANDLE>(handle); }

}  // namespace

ManualResetEvent::ManualResetEvent()
    : m_handle(reinterpret_cast<WaitHandle>(::CreateEventA(nullptr, TRUE, FALSE, nullptr))) {
    if (Native(m_handle) == nullptr) {
        throw std::system_error(static_cast<int>(::GetLastError()), std::system_category(), "CreateEventA");
    }
}

ManualResetEvent::~ManualResetEvent() { ::CloseHandle(Native(m_handle)); }

void ManualResetEvent::Set() { ::SetEvent(Native(m_handle)); }

void ManualResetEvent::Reset() { ::ResetEvent(Native(m_handle)); }

}  // namespace velanto
