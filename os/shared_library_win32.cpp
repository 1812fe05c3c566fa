#include "os/shared_library.h"

#include <windows.h>

#include <utility>

namespace velanto {
namespace {

HMODULE Module(void* handle) { return static_cast<HMODULE>(handle); }

std::string ModuleFilePath(HMODULE module) {
    char path[MAX_PATH];
    const DWORD length = ::GetModuleFileNameA(module, path, sizeof path);
    return length > 0 && length < sizeof path ? std::string(path, length) : std::string();
}

}  // namespace

// Pinned once loaded, never unloaded: a driver manager keeps process-wide state (its loaded
// drivers) that must not be unmapped under it.
SharedLibrary::SharedLibrary(const std::string& name) : m_handle(::LoadLibraryA(name.c_str())) {
    HMODULE pinned = nullptr;
    if (m_handle) {
        ::GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_PIN, ModuleFilePath(Module(m_handle)).c_str(), &pinned);
    }
}

SharedLibrary::~SharedLibrary() {
    if (m_handle) {
        ::FreeLibrary(Module(m_handle));
    }
}

SharedLibrary::SharedLibrary(SharedLibrary&& other) noexcept : m_handle(std::exchange(other.m_handle, nullptr)) {}

SharedLibrary& SharedLibrary::operator=(SharedLibrary&& other) noexcept {
    std::swap(m_handle, other.m_handle);
    return *this;
}

std::string SharedLibrary::FilePath() const { return m_handle ? ModuleFilePath(Module(m_handle)) : std::string(); }

void* SharedLibrary::Symbol(const char* name) const {
    return m_handle ? reinterpret_cast<void*>(::GetProcAddress(Module(m_handle), name)) : nullptr;
}

std::string ProgramFilePath() { return ModuleFilePath(nullptr); }

}  // namespace velanto
