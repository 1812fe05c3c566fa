#include "report/html_report.h"

namespace velanto {}  // namespace velanto
