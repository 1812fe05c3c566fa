#include "chart/chart_time.h"

namespace velanto {}  // namespace velanto
