#include "records/detector_download.h"

namespace velanto {

// Windows names its serial ports itself: COMn is all there is to tell.
std::string DownloadSource(int portNumber) { return "COM" + std::to_string(portNumber); }

}  // namespace velanto
