#include "records/detector_download.h"
#include "serial/serial_platform.h"

namespace velanto {

// The device map may link COMn to any device: the source names the one the download read.
std::string DownloadSource(int portNumber) {
    const std::string port = "COM" + std::to_string(portNumber);
    return port + " (" + DevicePathFor(port).string() + ")";
}

}  // namespace velanto
