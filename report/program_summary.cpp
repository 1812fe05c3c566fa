#include "report/program_summary.h"

namespace velanto {}  // namespace velanto
