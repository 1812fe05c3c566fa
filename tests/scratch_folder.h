#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>
#include <string>
#include <system_error>

namespace velanto::testing {

// A folder of its own for the running test, removed with everything in it afterwards.
class ScratchFolder {
public:
    // A new name in the temporary folder: creating the folder fails on a name that is taken.
    ScratchFolder() {
        std::random_device random;
        do {
            m_path = std::filesystem::temp_directory_path() / ("velanto-test-" + std::to_string(random()));
        } while (!std::filesystem::create_directory(m_path));
    }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::filesystem::path& Path() const { return m_path; }
    std::filesystem::path operator/(const std::string& name) const { return m_path / name; }

private:
    std::filesystem::path m_path;
};

// The whole of a file's bytes; none when it cannot be read.
inline std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

#ifndef _WIN32  // COM ports are named through a device map on POSIX systems alone
// A scratch folder as the configuration home, so that the COM links made in its device map are seen
// by this process and its children only.
class PrivateDeviceMap {
public:
    PrivateDeviceMap() { ::setenv("XDG_CONFIG_HOME", m_home.Path().c_str(), 1); }
    ~PrivateDeviceMap() { ::unsetenv("XDG_CONFIG_HOME"); }
    PrivateDeviceMap(const PrivateDeviceMap&) = delete;
    PrivateDeviceMap& operator=(const PrivateDeviceMap&) = delete;

    const std::filesystem::path& ConfigHome() const { return m_home.Path(); }
    std::filesystem::path Folder() const { return m_home / "velanto/dosdevices"; }
    // Links COM<number> to `device`, making the device map when there is none yet.
    void MapPort(int number, const std::filesystem::path& device) const {
        std::filesystem::create_directories(Folder());
        std::filesystem::create_symlink(device, Folder() / ("com" + std::to_string(number)));
    }

private:
    ScratchFolder m_home;
};
#endif

}  // namespace velanto::testing
