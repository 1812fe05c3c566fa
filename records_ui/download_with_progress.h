#pragma once

#include "records/detector_download.h"

class wxWindow;

namespace velanto {

// Downloads the detector's memory on COM`portNumber` on a thread of its own while a progress dialog over
// `parent` shows how much has come and lets the operator cancel; a damaged answer is kept only when the
// operator says so.
DownloadOutcome DownloadWithProgress(wxWindow* parent, int portNumber);

}  // namespace velanto
