#include "os/shared_library.h"

#include <dlfcn.h>
#include <link.h>

#include <filesystem>
#include <utility>

namespace velanto {

// Kept mapped after dlclose: a library such as unixODBC holds process-wide state (its ini
// cache, loaded drivers) that it never frees, and that must not be unmapped under it.
SharedLibrary::SharedLibrary(const std::string& name)
    : m_handle(::dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE)) {}

SharedLibrary::~SharedLibrary() {
    if (m_handle) {
        ::dlclose(m_handle);
    }
}

SharedLibrary::SharedLibrary(SharedLibrary&& other) noexcept : m_handle(std::exchange(other.m_handle, nullptr)) {}

SharedLibrary& SharedLibrary::operator=(SharedLibrary&& other) noexcept {
    std::swap(m_handle, other.m_handle);
    return *this;
}

std::string SharedLibrary::FilePath() const {
    link_map* map = nullptr;
    if (m_handle && ::dlinfo(m_handle, RTLD_DI_LINKMAP, &map) == 0 && map && map->l_name) {
        return map->l_name;
    }
    return {};
}

void* SharedLibrary::Symbol(const char* name) const { return m_handle ? ::dlsym(m_handle, name) : nullptr; }

std::string ProgramFilePath() {
    std::error_code error;
    return std::filesystem::read_symlink("/proc/self/exe", error).string();
}

}  // namespace velanto
