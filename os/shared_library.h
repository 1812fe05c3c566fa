#pragma once

#include <string>

namespace velanto {

// A shared library, loaded by the system's loader and unloaded when the object goes.
class SharedLibrary {
public:
    SharedLibrary() = default;  // no library
    // Loads `name` the way the system's loader finds libraries; Loaded() tells whether it did.
    explicit SharedLibrary(const std::string& name);
    ~SharedLibrary();
    SharedLibrary(SharedLibrary&& other) noexcept;
    SharedLibrary& operator=(SharedLibrary&& other) noexcept;
    SharedLibrary(const SharedLibrary&) = delete;
    SharedLibrary& operator=(const SharedLibrary&) = delete;

    bool Loaded() const { return m_handle != nullptr; }
    // The file the library was loaded from.
    std::string FilePath() const;
    // The address of an exported symbol; null when the library has none of that name.
    void* Symbol(const char* name) const;

private:
    void* m_handle = nullptr;
};

// The file the running program was started from; empty when the system does not tell.
std::string ProgramFilePath();

}  // namespace velanto
